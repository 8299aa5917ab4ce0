#include "sim/desktop.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace plumora::sim {

Desktop::Desktop(VirtualClock& clock, SimAccessibility& accessibility, SimSystem& system,
                 SimKeyboard& keyboard, SimWindowServer& windowServer, SimEventTaps& taps)
    : clock_(clock), ax_(accessibility), system_(system), windowServer_(windowServer), taps_(taps) {
  ax_.setHitTest([this](Point p) { return hitTest(p); });
  windowServer_.source = [this](SimWindowServer::Visit visit) { walkWindowList(visit); };
  keyboard.onPost([this](const PostedKey& key) { keyPosted(key); });
  // Revoking the permission disables the program's tap, with a user-input notice.
  ax_.onTrustChanged = [this](bool trusted) {
    if (trusted) return;
    if (tapNoticeDelay <= 0) {
      disableTap(EventType::TapDisabledByUserInput);
      return;
    }
    clock_.after(tapNoticeDelay, [this] {
      if (!ax_.trusted()) disableTap(EventType::TapDisabledByUserInput);
    });
  };
}

Desktop::~Desktop() {
  ax_.onTrustChanged = nullptr;
  ax_.setHitTest(nullptr);
  windowServer_.source = nullptr;
}

// Screens.

void Desktop::addScreen(Rect frame, Rect visibleFrame) {
  system_.screenList.push_back(Screen{frame, visibleFrame});
}

void Desktop::addStandardScreen() {
  addScreen(Rect::make(0, 0, 1440, 900), Rect::make(0, 0, 1440, 875));
}

void Desktop::removeScreen(std::size_t index) {
  if (index >= system_.screenList.size()) throw std::out_of_range("no such screen");
  system_.screenList.erase(system_.screenList.begin() + static_cast<std::ptrdiff_t>(index));
}

std::size_t Desktop::screenCount() const {
  return system_.screenList.size();
}

double Desktop::primaryHeight() const {
  return system_.screenList.empty() ? 0 : height(system_.screenList.front().frame);
}

Rect Desktop::screenFrame(std::size_t index) const {
  const Rect& f = system_.screenList.at(index).frame;
  return Rect::make(minX(f), primaryHeight() - maxY(f), width(f), height(f));
}

Rect Desktop::visibleFrame(std::size_t index) const {
  const Rect& f = system_.screenList.at(index).visibleFrame;
  return Rect::make(minX(f), primaryHeight() - maxY(f), width(f), height(f));
}

std::size_t Desktop::screenOf(const SimWindow& window) const {
  return screenOf(window.frame);
}

std::size_t Desktop::screenOf(Rect frame) const {
  std::size_t best = 0;
  double bestArea = -1;
  for (std::size_t i = 0; i < screenCount(); ++i) {
    const Rect common = intersection(screenFrame(i), frame);
    const double area = isNull(common) ? 0 : width(common) * height(common);
    if (area > bestArea) {
      bestArea = area;
      best = i;
    }
  }
  return best;
}

Rect Desktop::keptOnScreen(Rect frame) const {
  // A move is clamped by the window's current size: its far edges stay within the usable area
  // (which is why a program restoring a frame writes the size before the position).
  if (screenCount() == 0) return frame;
  const Rect area = visibleFrame(screenOf(frame));
  frame.origin.x = std::min(frame.origin.x, std::max(minX(area), maxX(area) - width(frame)));
  frame.origin.y = std::min(frame.origin.y, std::max(minY(area), maxY(area) - height(frame)));
  return frame;
}

Size Desktop::fittedToScreen(const SimWindow& window, Size size) const {
  // A window is never made larger than the usable area of the screen it is on (which is why
  // the size is written again once a move has taken it to a larger screen).
  if (screenCount() == 0) return size;
  const Rect area = visibleFrame(screenOf(window));
  return Size{std::min(size.width, width(area)), std::min(size.height, height(area))};
}

Size Desktop::takenByApp(const SimWindow& window, Size size) {
  const SimApp* a = app(window.pid);
  if (!a) return size;
  // Whole steps, rounded down; never below the minimum, itself taken in whole steps. A step or
  // a minimum of 0 is none.
  const auto axis = [](double asked, double step, double least) {
    const double taken = step > 0 ? std::floor(asked / step) * step : asked;
    if (taken >= least) return taken;
    return step > 0 ? std::ceil(least / step) * step : least;
  };
  const Size step = a->sizeStep.value_or(Size{});
  const Size least = a->minimumSize.value_or(Size{});
  return Size{axis(size.width, step.width, least.width),
              axis(size.height, step.height, least.height)};
}

