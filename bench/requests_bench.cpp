// Accessibility requests, as the simulated system counts them: each is a round trip to another
// application on a real Mac. Counted once per case; the time of these cases means nothing.
#include <benchmark/benchmark.h>

#include "bench_mac.hpp"
#include "fill/fill_action.hpp"
#include "fill/fill_menu.hpp"
#include "interception/interceptor.hpp"
#include "support/settings.hpp"

namespace plumora::bench {
namespace {

sim::MenuItemSpec item(std::string title) {
  sim::MenuItemSpec spec;
  spec.title = std::move(title);
  return spec;
}

sim::MenuSpec menuOf(std::string title, int items) {
  sim::MenuSpec menu{std::move(title), {}};
  for (int i = 1; i <= items; ++i) menu.items.push_back(item(menu.title + " " + std::to_string(i)));
  return menu;
}

// A Window menu of 20 items as the system makes it: Fill third, the return to the previous
// size at the end of the Move & Resize submenu, the open windows at the end.
sim::MenuSpec realisticWindowMenu() {
  sim::MenuSpec menu{"Window", {item("Minimize"), item("Zoom")}};
  sim::MenuItemSpec fill = item("Fill");
  fill.identifier = "_zoomFill";
  fill.keyEquivalent = "F";
  fill.modifiers = 12;
  fill.command = sim::TilingCommand::Fill;
  menu.items.push_back(fill);
  sim::MenuItemSpec center = item("Center");
  center.identifier = "_zoomCenter";
  menu.items.push_back(center);
  sim::MenuItemSpec moveResize = item("Move & Resize");
  for (const char* side :
       {"Left", "Right", "Top", "Bottom", "Top Left", "Top Right", "Bottom Left", "Bottom Right",
        "Left & Right", "Right & Left", "Top & Bottom", "Bottom & Top", "Quarters"}) {
    moveResize.submenu.push_back(item(side));
  }
  sim::MenuItemSpec back = item("Return to Previous Size");
  back.identifier = "_zoomUntile";
  back.command = sim::TilingCommand::Restore;
  moveResize.submenu.push_back(back);
  menu.items.push_back(moveResize);
  sim::MenuItemSpec tile = item("Full Screen Tile");
  tile.submenu = {item("Left of Screen"), item("Right of Screen")};
  menu.items.push_back(tile);
  for (const char* title :
       {"Remove Window from Set", "Show Previous Tab", "Show Next Tab", "Move Tab to New Window",
        "Merge All Windows", "Bring All to Front", "Document", "Notes", "Letter", "Draft", "Report",
        "Invoice", "Budget", "Minutes"}) {
    menu.items.push_back(item(title));
  }
  return menu;
}

// Ten menus, the Window menu second from the right.
std::vector<sim::MenuSpec> realisticMenus() {
  return {menuOf("TextEdit", 12), menuOf("File", 16),   menuOf("Edit", 22),  menuOf("Format", 14),
          menuOf("View", 12),     menuOf("Insert", 10), menuOf("Table", 18), menuOf("Arrange", 12),
          realisticWindowMenu(),  menuOf("Help", 3)};
}

void reportRequests(benchmark::State& state, std::uint64_t requests) {
  state.counters["requests"] = static_cast<double>(requests);
}

void detection(benchmark::State& state) {
  BenchMac desktop(1, realisticMenus());
  Interceptor interceptor(desktop.context, [](const GreenClick&) {});
  if (!interceptor.start()) return state.SkipWithError("the tap did not start");
  auto tap = desktop.mac.eventTaps.live();
  const sim::SimTapEvent press(desktop.greenButton(), 0);
  std::uint64_t requests = 0;
  for (auto _ : state) {
    desktop.mac.accessibility.resetRequestCounts();
    if (interceptor.handle(*tap, EventType::LeftMouseDown, press) != TapVerdict::Swallow) {
      return state.SkipWithError("the green button was missed");
    }
    requests = desktop.mac.accessibility.totalRequests();
  }
  reportRequests(state, requests);
}
BENCHMARK(detection)->Name("requests/detection of a green click")->Iterations(1);

// On one app: a Fill at 0 and its measurement, a restore at 1.0, then a second Fill at 6.0 and
// a second restore at 7.0, which find the menu items remembered. Counted: the requests of the
// `counted`th run (from 0), up to the next.
void fillRun(benchmark::State& state, std::size_t counted) {
  constexpr double kClicks[] = {0, 1.0, 6.0, 7.0};
  constexpr double kEnds[] = {1.0, 6.0, 7.0, 12.0};
  std::uint64_t requests = 0;
  for (auto _ : state) {
    BenchMac desktop(1, realisticMenus());
    Settings settings(desktop.mac.defaults);
    settings.registerDefaults();
    FillAction fill(desktop.context, settings);
    const sim::SimWindow& w = *desktop.window;
    for (std::size_t run = 0; run <= counted; ++run) {
      desktop.mac.dispatch.runUntil(kClicks[run]);
      desktop.mac.accessibility.resetRequestCounts();
      fill.perform(GreenClick(w.pid, Element(desktop.mac.accessibility.handle(w.node)),
                              Element(desktop.mac.accessibility.handle(w.zoom.node)),
                              desktop.mac.desktop.buttonFrame(w, w.zoom), kClicks[run]));
      desktop.mac.dispatch.runUntil(kEnds[run]);
    }
    requests = desktop.mac.accessibility.totalRequests();
    const bool restored = counted % 2 == 1;
    const Rect expected = restored ? BenchMac::kEditorFrame : Rect::make(0, 25, 1440, 875);
    if (!(w.frame == expected)) return state.SkipWithError("the run did not end as expected");
  }
  reportRequests(state, requests);
}
BENCHMARK_CAPTURE(fillRun, fill, 0)->Name("requests/Fill run, realistic app")->Iterations(1);
BENCHMARK_CAPTURE(fillRun, restore, 1)->Name("requests/restore run, realistic app")->Iterations(1);
BENCHMARK_CAPTURE(fillRun, secondFill, 2)
    ->Name("requests/second Fill run, realistic app")
    ->Iterations(1);
BENCHMARK_CAPTURE(fillRun, secondRestore, 3)
    ->Name("requests/second restore run, realistic app")
    ->Iterations(1);

// Every item of every menu but the application menu is read, and nothing is found.
void worstMenuSearch(benchmark::State& state) {
  std::vector<sim::MenuSpec> menus;
  for (int i = 0; i < 15; ++i) menus.push_back(menuOf("Menu " + std::to_string(i), 40));
  BenchMac desktop(1, menus);
  const Element app(desktop.mac.accessibility.handle(desktop.editor->node));
  std::uint64_t requests = 0;
  for (auto _ : state) {
    desktop.mac.accessibility.resetRequestCounts();
    if (FillMenu::locate(app)) return state.SkipWithError("a Fill item was found");
    requests = desktop.mac.accessibility.totalRequests();
  }
  reportRequests(state, requests);
}
BENCHMARK(worstMenuSearch)
    ->Name("requests/menu search, 15 menus of 40 items, no Fill")
    ->Iterations(1);

}  // namespace
}  // namespace plumora::bench
