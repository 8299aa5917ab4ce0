#include "replay/json_value.hpp"

#include "recording/trace_text.hpp"
#include "scenario/decimal_number.hpp"

namespace plumora::simtool {
namespace {

constexpr int kMaxDepth = 64;

class Parser {
 public:
  Parser(std::string_view text, JsonError& error) : text_(text), error_(error) {}

  std::optional<JsonValue> document() {
    JsonValue value;
    if (!parse(value, 0)) return std::nullopt;
    space();
    if (at_ != text_.size()) {
      fail("text after the value");
      return std::nullopt;
    }
    return value;
  }

 private:
  // Keeps the first reason; always false, to be returned.
  bool fail(std::string why) {
    if (error_.why.empty()) {
      error_.column = at_ + 1;
      error_.why = std::move(why);
    }
    return false;
  }
  void space() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r')) {
      ++at_;
    }
  }
  bool literal(std::string_view word) {
    if (text_.substr(at_, word.size()) != word) return false;
    at_ += word.size();
    return true;
  }

  bool parse(JsonValue& value, int depth) {
    if (depth > kMaxDepth) return fail("values nested too deeply");
    space();
    if (at_ >= text_.size()) return fail("a value is missing");
    const char c = text_[at_];
    if (c == '{') return object(value, depth);
    if (c == '[') return array(value, depth);
    if (c == '"') {
      value.kind = JsonValue::Kind::String;
      return string(value.text);
    }
    if (literal("null")) return true;
    if (literal("true") || literal("false")) {
      value.kind = JsonValue::Kind::Bool;
      value.boolean = text_[at_ - 2] == 'u';  // "true" ends in "ue", "false" in "se"
      return true;
    }
    if (c == '-' || (c >= '0' && c <= '9')) return number(value);
    return fail("not a JSON value");
  }

  bool number(JsonValue& value) {
    const std::size_t start = at_;
    if (text_[at_] == '-') ++at_;
    bool integral = true;
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c >= '0' && c <= '9') {
      } else if (c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-') {
        integral = false;
      } else {
        break;
      }
      ++at_;
    }
    value.kind = JsonValue::Kind::Number;
    value.text = std::string(text_.substr(start, at_ - start));
    value.integral = integral;
    // JSON's grammar is the scenario numbers' with "+" in exponents: the same reader serves.
    const auto parsed = parseDecimal(value.text);
    if (!parsed || (integral && value.text.size() > 19)) return fail("not a number: " + value.text);
    value.number = *parsed;
    return true;
  }

  static int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  bool string(std::string& out) {
    ++at_;  // the opening quote
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return fail("a control byte in a text");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) break;
      const char e = text_[at_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'r':
          out += '\r';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'u': {
          if (at_ + 4 > text_.size()) return fail("a cut-off \\u escape");
          int code = 0;
          for (int i = 0; i < 4; ++i) {
            const int d = hexDigit(text_[at_++]);
            if (d < 0) return fail("a bad \\u escape");
            code = code * 16 + d;
          }
          // The recorder escapes control bytes only; anything else is written as UTF-8.
          if (code >= 0x80) return fail("a \\u escape the recorder never writes");
          out += static_cast<char>(code);
          break;
        }
        default:
          return fail("a bad escape");
      }
    }
    return fail("a text without its closing quote");
  }

  bool array(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::Array;
    ++at_;
    space();
    if (at_ < text_.size() && text_[at_] == ']') {
      ++at_;
      return true;
    }
    while (true) {
      value.items.emplace_back();
      if (!parse(value.items.back(), depth + 1)) return false;
      space();
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == ']') {
        ++at_;
        return true;
      }
      return fail("an array without ',' or ']'");
    }
  }

  bool object(JsonValue& value, int depth) {
    value.kind = JsonValue::Kind::Object;
    ++at_;
    space();
    if (at_ < text_.size() && text_[at_] == '}') {
      ++at_;
      return true;
    }
    while (true) {
      space();
      if (at_ >= text_.size() || text_[at_] != '"') return fail("a key is missing");
      std::string key;
      if (!string(key)) return false;
      space();
      if (at_ >= text_.size() || text_[at_] != ':') return fail("':' is missing");
      ++at_;
      value.members.push_back({std::move(key), JsonValue{}});
      if (!parse(value.members.back().second, depth + 1)) return false;
      space();
      if (at_ < text_.size() && text_[at_] == ',') {
        ++at_;
        continue;
      }
      if (at_ < text_.size() && text_[at_] == '}') {
        ++at_;
        return true;
      }
      return fail("an object without ',' or '}'");
    }
  }

  std::string_view text_;
  JsonError& error_;
  std::size_t at_ = 0;
};

}  // namespace

const JsonValue* JsonValue::find(std::string_view key) const {
  for (const auto& [name, value] : members) {
    if (name == key) return &value;
  }
  return nullptr;
}

void JsonValue::write(std::string& out) const {
  switch (kind) {
    case Kind::Null:
      out += "null";
      return;
    case Kind::Bool:
      out += boolean ? "true" : "false";
      return;
    case Kind::Number:
      out += text;
      return;
    case Kind::String:
      appendJsonString(out, text);
      return;
    case Kind::Array:
      out += '[';
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        items[i].write(out);
      }
      out += ']';
      return;
    case Kind::Object:
      out += '{';
      for (std::size_t i = 0; i < members.size(); ++i) {
        if (i) out += ',';
        appendJsonString(out, members[i].first);
        out += ':';
        members[i].second.write(out);
      }
      out += '}';
      return;
  }
}

std::optional<JsonValue> parseJson(std::string_view text, JsonError& error) {
  return Parser(text, error).document();
}

}  // namespace plumora::simtool
