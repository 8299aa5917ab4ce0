#pragma once

// The whole simulated Mac in one object: every port over one desktop and one virtual clock.

#include "platform/platform.hpp"
#include "sim/desktop.hpp"
#include "sim/log_capture.hpp"
#include "sim/manual_dispatch.hpp"
#include "sim/sim_accessibility.hpp"
#include "sim/sim_defaults.hpp"
#include "sim/sim_event_tap.hpp"
#include "sim/sim_keyboard.hpp"
#include "sim/sim_login_item.hpp"
#include "sim/sim_recording_host.hpp"
#include "sim/sim_status_bar.hpp"
#include "sim/sim_system.hpp"
#include "sim/sim_window_server.hpp"
#include "sim/virtual_clock.hpp"

namespace plumora::sim {

class SimMac {
 public:
  SimMac() = default;
  SimMac(const SimMac&) = delete;
  SimMac& operator=(const SimMac&) = delete;

  VirtualClock clock;
  ManualDispatch dispatch{clock};
  SimAccessibility accessibility{clock};
  SimDefaults defaults;
  LogCapture unifiedLog{&clock};
  SimSystem system{dispatch};
  SimKeyboard keyboard{clock};
  SimWindowServer windowServer;
  SimEventTaps eventTaps{accessibility, dispatch};
  SimLoginItem loginItem;
  SimStatusBar statusBar;
  SimRecordingHost recordingHost;
  Desktop desktop{clock, accessibility, system, keyboard, windowServer, eventTaps};

  // The user turns the Accessibility permission on or off: the system posts its notification
  // now, and the change itself takes effect `takesEffectAfter` seconds later (the platform
  // promises no order between the two). On the main thread.
  void changePermission(bool granted, double takesEffectAfter = 0) {
    if (takesEffectAfter > 0) {
      clock.after(takesEffectAfter, [this, granted] { accessibility.setTrusted(granted); });
    } else {
      accessibility.setTrusted(granted);
    }
    system.postAccessibilityNotification();
  }

  Platform platform{accessibility, clock,        dispatch,  defaults,  unifiedLog, system,
                    keyboard,      windowServer, eventTaps, loginItem, statusBar};
};

}  // namespace plumora::sim
