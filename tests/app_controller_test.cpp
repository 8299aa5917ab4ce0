#include "app/app_controller.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class AppControllerTest : public test::AppFixture {};

TEST_F(AppControllerTest, LaunchInOrder) {
  mac.defaults.relaunch();  // nothing registered by anyone else in this process
  app.applicationDidFinishLaunching();
  EXPECT_THAT(lines(),
              ElementsAre("Plumora 1.0 avviato su macOS Version 15.2 (Build 24C101)",
                          "Permesso di Accessibilità: concesso", "Osservazione dei clic attiva"));
  EXPECT_EQ(mac.statusBar.itemsMade, 1);
  EXPECT_THAT(item().menu, IsEmpty());
  EXPECT_TRUE(item().image->isTemplate);
  EXPECT_EQ(mac.statusBar.lastDescription, "Plumora");
  ASSERT_EQ(mac.dispatch.timers().size(), 1u);
  EXPECT_DOUBLE_EQ(mac.dispatch.timers()[0].interval, 3.0);
  // The launch registered the defaults itself, and did not store them.
  EXPECT_TRUE(settings.restoreOnSecondClick());
  EXPECT_EQ(mac.defaults.stored("Enabled"), std::nullopt);
}

TEST_F(AppControllerTest, AMissingVersionIsAQuestionMark) {
  mac.system.version.reset();
  app.applicationDidFinishLaunching();
  EXPECT_EQ(lines().front(), "Plumora ? avviato su macOS Version 15.2 (Build 24C101)");
}

TEST_F(AppControllerTest, ASecondCopyQuitsBeforeSayingAnything) {
  mac.system.running[4711] = mac.system.bundleId;
  app.applicationDidFinishLaunching();
  EXPECT_EQ(mac.system.terminations, 1);
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_EQ(mac.statusBar.itemsMade, 0);
  EXPECT_EQ(mac.accessibility.promptsShown(), 0);
  EXPECT_TRUE(mac.dispatch.timers().empty());
}

// A permission granted is looked at half a second after the system's notification. On the
// platform the notification may come before the permission has changed: that look still sees
// the old state, and the next poll sees the change. Only the launch asks the user.
class GrantTest : public test::AppFixture,
                  public ::testing::WithParamInterface<std::pair<double, double>> {};

TEST_P(GrantTest, IsNoticedAfterTheNotificationOrAtTheNextPoll) {
  const auto [takesEffectAfter, noticedAt] = GetParam();
  mac.accessibility.setTrusted(false);
  app.applicationDidFinishLaunching();
  EXPECT_THAT(lines(), ElementsAre("Plumora 1.0 avviato su macOS Version 15.2 (Build 24C101)",
                                   "Permesso di Accessibilità: mancante"));
  clearLines();
  mac.dispatch.runUntil(1.0);
  mac.changePermission(true, takesEffectAfter);
  mac.dispatch.runUntil(noticedAt - 0.01);
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_THAT(lines(), IsEmpty());
  mac.dispatch.runUntil(noticedAt);
  EXPECT_TRUE(interceptor.isRunning());
  mac.dispatch.runUntil(30);
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: concesso", "Osservazione dei clic attiva"));
  EXPECT_EQ(mac.accessibility.promptsShown(), 1);
}

INSTANTIATE_TEST_SUITE_P(Delays, GrantTest,
                         ::testing::Values(std::pair(0.0, 1.5), std::pair(0.8, 3.0)));

TEST_F(AppControllerTest, APollNoticesARevokedPermission) {
  launched();
  mac.dispatch.runUntil(3.5);
  EXPECT_THAT(lines(), IsEmpty());  // a poll with no change says nothing
  // A revocation the tap is not told of (the watcher hears nothing): the poll still finds it.
  mac.desktop.tapNoticeDelay = 100;
  mac.accessibility.setTrusted(false);
  mac.dispatch.runUntil(5.9);
  EXPECT_TRUE(interceptor.isRunning());
  mac.dispatch.runUntil(6.0);
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: mancante", "Osservazione dei clic fermata"));
  EXPECT_FALSE(interceptor.isRunning());
}

