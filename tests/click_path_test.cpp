// Clicks on the simulated desktop, through the event tap, the recognition and the fill engine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint64_t kOption = 0x80000;

class ClickPathTest : public test::AppFixture {
 protected:
  ClickPathTest() { launched(); }

  Point green() const { return mac.desktop.center(*window, window->zoom); }
  std::vector<EventType> received() const {
    std::vector<EventType> types;
    for (const auto& e : editor->received) types.push_back(e.type);
    return types;
  }
};

TEST_F(ClickPathTest, AGreenButtonClickFillsTheWindow) {
  mac.desktop.click(green());
  mac.dispatch.runFor(1.0);
  EXPECT_THAT(received(), IsEmpty());
  EXPECT_EQ(window->frame, kUsable);
  EXPECT_FALSE(window->fullScreen);
  EXPECT_THAT(lines(),
              ElementsAre("Tasto verde fermato (pid 501) in 0.0 ms",
                          "Riempi dal menu: esito 0, misura prima (200,150 800x600), 0.0 ms",
                          "Misura dopo Riempi: (0,25 1440x875)"));

  // A second click brings it back.
  mac.desktop.click(green());
  mac.dispatch.runFor(3.0);
  EXPECT_EQ(window->frame, kEditorFrame);
}

TEST_F(ClickPathTest, AnOptionClickKeepsTheButtonsOwnAction) {
  mac.desktop.click(green(), kOption);
  mac.dispatch.runFor(1.0);
  EXPECT_THAT(received(), ElementsAre(EventType::LeftMouseDown, EventType::LeftMouseUp));
  EXPECT_EQ(window->frame, kUsable);  // zoomed by the application itself
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_THAT(fill.records(), IsEmpty());
}

TEST_F(ClickPathTest, APressDraggedOffTheButtonIsCancelled) {
  mac.desktop.mouseDown(green());
  mac.desktop.mouseDragged({270, 180});
  mac.desktop.mouseDragged({285, 194});
  mac.desktop.mouseUp({285, 194});  // 30 points off the button
  mac.dispatch.runFor(1.0);
  EXPECT_THAT(received(), IsEmpty());
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_THAT(lines(), ElementsAre("Tasto verde fermato (pid 501) in 0.0 ms",
                                   "Clic annullato: rilasciato fuori dal tasto verde"));
}

TEST_F(ClickPathTest, ATapDisabledBetweenPressAndReleaseLetsTheReleaseThrough) {
  mac.desktop.mouseDown(green());
  mac.desktop.disableTap(EventType::TapDisabledByTimeout);
  mac.desktop.mouseUp(green());
  mac.dispatch.runFor(1.0);
  // The application gets a release without its press: no click for it either.
  EXPECT_THAT(received(), ElementsAre(EventType::LeftMouseUp));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_FALSE(window->fullScreen);
  EXPECT_TRUE(mac.eventTaps.live()->enabled);
  EXPECT_THAT(lines(), ElementsAre("Tasto verde fermato (pid 501) in 0.0 ms",
                                   "Osservazione dei clic riattivata (timeout)"));
}

TEST_F(ClickPathTest, ARevokedPermissionStopsTheWatcherAtTheTapsNotice) {
  mac.desktop.mouseDown(green());
  auto tap = mac.eventTaps.live();
  clearLines();
  mac.accessibility.setTrusted(false);  // the system disables the tap and says so
  EXPECT_FALSE(interceptor.pending());
  mac.desktop.mouseUp(green());
  mac.dispatch.runFor(0);
  // Never turned back on: the main thread stopped the watcher as soon as it was free.
  EXPECT_FALSE(tap->enabled);
  EXPECT_EQ(tap->enables, 1);
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: mancante", "Osservazione dei clic fermata"));
  EXPECT_EQ(symbol(), "rectangle.dashed");
  EXPECT_EQ(item().toolTip, "Plumora: serve il permesso di Accessibilità");
  // The release reached the application; its press had been swallowed, so no click either.
  EXPECT_THAT(received(), ElementsAre(EventType::LeftMouseUp));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_FALSE(window->fullScreen);
  // The polls and the notice's own refresh find nothing new.
  mac.system.postAccessibilityNotification();
  mac.dispatch.runFor(10);
  EXPECT_EQ(lines().size(), 2u);
}

TEST_F(ClickPathTest, ARevokedPermissionWhileIdleLeavesClicksToTheApps) {
  clearLines();
  mac.accessibility.setTrusted(false);
  mac.dispatch.runFor(0);
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: mancante", "Osservazione dei clic fermata"));
  mac.desktop.click(green());
  EXPECT_TRUE(window->fullScreen);
  mac.dispatch.runFor(10);
  EXPECT_EQ(lines().size(), 2u);
}

TEST_F(ClickPathTest, APressRefusedForWantOfPermissionIsTheApplications) {
  // The permission is gone, but the system has not yet disabled the tap.
  mac.desktop.tapNoticeDelay = 1.0;
  mac.accessibility.setTrusted(false);
  clearLines();
  mac.desktop.click(green());
  EXPECT_TRUE(window->fullScreen);
  EXPECT_TRUE(interceptor.isRunning());  // the main thread has not run yet
  mac.dispatch.runFor(0);
  EXPECT_FALSE(interceptor.isRunning());
  EXPECT_THAT(lines(),
              ElementsAre("Permesso di Accessibilità: mancante", "Osservazione dei clic fermata"));
  mac.dispatch.runFor(10);  // the tap's late notice finds it gone
  EXPECT_EQ(lines().size(), 2u);
  EXPECT_THAT(fill.records(), IsEmpty());
}

TEST_F(ClickPathTest, TheCloseButtonPassesAndNamesItself) {
  mac.desktop.click(mac.desktop.center(*window, window->close));
  EXPECT_THAT(received(), ElementsAre(EventType::LeftMouseDown, EventType::LeftMouseUp));
  EXPECT_FALSE(window->onScreen);
  EXPECT_THAT(lines(), ElementsAre("Clic nella zona dei tasti ma non sul tasto verde "
                                   "(AXCloseButton) in 0.0 ms"));
}

TEST_F(ClickPathTest, AFullScreenWindowsButtonLeavesFullScreen) {
  mac.desktop.setFullScreen(*window, true);
  mac.desktop.click(mac.desktop.center(*window, window->zoom));
  EXPECT_FALSE(window->fullScreen);
  EXPECT_THAT(lines(),
              ElementsAre("Finestra a schermo intero: il tasto verde fa la sua azione normale"));
}

TEST_F(ClickPathTest, PausedTheButtonGoesFullScreen) {
  app.toggleEnabled();
  clearLines();
  mac.desktop.click(green());
  EXPECT_TRUE(window->fullScreen);
  EXPECT_THAT(lines(), IsEmpty());
}

TEST_F(ClickPathTest, PressesThatCannotBeGreenClicksAskNothing) {
  mac.accessibility.resetRequestCounts();
  mac.desktop.click({500, 400});         // inside the window, below the button zone
  mac.desktop.click(green(), 0x100000);  // Command held
  mac.desktop.click({1300, 800});        // the desktop
  EXPECT_EQ(mac.accessibility.totalRequests(), 0u);
}

}  // namespace
}  // namespace plumora
