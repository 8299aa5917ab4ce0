// A second click on a filled window: every outcome of the return to the previous size.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fill_engine_fixture.hpp"
#include "interception/interceptor.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kMenuLine[] = "Torna alle dimensioni precedenti dal menu: esito 0";
constexpr char kShortcutLine[] = "Torna alle dimensioni precedenti con la scorciatoia fn ⌃ R";

class RestoreRunTest : public test::FillEngineFixture {
 protected:
  // Fills the window at 0, lets the measurement happen, and clicks again at 1.0.
  void fillThenClickAgain() {
    clickAt(0);
    runUntil(1.0);
    ASSERT_EQ(window->frame, kUsable);
    clearLines();
    mac.keyboard.clear();
    mac.accessibility.clearJournal();
    clickAt(1.0);
    runUntil(6.0);
  }
};

TEST_F(RestoreRunTest, TheSystemPutsTheWindowBack) {
  fillThenClickAgain();
  // The window moves at 1.1, seen at the poll of 1.12, at rest by 1.28.
  EXPECT_THAT(lines(), ElementsAre(kMenuLine,
                                   "Misura di prima rimessa da macOS (200,150 800x600), 280.0 ms"));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_THAT(fill.records(), IsEmpty());
  EXPECT_EQ(lastDoneTime(), 1.0);
  EXPECT_EQ(frameWrites(), 0u);
  EXPECT_THAT(keysPressed(), IsEmpty());
}

TEST_F(RestoreRunTest, AnIgnoredCommandIsDoneByPlumora) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  fillThenClickAgain();
  EXPECT_THAT(lines(), ElementsAre(kMenuLine,
                                   "macOS non l'ha mossa: misura di prima rimessa da Plumora "
                                   "(200,150 800x600), 840.0 ms"));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_THAT(written(), ElementsAre("AXSize", "AXPosition", "AXSize"));
}

TEST_F(RestoreRunTest, AnAppInAssistiveModeTakesOurWriteWithTheModeOff) {
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(300, 300, 500, 400);
  editor->enhancedUserInterface = true;
  fillThenClickAgain();
  // Left on, the app would drop the position and the second size of our quick writes.
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(editor->enhancedUserInterface, true);
  EXPECT_THAT(written(), ElementsAre("AXEnhancedUserInterface", "AXSize", "AXPosition", "AXSize",
                                     "AXEnhancedUserInterface"));
  EXPECT_THAT(lines(), ElementsAre(kMenuLine,
                                   "Interfaccia avanzata dell'app spenta per rimettere la "
                                   "misura, poi riaccesa",
                                   "macOS l'ha messa a (300,300 500x400): misura di prima rimessa "
                                   "da Plumora (200,150 800x600), 280.0 ms"));
}

TEST_F(RestoreRunTest, ABusyAppInAssistiveModeStillHasItsModeTurnedOffAndOn) {
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(300, 300, 500, 400);
  editor->enhancedUserInterface = true;
  clickAt(0);
  runUntil(1.0);
  ASSERT_EQ(window->frame, kUsable);
  // Slower than the process's default timeout, which the running watcher has set to 0.25 s,
  // well within the run's own for the application.
  Element(mac.accessibility.systemWide()).setTimeout(Interceptor::kHitTestTimeout);
  mac.accessibility.setLatency(editor->node, 0.5);
  mac.accessibility.clearJournal();
  clickAt(1.0);
  runUntil(10.0);
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(editor->enhancedUserInterface, true);
  EXPECT_THAT(written(), ElementsAre("AXEnhancedUserInterface", "AXSize", "AXPosition", "AXSize",
                                     "AXEnhancedUserInterface"));
}

TEST_F(RestoreRunTest, AWindowPutElsewhereIsMovedBack) {
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(300, 300, 500, 400);
  fillThenClickAgain();
  EXPECT_THAT(lines(), ElementsAre(kMenuLine,
                                   "macOS l'ha messa a (300,300 500x400): misura di prima rimessa "
                                   "da Plumora (200,150 800x600), 280.0 ms"));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(frameWrites(), 3u);
}