// Applications and windows.

SimApp& Desktop::addApp(std::int32_t pid, const std::string& name, const std::string& bundleId) {
  auto app = std::make_unique<SimApp>();
  app->pid = pid;
  app->name = name;
  app->bundleId = bundleId.empty() ? "com.example." + name : bundleId;
  app->node = ax_.applicationNode(pid);
  apps_.push_back(std::move(app));
  SimApp& added = *apps_.back();
  system_.running[pid] = added.bundleId;
  system_.names[pid] = name;
  bindApp(added);
  return added;
}

SimApp* Desktop::app(std::int32_t pid) {
  for (auto& a : apps_) {
    if (a->pid == pid) return a.get();
  }
  return nullptr;
}

SimWindow* Desktop::window(std::uint32_t number) {
  for (auto& w : windows_) {
    if (w->number == number) return w.get();
  }
  return nullptr;
}

std::vector<SimWindow*> Desktop::windowsFrontToBack() const {
  return z_;
}

SimWindow& Desktop::addWindow(SimApp& app, Rect frame, const std::string& title) {
  auto window = std::make_unique<SimWindow>();
  window->pid = app.pid;
  window->number = nextWindowNumber_++;
  window->frame = frame;
  window->title = title;
  window->node = ax_.addNode(app.pid);
  windows_.push_back(std::move(window));
  SimWindow& added = *windows_.back();
  bindWindow(added);
  app.windows.insert(app.windows.begin(), &added);
  if (!app.focused) app.focused = &added;
  if (!app.main) app.main = &added;
  // A new window opens in front of its application's windows; in front of all when the
  // application is frontmost (or when nothing else is on screen).
  if (system_.frontmost == app.pid || z_.empty()) {
    z_.insert(z_.begin(), &added);
  } else {
    auto firstOfApp =
        std::find_if(z_.begin(), z_.end(), [&](SimWindow* w) { return w->pid == app.pid; });
    z_.insert(firstOfApp, &added);
  }
  restack();
  return added;
}

void Desktop::closeWindow(SimWindow& window) {
  std::erase(z_, &window);
  restack();
  if (SimApp* owner = app(window.pid)) {
    std::erase(owner->windows, &window);
    if (owner->focused == &window)
      owner->focused = owner->windows.empty() ? nullptr : owner->windows.front();
    if (owner->main == &window)
      owner->main = owner->windows.empty() ? nullptr : owner->windows.front();
  }
  window.onScreen = false;
  ax_.vanish(window.node);
  for (TitleButton* b : {&window.close, &window.minimize, &window.zoom}) ax_.vanish(b->node);
}

void Desktop::activate(SimApp& app, SimWindow* window) {
  system_.frontmost = app.pid;
  if (!window)
    window = app.focused ? app.focused : (app.windows.empty() ? nullptr : app.windows.front());
  if (window) setFocusedWindow(app, window);
  // The application's windows come in front of every other, keeping their order.
  std::stable_partition(z_.begin(), z_.end(), [&](SimWindow* w) { return w->pid == app.pid; });
  restack();
}

void Desktop::setFocusedWindow(SimApp& app, SimWindow* window) {
  app.focused = window;
  app.main = window;
  if (!window) return;
  std::erase(app.windows, window);
  app.windows.insert(app.windows.begin(), window);
  std::erase(z_, window);
  auto firstOfApp =
      std::find_if(z_.begin(), z_.end(), [&](SimWindow* w) { return w->pid == app.pid; });
  z_.insert(system_.frontmost == app.pid ? z_.begin() : firstOfApp, window);
  restack();
}

void Desktop::setFrame(SimWindow& window, Rect frame) {
  const Rect before = window.frame;
  window.frame = frame;
  if (onFrameChange && !(before == frame)) onFrameChange(window, before);
}

void Desktop::setLayer(SimWindow& window, std::int64_t layer) {
  window.layer_ = layer;
  restack();
}

void Desktop::setResizable(SimWindow& window, bool resizable) {
  window.resizable = resizable;
  if (resizable) {
    ax_.setWritable(window.node, "AXSize", [this, &window](const RawValue& v) -> AXError {
      const Size* size = v.asSize();
      if (!size) return ax::kIllegalArgument;
      if (!acceptsFrameWrite(window)) return ax::kSuccess;
      setFrame(window,
               Rect{window.frame.origin, takenByApp(window, fittedToScreen(window, *size))});
      frameWritten(window);
      return ax::kSuccess;
    });
  } else {
    ax_.setReadOnly(window.node, "AXSize");
  }
}

