#include "macos/mac_platform.hpp"

#include "macos/mac_accessibility.hpp"
#include "macos/mac_clock.hpp"
#include "macos/mac_defaults.hpp"
#include "macos/mac_dispatch.hpp"
#include "macos/mac_event_tap.hpp"
#include "macos/mac_keyboard.hpp"
#include "macos/mac_login_item.hpp"
#include "macos/mac_status_bar.hpp"
#include "macos/mac_system.hpp"
#include "macos/mac_unified_log.hpp"
#include "macos/mac_window_server.hpp"

namespace plumora {

struct MacPlatform::Adapters {
  explicit Adapters(id appDelegate) : statusBar(appDelegate) {}

  MacAccessibility accessibility;
  MacClock clock;
  MacDispatch dispatch;
  MacDefaults defaults;
  MacUnifiedLog unifiedLog;
  MacSystem system;
  MacKeyboard keyboard;
  MacWindowServer windowServer;
  MacEventTaps eventTaps;
  MacLoginItem loginItem;
  MacStatusBar statusBar;
};

MacPlatform::MacPlatform(id appDelegate)
    : adapters_(std::make_unique<Adapters>(appDelegate)),
      platform_{adapters_->accessibility, adapters_->clock,        adapters_->dispatch,
                adapters_->defaults,      adapters_->unifiedLog,   adapters_->system,
                adapters_->keyboard,      adapters_->windowServer, adapters_->eventTaps,
                adapters_->loginItem,     adapters_->statusBar} {}

MacPlatform::~MacPlatform() = default;

}  // namespace plumora
