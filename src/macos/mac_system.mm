#include "macos/mac_system.hpp"

#import <AppKit/AppKit.h>
#include <unistd.h>

#include <utility>

#include "macos/ns_string.hpp"

// Calls the handler for every notification it receives.
@interface PlumoraNotificationObserver : NSObject
- (instancetype)initWithHandler:(std::function<void()>)handler;
- (void)notified:(NSNotification*)notification;
@end

@implementation PlumoraNotificationObserver {
  std::function<void()> _handler;
}

- (instancetype)initWithHandler:(std::function<void()>)handler {
  if ((self = [super init])) _handler = std::move(handler);
  return self;
}

- (void)notified:(NSNotification*)notification {
  (void)notification;
  if (_handler) _handler();
}

@end

namespace plumora {

namespace {

Rect toRect(NSRect r) { return Rect::make(r.origin.x, r.origin.y, r.size.width, r.size.height); }

}  // namespace

MacSystem::MacSystem() : observers_([NSMutableArray array]) {}

MacSystem::~MacSystem() {
  NSDistributedNotificationCenter* center = [NSDistributedNotificationCenter defaultCenter];
  for (id observer in observers_) [center removeObserver:observer];
}

std::vector<std::string> MacSystem::preferredLanguages() {
  std::vector<std::string> languages;
  for (NSString* language in [NSLocale preferredLanguages]) {
    languages.push_back(toStdString(language));
  }
  return languages;
}

LanguageDirection MacSystem::characterDirection(std::string_view language) {
  switch ([NSLocale characterDirectionForLanguage:toNSString(language)]) {
    case NSLocaleLanguageDirectionLeftToRight:
      return LanguageDirection::LeftToRight;
    case NSLocaleLanguageDirectionRightToLeft:
      return LanguageDirection::RightToLeft;
    case NSLocaleLanguageDirectionTopToBottom:
      return LanguageDirection::TopToBottom;
    case NSLocaleLanguageDirectionBottomToTop:
      return LanguageDirection::BottomToTop;
    case NSLocaleLanguageDirectionUnknown:
      break;
  }
  return LanguageDirection::Unknown;
}

std::string MacSystem::homeFolder() { return toStdString(NSHomeDirectory()); }

std::int32_t MacSystem::processId() { return getpid(); }

std::string MacSystem::bundleIdentifier() {
  return toStdString([[NSBundle mainBundle] bundleIdentifier]);
}

std::optional<std::string> MacSystem::bundleShortVersion() {
  id version = [[NSBundle mainBundle] objectForInfoDictionaryKey:@"CFBundleShortVersionString"];
  if (![version isKindOfClass:[NSString class]]) return std::nullopt;
  return toStdString(version);
}

std::string MacSystem::operatingSystemVersion() {
  return toStdString([[NSProcessInfo processInfo] operatingSystemVersionString]);
}

void MacSystem::withBundleIdentifier(std::int32_t pid, FunctionRef<void(std::string_view)> use) {
  // NSRunningApplication returns its properties atomically on any thread; the bundle identifier
  // never changes while the process lives. The pool frees what the lookup made, on the tap's
  // thread too.
  @autoreleasepool {
    NSString* identifier =
        [NSRunningApplication runningApplicationWithProcessIdentifier:pid].bundleIdentifier;
    if (identifier.length == 0) return;
    const char* utf8 = identifier.UTF8String;
    if (utf8) use(utf8);
  }
}

std::optional<std::int32_t> MacSystem::frontmostApplicationPid() {
  NSRunningApplication* app = [[NSWorkspace sharedWorkspace] frontmostApplication];
  if (!app) return std::nullopt;
  return app.processIdentifier;
}

std::string MacSystem::applicationName(std::int32_t pid) {
  return toStdString(
      [NSRunningApplication runningApplicationWithProcessIdentifier:pid].localizedName);
}

std::vector<Screen> MacSystem::screens() {
  std::vector<Screen> result;
  for (NSScreen* screen in [NSScreen screens]) {
    result.push_back(Screen{toRect(screen.frame), toRect(screen.visibleFrame)});
  }
  return result;
}

std::vector<std::int32_t> MacSystem::runningApplications(std::string_view bundleIdentifier) {
  std::vector<std::int32_t> pids;
  for (NSRunningApplication* app in [NSRunningApplication
           runningApplicationsWithBundleIdentifier:toNSString(bundleIdentifier)]) {
    pids.push_back(app.processIdentifier);
  }
  return pids;
}

bool MacSystem::openURL(std::string_view url) {
  NSURL* address = [NSURL URLWithString:toNSString(url)];
  if (!address) return false;
  return [[NSWorkspace sharedWorkspace] openURL:address];
}

void MacSystem::terminate() { [NSApp terminate:nil]; }

void MacSystem::observeAccessibilityChanges(std::function<void()> handler) {
  PlumoraNotificationObserver* observer =
      [[PlumoraNotificationObserver alloc] initWithHandler:std::move(handler)];
  [observers_ addObject:observer];
  [[NSDistributedNotificationCenter defaultCenter]
             addObserver:observer
                selector:@selector(notified:)
                    name:@"com.apple.accessibility.api"
                  object:nil
      suspensionBehavior:NSNotificationSuspensionBehaviorDeliverImmediately];
}

}  // namespace plumora
