#include "compare/tiling_timings.hpp"

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "compare/recorded_desktop.hpp"
#include "compare/recorded_values.hpp"

namespace plumora::simtool {
namespace {

using recorded::readsFrame;
using recorded::same;

std::string text(const RecordedEvent& e, std::string_view key) {
  return recorded::textOf(e.field(key));
}

struct Stretch {
  std::size_t started = 0;
  double at = 0;
  std::string window;
  Rect before;
  std::vector<std::pair<double, Rect>> reads;
};

void close(std::optional<Stretch>& s, Timings& timings) {
  if (!s || s->reads.empty()) {
    s.reset();
    return;
  }
  const Rect final = s->reads.back().second;
  if (!same(final, s->before)) {
    std::size_t first = s->reads.size() - 1;
    while (first > 0 && same(s->reads[first - 1].second, final)) --first;
    timings.settling[s->started] = s->reads[first].first - s->at;
  }
  s.reset();
}

}  // namespace

Timings timingsOf(const Recording& recording) {
  Timings timings;
  std::optional<Stretch> stretch;
  std::string lastWindow;
  std::optional<Rect> lastFrame;
  struct Asked {
    std::size_t number;
    double at;
    std::string pid;
    std::string window;
  };
  std::string raised, front;
  double polled = 0;
  std::optional<Asked> activation;
  for (const RecordedEvent& e : recording.events) {
    const bool tilingKey = e.event == "kb.post" && e.field("down") && e.field("down")->boolean &&
                           e.field("key") &&
                           (e.field("key")->number == 3 || e.field("key")->number == 15);
    const bool press =
        e.event == "ax.perform" && e.thread == "fill" && text(e, "action") == "AXPress";
    if (e.event == "tap.event" && text(e, "type") == "leftDown") {
      close(stretch, timings);
      activation.reset();
    } else if ((tilingKey || press) && !lastWindow.empty() && lastFrame) {
      close(stretch, timings);
      stretch = Stretch{e.number, e.before, lastWindow, *lastFrame, {}};
    } else if (readsFrame(e) && e.thread == "fill") {
      const auto frame = frameOf(e.field("v"));
      if (!frame) continue;
      if (stretch && stretch->window == text(e, "el"))
        stretch->reads.emplace_back(e.before, *frame);
      lastWindow = text(e, "el");
      lastFrame = frame;
    } else if (e.event == "ax.set" &&
               (text(e, "attr") == "AXPosition" || text(e, "attr") == "AXSize")) {
      close(stretch, timings);
    } else if (e.event == "ax.perform" && text(e, "action") == "AXRaise") {
      raised = text(e, "el");
    } else if (e.event == "ax.set" && text(e, "attr") == "AXFrontmost" && !activation) {
      const std::string el = text(e, "el");
      activation = Asked{e.number, e.before, el.substr(0, el.find(':')), raised};
    } else if (e.event == "sys.frontmost" && e.field("v")) {
      front = e.field("v")->text;
      polled = e.before;
    } else if (e.event == "ax.copy" && activation && front == activation->pid &&
               (text(e, "attr") == "AXFocusedWindow" || text(e, "attr") == "AXMainWindow") &&
               e.field("v") && text(e, "el").rfind(activation->pid + ":", 0) == 0 &&
               e.field("v")->find("el") && e.field("v")->find("el")->text == activation->window) {
      // Active: its application in front, and the window focused or main.
      timings.activation[activation->number] = polled - activation->at;
      activation.reset();
    }
  }
  close(stretch, timings);
  return timings;
}

}  // namespace plumora::simtool