TEST_F(AppControllerTest, AWatcherThatFailedToStartIsRetriedAtEveryPoll) {
  mac.eventTaps.refuse = true;
  launched();
  mac.eventTaps.refuse = false;
  mac.dispatch.runUntil(3.0);
  EXPECT_TRUE(interceptor.isRunning());
  EXPECT_EQ(symbol(), "rectangle.inset.filled");
  // An enabled switch turned off elsewhere is followed at the next poll too.
  mac.defaults.setBool("Enabled", false);
  mac.dispatch.runUntil(6.0);
  EXPECT_FALSE(interceptor.isRunning());
}

TEST_F(AppControllerTest, ImageAndTooltipAreSetOnlyWhenTheyChange) {
  launched();
  const int images = item().imageSets;
  const int toolTips = item().toolTipSets;
  // A tooltip set again while it shows would flicker: the polls leave both alone.
  mac.dispatch.runUntil(12.0);
  EXPECT_EQ(item().imageSets, images);
  EXPECT_EQ(item().toolTipSets, toolTips);
  app.toggleEnabled();
  EXPECT_EQ(item().toolTipSets, toolTips + 1);
}

TEST_F(AppControllerTest, MissingSymbolsFallBackThenGoWithoutAnImage) {
  mac.statusBar.missingSymbols = {"rectangle.inset.filled"};
  launched();
  EXPECT_EQ(symbol(), "macwindow");
  mac.statusBar.missingSymbols = {"rectangle.dashed", "macwindow"};
  app.toggleEnabled();
  EXPECT_EQ(symbol(), "(none)");
  EXPECT_EQ(item().toolTip, "Plumora è in pausa");
}

TEST_F(AppControllerTest, AnItemWithoutAButtonIsLeftAlone) {
  mac.statusBar.itemsHaveButtons = false;
  launched();
  EXPECT_EQ(item().imageSets, 0);
  EXPECT_FALSE(app.applicationShouldHandleReopen());
  EXPECT_EQ(item().clicks, 0);
}

TEST_F(AppControllerTest, ReopenOpensTheMenuAndTerminateStopsTheWatcher) {
  launched();
  // Revoked with no word yet from the system: opening the menu is what finds it out.
  mac.desktop.tapNoticeDelay = 100;
  mac.accessibility.setTrusted(false);
  EXPECT_FALSE(app.applicationShouldHandleReopen());
  EXPECT_EQ(item().clicks, 1);
  EXPECT_FALSE(item().menu.empty());
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: mancante", "Osservazione dei clic fermata"));
  mac.accessibility.setTrusted(true);
  app.menuNeedsUpdate();
  clearLines();
  app.applicationWillTerminate();
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_THAT(lines(), ElementsAre("Osservazione dei clic fermata"));
}

TEST_F(AppControllerTest, AQuitWhileARunHoldsAnAppsAssistiveModeOffTurnsItBackOn) {
  launched();
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(300, 300, 500, 400);
  editor->enhancedUserInterface = true;
  fill.perform(clickOn(*window, 0));
  mac.dispatch.runUntil(1.0);
  std::optional<bool> modeAfterQuit;
  mac.accessibility.onWrite = [&](const sim::SimAccessibility::Written& write) {
    if (write.attribute != "AXPosition" || modeAfterQuit) return;
    // The user quits while the restore holds the mode off; the process ends before the run.
    mac.dispatch.syncMain([&] { app.applicationWillTerminate(); });
    modeAfterQuit = editor->enhancedUserInterface;
  };
  fill.perform(clickOn(*window, 1.0));
  mac.dispatch.runUntil(6.0);
  EXPECT_EQ(modeAfterQuit, true);
}

}  // namespace
}  // namespace plumora
