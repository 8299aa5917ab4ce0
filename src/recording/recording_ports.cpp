// The wrappers of the ports other than accessibility: time, queues and timers, the event tap and
// the events it delivers, posted keys, the system, the settings, the log and the menu-bar item.
#include <utility>

#include "recording/recording_platform.hpp"
#include "recording/recording_ports.hpp"

namespace plumora::recording {
namespace {

// The recording's name of a queue's thread, from the program's label ("Plumora.Fill").
const char* threadOfQueue(std::string_view label) {
  if (label == "Plumora.Fill") return "fill";
  if (label == "Plumora.log") return "log";
  return "queue";
}

class Queue final : public SerialQueue {
 public:
  Queue(std::unique_ptr<SerialQueue> inner, const char* thread)
      : inner_(std::move(inner)), thread_(thread) {}
  void async(Task task) override { inner_->async(onThread(std::move(task))); }
  void after(double seconds, Task task) override {
    inner_->after(seconds, onThread(std::move(task)));
  }

 private:
  Task onThread(Task task) const {
    return [thread = thread_, task = std::move(task)] {
      const RecordingThread on(thread);
      task();
    };
  }
  std::unique_ptr<SerialQueue> inner_;
  const char* thread_;
};

class Tap final : public EventTap {
 public:
  Tap(std::shared_ptr<EventTap> inner, Recorder& recorder)
      : inner_(std::move(inner)), recorder_(recorder) {}
  void setEnabled(bool enabled) override {
    if (recorder_.active()) recorder_.line("tap.enable").boolean("on", enabled).done();
    inner_->setEnabled(enabled);
  }
  bool isEnabled() const override {
    const bool enabled = inner_->isEnabled();
    if (recorder_.active()) recorder_.line("tap.isEnabled").boolean("v", enabled).done();
    return enabled;
  }
  bool run(std::string_view threadName) override {
    if (!recorder_.active()) return inner_->run(threadName);
    auto line = recorder_.line("tap.run");
    const bool ran = inner_->run(threadName);
    line.boolean("v", ran).done();
    return ran;
  }
  void stop() override {
    if (recorder_.active()) recorder_.line("tap.stop").done();
    inner_->stop();
  }

 private:
  std::shared_ptr<EventTap> inner_;
  Recorder& recorder_;
};

class Key final : public KeyEvent {
 public:
  Key(std::unique_ptr<KeyEvent> inner, std::uint16_t keyCode, bool down, Recorder& recorder)
      : inner_(std::move(inner)), keyCode_(keyCode), down_(down), recorder_(recorder) {}
  void setFlags(std::uint64_t flags) override {
    flags_ = flags;
    if (recorder_.active()) {
      recorder_.line("kb.flags")
          .integer("key", keyCode_)
          .boolean("down", down_)
          .integer("flags", static_cast<std::int64_t>(flags))
          .done();
    }
    inner_->setFlags(flags);
  }
  KeyEvent& inner() { return *inner_; }
  std::uint16_t keyCode() const { return keyCode_; }
  bool down() const { return down_; }
  std::uint64_t flags() const { return flags_; }

 private:
  std::unique_ptr<KeyEvent> inner_;
  std::uint16_t keyCode_;
  bool down_;
  std::uint64_t flags_ = 0;
  Recorder& recorder_;
};

class Source final : public EventSource {
 public:
  explicit Source(std::unique_ptr<EventSource> inner) : inner_(std::move(inner)) {}
  EventSource* inner() { return inner_.get(); }

