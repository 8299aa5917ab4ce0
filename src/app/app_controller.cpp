// Launch, the Accessibility permission that decides whether the click watcher runs, and the
// status item's looks.
#include "app/app_controller.hpp"

#include <algorithm>

namespace plumora {
namespace {

constexpr std::string_view kActiveSymbol = "rectangle.inset.filled";
constexpr std::string_view kInactiveSymbol = "rectangle.dashed";
constexpr std::string_view kFallbackSymbol = "macwindow";

}  // namespace

AppController::AppController(Context& context, Settings& settings, Interceptor& interceptor,
                             FillAction& fill)
    : context_(context), settings_(settings), interceptor_(interceptor), fill_(fill) {
  // The tap's thread is the first to see the permission go; the refresh stops the watcher.
  interceptor_.onPermissionLost([this] { refreshTrust(false); });
}

void AppController::applicationDidFinishLaunching() {
  settings_.registerDefaults();
  System& system = context_.platform.system;

  // One copy at a time: the one already running stays, this one quits before showing anything.
  const std::int32_t self = system.processId();
  auto others = system.runningApplications(system.bundleIdentifier());
  std::erase(others, self);
  if (!others.empty()) {
    system.terminate();
    return;
  }

  const StoredExceptions exceptions = loadExceptions();
  // Asked one after the other: the operands of one expression are asked in an order each compiler
  // chooses, and a recording of the program's requests must not depend on the compiler.
  const std::string version = system.bundleShortVersion().value_or("?");
  const std::string macOS = system.operatingSystemVersion();
  context_.log.info("Plumora " + version + " avviato su macOS " + macOS +
                    ", eccezioni: " + std::to_string(exceptions.ids.size()));
  reportSkipped(exceptions);
  statusItem_ = context_.platform.statusBar.makeSquareItem();
  refreshTrust(true);
  system.observeAccessibilityChanges([this] { accessibilityChanged(); });
  trustTimer_ = context_.platform.dispatch.mainRepeating(kTrustPollInterval, kTrustPollTolerance,
                                                         [this] { refreshTrust(false); });
}

bool AppController::applicationShouldTerminate(std::function<void()> ready) {
  return fill_.applicationShouldTerminate(std::move(ready));
}

void AppController::applicationWillTerminate() {
  interceptor_.stop();
  fill_.applicationWillTerminate();
}

bool AppController::applicationShouldHandleReopen() {
  if (statusItem_ && statusItem_->hasButton()) statusItem_->performClick();
  return false;
}

void AppController::accessibilityChanged() {
  // The notification comes before the permission has changed: look a little later.
  context_.platform.dispatch.mainAfter(kNotificationDelay, [this] { refreshTrust(false); });
}

void AppController::refreshTrust(bool prompt) {
  const bool now = context_.platform.accessibility.isProcessTrusted(prompt);
  if (prompt || now != trusted_) {
    context_.log.info(std::string("Permesso di Accessibilità: ") + (now ? "concesso" : "mancante"));
  }
  trusted_ = now;
  // Every time, not only on a change: a watcher that failed to start is tried again, and a
  // change of the setting made elsewhere takes effect.
  if (trusted_ && settings_.enabled()) {
    interceptor_.start();
  } else {
    interceptor_.stop();
  }
  updateIcon();
}

void AppController::updateIcon() {
  if (!statusItem_ || !statusItem_->hasButton()) return;
  const bool active = trusted_ && settings_.enabled() && interceptor_.isRunning();
  const std::string_view symbol = active ? kActiveSymbol : kInactiveSymbol;
  if (symbol != shownSymbol_) {
    StatusBar& bar = context_.platform.statusBar;
    auto image = bar.symbolImage(symbol, "Plumora");
    if (!image) image = bar.symbolImage(kFallbackSymbol, "Plumora");
    // A template image takes the menu bar's colours.
    if (image) image->setTemplate(true);
    statusItem_->setImage(image);
    shownSymbol_ = symbol;
  }
  Language& language = context_.language;
  const std::string_view toolTip = active ? language.L("Plumora: il tasto verde fa «Riempi»",
                                                       "Plumora: the green button fills the window")
                                   : trusted_
                                       ? language.L("Plumora è in pausa", "Plumora is paused")
                                       : language.L("Plumora: serve il permesso di Accessibilità",
                                                    "Plumora: Accessibility permission needed");
  // Setting the same tooltip again makes a visible one flicker: only a change is set.
  if (toolTip != shownToolTip_) {
    statusItem_->setToolTip(toolTip);
    shownToolTip_ = toolTip;
  }
}

}  // namespace plumora
