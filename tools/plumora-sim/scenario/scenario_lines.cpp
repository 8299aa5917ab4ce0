#include "scenario/scenario_lines.hpp"

#include <charconv>
#include <optional>

#include "scenario/decimal_number.hpp"

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

std::vector<Word> wordsOf(std::string_view text, int number) {
  std::vector<Word> words;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == ' ' || c == '\t') {
      ++i;
    } else if (c == '#') {
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
      words.push_back(Word{std::string(text.substr(start, i - start)), false});
    }
  }
  return words;
}

}  // namespace

std::vector<ScenarioLine> splitLines(std::string_view text) {
  std::vector<ScenarioLine> lines;
  int number = 0;
  while (!text.empty()) {
    ++number;
    const auto newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

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

double Words::number(std::string_view what) {
  if (atEnd()) unexpected(what);
  const auto value = parseDecimal(line_.words[next_].text);
  if (!value || line_.words[next_].quoted) unexpected(what);
  ++next_;
  return *value;
}

std::int64_t Words::integer(std::string_view what) {
  if (atEnd()) unexpected(what);
  std::int64_t value = 0;
  const std::string& s = line_.words[next_].text;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end != s.data() + s.size() || line_.words[next_].quoted) {
    unexpected(what);
  }
  ++next_;
  return value;
}

double Words::seconds(std::string_view what) {
  if (!atEnd()) {
    const auto value = parseDecimal(line_.words[next_].text);
    if (value && *value < 0) fail(std::string(what) + " cannot be negative");
  }
  return number(what);
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
  const auto p = toPair(line_.words[next_++].text, ',');
  return Point{p->first, p->second};
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
  const auto s = toPair(size, 'x');
  if (!s) {
    ++next_;
    unexpected("a size like 800x600");
  }
  if (s->first < 0 || s->second < 0) fail("a size cannot be negative");
  next_ += 2;
  return Rect::make(o->first, o->second, s->first, s->second);
}

void Words::end() {
  if (!atEnd()) fail("unexpected " + quote(line_.words[next_]) + " at the end of the line");
}

}  // namespace plumora::simtool
