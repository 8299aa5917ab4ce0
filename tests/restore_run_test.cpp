// A second click on a filled window: how the restore is asked for, when Plumora writes the frame
// itself, and when it leaves the window alone.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fill_engine_fixture.hpp"
#include "interception/interceptor.hpp"

namespace plumora {
namespace {

using ::testing::IsEmpty;

const std::vector<std::string> kRestoreItem{"Window", "Move & Resize", "Return to Previous Size"};

class RestoreRunTest : public test::FillEngineFixture {
 protected:
  // Fills the window at 0, lets the measurement happen, and clicks again at 1.0.
  void fillThenClickAgain() {
    clickAt(0);
    runUntil(1.0);
    clearLines();
    mac.keyboard.clear();
    mac.accessibility.clearJournal();
    clickAt(1.0);
    runUntil(6.0);
  }
  void answerElsewhere(Rect frame) {
    editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
    editor->elsewhere = frame;
  }
};

TEST_F(RestoreRunTest, TheSystemPutsTheWindowBackAndTheRecordGoes) {
  fillThenClickAgain();
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_THAT(fill.records(), IsEmpty());
  EXPECT_EQ(lastDoneTime(), 1.0);
  EXPECT_EQ(frameWrites(), 0u);
  EXPECT_THAT(keysPressed(), IsEmpty());
}

TEST_F(RestoreRunTest, AWindowPutBackOnALargerScreenGetsItsWholeSize) {
  // Taller than the primary screen: the size written there is cut to it until the window has
  // moved to the second screen.
  mac.desktop.addScreen(Rect::make(1440, 0, 1920, 1080), Rect::make(1440, 0, 1920, 1080));
  const Rect tall = Rect::make(1500, -100, 1000, 1000);
  mac.desktop.setFrame(*window, tall);
  answerElsewhere(Rect::make(100, 100, 800, 600));
  fillThenClickAgain();
  EXPECT_EQ(window->frame, tall);
  EXPECT_EQ(frameWrites(), 3u);  // in one go, not by the second try
}

TEST_F(RestoreRunTest, ABusyAppInAssistiveModeHasItsModeTurnedOffAndOn) {
  answerElsewhere(Rect::make(300, 300, 500, 400));
  editor->enhancedUserInterface = true;
  clickAt(0);
  runUntil(1.0);
  // Slower than the process's default timeout, which the running watcher has set to 0.25 s,
  // well within the run's own for the application.
  Element(mac.accessibility.systemWide()).setTimeout(Interceptor::kHitTestTimeout);
  mac.accessibility.setLatency(editor->node, 0.5);
  clickAt(1.0);
  runUntil(10.0);
  // Left on, the app would drop the position of our quick writes.
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(editor->enhancedUserInterface, true);
}

// Which frames count as the same: the window already had it, the system put it back, it fits
// the screens.
TEST_F(RestoreRunTest, FrameTolerances) {
  struct Case {
    Rect start;
    sim::RestoreAnswer answer;
    std::optional<Rect> elsewhere;
    bool alreadyThatSize;
    std::size_t writes;
  };
  // clang-format off
  const Case cases[] = {
      {Rect::make(2, 27, 1437, 872), sim::RestoreAnswer::Restore, {}, true, 0},
      {Rect::make(4.5, 25, 1440, 875), sim::RestoreAnswer::Restore, {}, false, 0},
      {kEditorFrame, sim::RestoreAnswer::Elsewhere, Rect::make(208.5, 150, 800, 600), false, 3},
      {Rect::make(-2, 23, 700, 500), sim::RestoreAnswer::Ignore, {}, false, 3},
      {Rect::make(-2.5, 23, 700, 500), sim::RestoreAnswer::Ignore, {}, false, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start.origin.x);
    const double t = mac.clock.mediaTime() + 10;
    mac.desktop.setFrame(*window, c.start);
    editor->restoreAnswer = c.answer;
    editor->elsewhere = c.elsewhere.value_or(Rect{});
    clickAt(t);
    runUntil(t + 1.0);
    clearLines();
    mac.accessibility.clearJournal();
    clickAt(t + 1.0);
    runUntil(t + 6.0);
    const auto log = lines();
    EXPECT_EQ(log.size() > 1 && log[1].rfind("La finestra era già grande così", 0) == 0,
              c.alreadyThatSize);
    EXPECT_EQ(frameWrites(), c.writes);
    if (c.writes > 0) {
      EXPECT_EQ(window->frame, c.start);
    }
  }
}

TEST_F(RestoreRunTest, AWindowThatMovesAgainIsWrittenOnceMore) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  window->rebound = sim::SimWindow::Rebound{0.1, Rect::make(100, 100, 600, 500), 1};
  fillThenClickAgain();
  EXPECT_THAT(lines(), ::testing::ElementsAre(
                           "Torna alle dimensioni precedenti dal menu: esito 0",
                           "macOS non l'ha mossa: misura di prima rimessa da Plumora "
                           "(200,150 800x600), 840.0 ms",
                           "macOS l'ha spostata ancora a (100,100 600x500): rimessa di nuovo, "
                           "1120.0 ms"));
  EXPECT_EQ(window->frame, kEditorFrame);
  EXPECT_EQ(frameWrites(), 6u);
}

TEST_F(RestoreRunTest, AWindowThatComesBackOnItsOwnIsNotWrittenAgain) {
  editor->restoreAnswer = sim::RestoreAnswer::Ignore;
  clickAt(0);
  runUntil(1.0);
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
  const auto item = *mac.desktop.menuItem(*editor, kRestoreItem);
  mac.accessibility.setLatency(item, 2.5);
  mac.accessibility.fail(item, "AXEnabled", ax::kCannotComplete);
  fillThenClickAgain();
  // An item that cannot say whether it is enabled is pressed; the press times out after 2 s,
  // which counts as done: no shortcut.
  expectLinesStarting(
      {"Torna alle dimensioni precedenti dal menu: esito -25204", "Misura di prima rimessa"});
  EXPECT_THAT(keysPressed(), IsEmpty());
}

}  // namespace
}  // namespace plumora