 private:
  std::unique_ptr<EventSource> inner_;
};

std::string textList(const std::vector<std::string>& texts) {
  std::string list = "[";
  for (const std::string& text : texts) {
    if (list.size() > 1) list += ',';
    appendJsonString(list, text);
  }
  return list + "]";
}

}  // namespace

void RecordingClock::sleep(double seconds) {
  if (!recorder_.active()) {
    inner_.sleep(seconds);
    return;
  }
  auto line = recorder_.line("clock.sleep");
  line.number("seconds", seconds);
  inner_.sleep(seconds);
  line.done();
}

std::unique_ptr<SerialQueue> RecordingDispatch::serialQueue(std::string_view label,
                                                            QualityOfService quality) {
  return std::make_unique<Queue>(inner_.serialQueue(label, quality), threadOfQueue(label));
}

void RecordingDispatch::syncMain(const std::function<void()>& block) {
  inner_.syncMain([&block] {
    const RecordingThread on("main");
    block();
  });
}

void RecordingDispatch::mainAfter(double seconds, Task task) {
  inner_.mainAfter(seconds, [this, seconds, task = std::move(task)] {
    const RecordingThread on("main");
    if (recorder_.active()) recorder_.line("timer.fire").number("after", seconds).done();
    task();
  });
}

std::unique_ptr<RepeatingTimer> RecordingDispatch::mainRepeating(double interval, double tolerance,
                                                                 Task task) {
  return inner_.mainRepeating(interval, tolerance, [this, interval, task = std::move(task)] {
    const RecordingThread on("main");
    if (recorder_.active()) recorder_.line("timer.tick").number("every", interval).done();
    task();
  });
}

void RecordingDefaults::registerDefaults(
    std::span<const std::pair<std::string_view, bool>> values) {
  if (recorder_.active()) {
    recorder_.line("defaults.register").raw("v", registeredDefaultsText(values)).done();
  }
  inner_.registerDefaults(values);
}

bool RecordingDefaults::boolForKey(std::string_view key) {
  const bool value = inner_.boolForKey(key);
  if (recorder_.active())
    recorder_.line("defaults.bool").text("key", key).boolean("v", value).done();
  return value;
}

void RecordingDefaults::setBool(std::string_view key, bool value) {
  if (recorder_.active()) {
    recorder_.line("defaults.setBool").text("key", key).boolean("v", value).done();
  }
  inner_.setBool(key, value);
}

RawValue RecordingDefaults::valueForKey(std::string_view key) {
  RawValue value = inner_.valueForKey(key);
  if (recorder_.active())
    recorder_.line("defaults.value").text("key", key).value("v", value).done();
  return value;
}

void RecordingDefaults::setStrings(std::string_view key, std::span<const std::string> values) {
  if (recorder_.active()) {
    recorder_.line("defaults.setStrings")
        .text("key", key)
        .raw("v", textList(std::vector<std::string>(values.begin(), values.end())))
        .done();
  }
  inner_.setStrings(key, values);
}

bool RecordingUnifiedLog::isEnabled(LogLevel level) {
  const bool enabled = inner_.isEnabled(level);
  if (recorder_.active()) {
    recorder_.line("log.enabled")
        .text("level", level == LogLevel::Debug ? "debug" : "default")
        .boolean("v", enabled)
        .done();
  }
  return enabled;
}

void RecordingUnifiedLog::write(LogLevel level, std::string_view message) {
  if (recorder_.active()) {
    recorder_.line("log")
        .text("level", level == LogLevel::Debug ? "debug" : "default")
        .text("v", message)
        .done();
  }
  inner_.write(level, message);
}

std::vector<std::string> RecordingSystem::preferredLanguages() {
  auto languages = inner_.preferredLanguages();
  if (recorder_.active()) recorder_.line("sys.languages").raw("v", textList(languages)).done();
  return languages;
}

LanguageDirection RecordingSystem::characterDirection(std::string_view language) {
  const auto direction = inner_.characterDirection(language);
  if (recorder_.active()) {
    recorder_.line("sys.direction")
        .text("language", language)
        .integer("v", static_cast<int>(direction))
        .done();
  }
  return direction;
}

std::string RecordingSystem::homeFolder() {
  auto home = inner_.homeFolder();
  // The user's name is in it: only whether there is one.
  if (recorder_.active()) recorder_.line("sys.home").boolean("v", !home.empty()).done();
  return home;
}

std::int32_t RecordingSystem::processId() {
  const auto pid = inner_.processId();
  if (recorder_.active()) recorder_.line("sys.pid").integer("v", pid).done();
  return pid;
}

std::string RecordingSystem::bundleIdentifier() {
  auto id = inner_.bundleIdentifier();
  if (recorder_.active()) recorder_.line("sys.bundleId").text("v", id).done();
  return id;
}

std::optional<std::string> RecordingSystem::bundleShortVersion() {
  auto version = inner_.bundleShortVersion();
  if (recorder_.active()) {
    auto line = recorder_.line("sys.shortVersion");
    if (version) {
      line.text("v", *version);
    } else {
      line.raw("v", "null");
    }
    line.done();
  }
  return version;
}

std::string RecordingSystem::operatingSystemVersion() {
  auto version = inner_.operatingSystemVersion();
  if (recorder_.active()) recorder_.line("sys.osVersion").text("v", version).done();
  return version;
}

std::optional<std::int32_t> RecordingSystem::frontmostApplicationPid() {
  const auto pid = inner_.frontmostApplicationPid();
  if (recorder_.active()) {
    auto line = recorder_.line("sys.frontmost");
    if (pid) {
      line.integer("v", *pid);
    } else {
      line.raw("v", "null");
    }
    line.done();
  }
  return pid;
}

void RecordingSystem::withBundleIdentifier(std::int32_t pid,
                                           FunctionRef<void(std::string_view)> use) {
  // Asked on the tap's thread for a click: with no recording running, nothing is copied.
  if (!recorder_.active()) {
    inner_.withBundleIdentifier(pid, use);
    return;
  }
  auto line = recorder_.line("sys.bundleOf");
  line.integer("pid", pid);
  std::optional<std::string> id;
  inner_.withBundleIdentifier(pid, [&](std::string_view bundle) { id = std::string(bundle); });
  if (id) {
    line.text("v", *id);
  } else {
    line.raw("v", "null");
  }
  line.done();
  if (id) use(*id);
}

std::string RecordingSystem::applicationName(std::int32_t pid) {
  auto name = inner_.applicationName(pid);
  if (recorder_.active()) recorder_.line("sys.appName").integer("pid", pid).text("v", name).done();
  return name;
}

std::vector<Screen> RecordingSystem::screens() {
  auto screens = inner_.screens();
  if (recorder_.active()) {
    std::string list = "[";
    for (const Screen& screen : screens) {
      if (list.size() > 1) list += ',';
      list += '[';
      for (const Rect* r : {&screen.frame, &screen.visibleFrame}) {
        if (r != &screen.frame) list += ',';
        appendRawValue(list, RawValue::rect(*r), {});
      }
      list += ']';
    }
    recorder_.line("sys.screens").raw("v", list + "]").done();
  }
  return screens;
}

std::vector<std::int32_t> RecordingSystem::runningApplications(std::string_view bundleIdentifier) {
  auto pids = inner_.runningApplications(bundleIdentifier);
  if (recorder_.active()) {
    std::string list = "[";
    for (const auto pid : pids) {
      if (list.size() > 1) list += ',';
      appendJsonInteger(list, pid);
    }
    recorder_.line("sys.running").text("bundleId", bundleIdentifier).raw("v", list + "]").done();
  }
  return pids;
}

bool RecordingSystem::openURL(std::string_view url) {
  const bool opened = inner_.openURL(url);
  if (recorder_.active())
    recorder_.line("sys.openURL").text("url", url).boolean("v", opened).done();
  return opened;
}

void RecordingSystem::terminate() {
  if (recorder_.active()) recorder_.line("sys.terminate").done();
  inner_.terminate();
}

void RecordingSystem::observeAccessibilityChanges(std::function<void()> handler) {
  if (recorder_.active()) recorder_.line("sys.observe").done();
  inner_.observeAccessibilityChanges([this, handler = std::move(handler)] {
    const RecordingThread on("main");
    if (recorder_.active()) recorder_.line("sys.notice").done();
    handler();
  });
}

std::unique_ptr<EventSource> RecordingKeyboard::createSource(EventSourceState state) {
  auto source = inner_.createSource(state);
  if (recorder_.active()) {
    recorder_.line("kb.source")
        .integer("state", static_cast<int>(state))
        .boolean("v", source != nullptr)
        .done();
  }
  if (!source) return nullptr;
  return std::make_unique<Source>(std::move(source));
}

std::unique_ptr<KeyEvent> RecordingKeyboard::createKeyEvent(EventSource* source,
                                                            std::uint16_t keyCode, bool keyDown) {
  auto* own = dynamic_cast<Source*>(source);
  auto event = inner_.createKeyEvent(own ? own->inner() : source, keyCode, keyDown);
  if (recorder_.active()) {
    recorder_.line("kb.event")
        .integer("key", keyCode)
        .boolean("down", keyDown)
        .boolean("v", event != nullptr)
        .done();
  }
  if (!event) return nullptr;
  return std::make_unique<Key>(std::move(event), keyCode, keyDown, recorder_);
}

void RecordingKeyboard::post(EventTapLocation location, KeyEvent& event) {
  auto* own = dynamic_cast<Key*>(&event);
  if (recorder_.active() && own) {
    recorder_.line("kb.post")
        .integer("location", static_cast<int>(location))
        .integer("key", own->keyCode())
        .boolean("down", own->down())
        .integer("flags", static_cast<std::int64_t>(own->flags()))
        .done();
  }
  inner_.post(location, own ? own->inner() : event);
}

std::shared_ptr<EventTap> RecordingEventTaps::create(EventTapLocation location,
                                                     EventTapPlacement placement,
                                                     EventTapOptions options,
                                                     std::uint64_t eventsOfInterest,
                                                     TapCallback callback) {
  // The program's callback gets the wrapped tap, which exists only once the platform made its
  // own: the holder is filled in after.
  auto holder = std::make_shared<std::weak_ptr<Tap>>();
  Recorder& recorder = recorder_;
  TapCallback recording = [holder, &recorder, callback = std::move(callback)](
                              EventTap& tap, EventType type, const TapEvent& event) {
    const RecordingThread on("tap");
    const auto own = holder->lock();
    if (!recorder.active()) return callback(own ? *own : tap, type, event);
    const Point at = event.location();
    recorder.line("tap.event")
        .text("type", eventTypeName(type))
        .integer("flags", static_cast<std::int64_t>(event.flags()))
        .number("x", at.x)
        .number("y", at.y)
        .done();
    const TapVerdict verdict = callback(own ? *own : tap, type, event);
    recorder.line("tap.verdict")
        .text("v", verdict == TapVerdict::Swallow ? "swallow" : "pass")
        .done();
    return verdict;
  };
  auto inner = inner_.create(location, placement, options, eventsOfInterest, std::move(recording));
  if (recorder_.active()) {
    recorder_.line("tap.create")
        .integer("location", static_cast<int>(location))
        .integer("placement", static_cast<int>(placement))
        .integer("options", static_cast<int>(options))
        .integer("mask", static_cast<std::int64_t>(eventsOfInterest))
        .boolean("v", inner != nullptr)
        .done();
  }
  if (!inner) return nullptr;
  auto tap = std::make_shared<Tap>(std::move(inner), recorder_);
  *holder = tap;
  return tap;
}

}  // namespace plumora::recording
