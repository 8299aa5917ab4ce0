#include "sim/locked_ports.hpp"

#include <cstdio>
#include <cstdlib>

namespace plumora::sim {
namespace {

using Guard = std::lock_guard<WorldLock>;

RawValue lockedValue(const RawValue& value, WorldLock& world) {
  if (const auto* e = value.asElement()) return RawValue::element(lockedElement(*e, world));
  if (const auto* items = value.asArray()) {
    RawValue::Array copy;
    for (const auto& item : *items) copy.push_back(lockedValue(item, world));
    return RawValue::array(std::move(copy));
  }
  if (const auto* entries = value.asDictionary()) {
    RawValue::Dictionary copy;
    for (const auto& [key, item] : *entries) copy.emplace_back(key, lockedValue(item, world));
    return RawValue::dictionary(std::move(copy));
  }
  return value;
}

class LockedElement : public ElementHandle {
 public:
  LockedElement(ElementRef inner, WorldLock& world) : inner_(std::move(inner)), world_(world) {}

  bool equals(const ElementHandle& other) const override {
    const auto* locked = dynamic_cast<const LockedElement*>(&other);
    Guard guard(world_);
    return inner_->equals(locked ? *locked->inner_ : other);
  }
  AXError copyAttribute(std::string_view name, RawValue& value) const override {
    Guard guard(world_);
    RawValue raw;
    const AXError error = inner_->copyAttribute(name, raw);
    value = lockedValue(raw, world_);
    return error;
  }
  AXError copyAttributes(std::span<const std::string_view> names, RawValue& reply) const override {
    Guard guard(world_);
    RawValue raw;
    const AXError error = inner_->copyAttributes(names, raw);
    reply = lockedValue(raw, world_);
    return error;
  }
  AXError performAction(std::string_view action) const override {
    Guard guard(world_);
    return inner_->performAction(action);
  }
  AXError setAttribute(std::string_view name, const RawValue& value) const override {
    Guard guard(world_);
    return inner_->setAttribute(name, value);
  }
  AXError isAttributeSettable(std::string_view name, bool& settable) const override {
    Guard guard(world_);
    return inner_->isAttributeSettable(name, settable);
  }
  AXError processId(std::int32_t& pid) const override {
    Guard guard(world_);
    return inner_->processId(pid);
  }
  AXError setMessagingTimeout(float seconds) const override {
    Guard guard(world_);
    return inner_->setMessagingTimeout(seconds);
  }
  AXError elementAtPosition(float x, float y, ElementRef& element) const override {
    Guard guard(world_);
    ElementRef found;
    const AXError error = inner_->elementAtPosition(x, y, found);
    if (found) element = lockedElement(found, world_);
    return error;
  }

 private:
  ElementRef inner_;
  WorldLock& world_;
};

// The program's reference to a tap; the simulated tap calls back through it, so the program's
// own re-enabling takes the lock too.
class LockedEventTap : public EventTap {
 public:
  explicit LockedEventTap(WorldLock& world) : world_(world) {}
  void setEnabled(bool enabled) override {
    Guard guard(world_);
    inner->setEnabled(enabled);
  }
  bool isEnabled() const override {
    Guard guard(world_);
    return inner->isEnabled();
  }
  bool run(std::string_view threadName) override {
    Guard guard(world_);
    return inner->run(threadName);
  }
  void stop() override {
    Guard guard(world_);
    inner->stop();
  }

  std::shared_ptr<EventTap> inner;

 private:
  WorldLock& world_;
};

}  // namespace

ElementRef lockedElement(ElementRef element, WorldLock& world) {
  return std::make_shared<LockedElement>(std::move(element), world);
}

ElementRef LockedAccessibility::systemWide() {
  Guard guard(world_);
  return lockedElement(inner_.systemWide(), world_);
}
ElementRef LockedAccessibility::application(std::int32_t pid) {
  Guard guard(world_);
  return lockedElement(inner_.application(pid), world_);
}
bool LockedAccessibility::isProcessTrusted(bool prompt) {
  Guard guard(world_);
  return inner_.isProcessTrusted(prompt);
}

void LockedWindowServer::walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                                     FunctionRef<WalkStep(const WindowValues&)> visit) {
  Guard guard(world_);
  inner_.walkWindows(options, relativeToWindow, visit);
}

