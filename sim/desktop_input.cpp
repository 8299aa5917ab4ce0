// The system's window tiling, its keyboard shortcuts, and mouse input through the event tap.
#include "sim/desktop.hpp"

#include <utility>

namespace plumora::sim {
namespace {

constexpr std::uint64_t kFn = 0x800000;
constexpr std::uint64_t kControl = 0x40000;
constexpr std::uint64_t kOption = 0x80000;
constexpr std::uint64_t kCommandShiftOption = 0x100000 | 0x20000 | kOption;
constexpr std::uint16_t kKeyF = 3;
constexpr std::uint16_t kKeyR = 15;

}  // namespace

void Desktop::fill(SimApp& app) {
  // The command acts on the window focused when it is given, however long it takes.
  SimWindow* w = app.focused;
  clock_.after(app.tilingDelay, [this, w] {
    if (!w || w->fullScreen || !w->onScreen || screenCount() == 0) return;
    // The system remembers the frame from before the first tiling, not from before a repeat.
    if (!(w->tiledTo && w->untiled && w->frame == *w->tiledTo)) w->untiled = w->frame;
    const Rect area = visibleFrame(screenOf(*w));
    // With margins the window stops short of the visible frame by the same inset on every side;
    // a margin too large for the screen leaves none.
    const Rect inner = inset(area, tilingMargin, tilingMargin);
    // The application takes the size as it takes any: in its steps, not below its minimum.
    const Rect target = takenByApp(*w, isNull(inner) ? area : inner);
    w->tiledTo = target;
    setFrame(*w, target);
  });
}

void Desktop::returnToPreviousSize(SimApp& app) {
  SimApp* a = &app;
  SimWindow* w = app.focused;
  clock_.after(app.tilingDelay, [this, a, w] {
    if (!w || !w->onScreen) return;
    switch (a->restoreAnswer) {
      case RestoreAnswer::Restore:
        if (w->untiled) setFrame(*w, takenByApp(*w, *w->untiled));
        break;
      case RestoreAnswer::Ignore:
        break;
      case RestoreAnswer::Elsewhere:
        setFrame(*w, takenByApp(*w, a->elsewhere));
        break;
    }
    w->untiled.reset();
    w->tiledTo.reset();
  });
}

void Desktop::keyPosted(const PostedKey& key) {
  // The tiling shortcuts are fn-Control-F and fn-Control-R, for the frontmost application.
  if (!key.down || (key.flags & (kFn | kControl)) != (kFn | kControl)) return;
  if (key.flags & kCommandShiftOption) return;
  if (!system_.frontmost) return;
  SimApp* a = app(*system_.frontmost);
  if (!a || !a->shortcuts) return;
  if (key.keyCode == kKeyF) fill(*a);
  if (key.keyCode == kKeyR) returnToPreviousSize(*a);
}

void Desktop::mouseDown(Point at, std::uint64_t flags) {
  deliver(EventType::LeftMouseDown, at, flags);
}
void Desktop::mouseDragged(Point at, std::uint64_t flags) {
  deliver(EventType::LeftMouseDragged, at, flags);
}
void Desktop::mouseUp(Point at, std::uint64_t flags) {
  deliver(EventType::LeftMouseUp, at, flags);
}

void Desktop::disableTap(EventType reason) {
  queueInput(QueuedInput{reason, Point{}, 0, {}});
}

void Desktop::deliver(EventType type, Point at, std::uint64_t flags) {
  queueInput(QueuedInput{type, at, flags, {}});
}

void Desktop::queueInput(const QueuedInput& input) {
  // A tap's thread handles one event at a time: input that comes while a callback is under way
  // (a slow application answering inside it) waits for it, in order, as in the system's queue.
  input_.push_back(input);
  if (handlingInput_) return;
  handlingInput_ = true;
  struct Done {
    Desktop& d;
    ~Done() {
      d.handlingInput_ = false;
      d.input_.clear();
    }
  } done{*this};
  while (!input_.empty()) {
    const QueuedInput next = input_.front();
    input_.pop_front();
    if (next.type == EventType::TapDisabledByTimeout ||
        next.type == EventType::TapDisabledByUserInput) {
      noticeNow(next.type, next.tap);
    } else {
      deliverNow(next.type, next.at, next.flags);
    }
  }
}

void Desktop::noticeNow(EventType reason, const std::shared_ptr<SimEventTap>& to) {
  // A stopped tap's thread has ended: its notice is never read.
  auto tap = to ? to : taps_.live();
  if (!tap || !tap->running || tap->invalidated) return;
  tap->enabled = false;
  SimTapEvent notice(Point{}, 0);
  const auto verdict = taps_.deliverTo(tap, reason, notice);
  if (onInput) onInput(InputRecord{reason, Point{}, 0, verdict, std::nullopt, clock_.mediaTime()});
}

std::optional<TapVerdict> Desktop::throughTap(EventType type, const TapEvent& event) {
  auto tap = taps_.live();
  if (!tap || !tap->intercepts(type)) return std::nullopt;
  const std::uint64_t call = ++callbacks_;
  callbackUnderWay_ = call;
  clock_.after(tapCallbackTimeout, [this, call, weak = std::weak_ptr<SimEventTap>(tap)] {
    auto late = weak.lock();
    if (callbackUnderWay_ != call || !late || !late->enabled) return;
    late->enabled = false;
    timedOut_ = late;
  });
  const auto verdict = taps_.deliver(type, event);
  callbackUnderWay_ = 0;
  // The notice waits for the callback, and for the tap's thread to take it: what falls due on
  // the main thread meanwhile (the permission check) sees the tap disabled.
  if (auto late = std::exchange(timedOut_, nullptr)) {
    clock_.after(0, [this, late] {
      queueInput(QueuedInput{EventType::TapDisabledByTimeout, Point{}, 0, late});
    });
  }
  return verdict;
}

void Desktop::deliverNow(EventType type, Point at, std::uint64_t flags) {
  SimTapEvent event(at, flags);
  const auto verdict = throughTap(type, event);
  InputRecord record{type, at, flags, verdict, std::nullopt, clock_.mediaTime()};
  if (verdict != TapVerdict::Swallow) {
    SimWindow* w = windowAt(at);
    if (w) {
      if (SimApp* a = app(w->pid)) {
        a->received.push_back(ReceivedEvent{type, at, flags, w->number, clock_.mediaTime()});
        record.deliveredTo = a->pid;
      }
    }
    // A press and a release that both reach a title-bar button make a click on it.
    TitleButton* button = nullptr;
    if (w) {
      for (TitleButton* b : {&w->close, &w->minimize, &w->zoom}) {
        if (containsPoint(buttonFrame(*w, *b), at)) button = b;
      }
    }
    if (type == EventType::LeftMouseDown) {
      press_.reset();
      if (button) press_ = Press{w->number, button, flags};
    } else if (type == EventType::LeftMouseUp) {
      if (press_ && button && press_->window == w->number && press_->button == button) {
        nativeButtonClick(*w, *button, press_->flags);
      }
      press_.reset();
    }
  } else if (type == EventType::LeftMouseDown) {
    press_.reset();
  }
  if (onInput) onInput(record);
}

void Desktop::nativeButtonClick(SimWindow& window, TitleButton& button, std::uint64_t flags) {
  if (!button.enabled) return;
  if (&button == &window.close) {
    closeWindow(window);
    return;
  }
  if (&button != &window.zoom) return;
  // With no screen left there is nothing to go full screen on, or to zoom to.
  if (screenCount() == 0) return;
  if (window.fullScreen) {
    setFullScreen(window, false);
    return;
  }
  if (flags & kOption) {
    // Zoom: to the screen's usable area, and back on the next zoom.
    const Rect area = visibleFrame(screenOf(window));
    if (window.unzoomed && window.frame == area) {
      setFrame(window, *window.unzoomed);
      window.unzoomed.reset();
    } else {
      window.unzoomed = window.frame;
      setFrame(window, area);
    }
    return;
  }
  setFullScreen(window, true);
}

}  // namespace plumora::sim