void Desktop::setFullScreen(SimWindow& window, bool fullScreen) {
  if (fullScreen && !window.fullScreen) setFrame(window, screenFrame(screenOf(window)));
  window.fullScreen = fullScreen;
}

void Desktop::setButtonEnabled(TitleButton& button, bool enabled) {
  button.enabled = enabled;
}

Rect Desktop::buttonFrame(const SimWindow& window, const TitleButton& button) const {
  return Rect::make(window.frame.origin.x + button.offset.origin.x,
                    window.frame.origin.y + button.offset.origin.y, button.offset.size.width,
                    button.offset.size.height);
}

Point Desktop::center(const SimWindow& window, const TitleButton& button) const {
  const Rect f = buttonFrame(window, button);
  return Point{f.origin.x + f.size.width / 2, f.origin.y + f.size.height / 2};
}

// The accessibility tree.

void Desktop::bindApp(SimApp& app) {
  const NodeId n = app.node;
  SimApp* a = &app;
  ax_.set(n, "AXRole", RawValue::string("AXApplication"));
  ax_.set(n, "AXTitle", RawValue::string(app.name));
  ax_.setComputed(n, "AXFrontmost",
                  [this, a] { return RawValue::boolean(system_.frontmost == a->pid); });
  ax_.setWritable(n, "AXFrontmost", [this, a](const RawValue& v) -> AXError {
    if (!v.numeric()) return ax::kIllegalArgument;
    if (*v.numeric() != 0) raiseLater(*a, nullptr);
    return ax::kSuccess;
  });
  ax_.setComputed(n, "AXFocusedWindow", [this, a] {
    return a->focused ? RawValue::element(ax_.handle(a->focused->node)) : RawValue();
  });
  ax_.setComputed(n, "AXMainWindow", [this, a] {
    return a->main ? RawValue::element(ax_.handle(a->main->node)) : RawValue();
  });
  ax_.setComputed(n, "AXEnhancedUserInterface", [a] {
    return a->enhancedUserInterface ? RawValue::boolean(*a->enhancedUserInterface)
                                    : RawValue::error(ax::kAttributeUnsupported);
  });
  ax_.setWritable(n, "AXEnhancedUserInterface", [a](const RawValue& v) -> AXError {
    if (!a->enhancedUserInterface) return ax::kAttributeUnsupported;
    if (!v.numeric()) return ax::kIllegalArgument;
    a->enhancedUserInterface = *v.numeric() != 0;
    return ax::kSuccess;
  });
  ax_.setComputed(n, "AXWindows", [this, a] {
    RawValue::Array items;
    for (SimWindow* w : a->windows) items.push_back(RawValue::element(ax_.handle(w->node)));
    return RawValue::array(std::move(items));
  });
}

void Desktop::bindWindow(SimWindow& window) {
  const NodeId n = window.node;
  SimWindow* w = &window;
  ax_.set(n, "AXRole", RawValue::string("AXWindow"));
  ax_.set(n, "AXSubrole", RawValue::string("AXStandardWindow"));
  ax_.setComputed(n, "AXTitle", [w] {
    return w->titleReadable ? RawValue::string(w->title) : RawValue::error(ax::kCannotComplete);
  });
  ax_.setComputed(n, "AXPosition", [w] {
    return w->frameReadable ? RawValue::point(w->frame.origin)
                            : RawValue::error(ax::kCannotComplete);
  });
  ax_.setComputed(n, "AXSize", [w] {
    return w->frameReadable ? RawValue::size(w->frame.size) : RawValue::error(ax::kCannotComplete);
  });
  ax_.setWritable(n, "AXPosition", [this, w](const RawValue& v) -> AXError {
    const Point* p = v.asPoint();
    if (!p) return ax::kIllegalArgument;
    if (!acceptsFrameWrite(*w)) return ax::kSuccess;
    setFrame(*w, keptOnScreen(Rect{*p, w->frame.size}));
    frameWritten(*w);
    return ax::kSuccess;
  });
  setResizable(window, true);
  ax_.setComputed(n, "AXFullScreen", [w] { return RawValue::boolean(w->fullScreen); });
  ax_.setComputed(n, "AXMain", [this, w] {
    SimApp* a = app(w->pid);
    return RawValue::boolean(a && a->main == w);
  });
  ax_.setComputed(n, "AXFocused", [this, w] {
    SimApp* a = app(w->pid);
    return RawValue::boolean(a && a->focused == w);
  });
  ax_.setWritable(n, "AXMain", [this, w](const RawValue& v) -> AXError {
    if (!v.numeric()) return ax::kIllegalArgument;
    if (*v.numeric() != 0) raiseLater(*app(w->pid), w);
    return ax::kSuccess;
  });
  ax_.setAction(n, "AXRaise", [this, w] {
    raiseLater(*app(w->pid), w);
    return ax::kSuccess;
  });
  bindButton(window, window.close, "AXCloseButton", Rect::make(8, 6, 14, 16));
  bindButton(window, window.minimize, "AXMinimizeButton", Rect::make(28, 6, 14, 16));
  bindButton(window, window.zoom, "AXFullScreenButton", Rect::make(48, 6, 14, 16));
  ax_.set(n, "AXChildren",
          RawValue::array({RawValue::element(ax_.handle(window.close.node)),
                           RawValue::element(ax_.handle(window.minimize.node)),
                           RawValue::element(ax_.handle(window.zoom.node))}));
  ax_.set(n, "AXCloseButton", RawValue::element(ax_.handle(window.close.node)));
  ax_.set(n, "AXMinimizeButton", RawValue::element(ax_.handle(window.minimize.node)));
  ax_.set(n, "AXFullScreenButton", RawValue::element(ax_.handle(window.zoom.node)));
}

