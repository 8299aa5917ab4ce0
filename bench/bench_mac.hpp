#pragma once

// A simulated Mac for the benchmarks: one standard screen, verbose logging off, a text editor
// whose window is frontmost, and as many windows of another application behind it as asked.

#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_mac.hpp"
#include "support/context.hpp"

namespace plumora::bench {

class BenchMac {
 public:
  static constexpr std::int32_t kEditorPid = 501;
  static constexpr std::int32_t kOtherPid = 502;
  static constexpr Rect kEditorFrame = Rect::make(200, 150, 800, 600);

  // `windows` on screen in all, the editor's in front; `menus` for the editor.
  explicit BenchMac(int windows = 1, const std::vector<sim::MenuSpec>& menus = {}) {
    mac.desktop.addStandardScreen();
    sim::SimApp& other = mac.desktop.addApp(kOtherPid, "Finder", "com.example.Finder");
    for (int i = 1; i < windows; ++i) {
      // Spread over the screen, most of them under the editor's title bar too.
      const double shift = (i % 50) * 4.0;
      mac.desktop.addWindow(other, Rect::make(100 + shift, 100 + shift, 900, 700),
                            "Folder " + std::to_string(i));
    }
    editor = &mac.desktop.addApp(kEditorPid, "TextEdit", "com.example.TextEdit");
    mac.desktop.setMenus(*editor, menus.empty() ? sim::standardMenus("TextEdit", true) : menus);
    window = &mac.desktop.addWindow(*editor, kEditorFrame, "Document");
    mac.desktop.activate(*editor, window);
  }
  BenchMac(const BenchMac&) = delete;
  BenchMac& operator=(const BenchMac&) = delete;

  Point greenButton() const { return mac.desktop.center(*window, window->zoom); }
  // In the title bar, right of the zone where the title-bar buttons can be.
  Point titleBarOutsideZone() const {
    return {minX(window->frame) + 400, minY(window->frame) + 10};
  }

  sim::SimMac mac;
  Context context{mac.platform};
  sim::SimApp* editor = nullptr;
  sim::SimWindow* window = nullptr;
};

}  // namespace plumora::bench
