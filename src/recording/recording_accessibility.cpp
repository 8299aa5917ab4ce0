// The accessibility and window-server wrappers: requests to other applications, their answers,
// and the elements in them, which stay wrapped so that every later request is written down too.
#include <vector>

#include "recording/recording_ports.hpp"

namespace plumora::recording {
namespace {

// Window titles are the one text the program reads but neither compares nor logs (outside
// verbose mode): a recording holds their length and a hash, so that it can be shared.
bool hidden(std::string_view attribute) {
  return attribute == "AXTitle";
}

bool holdsElements(const RawValue& value) {
  if (value.asElement()) return true;
  if (const auto* items = value.asArray()) {
    for (const auto& item : *items) {
      if (holdsElements(item)) return true;
    }
  }
  if (const auto* entries = value.asDictionary()) {
    for (const auto& [key, item] : *entries) {
      if (holdsElements(item)) return true;
    }
  }
  return false;
}

template <class Map>
RawValue mapElements(const RawValue& value, Map map) {
  if (!holdsElements(value)) return value;
  if (const auto* element = value.asElement()) return RawValue::element(map(*element));
  if (const auto* items = value.asArray()) {
    RawValue::Array copy;
    copy.reserve(items->size());
    for (const auto& item : *items) copy.push_back(mapElements(item, map));
    return RawValue::array(std::move(copy));
  }
  RawValue::Dictionary copy;
  for (const auto& [key, item] : *value.asDictionary()) {
    copy.emplace_back(key, mapElements(item, map));
  }
  return RawValue::dictionary(std::move(copy));
}

const ElementRef& innerOf(const ElementRef& element) {
  const auto* own = dynamic_cast<const Element*>(element.get());
  return own ? own->inner() : element;
}

}  // namespace

ElementRef wrapped(ElementRef inner, Recorder& recorder) {
  if (!inner) return inner;
  return std::make_shared<Element>(std::move(inner), recorder);
}

RawValue wrapped(const RawValue& value, Recorder& recorder) {
  return mapElements(value, [&](const ElementRef& e) { return wrapped(e, recorder); });
}

RawValue unwrapped(const RawValue& value) {
  return mapElements(value, [](const ElementRef& e) { return innerOf(e); });
}

bool Element::equals(const ElementHandle& other) const {
  const auto* own = dynamic_cast<const Element*>(&other);
  return inner_->equals(own ? *own->inner_ : other);
}

AXError Element::copyAttribute(std::string_view name, RawValue& value) const {
  if (!recorder_.active()) {
    const AXError rc = inner_->copyAttribute(name, value);
    value = wrapped(value, recorder_);
    return rc;
  }
  auto line = recorder_.line("ax.copy");
  line.element("el", inner_).text("attr", name);
  const AXError rc = inner_->copyAttribute(name, value);
  line.integer("rc", rc);
  if (rc == ax::kSuccess) line.value("v", value, hidden(name));
  line.done();
  value = wrapped(value, recorder_);
  return rc;
}

AXError Element::copyAttributes(std::span<const std::string_view> names, RawValue& reply) const {
  if (!recorder_.active()) {
    const AXError rc = inner_->copyAttributes(names, reply);
    reply = wrapped(reply, recorder_);
    return rc;
  }
  auto line = recorder_.line("ax.copyMany");
  line.element("el", inner_);
  std::string list = "[";
  bool hide = false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i) list += ',';
    list += '"';
    list += names[i];  // attribute names are plain ASCII
    list += '"';
    hide = hide || hidden(names[i]);
  }
  list += ']';
  line.raw("attrs", list);
  const AXError rc = inner_->copyAttributes(names, reply);
  line.integer("rc", rc);
  if (rc == ax::kSuccess) line.value("v", reply, hide);
  line.done();
  reply = wrapped(reply, recorder_);
  return rc;
}

AXError Element::performAction(std::string_view action) const {
  if (!recorder_.active()) return inner_->performAction(action);
  auto line = recorder_.line("ax.perform");
  line.element("el", inner_).text("action", action);
  const AXError rc = inner_->performAction(action);
  line.integer("rc", rc).done();
  return rc;
}