void Desktop::bindButton(SimWindow& window, TitleButton& button, const std::string& subrole,
                         Rect offset) {
  button.node = ax_.addNode(window.pid);
  button.subrole = subrole;
  button.offset = offset;
  const NodeId n = button.node;
  SimWindow* w = &window;
  TitleButton* b = &button;
  ax_.set(n, "AXRole", RawValue::string("AXButton"));
  ax_.set(n, "AXSubrole", RawValue::string(subrole));
  ax_.set(n, "AXWindow", RawValue::element(ax_.handle(window.node)));
  ax_.setComputed(n, "AXEnabled", [b] { return RawValue::boolean(b->enabled); });
  ax_.setComputed(n, "AXPosition", [this, w, b] {
    return b->frameReadable ? RawValue::point(buttonFrame(*w, *b).origin)
                            : RawValue::error(ax::kCannotComplete);
  });
  ax_.setComputed(n, "AXSize", [b] {
    return b->frameReadable ? RawValue::size(b->offset.size) : RawValue::error(ax::kCannotComplete);
  });
}

// Activation, as the system carries out the program's raise and frontmost requests.

void Desktop::raiseLater(SimApp& app, SimWindow* window) {
  if (!app.activates) return;
  SimApp* a = &app;
  clock_.after(app.activationDelay, [this, a, window] { bringForward(*a, window); });
}

void Desktop::bringForward(SimApp& app, SimWindow* window) {
  if (window) {
    if (!window->onScreen) return;
    setFocusedWindow(app, window);
  } else {
    activate(app);
  }
}

bool Desktop::acceptsFrameWrite(SimWindow& window) {
  constexpr double kAnimation = 0.1;
  const double now = clock_.mediaTime();
  const SimApp* a = app(window.pid);
  if (a && a->enhancedUserInterface == true && window.lastFrameWrite &&
      now - *window.lastFrameWrite < kAnimation) {
    return false;
  }
  window.lastFrameWrite = now;
  return true;
}

void Desktop::frameWritten(SimWindow& window) {
  if (!window.rebound || window.reboundPending || window.rebound->times <= 0) return;
  window.reboundPending = true;
  SimWindow* w = &window;
  clock_.after(window.rebound->delay, [this, w] {
    w->reboundPending = false;
    --w->rebound->times;
    setFrame(*w, w->rebound->to);
  });
}

// The window list and hit testing.

void Desktop::restack() {
  stack_ = z_;
  std::stable_sort(stack_.begin(), stack_.end(),
                   [](const SimWindow* a, const SimWindow* b) { return a->layer_ > b->layer_; });
}

void Desktop::walkWindowList(SimWindowServer::Visit visit) const {
  for (const SimWindow* w : stack_) {
    const WindowInfo info{w->layer_, w->frame, w->alpha, w->pid, w->number, w->onScreen};
    if (visit(info) == WalkStep::Stop) return;
  }
}

SimWindow* Desktop::windowAt(Point p) const {
  for (SimWindow* w : stack_) {
    if (w->onScreen && containsPoint(w->frame, p)) return w;
  }
  return nullptr;
}

std::optional<NodeId> Desktop::hitTest(Point p) const {
  SimWindow* w = windowAt(p);
  if (!w) return std::nullopt;
  for (const TitleButton* b : {&w->close, &w->minimize, &w->zoom}) {
    if (containsPoint(buttonFrame(*w, *b), p)) return b->node;
  }
  return w->node;
}

}  // namespace plumora::sim
