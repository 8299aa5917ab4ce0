#include "replay/replay_run.hpp"

#include <cstdio>
#include <deque>
#include <optional>
#include <set>
#include <sstream>

#include "accessibility/rect_text.hpp"
#include "page/log_in_english.hpp"
#include "recording/recording_platform.hpp"
#include "replay/replay_book.hpp"
#include "replay/replay_ports.hpp"
#include "replay/replay_scene.hpp"
#include "run/core_app.hpp"
#include "run/recording_in_progress.hpp"
#include "run/temp_home.hpp"
#include "run/text_format.hpp"
#include "sim/manual_dispatch.hpp"
#include "sim/virtual_clock.hpp"
#include "support/log_file.hpp"

namespace plumora::simtool {
namespace {

class SilentSink final : public RecordingSink {
 public:
  void write(std::string_view) override {}
};

class RecordedTapEvent final : public TapEvent {
 public:
  RecordedTapEvent(std::uint64_t flags, Point at) : flags_(flags), at_(at) {}
  std::uint64_t flags() const override { return flags_; }
  Point location() const override { return at_; }

 private:
  std::uint64_t flags_;
  Point at_;
};

std::optional<EventType> eventTypeNamed(std::string_view name) {
  for (const EventType type :
       {EventType::Null, EventType::LeftMouseDown, EventType::LeftMouseUp,
        EventType::RightMouseDown, EventType::RightMouseUp, EventType::MouseMoved,
        EventType::LeftMouseDragged, EventType::TapDisabledByTimeout,
        EventType::TapDisabledByUserInput}) {
    if (eventTypeName(type) == name) return type;
  }
  return std::nullopt;
}

std::optional<MenuAction> menuActionNamed(std::string_view name) {
  for (const MenuAction action :
       {MenuAction::ToggleEnabled, MenuAction::ToggleRestore, MenuAction::ToggleLogin,
        MenuAction::ToggleException, MenuAction::OpenAccessibilitySettings, MenuAction::ShowAbout,
        MenuAction::Quit, MenuAction::ToggleRecording}) {
    if (menuActionName(action) == name) return action;
  }
  return std::nullopt;
}

double numberOf(const RecordedEvent& event, std::string_view key) {
  const JsonValue* value = event.field(key);
  return value && value->kind == JsonValue::Kind::Number ? value->number : 0;
}

class Printer {
 public:
  Printer(std::ostream& out, bool quiet, PageContent* page, ReplayScene* scene)
      : out_(out), quiet_(quiet), page_(page), scene_(scene) {}
  // `caption` says on the page what the line means, in plain English.
  void line(double time, std::string_view tag, const std::string& text,
            const std::string& caption = {}) {
    if (quiet_ && !page_) return;
    char column[48];
    std::snprintf(column, sizeof column, "%8.3f  %-8.*s ", time, static_cast<int>(tag.size()),
                  tag.data());
    if (!quiet_) out_ << column << text << '\n';
    if (page_) {
      page_->steps.push_back({time, std::string(tag), column + text, scene_->take(),
                              caption.empty() ? text : caption});
    }
  }
  void log(double time, std::string_view message) {
    const std::string text = formatTimestamp(sim::localTimeAt(time)) + " " + std::string(message);
    if (quiet_) out_ << text << '\n';
    line(time, "log", text, "Plumora's log: " + meaningOf(message).sentence);
  }

 private:
  std::ostream& out_;
  bool quiet_;
  PageContent* page_;
  ReplayScene* scene_;
};

// Recorded events reach the program's tap one at a time: an event that falls due while the tap's
// callback still runs (a slow request inside it) waits for it, as the tap's thread makes it wait.
class TapFeed {
 public:
  TapFeed(ReplayBook& book, ReplayPorts& ports, sim::VirtualClock& clock,
          sim::ManualDispatch& dispatch, Printer& print, ReplayScene* scene)
      : book_(book),
        ports_(ports),
        clock_(clock),
        dispatch_(dispatch),
        print_(print),
        scene_(scene) {}

