#include "replay/replay_scene.hpp"

#include <algorithm>

namespace plumora::simtool {
namespace {

std::optional<double> numberAt(const JsonValue& list, std::size_t i) {
  if (list.kind != JsonValue::Kind::Array || i >= list.items.size() ||
      list.items[i].kind != JsonValue::Kind::Number) {
    return std::nullopt;
  }
  return list.items[i].number;
}

std::optional<Point> pointOf(const JsonValue* value) {
  const JsonValue* pair = value ? value->find("pt") : nullptr;
  if (!pair) return std::nullopt;
  const auto x = numberAt(*pair, 0), y = numberAt(*pair, 1);
  if (!x || !y) return std::nullopt;
  return Point{*x, *y};
}

std::optional<Size> sizeOf(const JsonValue* value) {
  const JsonValue* pair = value ? value->find("sz") : nullptr;
  if (!pair) return std::nullopt;
  const auto w = numberAt(*pair, 0), h = numberAt(*pair, 1);
  if (!w || !h) return std::nullopt;
  return Size{*w, *h};
}

std::optional<double> entry(const JsonValue& dictionary, std::string_view key) {
  const JsonValue* entries = dictionary.find("dict");
  if (!entries) return std::nullopt;
  for (const auto& pair : entries->items) {
    if (pair.items.size() == 2 && pair.items[0].text == key &&
        pair.items[1].kind == JsonValue::Kind::Number) {
      return pair.items[1].number;
    }
  }
  return std::nullopt;
}

std::string textOf(const JsonValue* value) {
  return value && value->kind == JsonValue::Kind::String ? value->text : std::string();
}

// The index of an attribute in a multi-attribute request, or none.
std::optional<std::size_t> slotOf(const JsonValue* attributes, std::string_view name) {
  if (!attributes) return std::nullopt;
  for (std::size_t i = 0; i < attributes->items.size(); ++i) {
    if (attributes->items[i].text == name) return i;
  }
  return std::nullopt;
}

}  // namespace

ReplayScene::ReplayScene(const Recording& recording) {
  // The header's screens are in the system's bottom-left space; the page draws top-left.
  const double height = recording.screens.empty() ? 0 : recording.screens[0].frame.size.height;
  const auto flip = [height](Rect r) {
    return Rect::make(r.origin.x, height - r.origin.y - r.size.height, r.size.width, r.size.height);
  };
  for (const auto& screen : recording.screens) {
    screens_.push_back({flip(screen.frame), flip(screen.visible)});
  }
}

ReplayScene::Window* ReplayScene::windowOf(const std::string& element) {
  auto it = elementWindows_.find(element);
  if (it == elementWindows_.end()) return nullptr;
  auto window = windows_.find(it->second);
  return window == windows_.end() ? nullptr : &window->second;
}

void ReplayScene::frameRead(const std::string& element, const JsonValue* position,
                            const JsonValue* size) {
  Window* window = windowOf(element);
  if (!window) return;
  const Rect old = window->frame;
  if (const auto p = pointOf(position)) window->frame.origin = *p;
  if (const auto s = sizeOf(size)) window->frame.size = *s;
  if (!(window->frame == old)) {
    changed_ = elementWindows_[element];
    before_ = old;
  }
}

void ReplayScene::seen(const RecordedEvent& event) {
  const std::string el = textOf(event.field("el"));
  const JsonValue* v = event.field("v");
  if (event.event == "ws.walk" && v) {
    std::vector<std::uint32_t> reached;
    for (const JsonValue& entryValue : v->items) {
      if (entryValue.items.size() != 5) continue;
      const auto number = static_cast<std::uint32_t>(entryValue.items[4].number);
      Window& window = windows_[number];
      window.pid = static_cast<std::int32_t>(entryValue.items[3].number);
      const JsonValue& bounds = entryValue.items[1];
      window.frame =
          Rect::make(entry(bounds, "X").value_or(0), entry(bounds, "Y").value_or(0),
                     entry(bounds, "Width").value_or(0), entry(bounds, "Height").value_or(0));
      reached.push_back(number);
    }
    // The walk goes front to back and stops at the window under the click: the windows it
    // reached are in front of the others, in its order.
    for (auto it = reached.rbegin(); it != reached.rend(); ++it) {
      order_.erase(std::remove(order_.begin(), order_.end(), *it), order_.end());
      order_.push_back(*it);
    }
    if (!reached.empty()) hitWindow_ = reached.back();
  } else if (event.event == "ax.copyMany" && v && v->kind == JsonValue::Kind::Array) {
    const JsonValue* attributes = event.field("attrs");
    const auto at = [&](std::string_view name) -> const JsonValue* {
      const auto slot = slotOf(attributes, name);
      return slot && *slot < v->items.size() ? &v->items[*slot] : nullptr;
    };
    const JsonValue* owner = at("AXWindow");
    if (owner && hitWindow_ && owner->find("el")) {
      // A button of the window the click hit: the window's element is known from now on.
      const std::string windowElement = owner->find("el")->text;
      elementWindows_[windowElement] = *hitWindow_;
      const auto p = pointOf(at("AXPosition"));
      const auto s = sizeOf(at("AXSize"));
      if (p && s && textOf(at("AXSubrole")) == "AXFullScreenButton") {
        const Rect& frame = windows_[*hitWindow_].frame;
        windows_[*hitWindow_].green = Rect{Point{p->x - frame.origin.x, p->y - frame.origin.y}, *s};
      }
    } else {
      frameRead(el, at("AXPosition"), at("AXSize"));
    }
  } else if (event.event == "ax.copy" && v) {
    const std::string attribute = textOf(event.field("attr"));
    if (attribute == "AXPosition") frameRead(el, v, nullptr);
    if (attribute == "AXSize") frameRead(el, nullptr, v);
  } else if (event.event == "tap.verdict") {
    hitWindow_.reset();
  }
}

void ReplayScene::clicked(Point at, bool press, bool swallowed) {
  DrawnPointer pointer;
  pointer.at = at;
  pointer.mark = press ? DrawnPointer::Mark::Press : DrawnPointer::Mark::Release;
  pointer.fate = swallowed ? DrawnPointer::Fate::Swallowed : DrawnPointer::Fate::Passed;
  pointer_ = pointer;
}

Scene ReplayScene::take() {
  Scene scene;
  scene.screens = screens_;
  for (const std::uint32_t number : order_) {
    const Window& window = windows_[number];
    DrawnWindow drawn;
    drawn.name = "window " + std::to_string(number);
    drawn.title = drawn.name;  // titles are not in a recording
    drawn.app = "pid " + std::to_string(window.pid);
    drawn.frame = window.frame;
    if (window.green) {
      drawn.green = Rect{Point{window.frame.origin.x + window.green->origin.x,
                               window.frame.origin.y + window.green->origin.y},
                         window.green->size};
      // The close and minimise buttons sit to the left of the green one, as macOS lays them.
      drawn.minimize = Rect::make(drawn.green.origin.x - 20, drawn.green.origin.y,
                                  drawn.green.size.width, drawn.green.size.height);
      drawn.close = Rect::make(drawn.green.origin.x - 40, drawn.green.origin.y,
                               drawn.green.size.width, drawn.green.size.height);
    }
    drawn.ofFrontmostApp = number == order_.back();
    scene.windows.push_back(std::move(drawn));
  }
  scene.pointer = pointer_;
  if (pointer_) pointer_->mark = DrawnPointer::Mark::None;
  if (changed_) {
    scene.changedWindow = "window " + std::to_string(*changed_);
    scene.before = before_;
    changed_.reset();
  }
  return scene;
}

}  // namespace plumora::simtool
