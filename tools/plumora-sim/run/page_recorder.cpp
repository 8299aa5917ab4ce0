#include "run/page_recorder.hpp"

#include <algorithm>
#include <sstream>

namespace plumora::simtool {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

DrawnPointer::Mark markOf(EventType type) {
  switch (type) {
    case EventType::LeftMouseDown:
      return DrawnPointer::Mark::Press;
    case EventType::LeftMouseDragged:
      return DrawnPointer::Mark::Drag;
    case EventType::LeftMouseUp:
      return DrawnPointer::Mark::Release;
    default:
      return DrawnPointer::Mark::None;
  }
}

// The screen a window is on: the one that holds its centre, else the first.
std::size_t screenOf(const Rect& frame, const std::vector<DrawnScreen>& screens) {
  const Rect f = standardized(frame);
  const Point centre{f.origin.x + f.size.width / 2, f.origin.y + f.size.height / 2};
  for (std::size_t i = 0; i < screens.size(); ++i) {
    const Rect s = standardized(screens[i].frame);
    if (centre.x >= minX(s) && centre.x < maxX(s) && centre.y >= minY(s) && centre.y < maxY(s))
      return i;
  }
  return 0;
}

Rect moved(const Rect& offset, const Rect& frame) {
  return Rect::make(frame.origin.x + offset.origin.x, frame.origin.y + offset.origin.y,
                    offset.size.width, offset.size.height);
}

}  // namespace

PageRecorder::PageRecorder(sim::SimMac& mac, const World& world, std::string_view file,
                           const Scenario& scenario)
    : mac_(mac), world_(world), captions_(world) {
  content_.file = file;
  for (const auto& [name, window] : world.windows()) {
    frames_[window->number] = window->frame;
    shown_[window->number] = Shown{window->onScreen, window->fullScreen};
  }
  // A full-screen window the scenario starts with is in front when its application is: the
  // desktop of the frontmost application's other windows is shown otherwise.
  std::vector<sim::SimWindow*> live = mac.desktop.windowsFrontToBack();
  for (auto w = live.rbegin(); w != live.rend(); ++w) {
    if ((*w)->fullScreen && mac.system.frontmost == (*w)->pid) spaces_.push_back((*w)->number);
  }
  // The header exactly as the text output has it.
  std::ostringstream header;
  Timeline(header, false, mac, world).header(file, scenario);
  content_.intro = linesOf(header.str());
}

Scene PageRecorder::scene() {
  Scene scene;
  const sim::Desktop& desktop = mac_.desktop;
  for (std::size_t i = 0; i < desktop.screenCount(); ++i) {
    scene.screens.push_back(DrawnScreen{desktop.screenFrame(i), desktop.visibleFrame(i)});
  }
  const std::optional<std::int32_t> frontmost = mac_.system.frontmost;
  if (frontmost) scene.frontmost = world_.appName(*frontmost);
  // The window list's order, back to front: ordinary windows first, then raised layers.
  std::vector<sim::SimWindow*> live = desktop.windowsFrontToBack();
  std::stable_sort(live.begin(), live.end(), [](const sim::SimWindow* a, const sim::SimWindow* b) {
    return a->layer() > b->layer();
  });
  std::vector<std::uint32_t> order;
  for (auto w = live.rbegin(); w != live.rend(); ++w) order.push_back((*w)->number);
  // A window the desktop has closed keeps its place until the timeline says so.
  for (std::size_t i = 0; i < order_.size(); ++i) {
    const std::uint32_t number = order_[i];
    if (std::find(order.begin(), order.end(), number) != order.end()) continue;
    const auto shown = shown_.find(number);
    if (shown == shown_.end() || !shown->second.onScreen) continue;
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(std::min(i, order.size())), number);
  }
  order_ = order;
  for (const std::uint32_t number : order) {
    const sim::SimWindow& window = *mac_.desktop.window(number);
    const auto shown = shown_.find(window.number);
    const Shown state =
        shown != shown_.end() ? shown->second : Shown{window.onScreen, window.fullScreen};
    if (!state.onScreen) continue;
    DrawnWindow drawn;
    drawn.name = world_.windowName(window.number);
    drawn.title = window.title;
    drawn.app = world_.appName(window.pid);
    const auto known = frames_.find(window.number);
    drawn.frame = known != frames_.end() ? known->second : window.frame;
    drawn.close = moved(window.close.offset, drawn.frame);
    drawn.minimize = moved(window.minimize.offset, drawn.frame);
    drawn.green = moved(window.zoom.offset, drawn.frame);
    drawn.greenEnabled = window.zoom.enabled;
    drawn.fullScreen = state.fullScreen;
    drawn.spaceShown = state.fullScreen && spaceShown(window.number, drawn.frame, scene.screens);
    drawn.ofFrontmostApp = frontmost == window.pid;
    drawn.alpha = std::clamp(window.alpha.value_or(1.0), 0.0, 1.0);
    scene.windows.push_back(std::move(drawn));
  }
  if (pointer_) {
    scene.pointer.emplace();
    scene.pointer->at = *pointer_;
  }
  return scene;
}