  void deliver(const RecordedEvent& event) {
    waiting_.push_back(&event);
    if (busy_) return;
    busy_ = true;
    while (!waiting_.empty()) {
      const RecordedEvent& next = *waiting_.front();
      waiting_.pop_front();
      one(next);
    }
    busy_ = false;
  }

 private:
  void one(const RecordedEvent& event) {
    book_.delivered(event);
    const JsonValue* typeName = event.field("type");
    const auto type = eventTypeNamed(typeName ? typeName->text : "");
    const auto& tap = ports_.liveTap();
    if (!type || !tap) {
      book_.write("tap", "{\"ev\":\"tap.event\"}",
                  type ? "(the program has no tap)" : "(an unknown event type)",
                  clock_.mediaTime());
      return;
    }
    const Point at{numberOf(event, "x"), numberOf(event, "y")};
    const RecordedTapEvent tapEvent(static_cast<std::uint64_t>(numberOf(event, "flags")), at);
    TapVerdict verdict = TapVerdict::Pass;
    dispatch_.onWorkerThread([&] { verdict = tap->callback(*tap->tap, *type, tapEvent); });
    const bool swallowed = verdict == TapVerdict::Swallow;
    const bool press = *type == EventType::LeftMouseDown || *type == EventType::RightMouseDown;
    if (scene_) scene_->clicked(at, press, swallowed);
    print_.line(
        clock_.mediaTime(), "input",
        typeName->text + " at " + pointText(at) + ": " + (swallowed ? "swallowed" : "passed"),
        std::string("The recorded ") + (press ? "press" : "release") + " at " + pointText(at) +
            " reached Plumora's event tap, which " +
            (swallowed ? "swallowed it." : "let it pass to the application."));
    book_.write("tap", "{\"ev\":\"tap.verdict\"}", swallowed ? "\"swallow\"" : "\"pass\"",
                clock_.mediaTime());
  }

