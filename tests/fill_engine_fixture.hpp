#pragma once

// A fill engine on the simulated desktop, with what tests of whole runs look at.

#include <gmock/gmock.h>

#include "fill/fill_action.hpp"
#include "sim_fixture.hpp"

namespace plumora::test {

class FillEngineFixture : public SimFixture {
 protected:
  static constexpr std::uint64_t kFnControl = 0x840000;

  FillAction fill{context, settings};

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
    std::size_t n = 0;
    for (const auto& w : mac.accessibility.written()) {
      if (w.attribute == "AXSize" || w.attribute == "AXPosition") ++n;
    }
    return n;
  }
  std::vector<std::string> written() const {
    std::vector<std::string> out;
    for (const auto& w : mac.accessibility.written()) out.push_back(w.attribute);
    return out;
  }
};

}  // namespace plumora::test
