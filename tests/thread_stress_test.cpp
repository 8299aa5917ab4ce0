// The core on real threads, for ThreadSanitizer: a tap thread feeding thousands of clicks and
// drags, the fill queue running fills and restores, the main thread polling the permission,
// revoking and granting it and pausing and resuming, every thread logging (verbose, with the log
// file). Under the "tsan" preset any race fails the run; under every preset the run must end with
// the watcher in step with the permission and the switch, and with fills done.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <tuple>

#include "app/app_controller.hpp"
#include "fill/fill_action.hpp"
#include "interception/interceptor.hpp"
#include "sim/locked_ports.hpp"
#include "sim/sim_mac.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"
#include "temp_folder.hpp"

namespace plumora {
namespace {

constexpr int kActions = 3000;
// Media time runs this many times faster than the wall clock.
constexpr double kSpeed = 10.0;
constexpr std::uint64_t kOption = 0x80000;
// The user pauses or resumes, and the permission flips, every so many actions of the feed.
constexpr int kPauseEvery = 150;
constexpr int kFlipEvery = 250;
// Every so many actions the permission goes and comes back while the tap's thread handles the
// system's notice, before the main thread has looked.
constexpr int kFlickerEvery = 190;

// What the user does, picked at random: a click on the green button; a press dragged off and
// released away (no click), or dragged off and back; the button's own action with Option; a
// click in the window, or a drag across it.
enum Where { kGreen, kAway, kBody };
using Step = std::tuple<EventType, Where, std::uint64_t>;  // with these modifier flags
constexpr EventType kDown = EventType::LeftMouseDown, kDrag = EventType::LeftMouseDragged,
                    kUp = EventType::LeftMouseUp;
const std::vector<Step> kGestures[] = {
    {{kDown, kGreen, 0}, {kUp, kGreen, 0}},
    {{kDown, kGreen, 0}, {kUp, kGreen, 0}},
    {{kDown, kGreen, 0}, {kUp, kGreen, 0}},
    {{kDown, kGreen, 0}, {kDrag, kAway, 0}, {kDrag, kAway, 0}, {kUp, kAway, 0}},
    {{kDown, kGreen, 0}, {kDrag, kAway, 0}, {kDrag, kGreen, 0}, {kUp, kGreen, 0}},
    {{kDown, kGreen, kOption}, {kUp, kGreen, kOption}},
    {{kDown, kBody, 0}, {kDrag, kAway, 0}, {kUp, kBody, 0}},
    {{kDown, kBody, 0}, {kDrag, kAway, 0}, {kUp, kBody, 0}},
};

// The system's side of the tap's thread: each event goes to the live tap, when one takes it,
// outside the world's lock as a real tap's callback runs.
struct TapFeeder {
  sim::ThreadedMac& t;
  // Revoking the permission disables the tap; the notice reaches the tap's thread.
  std::atomic<bool> noticeOwed{false};
  // Actions fed so far, and the events the tap swallowed.
  std::atomic<int> progress{0};
  std::atomic<int> swallowed{0};

  void send(EventType type, Point at, std::uint64_t flags = 0) {
    std::shared_ptr<sim::SimEventTap> tap;
    bool takesEvent = false, takesNotice = false;
    {
      std::lock_guard lock(t.world);
      tap = t.mac.eventTaps.live();
      takesEvent = tap && tap->intercepts(type);
      takesNotice = tap && tap->intercepts(EventType::TapDisabledByUserInput);
    }
    if (noticeOwed.exchange(false) && takesNotice) {
      tap->deliver(EventType::TapDisabledByUserInput, sim::SimTapEvent(Point{}, 0));
    }
    if (takesEvent && tap->deliver(type, sim::SimTapEvent(at, flags)) == TapVerdict::Swallow) {
      ++swallowed;
    }
  }

