// Another application's assistive mode, which a restore turns off around its frame writes, is
// on again after any interleaving of runs and a quit, or a log line names the application.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "fill/fill_action.hpp"
#include "sim_fixture.hpp"

namespace plumora {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kNotOnAgain = "non riaccesa nell'app (pid ";

// A simulated Mac whose editor is in assistive mode and puts a restored window elsewhere, so
// that the restore writes the frame itself; and the user's quit, as the platform asks for it.
struct QuitWorld : test::SimFixture {
  void TestBody() override {}  // a world that a test makes many of, not a test of its own
  using SimFixture::clickOn;
  using SimFixture::editor;
  using SimFixture::lines;
  using SimFixture::mac;
  using SimFixture::window;

  FillAction fill{context, settings};
  std::optional<double> endedAt;
  std::vector<std::string> linesAtEnd;
  std::optional<bool> modeAtQuit;

  // Not verbose: the lines that matter here are the informative ones.
  QuitWorld() : SimFixture(false) {
    editor->restoreAnswer = sim::RestoreAnswer::Elsewhere;
    editor->elsewhere = Rect::make(300, 300, 500, 400);
    editor->enhancedUserInterface = true;
  }

  // Fills the editor's window at 0 and clicks it again at 1.0: the restore is queued.
  void restoreAtOne() {
    fill.perform(clickOn(*window, 0));
    mac.dispatch.runUntil(1.0);
    fill.perform(clickOn(*window, 1.0));
  }

  // The user quits: the process ends once the program lets it, and its threads stop `killAfter`
  // seconds later (never, when empty): until then the fill queue goes on. A stopped process
  // sends no more requests; those already sent still reach their application.
  void quit(std::optional<double> killAfter) {
    auto end = [this, killAfter] {
      fill.applicationWillTerminate();
      endedAt = mac.clock.mediaTime();
      linesAtEnd = lines();
      if (killAfter) mac.clock.after(*killAfter, [this] { mac.accessibility.setTrusted(false); });
    };
    if (fill.applicationShouldTerminate(end)) end();
  }
  // The quit at `time`, on the main thread, whatever the fill queue is doing then.
  void quitAt(double time, std::optional<double> killAfter) {
    mac.clock.at(time, [this, killAfter] {
      modeAtQuit = editor->enhancedUserInterface;
      auto onMain = [&] { quit(killAfter); };
      if (mac.dispatch.isMainThread()) {
        onMain();
      } else {
        mac.dispatch.syncMain(onMain);
      }
    });
  }
};

struct Interleaving {
  const char* name;
  double appLatency;     // of each request to the editor's application element
  double windowLatency;  // of each request to its window
  bool refusesOn;        // the editor never takes its mode back
};

class QuitDuringARestoreTest : public ::testing::TestWithParam<Interleaving> {};

// Every moment of the restore, in 100 ms steps, and processes that stop at once, a little later,
// or only when the run is over.
TEST_P(QuitDuringARestoreTest, LeavesTheModeOnOrSaysWhichIsNot) {
  const Interleaving& row = GetParam();
  const std::optional<double> kills[] = {0.0, 0.3, std::nullopt};
  int offAtTheQuit = 0;
  for (int step = 0; step <= 50; ++step) {
    const double quitTime = 1.0 + step * 0.1;
    for (const auto& killAfter : kills) {
      SCOPED_TRACE("quit at " + std::to_string(quitTime) + ", stopped after " +
                   (killAfter ? std::to_string(*killAfter) : std::string("the run")));
      auto world = std::make_unique<QuitWorld>();
      sim::SimApp* editor = world->editor;
      if (row.refusesOn) {
        world->mac.accessibility.setWritable(editor->node, "AXEnhancedUserInterface",
                                             [editor](const RawValue& value) -> AXError {
                                               if (*value.numeric() != 0) return ax::kFailure;
                                               editor->enhancedUserInterface = false;
                                               return ax::kSuccess;
                                             });
      }
      world->restoreAtOne();
      world->mac.accessibility.setLatency(editor->node, row.appLatency);
      world->mac.accessibility.setLatency(world->window->node, row.windowLatency);
      world->quitAt(quitTime, killAfter);
      world->mac.dispatch.runUntil(30.0);

      ASSERT_TRUE(world->endedAt.has_value());
      EXPECT_LE(*world->endedAt, quitTime + FillAction::kQuitPatience);
      const auto named = std::count_if(
          world->linesAtEnd.begin(), world->linesAtEnd.end(), [](const std::string& line) {
            return line == "Interfaccia avanzata non riaccesa nell'app (pid 501): esito -25200";
          });
      // On again, or named once, by whoever tried last.
      if (!row.refusesOn) {
        EXPECT_EQ(editor->enhancedUserInterface, true);
      }
      EXPECT_EQ(named, editor->enhancedUserInterface == true ? 0 : 1);
      if (world->modeAtQuit == false) ++offAtTheQuit;
    }
  }
  // The sweep reaches the moments the mode is off, not only those before and after.
  EXPECT_GT(offAtTheQuit, 0);
}

const Interleaving kInterleavings[] = {
    {"AnAppThatTakesAThirdOfASecond", 0.3, 0, false},
    {"AnAppThatTakesAlmostItsWholeTimeout", 0.9, 0, false},
    {"AnAppWithASlowWindow", 0, 0.3, false},
    {"AnAppThatNeverTakesItsModeBack", 0.3, 0, true},
};
INSTANTIATE_TEST_SUITE_P(Apps, QuitDuringARestoreTest, ::testing::ValuesIn(kInterleavings),
                         [](const auto& info) { return std::string(info.param.name); });

// The editor refuses to turn its mode back on a number of times; then comes a restore of
// another application in assistive mode, or of the editor itself, and the quit.
struct Refusal {
  const char* name;
  int refusals;  // -1: for ever
  bool thenTheEditorAgain;
  bool editorOnBeforeTheQuit;
  bool editorOnAtTheEnd;
  bool saidWhichIsNot;
};

class RefusedModeTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedModeTest, IsGivenBackByALaterRunOrTheQuitOrNamed) {
  const Refusal& row = GetParam();
  QuitWorld world;
  sim::SimApp* editor = world.editor;
  int refusals = row.refusals;
  world.mac.accessibility.setWritable(editor->node, "AXEnhancedUserInterface",
                                      [&](const RawValue& value) -> AXError {
                                        const bool on = *value.numeric() != 0;
                                        if (on && refusals != 0) {
                                          if (refusals > 0) --refusals;
                                          return ax::kCannotComplete;
                                        }
                                        editor->enhancedUserInterface = on;
                                        return ax::kSuccess;
                                      });
  world.restoreAtOne();
  world.mac.dispatch.runUntil(6.0);
  ASSERT_EQ(editor->enhancedUserInterface, false);  // left off by the restore

