#include "scenario/stored_values.hpp"

namespace plumora::simtool {
namespace {

// Enough for a list past any limit the program may keep.
constexpr std::int64_t kMaxRepeat = 100000;

}  // namespace

RawValue readStoredEntry(Words& w) {
  if (w.nextIsNumber()) return RawValue::number(w.number("a number"));
  if (w.accept("true")) return RawValue::boolean(true);
  if (w.accept("false")) return RawValue::boolean(false);
  return RawValue::string(w.text("a stored entry"));
}

RawValue readStoredList(Words& w) {
  RawValue::Array entries;
  while (!w.atEnd()) {
    const bool quoted = w.nextIsQuoted();
    RawValue entry = readStoredEntry(w);
    const std::string* text = entry.asString();
    const auto star = text && !quoted ? text->find('*') : std::string::npos;
    if (star == std::string::npos) {
      entries.push_back(std::move(entry));
      continue;
    }
    std::int64_t count = 0;
    for (char c : text->substr(0, star)) {
      if (c < '0' || c > '9' || count > kMaxRepeat) w.fail("N*TEXT repeats a text N times");
      count = count * 10 + (c - '0');
    }
    if (count < 1 || count > kMaxRepeat) {
      w.fail("N*TEXT repeats a text from 1 to " + std::to_string(kMaxRepeat) + " times");
    }
    const std::string stem = text->substr(star + 1);
    for (std::int64_t i = 1; i <= count; ++i) {
      entries.push_back(RawValue::string(stem + std::to_string(i)));
    }
  }
  return RawValue::array(std::move(entries));
}

RawValue readStoredValue(Words& w) {
  return readStoredEntry(w);
}

}  // namespace plumora::simtool
