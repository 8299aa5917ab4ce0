#pragma once

// One fuzz case run from start to finish on the simulated Mac, with the real core, every
// invariant checked on the way and at rest.

#include <cstdint>
#include <filesystem>
#include <span>

#include "fuzz_case.hpp"

namespace plumora::fuzz {

// What a run did, for a person reading the replay of a corpus.
struct RunSummary {
  int swallowedPresses = 0;
  int clicksPerformed = 0;
  std::size_t logLines = 0;
};

// `home` is an empty folder for the program's log file; it is emptied again afterwards.
RunSummary runCase(const FuzzCase& fuzzCase, const std::filesystem::path& home);
// The same from the case's bytes.
RunSummary runBytes(std::span<const std::uint8_t> bytes, const std::filesystem::path& home);

// After the last action the run may take this long, plus this much per click the program took,
// before it must have gone quiet.
inline constexpr double kSettleTime = 60.0;
inline constexpr double kSettlePerClick = 120.0;
// How long it must then stay quiet, watched in steps of this.
inline constexpr double kQuietTime = 30.0;
inline constexpr double kQuietStep = 5.0;

}  // namespace plumora::fuzz
