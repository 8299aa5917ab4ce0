// The replay's ports for the rest of the Mac: the system, the settings, the log, the keyboard, the
// event taps, the login item and the status bar, each answered from the book.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "recording/trace_text.hpp"
#include "replay/replay_ports_internal.hpp"

namespace plumora::simtool {

namespace {

using Ports = ReplayPorts::Ports;

}  // namespace

class Ports::Defaults final : public plumora::Defaults {
 public:
  explicit Defaults(Ports& ports) : ports_(ports) {}
  void registerDefaults(std::span<const std::pair<std::string_view, bool>> values) override {
    auto line = ports_.requests.line("defaults.register");
    ports_.write(line, registeredDefaultsText(values));
  }
  bool boolForKey(std::string_view key) override {
    auto line = ports_.requests.line("defaults.bool");
    line.text("key", key);
    return boolOf(ports_.read(line, "defaults").field("v"));
  }
  void setBool(std::string_view key, bool value) override {
    auto line = ports_.requests.line("defaults.setBool");
    line.text("key", key);
    ports_.write(line, value ? "true" : "false");
  }
  RawValue valueForKey(std::string_view key) override {
    auto line = ports_.requests.line("defaults.value");
    line.text("key", key);
    return ports_.value(ports_.read(line, "defaults"));
  }
  void setStrings(std::string_view key, std::span<const std::string> values) override {
    std::string list = "[";
    for (const std::string& value : values) {
      if (list.size() > 1) list += ',';
      appendJsonString(list, value);
    }
    auto line = ports_.requests.line("defaults.setStrings");
    line.text("key", key);
    ports_.write(line, list + "]");
  }

 private:
  Ports& ports_;
};

class Ports::UnifiedLog final : public plumora::UnifiedLog {
 public:
  explicit UnifiedLog(Ports& ports) : ports_(ports) {}
  bool isEnabled(LogLevel level) override {
    auto line = ports_.requests.line("log.enabled");
    line.text("level", name(level));
    return boolOf(ports_.read(line, "log.enabled").field("v"));
  }
  void write(LogLevel level, std::string_view message) override {
    auto line = ports_.requests.line("log");
    line.text("level", name(level));
    std::string payload;
    appendJsonString(payload, message);
    const auto& recorded = ports_.write(line, payload);
    // As recorded: a title the file hides is in the recorded line, not in the replayed one.
    if (ports_.listener.log) ports_.listener.log(level, textOf(recorded.field("v")));
  }

 private:
  static const char* name(LogLevel level) { return level == LogLevel::Debug ? "debug" : "default"; }
  Ports& ports_;
};

class Ports::System final : public plumora::System {
 public:
  explicit System(Ports& ports) : ports_(ports) {}
  std::vector<std::string> preferredLanguages() override {
    auto line = ports_.requests.line("sys.languages");
    std::vector<std::string> languages;
    if (const JsonValue* v = ports_.read(line, "sys").field("v")) {
      for (const auto& item : v->items) languages.push_back(item.text);
    }
    return languages;
  }
  LanguageDirection characterDirection(std::string_view language) override {
    auto line = ports_.requests.line("sys.direction");
    line.text("language", language);
    return static_cast<LanguageDirection>(integerOf(ports_.read(line, "sys").field("v")));
  }
  std::string homeFolder() override {
    auto line = ports_.requests.line("sys.home");
    // The recording keeps only whether there was one: the replay's own stands in.
    return boolOf(ports_.read(line, "sys").field("v")) ? ports_.home : std::string();
  }
  std::int32_t processId() override {
    auto line = ports_.requests.line("sys.pid");
    return static_cast<std::int32_t>(integerOf(ports_.read(line, "sys").field("v")));
  }
  std::string bundleIdentifier() override {
    auto line = ports_.requests.line("sys.bundleId");
    return textOf(ports_.read(line, "sys").field("v"));
  }
  std::optional<std::string> bundleShortVersion() override {
    auto line = ports_.requests.line("sys.shortVersion");
    const JsonValue* v = ports_.read(line, "sys").field("v");
    if (!v || v->kind != JsonValue::Kind::String) return std::nullopt;
    return v->text;
  }
  std::string operatingSystemVersion() override {
    auto line = ports_.requests.line("sys.osVersion");
    return textOf(ports_.read(line, "sys").field("v"));
  }
  void withBundleIdentifier(std::int32_t pid, FunctionRef<void(std::string_view)> use) override {
    auto line = ports_.requests.line("sys.bundleOf");
    line.integer("pid", pid);
    const JsonValue* v = ports_.read(line, "sys").field("v");
    if (v && v->kind == JsonValue::Kind::String) use(v->text);
  }
  std::string applicationName(std::int32_t pid) override {
    auto line = ports_.requests.line("sys.appName");
    line.integer("pid", pid);
    return textOf(ports_.read(line, "sys").field("v"));
  }
  std::optional<std::int32_t> frontmostApplicationPid() override {
    auto line = ports_.requests.line("sys.frontmost");
    const JsonValue* v = ports_.read(line, "sys").field("v");
    if (!v || v->kind != JsonValue::Kind::Number) return std::nullopt;
    return static_cast<std::int32_t>(v->number);
  }
  std::vector<Screen> screens() override {
    auto line = ports_.requests.line("sys.screens");
    std::vector<Screen> screens;
    if (const JsonValue* v = ports_.read(line, "sys").field("v")) {
      for (const auto& pair : v->items) {
        if (pair.items.size() != 2) continue;
        const auto rect = [&](const JsonValue& r) {
          const RawValue raw = rawValueOf(r, [](std::string) { return ElementRef(); });
          return raw.asRect() ? *raw.asRect() : Rect{};
        };
        screens.push_back({rect(pair.items[0]), rect(pair.items[1])});
      }
    }
    return screens;
  }
  std::vector<std::int32_t> runningApplications(std::string_view bundleIdentifier) override {
    auto line = ports_.requests.line("sys.running");
    line.text("bundleId", bundleIdentifier);
    std::vector<std::int32_t> pids;
    if (const JsonValue* v = ports_.read(line, "sys").field("v")) {
      for (const auto& item : v->items) pids.push_back(static_cast<std::int32_t>(item.number));
    }
    return pids;
  }
  bool openURL(std::string_view url) override {
    auto line = ports_.requests.line("sys.openURL");
    line.text("url", url);
    return boolOf(ports_.write(line).field("v"));
  }
  void terminate() override {
    auto line = ports_.requests.line("sys.terminate");
    ports_.write(line);
  }
  void observeAccessibilityChanges(std::function<void()> handler) override {
    auto line = ports_.requests.line("sys.observe");
    ports_.write(line);
    ports_.permissionHandler = std::move(handler);
  }