  void run(const std::vector<sim::SimWindow*>& windows) {
    std::mt19937 random(20260302);
    for (int i = 0; i < kActions; ++i) {
      sim::SimWindow* w = windows[random() % windows.size()];
      Point green, body;
      {
        std::lock_guard lock(t.world);
        green = t.mac.desktop.center(*w, w->zoom);
        body = Point{minX(w->frame) + width(w->frame) / 2, minY(w->frame) + height(w->frame) / 2};
      }
      const Point away{green.x + 300, green.y + 250};
      for (const auto& [type, at, flags] : kGestures[random() % std::size(kGestures)]) {
        send(type, at == kGreen ? green : at == kAway ? away : body, flags);
      }
      ++progress;
      std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
  }
};

TEST(ThreadStress, TheCoreOnRealThreads) {
  test::TempFolder home;
  sim::SimMac mac;
  mac.system.home = home.path().string();
  mac.defaults.setBool(Log::kVerboseKey, true);
  mac.desktop.addStandardScreen();
  std::vector<sim::SimWindow*> windows;
  for (int i = 0; i < 3; ++i) {
    sim::SimApp& app = mac.desktop.addApp(501 + i, "App" + std::to_string(i));
    mac.desktop.setMenus(app, sim::standardMenus(app.name, true));
    // Restores that Plumora finishes itself, in assistive mode: each run turns the mode off and on.
    app.restoreAnswer = sim::RestoreAnswer::Elsewhere;
    app.elsewhere = Rect::make(300, 300, 500, 400);
    app.enhancedUserInterface = true;
    windows.push_back(&mac.desktop.addWindow(app, Rect::make(100 + 150 * i, 80 + 100 * i, 700, 500),
                                             "Documento"));
  }
  mac.desktop.activate(*mac.desktop.app(501), windows.front());

  sim::ThreadedMac threaded(mac, kSpeed);
  TapFeeder feeder{threaded};
  mac.accessibility.onTrustChanged = [&](bool trusted) {
    if (trusted) return;
    if (auto tap = mac.eventTaps.live()) tap->enabled = false;
    feeder.noticeOwed = true;
  };

  Context context(threaded.platform);
  Settings settings(threaded.defaults);
  FillAction fill(context, settings);
  std::atomic<int> clicks{0};
  Interceptor interceptor(context, [&](const GreenClick& click) {
    ++clicks;
    fill.perform(click);
  });
  AppController controller(context, settings, interceptor, fill);
  controller.applicationDidFinishLaunching();
  ASSERT_TRUE(interceptor.isRunning());

  const auto trust = [&](bool on) {
    std::lock_guard lock(threaded.world);
    mac.accessibility.setTrusted(on);
  };
  std::atomic<bool> fed{false};
  std::thread tapThread([&] {
    feeder.run(windows);
    fed = true;
  });

  // The main thread: its run loop, the world's clock, and the user at the menu and in System
  // Settings, at points of the feed rather than of the wall clock, so a loaded machine changes
  // the interleaving but not how much happens.
  bool granted = true;
  int pauses = 0, revocations = 0, flickers = 0, nextPause = kPauseEvery, nextFlip = kFlipEvery,
      nextFlicker = kFlickerEvery;
  for (int round = 1; !fed; ++round) {
    threaded.dispatch.runMainFor(0.002);
    threaded.advanceWorld();
    const int done = feeder.progress.load();
    for (; nextPause <= done; nextPause += kPauseEvery) {
      controller.toggleEnabled();
      ++pauses;
    }
    for (; nextFlip <= done; nextFlip += kFlipEvery) {
      granted = !granted;
      revocations += granted ? 0 : 1;
      std::lock_guard lock(threaded.world);
      mac.accessibility.setTrusted(granted);
      mac.system.postAccessibilityNotification();
    }
    for (; nextFlicker <= done && !fed; nextFlicker += kFlickerEvery) {
      if (!granted) continue;
      trust(false);
      // Back once the tap's thread has taken the notice (or found no tap to tell).
      while (feeder.noticeOwed && !fed) std::this_thread::yield();
      trust(true);
      ++flickers;
    }
    if (round % 23 == 0) controller.menuNeedsUpdate();
  }
  tapThread.join();

  // The user settles on granted and active; within a permission poll the watcher runs again.
  trust(true);
  if (!settings.enabled()) controller.toggleEnabled();
  // Watching is a tap the system keeps enabled, which a press reaches.
  auto watching = [&] {
    std::lock_guard lock(threaded.world);
    auto tap = mac.eventTaps.live();
    return tap && tap->intercepts(EventType::LeftMouseDown);
  };
  auto waitForWatching = [&] {
    for (int i = 0; i < 100 && !watching(); ++i) {
      threaded.dispatch.runMainFor(0.01);
      threaded.advanceWorld();
    }
    return watching();
  };
  EXPECT_TRUE(waitForWatching());
  // Last, the permission goes and comes back within the notice's callback, on a tap thread of
  // its own: the main thread looks only once it is back.
  trust(false);
  std::thread([&] { feeder.send(EventType::MouseMoved, {}); }).join();  // the notice only
  trust(true);
  EXPECT_TRUE(waitForWatching());
  EXPECT_TRUE(interceptor.isRunning());
  // The user quits while runs may still be queued: the process may end once no run is changing
  // an application's mode.
  bool mayEnd = false;
  if (controller.applicationShouldTerminate([&] { mayEnd = true; })) mayEnd = true;
  for (int i = 0; i < 3000 && !mayEnd; ++i) {
    threaded.dispatch.runMainFor(0.01);
    threaded.advanceWorld();
  }
  EXPECT_TRUE(mayEnd);
  controller.applicationWillTerminate();
  EXPECT_FALSE(interceptor.isRunning());
  // The fill queue and the log queue finish, with the main thread answering their hops.
  bool idle = false;
  for (int i = 0; i < 3000 && !idle; ++i) {
    idle = threaded.dispatch.runMainUntilQueuesIdle(0.01);
    threaded.advanceWorld();
  }
  EXPECT_TRUE(idle);

  std::lock_guard lock(threaded.world);
  const auto lines = mac.unifiedLog.messages();
  auto count = [&](std::string_view part) {
    return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(part) != std::string::npos;
    });
  };
  // A click is a swallowed press and its swallowed release; drags between them are swallowed too.
  EXPECT_GT(clicks.load(), 50);
  EXPECT_LE(2 * clicks.load(), feeder.swallowed.load());
  EXPECT_GT(count("Riempi dal menu"), 0);
  EXPECT_GT(count("Messo in pausa dall'utente"), 0);
  EXPECT_GT(count("Permesso di Accessibilità: mancante"), 0);
  EXPECT_EQ(pauses, kActions / kPauseEvery);
  // Every mode a run turned off is on again, and the runs after the quit left them alone.
  EXPECT_GT(count("Interfaccia avanzata dell'app spenta"), 0);
  for (const sim::SimWindow* w : windows)
    EXPECT_EQ(mac.desktop.app(w->pid)->enhancedUserInterface, true);
  EXPECT_EQ(revocations, (kActions / kFlipEvery + 1) / 2);
  EXPECT_GT(flickers, 0);
}

}  // namespace
}  // namespace plumora