TEST_F(RestoreRunTest, AWindowThatMovesAgainIsWrittenOnceMore) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  window->rebound = sim::SimWindow::Rebound{0.1, Rect::make(100, 100, 600, 500), 1};
  fillThenClickAgain();
  ASSERT_EQ(lines().size(), 3u);
  EXPECT_EQ(lines()[2],
            "macOS l'ha spostata ancora a (100,100 600x500): rimessa di nuovo, 1120.0 ms");
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(frameWrites(), 6u);
}

TEST_F(RestoreRunTest, AThirdMoveIsLeftAlone) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  window->rebound = sim::SimWindow::Rebound{0.1, Rect::make(100, 100, 600, 500), 2};
  fillThenClickAgain();
  EXPECT_EQ(lines().size(), 3u);
  EXPECT_EQ(window->frame, Rect::make(100, 100, 600, 500));
  EXPECT_EQ(frameWrites(), 6u);
}

TEST_F(RestoreRunTest, AWindowThatAlreadyHadThatSizeIsNotWaitedFor) {
  mac.desktop.setFrame(*window, Rect::make(2, 27, 1437, 872));
  fillThenClickAgain();
  EXPECT_THAT(lines(),
              ElementsAre(kMenuLine, "La finestra era già grande così prima di Riempi, 0.0 ms"));
  EXPECT_EQ(frameWrites(), 0u);
}

TEST_F(RestoreRunTest, FourAndAHalfPointsAwayIsAnotherSize) {
  mac.desktop.setFrame(*window, Rect::make(4.5, 25, 1440, 875));
  fillThenClickAgain();
  for (const auto& line : lines()) EXPECT_EQ(line.find("era già grande così"), std::string::npos);
}

TEST_F(RestoreRunTest, EightAndAHalfPointsAwayIsNotRestored) {
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(208.5, 150, 800, 600);
  fillThenClickAgain();
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(frameWrites(), 3u);
}

TEST_F(RestoreRunTest, AWindowThatComesBackOnItsOwnIsNotWrittenAgain) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  clickAt(0);
  runUntil(1.0);
  clearLines();
  mac.accessibility.clearJournal();
  clickAt(1.0);
  // Plumora writes the frame back at about 1.84; the window then wobbles away and back.
  mac.clock.at(2.2, [&] { mac.desktop.setFrame(*window, Rect::make(260, 150, 800, 600)); });
  mac.clock.at(2.3, [&] { mac.desktop.setFrame(*window, kEditorFrame); });
  runUntil(6.0);
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(frameWrites(), 3u);
}

TEST_F(RestoreRunTest, ASlowRestoreItemIsGivenTwoSecondsAndCountsAsDone) {
  const auto item =
      mac.desktop.menuItem(*editor, {"Window", "Move & Resize", "Return to Previous Size"});
  ASSERT_TRUE(item);
  mac.accessibility.setLatency(*item, 2.5);
  mac.accessibility.fail(*item, "AXEnabled", ax::kCannotComplete);
  fillThenClickAgain();
  // An item that cannot say whether it is enabled is pressed; the press times out after 2 s,
  // which counts as done: no shortcut.
  ASSERT_FALSE(lines().empty());
  EXPECT_EQ(lines()[0], "Torna alle dimensioni precedenti dal menu: esito -25204");
  EXPECT_THAT(keysPressed(), IsEmpty());
}

TEST_F(RestoreRunTest, APreviousFrameOffEveryScreenIsNotWritten) {
  // The window was filled on a second screen, which has since gone.
  mac.desktop.addScreen(Rect::make(1440, 0, 1920, 1080), Rect::make(1440, 0, 1920, 1080));
  mac.desktop.setFrame(*window, Rect::make(1600, 100, 800, 600));
  clickAt(0);
  runUntil(1.0);
  mac.desktop.removeScreen(1);
  editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
  editor->elsewhere = Rect::make(100, 100, 800, 600);
  clearLines();
  clickAt(1.0);
  runUntil(5);
  EXPECT_THAT(lines(), ElementsAre(kMenuLine,
                                   "La misura di prima (1600,100 800x600) usciva dallo schermo: "
                                   "lasciata come l'ha messa macOS (100,100 800x600)"));
  EXPECT_EQ(frameWrites(), 0u);
}

