#pragma once

// The accessibility port: element handles of other applications and the process's trust.
// Every request is synchronous and bounded by the messaging timeout that governs the handle.

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/raw_value.hpp"

namespace plumora {

class ElementHandle {
 public:
  virtual ~ElementHandle() = default;

  // The platform's equality of the two elements (not of the handles).
  virtual bool equals(const ElementHandle& other) const = 0;

  // Copies one attribute. On success `value` holds it; a missing value is an error code.
  virtual AXError copyAttribute(std::string_view name, RawValue& value) const = 0;
  // Copies several attributes in one request, failing attributes not stopping it. On success
  // `reply` is the platform's reply as it came: normally an array with one slot per name, where
  // a failed attribute's slot is an error marker.
  virtual AXError copyAttributes(std::span<const std::string_view> names,
                                 RawValue& reply) const = 0;
  virtual AXError performAction(std::string_view action) const = 0;
  virtual AXError setAttribute(std::string_view name, const RawValue& value) const = 0;
  virtual AXError isAttributeSettable(std::string_view name, bool& settable) const = 0;
  virtual AXError processId(std::int32_t& pid) const = 0;
  // Applies to this handle only; on the system-wide element it sets the process default.
  virtual AXError setMessagingTimeout(float seconds) const = 0;
  // Hit test, meaningful on the system-wide element.
  virtual AXError elementAtPosition(float x, float y, ElementRef& element) const = 0;
};

class Accessibility {
 public:
  virtual ~Accessibility() = default;

  virtual ElementRef systemWide() = 0;
  virtual ElementRef application(std::int32_t pid) = 0;
  // Whether this process may use the accessibility interface. With `prompt`, the system asks
  // the user for the permission when it is missing.
  virtual bool isProcessTrusted(bool prompt) = 0;
};

}  // namespace plumora
