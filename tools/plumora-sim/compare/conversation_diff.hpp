#pragma once

// Two conversations of the program with a Mac lined up, request by request on each thread, and
// where they part: a frame read differently, a result code, another answer, a log line, a Fill or
// restore that settled or an application that came to the front at another pace, a request only
// one side made.

#include <cstddef>
#include <string>
#include <vector>

#include "replay/recording_file.hpp"

namespace plumora::simtool {

enum class DifferenceKind {
  Frame,
  ResultCode,
  Answer,
  LogLine,
  Settling,
  Activation,
  OnlyRecorded,
  OnlySimulated
};

// How far two timings may lie apart before they count: three polls of a restore.
inline constexpr double kTimingTolerance = 0.1;
// How far two frames may lie apart: the system rounds to whole points.
inline constexpr double kFrameTolerance = 1.0;

struct Difference {
  DifferenceKind kind;
  std::size_t recorded = 0;   // the event's number in the recording, 0 for none
  std::size_t simulated = 0;  // in the simulated run
  std::string request;        // what was asked
  std::string recordedText;   // what the recording answered, or its timing
  std::string simulatedText;
};

const char* kindName(DifferenceKind kind);

std::vector<Difference> differences(const Recording& recorded, const Recording& simulated);

// An event's number as the table gives it: "#67", or "-" for none.
std::string eventText(std::size_t number);

// The table's first line: how many differences and the tolerances, or that there is none.
std::string differenceHeading(const std::vector<Difference>& found, std::size_t eventsCompared);

// The table `plumora-sim --compare` prints.
std::string differenceTable(const std::vector<Difference>& found, std::size_t eventsCompared);

}  // namespace plumora::simtool
