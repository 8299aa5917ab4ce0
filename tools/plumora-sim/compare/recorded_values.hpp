#pragma once

// Reading a recording's values: elements and their pids, texts, numbers, frames, the slots of a
// multi-attribute reply. Shared by what reads a recorded desktop, its timings and its differences.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compare/recorded_desktop.hpp"

namespace plumora::simtool::recorded {

constexpr std::int64_t kPermissionDenied = -25211;
constexpr std::int64_t kInvalidElement = -25202;
constexpr std::int64_t kCannotComplete = -25204;

inline std::optional<std::int32_t> pidOfElement(const std::string& element) {
  const auto colon = element.find(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::int64_t pid = 0;
  for (std::size_t i = 0; i < colon; ++i) {
    if (element[i] < '0' || element[i] > '9' || pid > 1'000'000'000) return std::nullopt;
    pid = pid * 10 + (element[i] - '0');
  }
  return static_cast<std::int32_t>(pid);
}

inline std::string textOf(const JsonValue* v) {
  return v && v->kind == JsonValue::Kind::String ? v->text : std::string();
}

inline std::optional<double> numberOf(const JsonValue* v) {
  if (!v || v->kind != JsonValue::Kind::Number) return std::nullopt;
  return v->number;
}

inline std::optional<bool> boolOf(const JsonValue* v) {
  if (!v || v->kind != JsonValue::Kind::Bool) return std::nullopt;
  return v->boolean;
}

// {"el":"501:3"} as "501:3".
inline std::string elementOf(const JsonValue* v) {
  if (!v) return {};
  if (v->kind == JsonValue::Kind::String) return v->text;
  return textOf(v->find("el"));
}

inline std::vector<std::string> elementsOf(const JsonValue* v) {
  std::vector<std::string> out;
  if (v && v->kind == JsonValue::Kind::Array) {
    for (const JsonValue& item : v->items) out.push_back(elementOf(&item));
  }
  return out;
}

inline std::optional<Rect> rectOf(const JsonValue* v) {
  const JsonValue* r = v ? v->find("rect") : nullptr;
  if (!r || r->items.size() != 4) return std::nullopt;
  return Rect::make(r->items[0].number, r->items[1].number, r->items[2].number, r->items[3].number);
}

inline bool isError(const JsonValue& v) {
  return v.find("err") != nullptr;
}

// The slot of `attribute` in a multi-attribute reply.
inline const JsonValue* slot(const RecordedEvent& e, std::string_view attribute) {
  const JsonValue* attrs = e.field("attrs");
  const JsonValue* values = e.field("v");
  if (!attrs || !values || values->kind != JsonValue::Kind::Array) return nullptr;
  for (std::size_t i = 0; i < attrs->items.size() && i < values->items.size(); ++i) {
    if (attrs->items[i].text == attribute) return &values->items[i];
  }
  return nullptr;
}

inline bool readsFrame(const RecordedEvent& e) {
  const JsonValue* attrs = e.field("attrs");
  return e.event == "ax.copyMany" && attrs && attrs->items.size() == 2 &&
         attrs->items[0].text == "AXPosition" && attrs->items[1].text == "AXSize";
}

inline double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

inline bool same(const Rect& a, const Rect& b) {
  return std::fabs(minX(a) - minX(b)) <= 1 && std::fabs(minY(a) - minY(b)) <= 1 &&
         std::fabs(width(a) - width(b)) <= 1 && std::fabs(height(a) - height(b)) <= 1;
}

// A request that makes the system tile a window, and the frames read after it until the next.

}  // namespace plumora::simtool::recorded
