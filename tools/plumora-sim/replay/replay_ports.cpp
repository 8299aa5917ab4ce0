#include "replay/replay_ports.hpp"

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "replay/replay_ports_internal.hpp"

namespace plumora::simtool {

namespace {

constexpr std::int64_t kLongestHiddenText = 1 << 16;

std::optional<double> pairItem(const JsonValue& list, std::size_t i) {
  if (list.kind != JsonValue::Kind::Array || i >= list.items.size()) return std::nullopt;
  if (list.items[i].kind != JsonValue::Kind::Number) return std::nullopt;
  return list.items[i].number;
}

}  // namespace

RawValue rawValueOf(const JsonValue& value, const std::function<ElementRef(std::string)>& element) {
  switch (value.kind) {
    case JsonValue::Kind::Null:
      return RawValue();
    case JsonValue::Kind::Bool:
      return RawValue::boolean(value.boolean);
    case JsonValue::Kind::Number:
      if (value.integral) return RawValue::integer(static_cast<std::int64_t>(value.number));
      return RawValue::number(Number{value.number, std::nullopt});
    case JsonValue::Kind::String:
      return RawValue::string(value.text);
    case JsonValue::Kind::Array: {
      RawValue::Array items;
      for (const auto& item : value.items) items.push_back(rawValueOf(item, element));
      return RawValue::array(std::move(items));
    }
    case JsonValue::Kind::Object:
      break;
  }
  if (const auto* id = value.find("el")) return RawValue::element(element(id->text));
  if (const auto* length = value.find("len")) {
    // A hidden text: the program reads it but neither compares nor logs it.
    // Its bytes are all \x01, which the book takes for any byte in what the program writes.
    // A length no title has is a damaged file: it reads as an empty text rather than an
    // allocation of that size.
    const std::int64_t bytes = integerOf(length);
    return RawValue::string(std::string(
        bytes > 0 && bytes <= kLongestHiddenText ? static_cast<std::size_t>(bytes) : 0, '\x01'));
  }
  if (const auto* code = value.find("err")) {
    return RawValue::error(static_cast<AXError>(integerOf(code)));
  }
  if (value.find("other")) return RawValue::other();
  if (value.find("nan")) return RawValue::number(Number{std::nan(""), std::nullopt});
  if (const auto* sign = value.find("inf")) {
    return RawValue::number(Number{integerOf(sign) < 0 ? -HUGE_VAL : HUGE_VAL, std::nullopt});
  }
  for (const char* tag : {"pt", "sz"}) {
    if (const auto* list = value.find(tag)) {
      const double a = pairItem(*list, 0).value_or(0), b = pairItem(*list, 1).value_or(0);
      return tag[0] == 'p' ? RawValue::point(Point{a, b}) : RawValue::size(Size{a, b});
    }
  }
  if (const auto* list = value.find("rect")) {
    return RawValue::rect(Rect::make(pairItem(*list, 0).value_or(0), pairItem(*list, 1).value_or(0),
                                     pairItem(*list, 2).value_or(0),
                                     pairItem(*list, 3).value_or(0)));
  }
  if (const auto* entries = value.find("dict")) {
    RawValue::Dictionary dictionary;
    for (const auto& entry : entries->items) {
      if (entry.items.size() != 2) continue;
      dictionary.emplace_back(entry.items[0].text, rawValueOf(entry.items[1], element));
    }
    return RawValue::dictionary(std::move(dictionary));
  }
  return RawValue::other();
}

namespace {

using Ports = ReplayPorts::Ports;

}  // namespace

const RecordedEvent& Ports::read(Recorder::Line& line, std::string_view target) {
  const std::string request = requests.take(line);
  const RecordedEvent& answer =
      book.read(RecordingThread::current(), request, target, clock.mediaTime());
  elapse(answer);
  return answer;
}

const RecordedEvent& Ports::write(Recorder::Line& line, std::string payload) {
  const std::string request = requests.take(line);
  const RecordedEvent& answer =
      book.write(RecordingThread::current(), request, payload, clock.mediaTime());
  elapse(answer);
  return answer;
}

void Ports::elapse(const RecordedEvent& answer) {
  const double took = answer.after - answer.before;
  if (took > 0) clock.sleep(took);
}

RawValue Ports::value(const RecordedEvent& answer) {
  const JsonValue* v = answer.field("v");
  return v ? rawValueOf(*v, [this](std::string id) { return element(std::move(id)); }) : RawValue();
}

ReplayPorts::ReplayPorts(ReplayBook& book, sim::VirtualClock& clock, sim::ManualDispatch& dispatch,
                         std::string homeFolder)
    : ports_(std::make_unique<Ports>(book, clock, dispatch, std::move(homeFolder))) {
  Ports& p = *ports_;
  p.makeAccessibilityPorts();
  p.makeSystemPorts();
  platform_ = std::make_unique<Platform>(
      Platform{*p.accessibility, clock, dispatch, *p.defaults, *p.unifiedLog, *p.system,
               *p.keyboard, *p.windowServer, *p.eventTaps, *p.loginItem, *p.statusBar});
}

ReplayPorts::~ReplayPorts() = default;

const std::shared_ptr<ReplayPorts::LiveTap>& ReplayPorts::liveTap() const {
  return ports_->tap;
}
const std::function<void()>& ReplayPorts::permissionHandler() const {
  return ports_->permissionHandler;
}
void ReplayPorts::onMenuOpen(std::function<void()> open) {
  ports_->menuOpen = std::move(open);
}
void ReplayPorts::listen(ReplayListener listener) {
  ports_->listener = std::move(listener);
}

}  // namespace plumora::simtool