AXError Element::setAttribute(std::string_view name, const RawValue& value) const {
  const RawValue down = unwrapped(value);
  if (!recorder_.active()) return inner_->setAttribute(name, down);
  auto line = recorder_.line("ax.set");
  line.element("el", inner_).text("attr", name).value("value", down, hidden(name));
  const AXError rc = inner_->setAttribute(name, down);
  line.integer("rc", rc).done();
  return rc;
}

AXError Element::isAttributeSettable(std::string_view name, bool& settable) const {
  if (!recorder_.active()) return inner_->isAttributeSettable(name, settable);
  auto line = recorder_.line("ax.settable");
  line.element("el", inner_).text("attr", name);
  const AXError rc = inner_->isAttributeSettable(name, settable);
  line.integer("rc", rc);
  if (rc == ax::kSuccess) line.boolean("v", settable);
  line.done();
  return rc;
}

AXError Element::processId(std::int32_t& pid) const {
  if (!recorder_.active()) return inner_->processId(pid);
  auto line = recorder_.line("ax.pid");
  line.element("el", inner_);
  const AXError rc = inner_->processId(pid);
  line.integer("rc", rc);
  if (rc == ax::kSuccess) line.integer("v", pid);
  line.done();
  return rc;
}

AXError Element::setMessagingTimeout(float seconds) const {
  if (!recorder_.active()) return inner_->setMessagingTimeout(seconds);
  auto line = recorder_.line("ax.timeout");
  line.element("el", inner_).number("seconds", seconds);
  const AXError rc = inner_->setMessagingTimeout(seconds);
  line.integer("rc", rc).done();
  return rc;
}

AXError Element::elementAtPosition(float x, float y, ElementRef& element) const {
  if (!recorder_.active()) {
    const AXError rc = inner_->elementAtPosition(x, y, element);
    element = wrapped(element, recorder_);
    return rc;
  }
  auto line = recorder_.line("ax.hit");
  line.element("el", inner_).number("x", x).number("y", y);
  const AXError rc = inner_->elementAtPosition(x, y, element);
  line.integer("rc", rc);
  if (rc == ax::kSuccess && element) line.element("v", element);
  line.done();
  element = wrapped(element, recorder_);
  return rc;
}

ElementRef RecordingAccessibility::systemWide() {
  ElementRef element = inner_.systemWide();
  if (recorder_.active()) recorder_.line("ax.systemWide").element("v", element).done();
  return wrapped(std::move(element), recorder_);
}

ElementRef RecordingAccessibility::application(std::int32_t pid) {
  ElementRef element = inner_.application(pid);
  if (recorder_.active()) {
    recorder_.line("ax.application").integer("pid", pid).element("v", element).done();
  }
  return wrapped(std::move(element), recorder_);
}

bool RecordingAccessibility::isProcessTrusted(bool prompt) {
  if (!recorder_.active()) return inner_.isProcessTrusted(prompt);
  auto line = recorder_.line("ax.trusted");
  line.boolean("prompt", prompt);
  const bool trusted = inner_.isProcessTrusted(prompt);
  line.boolean("v", trusted).done();
  return trusted;
}

void RecordingWindowServer::walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                                        FunctionRef<WalkStep(const WindowValues&)> visit) {
  if (!recorder_.active()) {
    inner_.walkWindows(options, relativeToWindow, visit);
    return;
  }
  auto line = recorder_.line("ws.walk");
  line.integer("options", options).integer("relative", relativeToWindow);
  // Each window reached, with the five values the program reads, in the order it read them.
  std::string windows = "[";
  const ValueWriting writing{[](const ElementRef&) { return std::string("?"); }, false};
  inner_.walkWindows(options, relativeToWindow, [&](const WindowValues& values) {
    if (windows.size() > 1) windows += ',';
    windows += '[';
    for (const RawValue* v :
         {&values.layer, &values.bounds, &values.alpha, &values.ownerPid, &values.number}) {
      if (v != &values.layer) windows += ',';
      appendRawValue(windows, *v, writing);
    }
    windows += ']';
    return visit(values);
  });
  windows += ']';
  line.raw("v", windows).done();
}

}  // namespace plumora::recording
