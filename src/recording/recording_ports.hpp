#pragma once

// The wrappers, one per port, each over the platform's own port and the recorder. Internal to
// the recording: the program sees them only as ports.

#include <memory>
#include <string>

#include "platform/platform.hpp"
#include "recording/recorder.hpp"
#include "recording/trace_text.hpp"

namespace plumora::recording {

// An element as the program holds it: the platform's handle inside.
class Element final : public ElementHandle {
 public:
  Element(ElementRef inner, Recorder& recorder) : inner_(std::move(inner)), recorder_(recorder) {}

  bool equals(const ElementHandle& other) const override;
  AXError copyAttribute(std::string_view name, RawValue& value) const override;
  AXError copyAttributes(std::span<const std::string_view> names, RawValue& reply) const override;
  AXError performAction(std::string_view action) const override;
  AXError setAttribute(std::string_view name, const RawValue& value) const override;
  AXError isAttributeSettable(std::string_view name, bool& settable) const override;
  AXError processId(std::int32_t& pid) const override;
  AXError setMessagingTimeout(float seconds) const override;
  AXError elementAtPosition(float x, float y, ElementRef& element) const override;

  const ElementRef& inner() const { return inner_; }

 private:
  ElementRef inner_;
  Recorder& recorder_;
};

// The platform's value with every element in it wrapped.
RawValue wrapped(const RawValue& value, Recorder& recorder);
// The platform's value with every wrapped element unwrapped, to hand a value down.
RawValue unwrapped(const RawValue& value);
ElementRef wrapped(ElementRef inner, Recorder& recorder);

class RecordingAccessibility final : public Accessibility {
 public:
  RecordingAccessibility(Accessibility& inner, Recorder& recorder)
      : inner_(inner), recorder_(recorder) {}
  ElementRef systemWide() override;
  ElementRef application(std::int32_t pid) override;
  bool isProcessTrusted(bool prompt) override;

 private:
  Accessibility& inner_;
  Recorder& recorder_;
};

class RecordingWindowServer final : public WindowServer {
 public:
  RecordingWindowServer(WindowServer& inner, Recorder& recorder)
      : inner_(inner), recorder_(recorder) {}
  void walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                   FunctionRef<WalkStep(const WindowValues&)> visit) override;

 private:
  WindowServer& inner_;
  Recorder& recorder_;
};

class RecordingClock final : public Clock {
 public:
  RecordingClock(Clock& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  // Not written down: every line carries the clock already.
  double mediaTime() override { return inner_.mediaTime(); }
  void sleep(double seconds) override;
  LocalTime localTime() override { return inner_.localTime(); }

 private:
  Clock& inner_;
  Recorder& recorder_;
};

class RecordingDispatch final : public Dispatch {
 public:
  RecordingDispatch(Dispatch& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  std::unique_ptr<SerialQueue> serialQueue(std::string_view label,
                                           QualityOfService quality) override;
  void syncMain(const std::function<void()>& block) override;
  void mainAfter(double seconds, Task task) override;
  std::unique_ptr<RepeatingTimer> mainRepeating(double interval, double tolerance,
                                                Task task) override;

 private:
  Dispatch& inner_;
  Recorder& recorder_;
};

class RecordingDefaults final : public Defaults {
 public:
  RecordingDefaults(Defaults& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  void registerDefaults(std::span<const std::pair<std::string_view, bool>> values) override;
  bool boolForKey(std::string_view key) override;
  void setBool(std::string_view key, bool value) override;
  RawValue valueForKey(std::string_view key) override;
  void setStrings(std::string_view key, std::span<const std::string> values) override;

 private:
  Defaults& inner_;
  Recorder& recorder_;
};

class RecordingUnifiedLog final : public UnifiedLog {
 public:
  RecordingUnifiedLog(UnifiedLog& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  bool isEnabled(LogLevel level) override;
  void write(LogLevel level, std::string_view message) override;

 private:
  UnifiedLog& inner_;
  Recorder& recorder_;
};

class RecordingSystem final : public System {
 public:
  RecordingSystem(System& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  std::vector<std::string> preferredLanguages() override;
  LanguageDirection characterDirection(std::string_view language) override;
  std::string homeFolder() override;
  std::int32_t processId() override;
  std::string bundleIdentifier() override;
  std::optional<std::string> bundleShortVersion() override;
  std::string operatingSystemVersion() override;
  void withBundleIdentifier(std::int32_t pid, FunctionRef<void(std::string_view)> use) override;
  std::optional<std::int32_t> frontmostApplicationPid() override;
  std::string applicationName(std::int32_t pid) override;
  std::vector<Screen> screens() override;
  std::vector<std::int32_t> runningApplications(std::string_view bundleIdentifier) override;
  bool openURL(std::string_view url) override;
  void terminate() override;
  void observeAccessibilityChanges(std::function<void()> handler) override;

 private:
  System& inner_;
  Recorder& recorder_;
};

class RecordingKeyboard final : public Keyboard {
 public:
  RecordingKeyboard(Keyboard& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  std::unique_ptr<EventSource> createSource(EventSourceState state) override;
  std::unique_ptr<KeyEvent> createKeyEvent(EventSource* source, std::uint16_t keyCode,
                                           bool keyDown) override;
  void post(EventTapLocation location, KeyEvent& event) override;

 private:
  Keyboard& inner_;
  Recorder& recorder_;
};

class RecordingEventTaps final : public EventTaps {
 public:
  RecordingEventTaps(EventTaps& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  std::shared_ptr<EventTap> create(EventTapLocation location, EventTapPlacement placement,
                                   EventTapOptions options, std::uint64_t eventsOfInterest,
                                   TapCallback callback) override;

 private:
  EventTaps& inner_;
  Recorder& recorder_;
};

class RecordingLoginItem final : public LoginItem {
 public:
  RecordingLoginItem(LoginItem& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  LoginItemStatus status() override;
  std::optional<std::string> registerItem() override;
  std::optional<std::string> unregisterItem() override;
  void openSystemSettingsLoginItems() override;

 private:
  LoginItem& inner_;
  Recorder& recorder_;
};

class RecordingStatusBar final : public StatusBar {
 public:
  RecordingStatusBar(StatusBar& inner, Recorder& recorder) : inner_(inner), recorder_(recorder) {}
  std::unique_ptr<StatusItem> makeSquareItem() override;
  std::shared_ptr<SymbolImage> symbolImage(std::string_view name,
                                           std::string_view accessibilityDescription) override;
  void showAboutPanel(std::string_view credits) override;

  // The title the status menu last showed for an action, so that a choice is recorded as the
  // user saw it; empty when no item had it. Main thread, as the menu is.
  std::string titleOf(MenuAction action) const;
  void menuShown(const std::vector<MenuItemModel>& items) { shown_ = items; }

 private:
  StatusBar& inner_;
  Recorder& recorder_;
  std::vector<MenuItemModel> shown_;
};

}  // namespace plumora::recording
