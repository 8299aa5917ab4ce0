#pragma once

// The raw values that cross the accessibility and window-server ports: a small tagged copy of
// the platform's objects. The ports convert nothing beyond this; every rule about a missing or
// wrongly typed value lives in the core.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/geometry.hpp"

namespace plumora {

// The platform's accessibility result codes, as raw signed numbers.
using AXError = std::int32_t;
namespace ax {
inline constexpr AXError kSuccess = 0;
inline constexpr AXError kFailure = -25200;
inline constexpr AXError kIllegalArgument = -25201;
inline constexpr AXError kInvalidUIElement = -25202;
inline constexpr AXError kCannotComplete = -25204;
inline constexpr AXError kAttributeUnsupported = -25205;
inline constexpr AXError kActionUnsupported = -25206;
inline constexpr AXError kNotImplemented = -25208;
inline constexpr AXError kAPIDisabled = -25211;
inline constexpr AXError kNoValue = -25212;
}  // namespace ax

class ElementHandle;
// One reference to an accessibility element. Two references denote the same element when the
// handles say so (ElementHandle::equals), never because they share an address.
using ElementRef = std::shared_ptr<const ElementHandle>;

// A number object. `integer` is set when the value is integral and fits 64 signed bits.
struct Number {
  double value = 0;
  std::optional<std::int64_t> integer;

  static Number of(std::int64_t i) { return Number{static_cast<double>(i), i}; }
  static Number of(double d);
};

class RawValue {
 public:
  enum class Kind {
    None,        // no value at all
    Bool,        // a boolean object
    Number,      // a number object
    String,      // a text
    Element,     // an accessibility element
    Point,       // a point box
    Size,        // a size box
    Rect,        // a rectangle box
    Array,       // an array of any values
    Dictionary,  // a dictionary keyed by texts
    Error,       // the marker of an attribute that failed inside a multi-attribute reply
    Other,       // an object of a kind the program never reads (data, date, a non-text-keyed map)
  };
  using Array = std::vector<RawValue>;
  using Dictionary = std::vector<std::pair<std::string, RawValue>>;
  struct ErrorMarker {
    AXError code = ax::kFailure;
  };
  struct OtherObject {};

  RawValue() = default;
  static RawValue boolean(bool b) { return RawValue(Make{}, b); }
  static RawValue number(double d) { return RawValue(Make{}, Number::of(d)); }
  static RawValue integer(std::int64_t i) { return RawValue(Make{}, Number::of(i)); }
  static RawValue number(Number n) { return RawValue(Make{}, n); }
  static RawValue string(std::string s) { return RawValue(Make{}, std::move(s)); }
  static RawValue element(ElementRef e) { return RawValue(Make{}, std::move(e)); }
  static RawValue point(Point p) { return RawValue(Make{}, p); }
  static RawValue size(Size s) { return RawValue(Make{}, s); }
  static RawValue rect(Rect r) { return RawValue(Make{}, r); }
  static RawValue array(Array items) {
    return RawValue(Make{}, std::make_shared<const Array>(std::move(items)));
  }
  static RawValue dictionary(Dictionary entries) {
    return RawValue(Make{}, std::make_shared<const Dictionary>(std::move(entries)));
  }
  static RawValue error(AXError code) { return RawValue(Make{}, ErrorMarker{code}); }
  static RawValue other() { return RawValue(Make{}, OtherObject{}); }

  Kind kind() const { return static_cast<Kind>(value_.index()); }
  bool isNone() const { return kind() == Kind::None; }

  const bool* asBool() const { return std::get_if<bool>(&value_); }
  const Number* asNumber() const { return std::get_if<Number>(&value_); }
  const std::string* asString() const { return std::get_if<std::string>(&value_); }
  const ElementRef* asElement() const { return std::get_if<ElementRef>(&value_); }
  const Point* asPoint() const { return std::get_if<Point>(&value_); }
  const Size* asSize() const { return std::get_if<Size>(&value_); }
  const Rect* asRect() const { return std::get_if<Rect>(&value_); }
  const Array* asArray() const;
  const Dictionary* asDictionary() const;
  const ErrorMarker* asError() const { return std::get_if<ErrorMarker>(&value_); }

  // A boolean counts as a number wherever a number is read: on the platform both are number
  // objects. Gives the value of either, as a double.
  std::optional<double> numeric() const;
  // The entry of a dictionary under `key`, or nothing.
  const RawValue* find(std::string_view key) const;

 private:
  using Variant = std::variant<std::monostate, bool, Number, std::string, ElementRef, Point, Size,
                               Rect, std::shared_ptr<const Array>,
                               std::shared_ptr<const Dictionary>, ErrorMarker, OtherObject>;
  struct Make {};
  template <class T>
  RawValue(Make, T&& v) : value_(std::forward<T>(v)) {}

  Variant value_;
};

}  // namespace plumora
