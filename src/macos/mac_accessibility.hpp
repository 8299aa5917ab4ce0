#pragma once

// The accessibility port on the HIServices accessibility interface.

#include <ApplicationServices/ApplicationServices.h>

#include "macos/cf_ref.hpp"
#include "platform/accessibility.hpp"

namespace plumora {

class MacElementHandle final : public ElementHandle {
 public:
  explicit MacElementHandle(CFRef<AXUIElementRef> element) : element_(std::move(element)) {}

  AXUIElementRef element() const { return element_.get(); }

  bool equals(const ElementHandle& other) const override;
  AXError copyAttribute(std::string_view name, RawValue& value) const override;
  AXError copyAttributes(std::span<const std::string_view> names, RawValue& reply) const override;
  AXError performAction(std::string_view action) const override;
  AXError setAttribute(std::string_view name, const RawValue& value) const override;
  AXError isAttributeSettable(std::string_view name, bool& settable) const override;
  AXError processId(std::int32_t& pid) const override;
  AXError setMessagingTimeout(float seconds) const override;
  AXError elementAtPosition(float x, float y, ElementRef& element) const override;

 private:
  CFRef<AXUIElementRef> element_;
};

class MacAccessibility final : public Accessibility {
 public:
  ElementRef systemWide() override;
  ElementRef application(std::int32_t pid) override;
  bool isProcessTrusted(bool prompt) override;
};

}  // namespace plumora