 private:
  Ports& ports_;
};

namespace {

class Source final : public EventSource {};

class Key final : public KeyEvent {
 public:
  Key(std::uint16_t keyCode, bool down, Ports& ports)
      : keyCode(keyCode), down(down), ports_(ports) {}
  void setFlags(std::uint64_t value) override {
    flags = value;
    auto line = ports_.requests.line("kb.flags");
    line.integer("key", keyCode)
        .boolean("down", down)
        .integer("flags", static_cast<std::int64_t>(value));
    ports_.write(line);
  }
  std::uint16_t keyCode;
  bool down;
  std::uint64_t flags = 0;

 private:
  Ports& ports_;
};

}  // namespace

class Ports::Keyboard final : public plumora::Keyboard {
 public:
  explicit Keyboard(Ports& ports) : ports_(ports) {}
  std::unique_ptr<EventSource> createSource(EventSourceState state) override {
    auto line = ports_.requests.line("kb.source");
    line.integer("state", static_cast<int>(state));
    if (!boolOf(ports_.write(line).field("v"))) return nullptr;
    return std::make_unique<Source>();
  }
  std::unique_ptr<KeyEvent> createKeyEvent(EventSource*, std::uint16_t keyCode,
                                           bool keyDown) override {
    auto line = ports_.requests.line("kb.event");
    line.integer("key", keyCode).boolean("down", keyDown);
    if (!boolOf(ports_.write(line).field("v"))) return nullptr;
    return std::make_unique<Key>(keyCode, keyDown, ports_);
  }
  void post(EventTapLocation location, KeyEvent& event) override {
    auto& key = static_cast<Key&>(event);
    auto line = ports_.requests.line("kb.post");
    line.integer("location", static_cast<int>(location))
        .integer("key", key.keyCode)
        .boolean("down", key.down)
        .integer("flags", static_cast<std::int64_t>(key.flags));
    ports_.write(line);
    if (ports_.listener.key) ports_.listener.key(key.keyCode, key.down, key.flags);
  }

 private:
  Ports& ports_;
};

namespace {

class Tap final : public EventTap {
 public:
  explicit Tap(Ports& ports) : ports_(ports) {}
  void setEnabled(bool enabled) override {
    auto line = ports_.requests.line("tap.enable");
    line.boolean("on", enabled);
    ports_.write(line);
    enabled_ = enabled;
  }
  bool isEnabled() const override {
    auto line = ports_.requests.line("tap.isEnabled");
    return boolOf(ports_.read(line, "tap").field("v"));
  }
  bool run(std::string_view) override {
    auto line = ports_.requests.line("tap.run");
    return boolOf(ports_.write(line).field("v"));
  }
  void stop() override {
    auto line = ports_.requests.line("tap.stop");
    ports_.write(line);
    stopped = true;
  }
  bool stopped = false;