  ReplayBook& book_;
  ReplayPorts& ports_;
  sim::VirtualClock& clock_;
  sim::ManualDispatch& dispatch_;
  Printer& print_;
  ReplayScene* scene_;
  std::deque<const RecordedEvent*> waiting_;
  bool busy_ = false;
};

void report(const Divergence& d, std::string_view file, std::ostream& errors) {
  errors << "plumora-sim: " << file << ": the replay diverged at event " << d.event << " ("
         << d.thread << " thread, " << secondsText(d.time) << " s)\n"
         << "  the file expects: " << d.expected << '\n'
         << "  the program asked: " << d.asked << '\n'
         << "  closest recorded:  " << d.closest << '\n';
  if (!d.before.empty()) errors << "  the events before it:\n";
  for (const std::string& event : d.before) errors << "    " << event << '\n';
}

}  // namespace

ExitStatus replay(const Recording& recording, std::string_view file, bool quiet, std::ostream& out,
                  std::ostream& errors, PageContent* page) {
  const TempHome home;
  if (home.path().empty()) {
    errors << "plumora-sim: cannot make a temporary folder for the program's log file\n";
    return kInternalError;
  }
  sim::VirtualClock clock(recording.start);
  sim::ManualDispatch dispatch(clock);
  ReplayBook book(recording);
  ReplayPorts ports(book, clock, dispatch, home.path().string());
  SilentSink silent;
  Recorder threads(clock, silent);  // never started: its wrappers only name the threads
  RecordingPlatform platform(ports.platform(), threads);

  std::optional<ReplayScene> scene;
  if (page) {
    scene.emplace(recording);
    book.watch([&](const RecordedEvent& event) { scene->seen(event); });
    page->file = std::string(file);
  }
  Printer print(out, quiet, page, scene ? &*scene : nullptr);
  std::ostringstream header;
  header << "plumora-sim: replay of " << file << ", recorded by Plumora "
         << recording.plumoraVersion << " on " << recording.systemVersion << ", "
         << recording.events.size() << " events\n";
  for (const auto& screen : recording.screens) {
    header << "screen " << describe(screen.frame) << ", usable " << describe(screen.visible)
           << '\n';
  }
  if (!recording.quirks.empty()) {
    header << "quirks:";
    for (const auto& quirk : recording.quirks) header << ' ' << quirk;
    header << '\n';
  }
  if (!quiet) out << header.str();
  if (page) {
    std::istringstream lines(header.str());
    for (std::string line; std::getline(lines, line);) page->intro.push_back(line);
  }
  ports.listen({[&](LogLevel, std::string_view message) { print.log(clock.mediaTime(), message); },
                [&](std::uint16_t key, bool down, std::uint64_t flags) {
                  if (down) {
                    print.line(clock.mediaTime(), "keys",
                               "shortcut key " + std::to_string(key) + " flags " +
                                   std::to_string(flags) + " posted");
                  }
                },
                [&](std::string_view element, std::string_view what) {
                  print.line(clock.mediaTime(), "write",
                             std::string(element) + " " + std::string(what));
                }});

  TapFeed taps(book, ports, clock, dispatch, print, scene ? &*scene : nullptr);
  std::optional<CoreApp> core;
  RecordingInProgress session({});
  double end = recording.start;
  for (const RecordedEvent& event : recording.events) end = std::max(end, event.after);

  try {
    core.emplace(platform.platform());
    // A recording is of a session being recorded: its menu says so, and can stop it.
    core->setSession(session);
    // The status menu opens when the user clicks the item, at its recorded time, or within the
    // program's own click on it; each recorded opening happens once.
    std::vector<const RecordedEvent*> openings;
    std::set<const RecordedEvent*> opened;
    const auto open = [&](const RecordedEvent& event) {
      if (!opened.insert(&event).second) return;
      book.delivered(event);
      print.line(clock.mediaTime(), "user", "the status menu opens");
      core->menuNeedsUpdate();
    };
    ports.onMenuOpen([&] {
      for (const RecordedEvent* event : openings) {
        if (!opened.count(event)) {
          if (event->before <= clock.mediaTime()) open(*event);
          return;
        }
      }
    });
    for (const RecordedEvent* input : book.inputs()) {
      const RecordedEvent& event = *input;
      if (event.event == "tap.event") {
        clock.at(event.before, [&] { taps.deliver(event); });
      } else if (event.event == "sys.notice") {
        dispatch.mainAfter(event.before - recording.start, [&] {
          book.delivered(event);
          print.line(clock.mediaTime(), "world", "the permission notice arrives");
          if (ports.permissionHandler()) ports.permissionHandler()();
        });
      } else if (event.event == "menu.open") {
        openings.push_back(&event);
        dispatch.mainAfter(event.before - recording.start, [&] { open(event); });
      } else if (event.event == "menu.choice") {
        dispatch.mainAfter(event.before - recording.start, [&] {
          book.delivered(event);
          const JsonValue* v = event.field("v");
          const auto action = menuActionNamed(v ? v->text : "");
          print.line(clock.mediaTime(), "user", "chooses " + (v ? v->text : "?") + " in the menu");
          if (action) core->choose(*action);
        });
      }
    }
    core->launch();
    dispatch.runUntil(end);
  } catch (const Diverged&) {
    // Reported below, once the program is taken down.
  } catch (const std::exception& e) {
    out.flush();
    errors << "plumora-sim: " << file << ": the replay stopped at "
           << secondsText(clock.mediaTime()) << " s: " << e.what() << '\n';
    book.stopThrowing();
    core.reset();
    return kInternalError;
  }
  book.stopThrowing();
  core.reset();
  book.finish(clock.mediaTime());
  out.flush();
  if (const auto& divergence = book.divergence()) {
    report(*divergence, file, errors);
    if (page) {
      page->summary = "the replay diverged at event " + std::to_string(divergence->event);
      page->allMet = false;
    }
    return kExpectationFailed;
  }
  if (page) page->summary = "every request answered from the recording";
  print.line(clock.mediaTime(), "end", "of the replay");
  if (!quiet) {
    out << "replayed: " << book.answered() << " of " << recording.events.size()
        << " events answered or delivered; every request answered from the file, the log lines "
           "as recorded\n";
  }
  return kAllMet;
}

}  // namespace plumora::simtool