TEST_F(RestoreRunTest, AFrameOverhangingByTwoPointsStillCountsAsOnScreen) {
  mac.desktop.setFrame(*window, Rect::make(-2, 23, 700, 500));
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  fillThenClickAgain();
  EXPECT_EQ(window->frame, Rect::make(-2, 23, 700, 500));
  EXPECT_EQ(frameWrites(), 3u);
}

TEST_F(RestoreRunTest, AFrameOverhangingByTwoAndAHalfPointsIsOffScreen) {
  mac.desktop.setFrame(*window, Rect::make(-2.5, 23, 700, 500));
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  fillThenClickAgain();
  EXPECT_EQ(frameWrites(), 0u);
}

TEST_F(RestoreRunTest, UnreadableFramesEndTheRestoreQuietly) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  clickAt(0);
  runUntil(1.0);
  clearLines();
  clickAt(1.0);
  mac.clock.at(1.2, [&] { window->frameReadable = false; });
  runUntil(5);
  EXPECT_THAT(lines(), ElementsAre(kMenuLine));
  EXPECT_THAT(fill.records(), IsEmpty());
  EXPECT_EQ(lastDoneTime(), 1.0);
}

TEST_F(RestoreRunTest, AFrameUnreadableBeforeTheCommandIssuesNone) {
  // Requests take 10 ms: the frame goes between the run's measurement and the restore's.
  clickAt(0);
  runUntil(1.0);
  mac.accessibility.setLatency(kEditorPid, 0.01);
  clearLines();
  mac.accessibility.clearJournal();
  clickAt(1.0);
  mac.clock.at(1.035, [&] { window->frameReadable = false; });
  runUntil(5);
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_THAT(keysPressed(), IsEmpty());
  EXPECT_THAT(fill.records(), IsEmpty());
  for (const auto& p : mac.accessibility.performed()) EXPECT_NE(p.action, "AXPress");
}

TEST_F(RestoreRunTest, ADisabledItemGoesToTheShortcutWithoutSayingWhy) {
  mac.desktop.setMenuItemEnabled(*editor, {"Window", "Move & Resize", "Return to Previous Size"},
                                 false);
  fillThenClickAgain();
  EXPECT_THAT(lines(), ElementsAre(kShortcutLine,
                                   ::testing::StartsWith("Misura di prima rimessa da macOS")));
  EXPECT_THAT(keysPressed(), ElementsAre(15));
  EXPECT_EQ(window->frame, kEditorFrame);
}

TEST_F(RestoreRunTest, AFailedPressSaysSoThenUsesTheShortcut) {
  mac.desktop.setMenuItemAnswer(*editor, {"Window", "Move & Resize", "Return to Previous Size"},
                                ax::kActionUnsupported);
  fillThenClickAgain();
  EXPECT_THAT(lines(),
              ElementsAre("Torna alle dimensioni precedenti dal menu: esito -25206", kShortcutLine,
                          ::testing::StartsWith("Misura di prima rimessa da macOS")));
}

TEST_F(RestoreRunTest, AfterARestoreTheNextClickFills) {
  fillThenClickAgain();
  clearLines();
  clickAt(6.0);
  runUntil(7.0);
  EXPECT_THAT(lines(), ElementsAre(::testing::StartsWith("Riempi dal menu"),
                                   ::testing::StartsWith("Misura dopo Riempi")));
}

TEST_F(RestoreRunTest, ARestoreBeforeTheMeasurementCancelsIt) {
  clickAt(0);
  runUntil(0.5);
  clearLines();
  clickAt(0.5);
  runUntil(5);
  for (const auto& line : lines()) EXPECT_EQ(line.find("Misura dopo Riempi"), std::string::npos);
}

// A Fill and a restore bring the window back, whichever way the commands are given.
TEST_F(RestoreRunTest, RoundTripThroughTheMenuItems) {
  fillThenClickAgain();
  EXPECT_TRUE(sameFrame(window->frame, kEditorFrame, 8));
  EXPECT_THAT(keysPressed(), IsEmpty());
}

TEST_F(RestoreRunTest, RoundTripThroughTheShortcuts) {
  mac.desktop.removeMenuBar(*editor);
  fillThenClickAgain();
  EXPECT_TRUE(sameFrame(window->frame, kEditorFrame, 8));
  EXPECT_THAT(keysPressed(), ElementsAre(15));
  EXPECT_EQ(frameWrites(), 0u);
}

}  // namespace
}  // namespace plumora
