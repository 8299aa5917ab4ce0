#pragma once

// Typed access to other applications' accessibility elements. Reads give a value or nothing
// and never say why; writes and actions give the platform's raw result code.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/accessibility.hpp"

namespace plumora {

class Element {
 public:
  // `handle` must not be null.
  explicit Element(ElementRef handle);

  std::optional<std::string> string(std::string_view attribute) const;
  // A number or boolean: true when non-zero. Anything else gives nothing.
  std::optional<bool> boolean(std::string_view attribute) const;
  std::optional<Element> element(std::string_view attribute) const;
  // The items of an array that are elements, in order; empty for anything else.
  std::vector<Element> elements(std::string_view attribute) const;
  std::vector<Element> children() const { return elements("AXChildren"); }
  // From "AXPosition" and "AXSize", read in one request; nothing when either is missing.
  std::optional<Rect> frame() const;
  // The owning process, 0 when the platform cannot tell.
  std::int32_t pid() const;
  // One raw value per name, in one request: a failed attribute gives an empty slot, a failed
  // request or a malformed reply gives all slots empty.
  std::vector<RawValue> values(std::span<const std::string_view> attributes) const;
  std::vector<RawValue> values(std::initializer_list<std::string_view> attributes) const {
    return values(std::span<const std::string_view>(attributes.begin(), attributes.size()));
  }

  AXError perform(std::string_view action) const;
  AXError set(std::string_view attribute, const RawValue& value) const;
  bool isSettable(std::string_view attribute) const;
  void setTimeout(float seconds) const;
  // The element at a point of the screen; used on the system-wide element. `error`, when given,
  // receives the platform's answer: the caller may need to tell a refusal from an empty spot.
  std::optional<Element> elementAt(float x, float y, AXError* error = nullptr) const;

  const ElementRef& handle() const { return handle_; }

  // The platform's equality, never the handles' addresses.
  friend bool operator==(const Element& a, const Element& b) {
    return a.handle_->equals(*b.handle_);
  }

 private:
  std::optional<RawValue> copy(std::string_view attribute) const;

  ElementRef handle_;
};

std::optional<Element> axElement(const RawValue& value);
// The items of an array that are elements, in order; empty for anything else.
std::vector<Element> axElements(const RawValue& value);
std::optional<Point> axPoint(const RawValue& value);
std::optional<Size> axSize(const RawValue& value);

}  // namespace plumora
