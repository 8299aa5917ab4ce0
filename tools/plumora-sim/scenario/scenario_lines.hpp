#pragma once

// The scenario format's lexical layer: a file cut into lines of words, and a reader that takes a
// line's words one at a time and names the line in every complaint.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.hpp"
#include "scenario/scenario_limits.hpp"

namespace plumora::simtool {

struct Word {
  std::string text;
  bool quoted = false;
};

struct ScenarioLine {
  int number = 0;  // from 1
  int indent = 0;  // leading spaces
  std::vector<Word> words;
};

// What makes a scenario unreadable, with the line it is on. Thrown inside the parser only.
class SyntaxError : public std::runtime_error {
 public:
  SyntaxError(int line, const std::string& message) : std::runtime_error(message), line(line) {}
  int line;
};

// The lines that say something: blank lines and comments ("#" to the end of the line, outside
// quotes) are left out. Words are separated by spaces; "double quotes" keep spaces, with \" and
// \\ inside. The text must be UTF-8 (inside quotes, any bytes but control characters), without
// NUL bytes or control characters other than tabs; a byte order mark in front is skipped.
std::vector<ScenarioLine> splitLines(std::string_view text);

class Words {
 public:
  explicit Words(const ScenarioLine& line) : line_(line) {}

  int lineNumber() const { return line_.number; }
  bool atEnd() const { return next_ >= line_.words.size(); }
  // The next word, unquoted, if it is `word`: then it is taken.
  bool accept(std::string_view word);
  void require(std::string_view word);

  std::string text(std::string_view what);
  // An unquoted word naming one of a fixed set, taken as is; the caller checks which.
  std::string keyword(std::string_view what);
  // Every number is within the bounds of scenario_limits.hpp: these are the only readers.
  // From `least` to `most`.
  double number(std::string_view what, double least = -limits::kMaxCoordinate,
                double most = limits::kMaxCoordinate);
  // Within the 32-bit range; the caller narrows it.
  std::int64_t integer(std::string_view what);
  // "times N": 1 to limits::kMaxRepeats.
  std::int64_t repeats(std::string_view what);
  // Seconds of virtual time since the launch: 0 to limits::kMaxTime.
  double seconds(std::string_view what);
  // Seconds something takes: 0 to limits::kMaxDelay.
  double delay(std::string_view what);
  // Points: 0 to limits::kMaxLength.
  double length(std::string_view what);
  bool onOff();
  // "x,y", each within +-limits::kMaxCoordinate.
  Point point();
  bool nextIsPoint() const;
  // An unquoted decimal number; a quoted word.
  bool nextIsNumber() const;
  bool nextIsQuoted() const { return !atEnd() && line_.words[next_].quoted; }
  // "x,y wxh", optionally in parentheses as the log writes rectangles; the size up to
  // limits::kMaxLength.
  Rect rect();
  // "wxh", not negative.
  Size size();
  // Nothing may follow.
  void end();

  [[noreturn]] void fail(const std::string& message) const;
  [[noreturn]] void unexpected(std::string_view expected) const;

 private:
  const Word& take(std::string_view what);
  // The next word as a number from `least` to `most`, else a complaint naming them in `unit`.
  double bounded(std::string_view what, double least, double most, std::string_view unit);
  // Complains, naming the next word, when a point is out of bounds.
  void checkCoordinates(double x, double y) const;

  const ScenarioLine& line_;
  std::size_t next_ = 0;
};

}  // namespace plumora::simtool