  auto& viewer = world.mac.desktop.addApp(502, "Preview", "com.example.Preview");
  world.mac.desktop.setMenus(viewer, sim::standardMenus("Preview", true));
  viewer.restoreAnswer = sim::RestoreAnswer::Elsewhere;
  viewer.elsewhere = Rect::make(400, 300, 500, 400);
  viewer.enhancedUserInterface = true;
  auto& picture = world.mac.desktop.addWindow(viewer, Rect::make(100, 100, 600, 500), "Foto");
  auto& again = row.thenTheEditorAgain ? *world.window : picture;
  world.fill.perform(world.clickOn(again, 6.0));
  world.mac.dispatch.runUntil(7.0);
  world.fill.perform(world.clickOn(again, 7.0));
  world.mac.dispatch.runUntil(13.0);
  EXPECT_EQ(viewer.enhancedUserInterface, true);
  EXPECT_EQ(editor->enhancedUserInterface, row.editorOnBeforeTheQuit);

  world.quit(0.0);
  world.mac.dispatch.runUntil(20.0);
  ASSERT_TRUE(world.endedAt.has_value());
  EXPECT_EQ(editor->enhancedUserInterface, row.editorOnAtTheEnd);
  const auto named = Contains(HasSubstr(std::string(kNotOnAgain) + "501): esito -25204"));
  if (row.saidWhichIsNot) {
    EXPECT_THAT(world.linesAtEnd, named);
  } else {
    EXPECT_THAT(world.linesAtEnd, Not(named));
  }
}

const Refusal kRefusals[] = {
    {"TwiceThenAnotherAppsRestore", 2, false, false, true, false},
    {"ForEverThenAnotherAppsRestore", -1, false, false, false, true},
    {"TwiceThenTheSameAppsRestore", 2, true, true, true, false},
};
INSTANTIATE_TEST_SUITE_P(Modes, RefusedModeTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

// The quit's patience with a run whose "off" request is on its way when the user quits: the
// run's word ends the wait, or the patience does, with a line for the application.
struct Patience {
  const char* name;
  std::optional<double> runAnswersAt;
  double readyAt;
  bool named;
};

class QuitPatienceTest : public test::SimFixture, public ::testing::WithParamInterface<Patience> {};

TEST_P(QuitPatienceTest, EndsAtTheRunsWordOrAfterFourSeconds) {
  const Patience& row = GetParam();
  AssistiveModes modes;
  onFillQueue([&] {
    ASSERT_EQ(modes.claim(501), AssistiveModes::Claim::Read);
    ASSERT_TRUE(modes.beginTurningOff(501, true));
  });
  std::vector<double> readyAt;
  EXPECT_FALSE(giveBackAssistiveModes(context, modes, 1.0f, FillAction::kQuitPatience,
                                      [&] { readyAt.push_back(mac.clock.mediaTime()); }));
  if (row.runAnswersAt) {
    mac.clock.at(*row.runAnswersAt, [&] {
      onFillQueue([&] {
        EXPECT_FALSE(modes.turnedOff(501));  // the run turns it back on at once
        std::function<void()> waiter;
        EXPECT_TRUE(modes.gaveBack(501, true, waiter));
        if (waiter) mac.dispatch.mainAfter(0, waiter);
      });
    });
  }
  mac.dispatch.runUntil(10.0);
  EXPECT_EQ(readyAt, std::vector<double>{row.readyAt});
  const std::string line =
      "Interfaccia avanzata forse non riaccesa nell'app (pid 501): nessuna risposta prima "
      "dell'uscita";
  const auto written = lines();
  EXPECT_EQ(std::count(written.begin(), written.end(), line), row.named ? 1 : 0);
}

const Patience kPatience[] = {
    {"TheRunAnswersInTime", 1.5, 1.5, false},
    {"TheRunAnswersTooLate", 5.0, 4.0, true},
    {"TheRunNeverAnswers", std::nullopt, 4.0, true},
};
INSTANTIATE_TEST_SUITE_P(Runs, QuitPatienceTest, ::testing::ValuesIn(kPatience),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace plumora
