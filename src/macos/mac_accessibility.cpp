#include "macos/mac_accessibility.hpp"

#include <memory>
#include <utility>
#include <vector>

#include "macos/cf_value.hpp"

namespace plumora {

namespace {

AXError code(::AXError error) {
  return static_cast<AXError>(error);
}

// The names the program asks for on every click are compile-time constant strings: looking them
// up needs neither an allocation nor a lock.
CFRef<CFStringRef> cfName(std::string_view name) {
#define PLUMORA_NAME(text) \
  { text, CFSTR(text) }
  static const std::pair<std::string_view, CFStringRef> kKnown[] = {
      PLUMORA_NAME("AXPosition"),
      PLUMORA_NAME("AXSize"),
      PLUMORA_NAME("AXRole"),
      PLUMORA_NAME("AXSubrole"),
      PLUMORA_NAME("AXTitle"),
      PLUMORA_NAME("AXIdentifier"),
      PLUMORA_NAME("AXWindow"),
      PLUMORA_NAME("AXParent"),
      PLUMORA_NAME("AXChildren"),
      PLUMORA_NAME("AXFocusedWindow"),
      PLUMORA_NAME("AXMainWindow"),
      PLUMORA_NAME("AXMain"),
      PLUMORA_NAME("AXFocused"),
      PLUMORA_NAME("AXFrontmost"),
      PLUMORA_NAME("AXEnabled"),
      PLUMORA_NAME("AXFullScreen"),
      PLUMORA_NAME("AXMenuBar"),
      PLUMORA_NAME("AXMenuItemCmdChar"),
      PLUMORA_NAME("AXMenuItemCmdModifiers"),
      PLUMORA_NAME("AXMenuItemCmdVirtualKey"),
      PLUMORA_NAME("AXZoomButton"),
      PLUMORA_NAME("AXFullScreenButton"),
      PLUMORA_NAME("AXRaise"),
      PLUMORA_NAME("AXPress"),
  };
#undef PLUMORA_NAME
  for (const auto& [text, string] : kKnown) {
    if (text == name) return CFRef<CFStringRef>::retain(string);
  }
  return makeCFString(name);
}

}  // namespace

bool MacElementHandle::equals(const ElementHandle& other) const {
  const auto* mac = dynamic_cast<const MacElementHandle*>(&other);
  if (!mac) return false;
  const AXUIElementRef a = element_.get();
  const AXUIElementRef b = mac->element_.get();
  return a == b || (a && b && CFEqual(a, b));
}

AXError MacElementHandle::copyAttribute(std::string_view name, RawValue& value) const {
  const auto attribute = cfName(name);
  if (!attribute) return ax::kIllegalArgument;
  CFRef<CFTypeRef> result;
  const ::AXError error =
      AXUIElementCopyAttributeValue(element_.get(), attribute.get(), result.out());
  if (error == kAXErrorSuccess) value = rawValueFromCF(result.get());
  return code(error);
}

AXError MacElementHandle::copyAttributes(std::span<const std::string_view> names,
                                         RawValue& reply) const {
  std::vector<CFRef<CFStringRef>> owned;
  std::vector<const void*> items;
  owned.reserve(names.size());
  items.reserve(names.size());
  for (const auto name : names) {
    owned.push_back(cfName(name));
    if (!owned.back()) return ax::kIllegalArgument;
    items.push_back(owned.back().get());
  }
  const auto attributes = CFRef<CFArrayRef>::adopt(CFArrayCreate(kCFAllocatorDefault, items.data(),
                                                                 static_cast<CFIndex>(items.size()),
                                                                 &kCFTypeArrayCallBacks));
  if (!attributes) return ax::kFailure;
  CFRef<CFArrayRef> values;
  const ::AXError error =
      AXUIElementCopyMultipleAttributeValues(element_.get(), attributes.get(), 0, values.out());
  if (error == kAXErrorSuccess) reply = rawValueFromCF(values.get());
  return code(error);
}

AXError MacElementHandle::performAction(std::string_view action) const {
  const auto name = cfName(action);
  if (!name) return ax::kIllegalArgument;
  return code(AXUIElementPerformAction(element_.get(), name.get()));
}

AXError MacElementHandle::setAttribute(std::string_view name, const RawValue& value) const {
  const auto attribute = cfName(name);
  const auto object = cfFromRawValue(value);
  if (!attribute || !object) return ax::kIllegalArgument;
  return code(AXUIElementSetAttributeValue(element_.get(), attribute.get(), object.get()));
}

AXError MacElementHandle::isAttributeSettable(std::string_view name, bool& settable) const {
  const auto attribute = cfName(name);
  if (!attribute) return ax::kIllegalArgument;
  Boolean answer = false;
  const ::AXError error = AXUIElementIsAttributeSettable(element_.get(), attribute.get(), &answer);
  if (error == kAXErrorSuccess) settable = answer;
  return code(error);
}

AXError MacElementHandle::processId(std::int32_t& pid) const {
  pid_t owner = 0;
  const ::AXError error = AXUIElementGetPid(element_.get(), &owner);
  if (error == kAXErrorSuccess) pid = owner;
  return code(error);
}

AXError MacElementHandle::setMessagingTimeout(float seconds) const {
  return code(AXUIElementSetMessagingTimeout(element_.get(), seconds));
}

AXError MacElementHandle::elementAtPosition(float x, float y, ElementRef& element) const {
  CFRef<AXUIElementRef> found;
  const ::AXError error = AXUIElementCopyElementAtPosition(element_.get(), x, y, found.out());
  if (error == kAXErrorSuccess) {
    element = found ? std::make_shared<MacElementHandle>(std::move(found)) : nullptr;
  }
  return code(error);
}

ElementRef MacAccessibility::systemWide() {
  return std::make_shared<MacElementHandle>(
      CFRef<AXUIElementRef>::adopt(AXUIElementCreateSystemWide()));
}

ElementRef MacAccessibility::application(std::int32_t pid) {
  return std::make_shared<MacElementHandle>(
      CFRef<AXUIElementRef>::adopt(AXUIElementCreateApplication(pid)));
}

bool MacAccessibility::isProcessTrusted(bool prompt) {
  if (!prompt) return AXIsProcessTrusted();
  const void* keys[] = {kAXTrustedCheckOptionPrompt};
  const void* values[] = {kCFBooleanTrue};
  const auto options = CFRef<CFDictionaryRef>::adopt(
      CFDictionaryCreate(kCFAllocatorDefault, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                         &kCFTypeDictionaryValueCallBacks));
  return AXIsProcessTrustedWithOptions(options.get());
}

}  // namespace plumora
