#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fill_engine_fixture.hpp"

namespace plumora {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ActivationTest : public test::FillEngineFixture {
 protected:
  explicit ActivationTest(bool verbose = true) : FillEngineFixture(verbose) {}

  bool bringToFront(const sim::SimWindow& w) {
    bool result = false;
    onFillQueue(
        [&] { result = fill.bringToFront(appElement(*editor), elementOf(w), editor->pid); });
    return result;
  }
  std::vector<double> raiseTimes() const {
    std::vector<double> times;
    for (const auto& p : mac.accessibility.performed()) {
      if (p.action == "AXRaise") times.push_back(p.time);
    }
    return times;
  }
  sim::SimApp& finder() {
    auto& app = mac.desktop.addApp(777, "Finder");
    auto& desk = mac.desktop.addWindow(app, Rect::make(0, 25, 600, 400), "Scrivania");
    mac.desktop.activate(app, &desk);
    return app;
  }
};

TEST_F(ActivationTest, AnActiveWindowIsTakenAsItIs) {
  EXPECT_TRUE(bringToFront(*window));
  EXPECT_THAT(raiseTimes(), IsEmpty());
  EXPECT_THAT(lines(), IsEmpty());
  EXPECT_DOUBLE_EQ(mac.clock.mediaTime(), 0);
  // The main window is active too while a panel of the application has the focus.
  editor->focused = nullptr;
  editor->main = window;
  EXPECT_TRUE(bringToFront(*window));
  EXPECT_THAT(raiseTimes(), IsEmpty());
}

TEST_F(ActivationTest, AnotherWindowOfTheFrontmostApplicationIsRaised) {
  auto& other = mac.desktop.addWindow(*editor, Rect::make(50, 60, 400, 300), "Altro");
  mac.desktop.activate(*editor, &other);
  EXPECT_TRUE(bringToFront(*window));
  EXPECT_THAT(raiseTimes(), ElementsAre(0.0));
  EXPECT_EQ(editor->focused, window);
  // Active at the poll of 30 ms, then the extra 40 ms.
  EXPECT_THAT(lines(), ElementsAre("Finestra attivata in 70.0 ms"));
}

TEST_F(ActivationTest, GivesUpAfterRaisingOnceMore) {
  finder();
  editor->activates = false;
  EXPECT_FALSE(bringToFront(*window));
  // The second raise at the first poll past 0.5 s, the give-up at the first poll at 2.5 s.
  auto times = raiseTimes();
  ASSERT_EQ(times.size(), 2u);
  EXPECT_NEAR(times[1], 0.51, 1e-9);
  EXPECT_NEAR(mac.clock.mediaTime(), 2.505, 1e-9);
  EXPECT_THAT(lines(), ElementsAre("Finestra non attivata: app in primo piano 777 (attesa 501), "
                                   "finestra attiva (200,150 800x600) 'Documento', principale "
                                   "(200,150 800x600), cliccata (200,150 800x600) 'Documento'"));
}

class QuietActivationTest : public ActivationTest {
 protected:
  QuietActivationTest() : ActivationTest(false) {}
};

TEST_F(QuietActivationTest, TheFailureLinesDetailsAreReadOnlyWhenWritten) {
  finder();
  editor->activates = false;
  mac.accessibility.resetRequestCounts();
  EXPECT_FALSE(bringToFront(*window));
  // Two rounds of three raise writes, then the focused and the main window: nothing more.
  EXPECT_EQ(mac.accessibility.requests(kEditorPid), 8u);
  EXPECT_THAT(lines(), IsEmpty());
}

}  // namespace
}  // namespace plumora