 private:
  Ports& ports_;
  bool enabled_ = false;
};

}  // namespace

class Ports::EventTaps final : public plumora::EventTaps {
 public:
  explicit EventTaps(Ports& ports) : ports_(ports) {}
  std::shared_ptr<EventTap> create(EventTapLocation location, EventTapPlacement placement,
                                   EventTapOptions options, std::uint64_t eventsOfInterest,
                                   TapCallback callback) override {
    auto line = ports_.requests.line("tap.create");
    line.integer("location", static_cast<int>(location))
        .integer("placement", static_cast<int>(placement))
        .integer("options", static_cast<int>(options))
        .integer("mask", static_cast<std::int64_t>(eventsOfInterest));
    if (!boolOf(ports_.write(line).field("v"))) return nullptr;
    auto tap = std::make_shared<Tap>(ports_);
    ports_.tap = std::make_shared<LiveTap>(LiveTap{std::move(callback), tap.get()});
    return tap;
  }

 private:
  Ports& ports_;
};

class Ports::LoginItem final : public plumora::LoginItem {
 public:
  explicit LoginItem(Ports& ports) : ports_(ports) {}
  LoginItemStatus status() override {
    auto line = ports_.requests.line("login.status");
    return static_cast<LoginItemStatus>(integerOf(ports_.read(line, "login").field("v")));
  }
  std::optional<std::string> registerItem() override { return change("login.register"); }
  std::optional<std::string> unregisterItem() override { return change("login.unregister"); }
  void openSystemSettingsLoginItems() override {
    auto line = ports_.requests.line("login.open");
    ports_.write(line);
  }

 private:
  std::optional<std::string> change(std::string_view event) {
    auto line = ports_.requests.line(event);
    if (boolOf(ports_.write(line).field("v"))) return std::nullopt;
    return std::string("the recorded call failed");
  }
  Ports& ports_;
};

namespace {

class Symbol final : public SymbolImage {
 public:
  Symbol(std::string name, Ports& ports) : name(std::move(name)), ports_(ports) {}
  void setTemplate(bool isTemplate) override {
    auto line = ports_.requests.line("item.template");
    line.text("name", name);
    ports_.write(line, isTemplate ? "true" : "false");
  }
  const std::string name;

 private:
  Ports& ports_;
};

class Item final : public StatusItem {
 public:
  explicit Item(Ports& ports) : ports_(ports) {}
  bool hasButton() override {
    auto line = ports_.requests.line("item.hasButton");
    return boolOf(ports_.read(line, "item").field("v"));
  }
  void setImage(std::shared_ptr<SymbolImage> image) override {
    const auto* symbol = dynamic_cast<const Symbol*>(image.get());
    std::string payload = "null";
    if (symbol) {
      payload.clear();
      appendJsonString(payload, symbol->name);
    }
    auto line = ports_.requests.line("item.image");
    ports_.write(line, payload);
  }
  void setToolTip(std::string_view toolTip) override {
    std::string payload;
    appendJsonString(payload, toolTip);
    auto line = ports_.requests.line("item.toolTip");
    ports_.write(line, payload);
  }
  void setMenuItems(const std::vector<MenuItemModel>& items) override {
    auto line = ports_.requests.line("item.menu");
    ports_.write(line, menuText(items));
  }
  void performClick() override {
    auto line = ports_.requests.line("item.click");
    ports_.write(line);
    if (ports_.menuOpen) ports_.menuOpen();
  }

 private:
  Ports& ports_;
};

}  // namespace

class Ports::StatusBar final : public plumora::StatusBar {
 public:
  explicit StatusBar(Ports& ports) : ports_(ports) {}
  std::unique_ptr<StatusItem> makeSquareItem() override {
    auto line = ports_.requests.line("item.make");
    ports_.write(line);
    return std::make_unique<Item>(ports_);
  }
  std::shared_ptr<SymbolImage> symbolImage(std::string_view name, std::string_view) override {
    auto line = ports_.requests.line("item.symbol");
    line.text("name", name);
    if (!boolOf(ports_.read(line, "item").field("v"))) return nullptr;
    return std::make_shared<Symbol>(std::string(name), ports_);
  }
  void showAboutPanel(std::string_view) override {
    auto line = ports_.requests.line("item.about");
    ports_.write(line);
  }

 private:
  Ports& ports_;
};

void Ports::makeSystemPorts() {
  defaults = std::make_unique<Defaults>(*this);
  unifiedLog = std::make_unique<UnifiedLog>(*this);
  system = std::make_unique<System>(*this);
  keyboard = std::make_unique<Keyboard>(*this);
  eventTaps = std::make_unique<EventTaps>(*this);
  loginItem = std::make_unique<LoginItem>(*this);
  statusBar = std::make_unique<StatusBar>(*this);
}

}  // namespace plumora::simtool
