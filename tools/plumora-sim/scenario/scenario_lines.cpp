#include "scenario/scenario_lines.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "scenario/decimal_number.hpp"
#include "scenario/scenario_limits.hpp"
#include "scenario/scenario_text.hpp"

namespace plumora::simtool {
namespace {

// "a<sep>b" with two numbers.
std::optional<std::pair<double, double>> toPair(std::string_view s, char separator) {
  const auto at = s.find(separator);
  if (at == std::string_view::npos) return std::nullopt;
  const auto a = parseDecimal(s.substr(0, at));
  const auto b = parseDecimal(s.substr(at + 1));
  if (!a || !b) return std::nullopt;
  return std::pair{*a, *b};
}

std::string quote(const Word& w) {
  return "'" + w.text + "'";
}

std::string limitText(double limit) {
  return std::to_string(static_cast<long long>(limit));
}

// Outside quotes, from `from` up to `to`: a byte that is not UTF-8 means the file is in another
// encoding, or not text at all.
void requireUtf8(std::string_view text, std::size_t from, std::size_t to, int number) {
  while (from < to) {
    const std::size_t length = utf8SequenceLength(text.substr(from, to - from));
    if (length == 0) {
      throw SyntaxError(number, "not UTF-8 text: byte " + printable(text.substr(from, 1)) +
                                    " (save the file as UTF-8)");
    }
    from += length;
  }
}

// A control character is never typed into a scenario: the file is something else.
void requireText(std::string_view line, int number) {
  for (const char c : line) {
    if (c == '\0') throw SyntaxError(number, "not a text file: NUL byte");
    if (isControl(c) && c != '\t') {
      throw SyntaxError(number, "not a text file: control character " + printable({&c, 1}));
    }
  }
}

int lineOf(std::string_view text, std::size_t at) {
  int number = 1;
  for (std::size_t i = 0; i < at; ++i) number += text[i] == '\n' ? 1 : 0;
  return number;
}

std::vector<Word> wordsOf(std::string_view text, int number) {
  std::vector<Word> words;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (c == '#') {
      requireUtf8(text, i, text.size(), number);
      break;
    } else if (c == '"') {
      Word w{"", true};
      ++i;
      for (;;) {
        if (i >= text.size()) throw SyntaxError(number, "unterminated quoted text");
        if (text[i] == '"') break;
        if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\')) {
          ++i;
        }
        w.text += text[i++];
      }
      ++i;
      words.push_back(std::move(w));
    } else {
      const std::size_t start = i;
      while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
      requireUtf8(text, start, i, number);
      words.push_back(Word{std::string(text.substr(start, i - start)), false});
    }
  }
  return words;
}

}  // namespace

std::vector<ScenarioLine> splitLines(std::string_view text) {
  // Before anything else: a binary file is named as such, not by what its first line lacks.
  if (const auto nul = text.find('\0'); nul != std::string_view::npos) {
    throw SyntaxError(lineOf(text, nul), "not a text file: NUL byte");
  }
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<ScenarioLine> lines;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const auto newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    requireText(line, number);

    const auto firstText = line.find_first_not_of(" \t");
    const std::size_t indent = firstText == std::string_view::npos ? line.size() : firstText;
    auto words = wordsOf(line, number);
    if (words.empty()) continue;
    // A tab's width is anyone's guess, and blocks are told apart by indentation.
    if (line.substr(0, indent).find('\t') != std::string_view::npos) {
      throw SyntaxError(number, "indent with spaces, not tabs");
    }
    lines.push_back(ScenarioLine{number, static_cast<int>(indent), std::move(words)});
  }
  return lines;
}

void Words::fail(const std::string& message) const {
  throw SyntaxError(line_.number, message);
}

void Words::unexpected(std::string_view expected) const {
  if (atEnd()) fail("expected " + std::string(expected) + " at the end of the line");
  fail("expected " + std::string(expected) + ", found " + quote(line_.words[next_]));
}

const Word& Words::take(std::string_view what) {
  if (atEnd()) unexpected(what);
  return line_.words[next_++];
}

bool Words::accept(std::string_view word) {
  if (atEnd() || line_.words[next_].quoted || line_.words[next_].text != word) return false;
  ++next_;
  return true;
}

void Words::require(std::string_view word) {
  if (!accept(word)) unexpected("'" + std::string(word) + "'");
}

std::string Words::text(std::string_view what) {
  return take(what).text;
}

std::string Words::keyword(std::string_view what) {
  if (atEnd() || line_.words[next_].quoted) unexpected(what);
  return take(what).text;
}

