#pragma once

// The scenario format's lexical layer: a file cut into lines of words, and a reader that takes a
// line's words one at a time and names the line in every complaint.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/geometry.hpp"

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
// \\ inside.
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
  double number(std::string_view what);
  std::int64_t integer(std::string_view what);
  // Seconds of virtual time, not negative.
  double seconds(std::string_view what);
  bool onOff();
  // "x,y".
  Point point();
  bool nextIsPoint() const;
  // An unquoted decimal number; a quoted word.
  bool nextIsNumber() const;
  bool nextIsQuoted() const { return !atEnd() && line_.words[next_].quoted; }
  // "x,y wxh", optionally in parentheses as the log writes rectangles.
  Rect rect();
  // Nothing may follow.
  void end();

  [[noreturn]] void fail(const std::string& message) const;
  [[noreturn]] void unexpected(std::string_view expected) const;

 private:
  const Word& take(std::string_view what);

  const ScenarioLine& line_;
  std::size_t next_ = 0;
};

}  // namespace plumora::simtool