bool PageRecorder::spaceShown(std::uint32_t number, const Rect& frame,
                              const std::vector<DrawnScreen>& screens) const {
  const std::size_t screen = screenOf(frame, screens);
  for (auto space = spaces_.rbegin(); space != spaces_.rend(); ++space) {
    const auto known = frames_.find(*space);
    if (known == frames_.end() || screenOf(known->second, screens) != screen) continue;
    return *space == number;
  }
  return false;
}

void PageRecorder::happened(const Happening& happening) {
  if (happening.frame) frames_[happening.frame->window] = happening.frame->after;
  if (const sim::SimWindow* window = happening.window) {
    shown_[window->number] = Shown{window->onScreen, window->fullScreen};
    std::erase(spaces_, window->number);
    if (window->fullScreen && window->onScreen) spaces_.push_back(window->number);
  }
  if (happening.action) {
    if (const auto* focus = std::get_if<FocusWindow>(&happening.action->what)) {
      focusWindow(world_.window(focus->window));
    }
    // A click aimed at a window shows the space it is in.
    const auto* mouse = std::get_if<MouseAction>(&happening.action->what);
    if (mouse && mouse->target.window) focusWindow(world_.window(*mouse->target.window));
  }
  if (happening.pointer) pointer_ = happening.pointer;
  const sim::InputRecord* input = happening.input;
  const DrawnPointer::Mark mark = input ? markOf(input->type) : DrawnPointer::Mark::None;
  if (mark != DrawnPointer::Mark::None) pointer_ = input->location;

  Step step{happening.time, std::string(happening.tag), std::string(happening.line), scene(), {}};
  if (!happening.keys.empty()) {
    step.scene.keys = keyCaps(happening.keys);
    // Posted to the frontmost application: its front window.
    for (auto w = step.scene.windows.rbegin(); w != step.scene.windows.rend(); ++w) {
      if (w->app != step.scene.frontmost || (w->fullScreen && !w->spaceShown)) continue;
      step.scene.keysWindow = w->name;
      break;
    }
  }
  if (mark != DrawnPointer::Mark::None) {
    DrawnPointer& pointer = *step.scene.pointer;
    pointer.mark = mark;
    pointer.fate = !input->verdict                          ? DrawnPointer::Fate::NoTap
                   : *input->verdict == TapVerdict::Swallow ? DrawnPointer::Fate::Swallowed
                                                            : DrawnPointer::Fate::Passed;
    if (input->deliveredTo) pointer.reached = world_.appName(*input->deliveredTo);
  }
  if (happening.frame) {
    step.scene.changedWindow = world_.windowName(happening.frame->window);
    step.scene.before = happening.frame->before;
  }
  step.caption = captions_.caption(happening, step.scene, content_.steps);
  content_.steps.push_back(std::move(step));
}

void PageRecorder::focusWindow(const sim::SimWindow* window) {
  if (!window) return;
  std::erase(spaces_, window->number);
  const auto known = frames_.find(window->number);
  const Rect frame = known != frames_.end() ? known->second : window->frame;
  const auto shown = shown_.find(window->number);
  if (shown != shown_.end() && shown->second.fullScreen) {
    spaces_.push_back(window->number);
    return;
  }
  // An ordinary window in front: the desktop of its screen is shown again.
  std::vector<DrawnScreen> screens;
  for (std::size_t i = 0; i < mac_.desktop.screenCount(); ++i) {
    screens.push_back(DrawnScreen{mac_.desktop.screenFrame(i), mac_.desktop.visibleFrame(i)});
  }
  const std::size_t screen = screenOf(frame, screens);
  std::erase_if(spaces_, [&](std::uint32_t space) {
    const auto at = frames_.find(space);
    return at != frames_.end() && screenOf(at->second, screens) == screen;
  });
}

void PageRecorder::finish(const std::vector<ExpectationResult>& results) {
  // The expectations exactly as the text output has them.
  std::ostringstream text, errors;
  Timeline(text, false, mac_, world_).results(content_.file, results, errors);
  for (const std::string& line : linesOf(text.str())) {
    if (line.rfind("  ", 0) == 0) {
      content_.expectations.push_back(ExpectationLine{line.rfind("  met", 0) == 0, line});
    } else if (line != "expectations") {
      content_.summary = line;
    }
  }
  content_.allMet =
      std::all_of(results.begin(), results.end(), [](const ExpectationResult& r) { return r.met; });
}

void PageRecorder::stopped(std::string_view why) {
  content_.summary = why;
  content_.allMet = false;
}

}  // namespace plumora::simtool
