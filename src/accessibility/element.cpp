#include "accessibility/element.hpp"

#include <cassert>
#include <utility>

namespace plumora {

Element::Element(ElementRef handle) : handle_(std::move(handle)) {
  assert(handle_);
}

std::optional<RawValue> Element::copy(std::string_view attribute) const {
  RawValue value;
  if (handle_->copyAttribute(attribute, value) != ax::kSuccess) return std::nullopt;
  return value;
}

std::optional<std::string> Element::string(std::string_view attribute) const {
  auto value = copy(attribute);
  if (!value) return std::nullopt;
  if (const auto* s = value->asString()) return *s;
  return std::nullopt;
}

std::optional<bool> Element::boolean(std::string_view attribute) const {
  auto value = copy(attribute);
  if (!value) return std::nullopt;
  if (auto n = value->numeric()) return *n != 0;
  return std::nullopt;
}

std::optional<Element> Element::element(std::string_view attribute) const {
  auto value = copy(attribute);
  if (!value) return std::nullopt;
  return axElement(*value);
}

std::vector<Element> Element::elements(std::string_view attribute) const {
  auto value = copy(attribute);
  if (!value) return {};
  return axElements(*value);
}

std::optional<Rect> Element::frame() const {
  // One round trip to the application instead of two; either value missing gives nothing.
  const auto slots = values({"AXPosition", "AXSize"});
  const auto origin = axPoint(slots[0]);
  const auto size = axSize(slots[1]);
  if (!origin || !size) return std::nullopt;
  return Rect{*origin, *size};
}

std::int32_t Element::pid() const {
  std::int32_t pid = 0;
  if (handle_->processId(pid) != ax::kSuccess) return 0;
  return pid;
}

std::vector<RawValue> Element::values(std::span<const std::string_view> attributes) const {
  std::vector<RawValue> slots(attributes.size());
  RawValue reply;
  if (handle_->copyAttributes(attributes, reply) != ax::kSuccess) return slots;
  const auto* items = reply.asArray();
  if (!items || items->size() != attributes.size()) return slots;
  for (std::size_t i = 0; i < items->size(); ++i) {
    if (!(*items)[i].asError()) slots[i] = (*items)[i];
  }
  return slots;
}

AXError Element::perform(std::string_view action) const {
  return handle_->performAction(action);
}

AXError Element::set(std::string_view attribute, const RawValue& value) const {
  return handle_->setAttribute(attribute, value);
}

bool Element::isSettable(std::string_view attribute) const {
  bool settable = false;
  return handle_->isAttributeSettable(attribute, settable) == ax::kSuccess && settable;
}

void Element::setTimeout(float seconds) const {
  handle_->setMessagingTimeout(seconds);
}

std::optional<Element> Element::elementAt(float x, float y, AXError* error) const {
  ElementRef found;
  const AXError answer = handle_->elementAtPosition(x, y, found);
  if (error) *error = answer;
  if (answer != ax::kSuccess || !found) return std::nullopt;
  return Element(std::move(found));
}

std::optional<Element> axElement(const RawValue& value) {
  const auto* e = value.asElement();
  if (!e || !*e) return std::nullopt;
  return Element(*e);
}

std::vector<Element> axElements(const RawValue& value) {
  std::vector<Element> result;
  const auto* items = value.asArray();
  if (!items) return result;
  for (const auto& item : *items) {
    if (auto e = axElement(item)) result.push_back(std::move(*e));
  }
  return result;
}

std::optional<Point> axPoint(const RawValue& value) {
  if (const auto* p = value.asPoint()) return *p;
  return std::nullopt;
}

std::optional<Size> axSize(const RawValue& value) {
  if (const auto* s = value.asSize()) return *s;
  return std::nullopt;
}

}  // namespace plumora
