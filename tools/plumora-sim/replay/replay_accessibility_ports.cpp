// The replay's elements, and the accessibility and window-server ports that hand them out: each
// request asked of an element is answered from the book under the element's recorded id.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "recording/trace_text.hpp"
#include "replay/replay_ports_internal.hpp"

namespace plumora::simtool {

namespace {

using Ports = ReplayPorts::Ports;

class Element final : public ElementHandle {
 public:
  Element(std::string id, Ports& ports) : id_(std::move(id)), ports_(ports) {}
  bool equals(const ElementHandle& other) const override {
    const auto* own = dynamic_cast<const Element*>(&other);
    return own && own->id_ == id_;
  }
  AXError copyAttribute(std::string_view name, RawValue& value) const override {
    auto line = ports_.requests.line("ax.copy");
    line.text("el", id_).text("attr", name);
    const auto& answer = ports_.read(line, target());
    value = ports_.value(answer);
    return code(answer);
  }
  AXError copyAttributes(std::span<const std::string_view> names, RawValue& reply) const override {
    auto line = ports_.requests.line("ax.copyMany");
    std::string list = "[";
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i) list += ',';
      list += '"';
      list += names[i];
      list += '"';
    }
    line.text("el", id_).raw("attrs", list + "]");
    const auto& answer = ports_.read(line, target());
    reply = ports_.value(answer);
    return code(answer);
  }
  AXError performAction(std::string_view action) const override {
    auto line = ports_.requests.line("ax.perform");
    line.text("el", id_).text("action", action);
    const auto& answer = ports_.write(line);
    if (ports_.listener.wrote) ports_.listener.wrote(id_, std::string(action));
    return code(answer);
  }
  AXError setAttribute(std::string_view name, const RawValue& value) const override {
    auto line = ports_.requests.line("ax.set");
    line.text("el", id_).text("attr", name);
    ValueWriting writing{[](const ElementRef& e) {
                           const auto* own = dynamic_cast<const Element*>(e.get());
                           return own ? own->id_ : std::string("?");
                         },
                         name == "AXTitle"};
    std::string written;
    appendRawValue(written, value, writing);
    line.raw("value", written);
    const auto& answer = ports_.write(line);
    if (ports_.listener.wrote) ports_.listener.wrote(id_, std::string(name) + " = " + written);
    return code(answer);
  }
  AXError isAttributeSettable(std::string_view name, bool& settable) const override {
    auto line = ports_.requests.line("ax.settable");
    line.text("el", id_).text("attr", name);
    const auto& answer = ports_.read(line, target());
    settable = boolOf(answer.field("v"));
    return code(answer);
  }
  AXError processId(std::int32_t& pid) const override {
    auto line = ports_.requests.line("ax.pid");
    line.text("el", id_);
    const auto& answer = ports_.read(line, target());
    pid = static_cast<std::int32_t>(integerOf(answer.field("v")));
    return code(answer);
  }
  AXError setMessagingTimeout(float seconds) const override {
    auto line = ports_.requests.line("ax.timeout");
    line.text("el", id_).number("seconds", seconds);
    return code(ports_.write(line));
  }
  AXError elementAtPosition(float x, float y, ElementRef& element) const override {
    auto line = ports_.requests.line("ax.hit");
    line.text("el", id_).number("x", x).number("y", y);
    const auto& answer = ports_.read(line, target());
    const JsonValue* v = answer.field("v");
    if (v && v->kind == JsonValue::Kind::String) element = ports_.element(v->text);
    return code(answer);
  }

 private:
  static AXError code(const RecordedEvent& answer) {
    return static_cast<AXError>(integerOf(answer.field("rc")));
  }
  std::string target() const { return "el " + id_; }
  std::string id_;
  Ports& ports_;
};

}  // namespace

ElementRef Ports::element(std::string id) {
  return std::make_shared<Element>(std::move(id), *this);
}

class Ports::Accessibility final : public plumora::Accessibility {
 public:
  explicit Accessibility(Ports& ports) : ports_(ports) {}
  ElementRef systemWide() override {
    auto line = ports_.requests.line("ax.systemWide");
    return ports_.element(textOf(ports_.read(line, "ax.systemWide").field("v")));
  }
  ElementRef application(std::int32_t pid) override {
    auto line = ports_.requests.line("ax.application");
    line.integer("pid", pid);
    return ports_.element(textOf(ports_.read(line, "ax.application").field("v")));
  }
  bool isProcessTrusted(bool prompt) override {
    auto line = ports_.requests.line("ax.trusted");
    line.boolean("prompt", prompt);
    return boolOf(ports_.read(line, "ax.trusted").field("v"));
  }

 private:
  Ports& ports_;
};

class Ports::WindowServer final : public plumora::WindowServer {
 public:
  explicit WindowServer(Ports& ports) : ports_(ports) {}
  void walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                   FunctionRef<WalkStep(const WindowValues&)> visit) override {
    auto line = ports_.requests.line("ws.walk");
    line.integer("options", options).integer("relative", relativeToWindow);
    const JsonValue* windows = ports_.read(line, "ws.walk").field("v");
    if (!windows) return;
    for (const JsonValue& window : windows->items) {
      if (window.items.size() != 5) continue;
      const auto raw = [&](std::size_t i) {
        return rawValueOf(window.items[i], [this](std::string id) { return ports_.element(id); });
      };
      const WindowValues values{raw(0), raw(1), raw(2), raw(3), raw(4)};
      if (visit(values) == WalkStep::Stop) return;
    }
  }

 private:
  Ports& ports_;
};

void Ports::makeAccessibilityPorts() {
  accessibility = std::make_unique<Accessibility>(*this);
  windowServer = std::make_unique<WindowServer>(*this);
}

}  // namespace plumora::simtool