void LockedSystem::requireMainThread(const char* call) const {
  if (dispatch_.isMainThread()) return;
  std::fprintf(stderr, "%s called off the main thread\n", call);
  std::abort();
}
std::vector<std::string> LockedSystem::preferredLanguages() {
  Guard guard(world_);
  return inner_.preferredLanguages();
}
LanguageDirection LockedSystem::characterDirection(std::string_view language) {
  Guard guard(world_);
  return inner_.characterDirection(language);
}
std::string LockedSystem::homeFolder() {
  Guard guard(world_);
  return inner_.homeFolder();
}
std::int32_t LockedSystem::processId() {
  Guard guard(world_);
  return inner_.processId();
}
std::string LockedSystem::bundleIdentifier() {
  Guard guard(world_);
  return inner_.bundleIdentifier();
}
std::optional<std::string> LockedSystem::bundleShortVersion() {
  Guard guard(world_);
  return inner_.bundleShortVersion();
}
std::string LockedSystem::operatingSystemVersion() {
  Guard guard(world_);
  return inner_.operatingSystemVersion();
}
void LockedSystem::withBundleIdentifier(std::int32_t pid, FunctionRef<void(std::string_view)> use) {
  Guard guard(world_);
  inner_.withBundleIdentifier(pid, use);
}
std::string LockedSystem::applicationName(std::int32_t pid) {
  requireMainThread("applicationName");
  Guard guard(world_);
  return inner_.applicationName(pid);
}
std::optional<std::int32_t> LockedSystem::frontmostApplicationPid() {
  requireMainThread("frontmostApplicationPid");
  Guard guard(world_);
  return inner_.frontmostApplicationPid();
}
std::vector<Screen> LockedSystem::screens() {
  requireMainThread("screens");
  Guard guard(world_);
  return inner_.screens();
}
std::vector<std::int32_t> LockedSystem::runningApplications(std::string_view bundleIdentifier) {
  requireMainThread("runningApplications");
  Guard guard(world_);
  return inner_.runningApplications(bundleIdentifier);
}
bool LockedSystem::openURL(std::string_view url) {
  requireMainThread("openURL");
  Guard guard(world_);
  return inner_.openURL(url);
}
void LockedSystem::terminate() {
  requireMainThread("terminate");
  Guard guard(world_);
  inner_.terminate();
}
void LockedSystem::observeAccessibilityChanges(std::function<void()> handler) {
  Guard guard(world_);
  inner_.observeAccessibilityChanges(std::move(handler));
}

std::unique_ptr<EventSource> LockedKeyboard::createSource(EventSourceState state) {
  Guard guard(world_);
  return inner_.createSource(state);
}
std::unique_ptr<KeyEvent> LockedKeyboard::createKeyEvent(EventSource* source, std::uint16_t keyCode,
                                                         bool keyDown) {
  Guard guard(world_);
  return inner_.createKeyEvent(source, keyCode, keyDown);
}
void LockedKeyboard::post(EventTapLocation location, KeyEvent& event) {
  Guard guard(world_);
  inner_.post(location, event);
}

void LockedDefaults::registerDefaults(std::span<const std::pair<std::string_view, bool>> values) {
  Guard guard(world_);
  inner_.registerDefaults(values);
}
bool LockedDefaults::boolForKey(std::string_view key) {
  Guard guard(world_);
  return inner_.boolForKey(key);
}
void LockedDefaults::setBool(std::string_view key, bool value) {
  Guard guard(world_);
  inner_.setBool(key, value);
}
RawValue LockedDefaults::valueForKey(std::string_view key) {
  Guard guard(world_);
  return inner_.valueForKey(key);
}
void LockedDefaults::setStrings(std::string_view key, std::span<const std::string> values) {
  Guard guard(world_);
  inner_.setStrings(key, values);
}

bool LockedUnifiedLog::isEnabled(LogLevel level) {
  Guard guard(world_);
  return inner_.isEnabled(level);
}
void LockedUnifiedLog::write(LogLevel level, std::string_view message) {
  Guard guard(world_);
  inner_.write(level, message);
}

LoginItemStatus LockedLoginItem::status() {
  Guard guard(world_);
  return inner_.status();
}
std::optional<std::string> LockedLoginItem::registerItem() {
  Guard guard(world_);
  return inner_.registerItem();
}
std::optional<std::string> LockedLoginItem::unregisterItem() {
  Guard guard(world_);
  return inner_.unregisterItem();
}
void LockedLoginItem::openSystemSettingsLoginItems() {
  Guard guard(world_);
  inner_.openSystemSettingsLoginItems();
}

std::unique_ptr<StatusItem> LockedStatusBar::makeSquareItem() {
  Guard guard(world_);
  return inner_.makeSquareItem();
}
std::shared_ptr<SymbolImage> LockedStatusBar::symbolImage(std::string_view name,
                                                          std::string_view description) {
  Guard guard(world_);
  return inner_.symbolImage(name, description);
}
void LockedStatusBar::showAboutPanel(std::string_view credits) {
  Guard guard(world_);
  inner_.showAboutPanel(credits);
}

std::shared_ptr<EventTap> LockedEventTaps::create(EventTapLocation location,
                                                  EventTapPlacement placement,
                                                  EventTapOptions options,
                                                  std::uint64_t eventsOfInterest,
                                                  TapCallback callback) {
  auto locked = std::make_shared<LockedEventTap>(world_);
  std::weak_ptr<LockedEventTap> weak = locked;
  Guard guard(world_);
  locked->inner = inner_.create(
      location, placement, options, eventsOfInterest,
      [weak, handle = std::move(callback)](EventTap&, EventType type, const TapEvent& event) {
        // A tap the program has let go of passes what is still in flight.
        auto tap = weak.lock();
        return tap ? handle(*tap, type, event) : TapVerdict::Pass;
      });
  if (!locked->inner) return nullptr;
  return locked;
}

ThreadedMac::ThreadedMac(SimMac& simMac, double speed) : mac(simMac), clock(speed) {}

void ThreadedMac::advanceWorld() {
  Guard guard(world);
  if (clock.mediaTime() > mac.clock.mediaTime()) mac.clock.advanceTo(clock.mediaTime());
}

}  // namespace plumora::sim
