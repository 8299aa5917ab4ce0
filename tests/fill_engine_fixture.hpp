#pragma once

// A fill engine on the simulated desktop, with what tests of the engine look at.

#include <gmock/gmock.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fill/fill_action.hpp"
#include "sim_fixture.hpp"

namespace plumora::test {

class FillEngineFixture : public SimFixture {
 protected:
  explicit FillEngineFixture(bool verbose = true) : SimFixture(verbose) {}

  FillAction fill{context, settings};
  Element win = elementOf(*window);

  // Clicks the window's green button at `time`: the run is queued then.
  void clickAt(double time, sim::SimWindow& w) {
    mac.dispatch.runUntil(time);
    fill.perform(clickOn(w, time));
  }
  void clickAt(double time) { clickAt(time, *window); }
  void runUntil(double time) { mac.dispatch.runUntil(time); }

  std::optional<double> lastDoneTime() const {
    return fill.lastDone() ? std::optional<double>(fill.lastDone()->time) : std::nullopt;
  }
  // The key codes posted, key-downs only.
  std::vector<int> keysPressed() const {
    std::vector<int> keys;
    for (const auto& k : mac.keyboard.posted()) {
      if (k.down) keys.push_back(k.keyCode);
    }
    return keys;
  }
  // How many frame writes (AXSize, AXPosition) the program made.
  std::size_t frameWrites() const {
    return static_cast<std::size_t>(std::count_if(
        mac.accessibility.written().begin(), mac.accessibility.written().end(),
        [](const auto& w) { return w.attribute == "AXSize" || w.attribute == "AXPosition"; }));
  }
  // The log is exactly these lines, each given by its beginning.
  void expectLinesStarting(const std::vector<std::string>& starts) const {
    std::vector<::testing::Matcher<std::string>> each;
    for (const auto& s : starts) each.push_back(::testing::StartsWith(s));
    EXPECT_THAT(lines(), ::testing::ElementsAreArray(each));
  }
};

}  // namespace plumora::test
