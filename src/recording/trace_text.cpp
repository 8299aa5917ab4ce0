#include "recording/trace_text.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace plumora {
namespace {

// A value with at most nine decimals, such as a coordinate or a whole number of milliseconds,
// written without the C library: the recording's lines are made on the event tap's thread, and
// printf is most of what a line costs. The text is the shortest with that many decimals, and
// reads back as the same double: the division below rounds as a reader's conversion does.
bool appendShortDecimal(std::string& line, double value) {
  constexpr double kExact = 9007199254740992.0;  // 2^53: every integer below is a double
  static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  const double magnitude = std::fabs(value);
  for (int decimals = 0; decimals < 10; ++decimals) {
    const double scaled = magnitude * kPowers[decimals];
    if (!(scaled < kExact)) return false;
    // The product may round off the decimal it stands for (1.001 * 1000 is 1000.9999999999999):
    // the nearest whole is tried, and kept when it divides back to the value exactly.
    const double whole = std::round(scaled);
    if (whole / kPowers[decimals] != magnitude) continue;
    char digits[24];
    const auto end =
        std::to_chars(digits, digits + sizeof digits, static_cast<std::uint64_t>(whole)).ptr;
    std::size_t count = static_cast<std::size_t>(end - digits);
    if (std::signbit(value)) line += '-';
    if (decimals == 0) {
      line.append(digits, count);
      line += ".0";
      return true;
    }
    const auto point = static_cast<std::size_t>(decimals);
    if (count <= point) {
      line += "0.";
      line.append(point - count, '0');
      line.append(digits, count);
    } else {
      line.append(digits, count - point);
      line += '.';
      line.append(digits + count - point, point);
    }
    return true;
  }
  return false;
}

// The C library writes the locale's decimal point: whatever is not a digit, a sign or an
// exponent becomes ".".
void appendDouble(std::string& line, double value) {
  if (appendShortDecimal(line, value)) return;
  char buffer[40];
  const int n = std::snprintf(buffer, sizeof buffer, "%.17g", value);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) {
    line += '0';
    return;
  }
  bool shaped = false;  // has a decimal point or an exponent
  for (int i = 0; i < n; ++i) {
    const char c = buffer[i];
    if ((c >= '0' && c <= '9') || c == '-' || c == '+') {
      line += c;
    } else if (c == 'e') {
      line += c;
      shaped = true;
    } else {
      line += '.';
      shaped = true;
    }
  }
  if (!shaped) line += ".0";
}

void appendPair(std::string& line, const char* tag, double a, double b) {
  line += "{\"";
  line += tag;
  line += "\":[";
  appendJsonNumber(line, a, false);
  line += ',';
  appendJsonNumber(line, b, false);
  line += "]}";
}

}  // namespace

void appendJsonString(std::string& line, std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  line += '"';
  // Runs of characters that need no escape go in at once.
  std::size_t plain = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x20 && byte != 0x7f && byte != '"' && byte != '\\') continue;
    line.append(text.data() + plain, i - plain);
    plain = i + 1;
    const char c = text[i];
    switch (c) {
      case '"':
        line += "\\\"";
        break;
      case '\\':
        line += "\\\\";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\t':
        line += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7f) {
          line += "\\u00";
          line += kHex[byte >> 4];
          line += kHex[byte & 15];
        }
    }
  }
  // UTF-8 passes as it is; the reader takes bytes back as they were.
  line.append(text.data() + plain, text.size() - plain);
  line += '"';
}

void appendJsonInteger(std::string& line, std::int64_t value) {
  char digits[24];
  line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void appendJsonNumber(std::string& line, double value, bool integral) {
  if (!std::isfinite(value)) {
    // JSON has no infinity: a tagged text keeps it.
    line += std::isnan(value) ? "{\"nan\":true}" : (value > 0 ? "{\"inf\":1}" : "{\"inf\":-1}");
    return;
  }
  if (integral) {
    appendJsonInteger(line, static_cast<std::int64_t>(value));
    return;
  }
  appendDouble(line, value);
}

std::string textHash(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  char buffer[17];
  std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(hash));
  return buffer;
}

void appendRawValue(std::string& line, const RawValue& value, const ValueWriting& writing) {
  switch (value.kind()) {
    case RawValue::Kind::None:
      line += "null";
      return;
    case RawValue::Kind::Bool:
      line += *value.asBool() ? "true" : "false";
      return;
    case RawValue::Kind::Number: {
      const Number& n = *value.asNumber();
      if (n.integer) {
        appendJsonInteger(line, *n.integer);
      } else {
        appendJsonNumber(line, n.value, false);
      }
      return;
    }
    case RawValue::Kind::String: {
      const std::string& text = *value.asString();
      if (!writing.hideTexts) {
        appendJsonString(line, text);
        return;
      }
      line += "{\"len\":";
      appendJsonInteger(line, static_cast<std::int64_t>(text.size()));
      line += ",\"hash\":\"" + textHash(text) + "\"}";
      return;
    }
    case RawValue::Kind::Element:
      line += "{\"el\":";
      appendJsonString(line, writing.nameElement(*value.asElement()));
      line += '}';
      return;
    case RawValue::Kind::Point:
      appendPair(line, "pt", value.asPoint()->x, value.asPoint()->y);
      return;
    case RawValue::Kind::Size:
      appendPair(line, "sz", value.asSize()->width, value.asSize()->height);
      return;
    case RawValue::Kind::Rect:
      line += "{\"rect\":";
      appendJsonRect(line, *value.asRect());
      line += '}';
      return;
    case RawValue::Kind::Array: {
      line += '[';
      bool first = true;
      for (const RawValue& item : *value.asArray()) {
        if (!first) line += ',';
        first = false;
        appendRawValue(line, item, writing);
      }
      line += ']';
      return;
    }
    case RawValue::Kind::Dictionary: {
      line += "{\"dict\":[";
      bool first = true;
      for (const auto& [key, item] : *value.asDictionary()) {
        if (!first) line += ',';
        first = false;
        line += '[';
        appendJsonString(line, key);
        line += ',';
        appendRawValue(line, item, writing);
        line += ']';
      }
      line += "]}";
      return;
    }
    case RawValue::Kind::Error:
      line += "{\"err\":";
      appendJsonInteger(line, value.asError()->code);
      line += '}';
      return;
    case RawValue::Kind::Other:
      line += "{\"other\":true}";
      return;
  }
}

void appendJsonRect(std::string& line, const Rect& r) {
  line += '[';
  appendJsonNumber(line, r.origin.x, false);
  line += ',';
  appendJsonNumber(line, r.origin.y, false);
  line += ',';
  appendJsonNumber(line, r.size.width, false);
  line += ',';
  appendJsonNumber(line, r.size.height, false);
  line += ']';
}

std::string registeredDefaultsText(std::span<const std::pair<std::string_view, bool>> values) {
  std::string list = "[";
  for (const auto& [key, value] : values) {
    if (list.size() > 1) list += ',';
    list += '[';
    appendJsonString(list, key);
    list += value ? ",true]" : ",false]";
  }
  return list + ']';
}

std::string menuText(const std::vector<MenuItemModel>& items) {
  std::string list = "[";
  for (const MenuItemModel& item : items) {
    if (list.size() > 1) list += ',';
    if (item.separator) {
      list += "\"-\"";
      continue;
    }
    appendJsonString(list, item.title + (item.checked ? " +" : "") + (item.enabled ? "" : " !"));
  }
  return list + "]";
}

}  // namespace plumora
