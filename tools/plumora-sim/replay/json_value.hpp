#pragma once

// JSON values as a recording holds them, read strictly: one value per text, objects keeping
// their keys in order, numbers keeping their text (so that a value written back is the same
// text) and whether they were written as integers. Nesting is bounded, so that no input can
// exhaust the stack.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace plumora::simtool {

class JsonValue {
 public:
  enum class Kind { Null, Bool, Number, String, Array, Object };
  struct Member;  // a key and its value, defined below: a value holds values
  using Members = std::vector<Member>;

  Kind kind = Kind::Null;
  bool boolean = false;
  std::string text;  // a string's bytes, or a number as written
  double number = 0;
  bool integral = false;  // a number written without a point or an exponent
  std::vector<JsonValue> items;
  Members members;

  const JsonValue* find(std::string_view key) const;
  // Written back compactly, members in their order: the text the recorder wrote.
  void write(std::string& out) const;
  std::string written() const {
    std::string out;
    write(out);
    return out;
  }
};

struct JsonValue::Member {
  std::string first;
  JsonValue second;
};

struct JsonError {
  std::size_t column = 0;  // from 1
  std::string why;
};

// The value of `text`, or why it is none.
std::optional<JsonValue> parseJson(std::string_view text, JsonError& error);

}  // namespace plumora::simtool