double Words::bounded(std::string_view what, double least, double most, std::string_view unit) {
  if (atEnd()) unexpected(what);
  const Word& word = line_.words[next_];
  const auto value = parseDecimal(word.text);
  if (!value || word.quoted) unexpected(what);
  if (least == 0 && *value < 0) fail(std::string(what) + " cannot be negative");
  if (*value < least || *value > most) {
    const std::string range = least == 0
                                  ? " is at most " + limitText(most)
                                  : " is from " + limitText(least) + " to " + limitText(most);
    fail(std::string(what) + range + std::string(unit) + ", not " + quote(word));
  }
  ++next_;
  return *value;
}

double Words::number(std::string_view what, double least, double most) {
  return bounded(what, least, most, "");
}

std::int64_t Words::integer(std::string_view what) {
  if (atEnd()) unexpected(what);
  std::int64_t value = 0;
  const Word& word = line_.words[next_];
  const std::string& s = word.text;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  const bool tooLarge = error == std::errc::result_out_of_range;
  if (word.quoted || (error != std::errc() && !tooLarge) || end != s.data() + s.size()) {
    unexpected(what);
  }
  if (tooLarge || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    fail(std::string(what) + " is a 32-bit number, not " + quote(word));
  }
  ++next_;
  return value;
}

std::int64_t Words::repeats(std::string_view what) {
  if (atEnd()) unexpected(what);
  const Word& word = line_.words[next_];
  const std::int64_t value = integer(what);
  if (value < 1 || value > limits::kMaxRepeats) {
    fail(std::string(what) + " is from 1 to " + std::to_string(limits::kMaxRepeats) + ", not " +
         quote(word));
  }
  return value;
}

double Words::seconds(std::string_view what) {
  return bounded(what, 0, limits::kMaxTime, " (a day)");
}

double Words::delay(std::string_view what) {
  return bounded(what, 0, limits::kMaxDelay, " (an hour)");
}

double Words::length(std::string_view what) {
  return bounded(what, 0, limits::kMaxLength, "");
}

bool Words::onOff() {
  if (accept("on")) return true;
  if (accept("off")) return false;
  unexpected("'on' or 'off'");
}

bool Words::nextIsPoint() const {
  return !atEnd() && !line_.words[next_].quoted && toPair(line_.words[next_].text, ',');
}

bool Words::nextIsNumber() const {
  return !atEnd() && !line_.words[next_].quoted && parseDecimal(line_.words[next_].text);
}

Point Words::point() {
  if (!nextIsPoint()) unexpected("a point like 250,160");
  const auto p = toPair(line_.words[next_].text, ',');
  checkCoordinates(p->first, p->second);
  ++next_;
  return Point{p->first, p->second};
}

void Words::checkCoordinates(double x, double y) const {
  const double limit = limits::kMaxCoordinate;
  if (std::abs(x) > limit || std::abs(y) > limit) {
    fail("a coordinate is from -" + limitText(limit) + " to " + limitText(limit) + " points, not " +
         quote(line_.words[next_]));
  }
}

Rect Words::rect() {
  constexpr std::string_view kWhat = "a rectangle like 200,150 800x600";
  if (atEnd() || next_ + 1 >= line_.words.size()) unexpected(kWhat);
  std::string_view origin = line_.words[next_].text;
  std::string_view size = line_.words[next_ + 1].text;
  // The log's form "(x,y wxh)" may be pasted as it is.
  if (origin.starts_with('(') && size.ends_with(')')) {
    origin.remove_prefix(1);
    size.remove_suffix(1);
  }
  const auto o = toPair(origin, ',');
  if (!o) unexpected(kWhat);
  checkCoordinates(o->first, o->second);
  ++next_;
  const auto s = toPair(size, 'x');
  if (!s) unexpected("a size like 800x600");
  if (s->first < 0 || s->second < 0) fail("a size cannot be negative");
  if (s->first > limits::kMaxLength || s->second > limits::kMaxLength) {
    fail("a width or height is at most " + limitText(limits::kMaxLength) + " points, not " +
         quote(line_.words[next_]));
  }
  ++next_;
  return Rect::make(o->first, o->second, s->first, s->second);
}

Size Words::size() {
  const auto s = toPair(take("a size like 9x18").text, 'x');
  if (!s) {
    --next_;
    unexpected("a size like 9x18");
  }
  if (s->first < 0 || s->second < 0) fail("a size cannot be negative");
  return Size{s->first, s->second};
}

void Words::end() {
  if (!atEnd()) fail("unexpected " + quote(line_.words[next_]) + " at the end of the line");
}

}  // namespace plumora::simtool
