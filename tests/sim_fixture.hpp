#pragma once

// A simulated Mac with one 1440 x 900 screen (25-point menu bar, no Dock) and a text editor
// whose window is active, verbose logging on, and the program's context made for it.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "accessibility/element.hpp"
#include "interception/green_click.hpp"
#include "sim/sim_mac.hpp"
#include "support/context.hpp"
#include "support/settings.hpp"
#include "temp_folder.hpp"

namespace plumora::test {

class SimFixture : public ::testing::Test {
 protected:
  static constexpr std::int32_t kEditorPid = 501;
  static constexpr Rect kEditorFrame = Rect::make(200, 150, 800, 600);
  // The primary screen's usable area in the top-left space.
  static constexpr Rect kUsable = Rect::make(0, 25, 1440, 875);

  explicit SimFixture(bool verbose = true) {
    mac.system.home = home.path().string();
    mac.defaults.setBool("DebugLog", verbose);
    mac.desktop.addStandardScreen();
    editor = &mac.desktop.addApp(kEditorPid, "TextEdit", "com.example.TextEdit");
    mac.desktop.setMenus(*editor, sim::standardMenus("TextEdit", true));
    window = &mac.desktop.addWindow(*editor, kEditorFrame, "Documento");
    mac.desktop.activate(*editor, window);
    settings.registerDefaults();
  }

  Element element(sim::NodeId node) { return Element(mac.accessibility.handle(node)); }
  Element elementOf(const sim::SimWindow& w) { return element(w.node); }
  Element appElement(const sim::SimApp& app) { return element(app.node); }

  GreenClick clickOn(const sim::SimWindow& w, double time) {
    return GreenClick(w.pid, elementOf(w), element(w.zoom.node), mac.desktop.buttonFrame(w, w.zoom),
                      time);
  }
  GreenClick clickOn(const sim::SimWindow& w) { return clickOn(w, mac.clock.mediaTime()); }

  // Runs `block` as the fill queue would, off the main thread.
  template <class Block>
  void onFillQueue(Block&& block) {
    mac.dispatch.onWorkerThread(std::forward<Block>(block));
  }

  // Every line the program wrote to the unified log so far, in order.
  std::vector<std::string> lines() const { return mac.unifiedLog.messages(); }
  void clearLines() { mac.unifiedLog.clear(); }

  TempFolder home;
  sim::SimMac mac;
  Context context{mac.platform};
  Settings settings{mac.defaults};
  sim::SimApp* editor = nullptr;
  sim::SimWindow* window = nullptr;
};

}  // namespace plumora::test
