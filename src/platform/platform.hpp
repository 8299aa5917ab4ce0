#pragma once

// Every port the core uses, in one bundle that the program (or a test) assembles once.

#include "platform/accessibility.hpp"
#include "platform/clock.hpp"
#include "platform/defaults.hpp"
#include "platform/dispatch.hpp"
#include "platform/event_tap.hpp"
#include "platform/keyboard.hpp"
#include "platform/login_item.hpp"
#include "platform/status_bar.hpp"
#include "platform/system.hpp"
#include "platform/unified_log.hpp"
#include "platform/window_server.hpp"

namespace plumora {

struct Platform {
  Accessibility& accessibility;
  Clock& clock;
  Dispatch& dispatch;
  Defaults& defaults;
  UnifiedLog& unifiedLog;
  System& system;
  Keyboard& keyboard;
  WindowServer& windowServer;
  EventTaps& eventTaps;
  LoginItem& loginItem;
  StatusBar& statusBar;
};

}  // namespace plumora
