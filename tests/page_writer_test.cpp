// The simulator's page: numbers and text as it writes them, the strips of a screen, what a
// drawing shows of a scene, and the page around the drawings.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "comma_locale.hpp"
#include "page/markup_text.hpp"
#include "page/page_writer.hpp"
#include "page/svg_desktop.hpp"
#include "page/svg_overlays.hpp"

namespace plumora::simtool {
namespace {

constexpr auto R = &Rect::make;
using Written = std::pair<std::string, std::string>;

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Each part appears in a drawing or a page exactly once, or not at all.
void expectOnce(const std::string& text, std::initializer_list<std::string> parts) {
  for (const auto& part : parts) EXPECT_EQ(occurrences(text, part), 1u) << part;
}

void expectNone(const std::string& text, std::initializer_list<std::string> parts) {
  for (const auto& part : parts) EXPECT_EQ(occurrences(text, part), 0u) << part;
}

TEST(PageMarkup, NumbersToTheHundredthWithoutTrailingZeros) {
  const auto N = &markupNumber;
  const Written written[] = {
      Written(N(1440), "1440"), Written(N(250.5), "250.5"), Written(N(-0.25), "-0.25"),
      // Half away from zero; a negative too small to show has no sign.
      Written(N(0.125), "0.13"), Written(N(3.999), "4"), Written(N(-0.001), "0"),
      // Nothing that is not a number, or beyond any screen.
      Written(N(0), "0"), Written(N(NAN), "0"), Written(N(-INFINITY), "0"), Written(N(1e20), "0"),
      // Rectangles standardised.
      Written(markupRect(R(200, 150, 800, 600)), "200,150 800x600"),
      Written(markupRect(R(10, 10, -4, 2.5)), "6,10 4x2.5"), Written(markupSeconds(1.1), "1.100"),
      Written(markupSeconds(12.3456), "12.346"), Written(markupSeconds(0), "0.000")};
  for (const auto& [got, want] : written) EXPECT_EQ(got, want);
}

// The page's bytes may not depend on the locale a host has set.
TEST(PageMarkup, NumbersKeepThePointUnderACommaLocale) {
  const char* found = test::useCommaLocale(LC_NUMERIC);
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  char comma[8];
  std::snprintf(comma, sizeof comma, "%.1f", 0.5);
  const Written written[] = {Written(markupNumber(250.5), "250.5"),
                             Written(markupSeconds(1.25), "1.250"), Written(comma, "0,5")};
  std::setlocale(LC_NUMERIC, "C");
  for (const auto& [got, want] : written) EXPECT_EQ(got, want) << found;
}

TEST(PageMarkup, TextIsSafeInElementsAndAttributes) {
  const std::string bad = "\xEF\xBF\xBD";  // U+FFFD for each byte that cannot stay
  const std::string bad2 = bad + bad, bad3 = bad2 + bad, bad4 = bad3 + bad;
  const Written escaped[] = {
      Written("<a href=\"x\">&'", "&lt;a href=&quot;x&quot;&gt;&amp;&#39;"),
      // Accented letters, a four-byte character, tab and newline stay.
      Written("Accessibilit\xC3\xA0 \xF0\x9F\x8D\x91\t\n",
              "Accessibilit\xC3\xA0 \xF0\x9F\x8D\x91\t\n"),
      // A control character, a stray continuation byte, a cut sequence.
      Written("a\x01z", "a" + bad + "z"), Written("\x80", bad), Written("ok\xC3", "ok" + bad),
      // Overlong forms, a surrogate, past U+10FFFF, and U+FFFF, which XML refuses.
      Written("\xC0\xAF", bad2), Written("\xE0\x9F\xBF", bad3), Written("\xF0\x8F\xBF\xBF", bad4),
      Written("\xED\xA0\x80", bad3), Written("\xF4\x90\x80\x80", bad4),
      Written("\xEF\xBF\xBF", bad3)};
  for (const auto& [text, want] : escaped) EXPECT_EQ(escapeMarkup(text), want) << text;
}

TEST(PageMarkup, LongTextIsCutWithAnEllipsis) {
  EXPECT_EQ(fitText("Documento", 500, 16), "Documento");
  const std::string cut = fitText("Documento molto lungo di prova", 100, 16);
  EXPECT_LT(cut.size(), 30u);
  EXPECT_EQ(cut.substr(cut.size() - 3), "\xE2\x80\xA6");
  // Cut between characters, never inside one.
  EXPECT_EQ(escapeMarkup(fitText("\xC3\xA0\xC3\xA0\xC3\xA0\xC3\xA0\xC3\xA0\xC3\xA0", 30, 10)),
            "\xC3\xA0\xC3\xA0\xC3\xA0\xC3\xA0\xE2\x80\xA6");
}

TEST(ScreenStrips, MenuBarOnTopAndTheDockOnTheEdgeItTakes) {
  const Rect frame = R(0, 0, 1440, 900);
  const Rect bar = R(0, 0, 1440, 25);
  const std::tuple<Rect, std::optional<Rect>, std::vector<Rect>> cases[] = {
      {R(0, 25, 1440, 875), bar, {}},
      {R(0, 25, 1440, 805), bar, {R(0, 830, 1440, 70)}},   // the Dock at the bottom
      {R(70, 25, 1370, 875), bar, {R(0, 25, 70, 875)}},    // on the left
      {R(0, 25, 1370, 875), bar, {R(1370, 25, 70, 875)}},  // on the right
      {frame, std::nullopt, {}},
      {R(-50, 25, 1600, 2000), bar, {}},  // a usable area past the screen is cut to it
      {R(0, 1000, 1440, 100), frame, {}},
  };
  for (const auto& [usable, menuBar, dock] : cases) {
    const DrawnScreen screen{frame, usable};
    SCOPED_TRACE(markupRect(usable));
    EXPECT_EQ(menuBarOf(screen), menuBar);
    EXPECT_EQ(dockOf(screen), dock);
  }
}

DrawnWindow window(std::string name, Rect frame) {
  DrawnWindow w;
  w.name = w.title = name;
  w.app = "Editor";
  w.frame = frame;
  const auto button = [&](double x) { return R(frame.origin.x + x, frame.origin.y + 6, 14, 16); };
  w.close = button(8);
  w.minimize = button(28);
  w.green = button(48);
  return w;
}

Scene desktop() {
  Scene scene;
  scene.screens = {DrawnScreen{R(0, 0, 1440, 900), R(0, 25, 1440, 805)}};
  scene.windows = {window("Shell", R(1030, 120, 380, 300)),
                   window("Documento", R(200, 150, 800, 600))};
  scene.frontmost = "Editor";
  return scene;
}

// Frames, buttons, stacking and outlines are checked against every shipped scenario's timeline
// by tests/page/check-page; here, what a scene's flags change.
TEST(SceneDrawing, FullScreenWindowIsASpaceOverItsScreenOrATabAboveIt) {
  struct Case {
    bool shown;
    std::vector<std::string> once, none;
  };
  const Case cases[] = {
      // In front: over its screen, menu bar and Dock included, with its title; only the other
      // window has a ring around its green button.
      {true,
       {"data-space=\"shown\"", "Shell (full screen)", "data-mark=\"green\"",
        "data-part=\"menu-bar\""},
       {"data-part=\"tab\"", "not in front"}},
      // Not in front: the desktop shows, the window is a tab above the screen.
      {false,
       {"data-space=\"behind\"", "data-part=\"tab\"", ">Shell: full screen, not in front<",
        "data-part=\"frame\""},
       {"Shell (full screen)", "data-space=\"shown\""}},
  };
  for (const Case& c : cases) {
    Scene scene = desktop();
    // The full-screen window is the one at the back of the window list.
    scene.windows[0].fullScreen = true;
    scene.windows[0].spaceShown = c.shown;
    scene.windows[0].frame = R(0, 0, 1440, 900);
    const std::string svg = drawScene(scene, viewOf({}), "");
    SCOPED_TRACE(c.shown);
    for (const auto& part : c.once) EXPECT_EQ(occurrences(svg, part), 1u) << part;
    for (const auto& part : c.none) EXPECT_EQ(occurrences(svg, part), 0u) << part;
    if (c.shown) {
      // Drawn after, so above, the other window and the menu bar.
      EXPECT_GT(svg.find("data-space=\"shown\""), svg.find("data-window=\"Documento\""));
      EXPECT_GT(svg.find("data-space=\"shown\""), svg.find("data-part=\"menu-bar\""));
    }
  }
}

// The x, y, width and height of the first <rect> after `after`.
Rect rectAfter(const std::string& svg, const std::string& after) {
  const auto at = svg.find("<rect x=\"", svg.find(after));
  const auto number = [&](const char* name) {
    return std::stod(svg.substr(svg.find(name, at) + std::string(name).size()));
  };
  return R(number(" x=\""), number(" y=\""), number(" width=\""), number(" height=\""));
}

TEST(SceneDrawing, PostedShortcutIsKeyCapsOnTheWindowItWentTo) {
  // On the window, centred across it: below the application's name in its middle when the
  // window has room for them, else over its middle.
  const std::tuple<std::string, double, double> cases[] = {
      {"Documento", 600, 450 + 14 + 14},  // (200,150 800x600)
      {"Shell", 1220, 270 - 62},          // (1030,120 380x300): no room below
  };
  for (const auto& [window, middle, top] : cases) {
    Scene scene = desktop();
    scene.keys = "fn \xE2\x8C\x83 F";
    scene.keysWindow = window;
    const std::string svg = drawScene(scene, viewOf({}), "");
    SCOPED_TRACE(window);
    expectOnce(svg, {"<g data-keys=\"fn \xE2\x8C\x83 F\">", ">posted by Plumora</text>",
                     ">\xE2\x8C\x83</text>"});
    EXPECT_EQ(occurrences(svg, "data-part=\"key-cap\""), 3u);
    const Rect panel = rectAfter(svg, "data-keys=");
    EXPECT_NEAR(panel.origin.x + panel.size.width / 2, middle, 0.01);
    EXPECT_NEAR(panel.origin.y, top, 0.01);
  }
  expectNone(drawScene(desktop(), viewOf({}), ""), {"data-keys", "key-cap"});
}

TEST(SceneDrawing, LabelsGoWhereTheyCoverNoText) {
  const Rect view = R(-40, -40, 1520, 980);
  const Rect a = R(100, 100, 80, 34), b = R(100, 200, 80, 34), off = R(-100, 100, 80, 34);
  const std::tuple<std::vector<Rect>, std::vector<Rect>, Rect> cases[] = {
      {{a, b}, {}, a},
      {{a, b}, {R(0, 0, 1440, 120)}, b},                     // the first meets a menu bar
      {{off, b}, {}, b},                                     // the first lies outside the drawing
      {{a, b}, {R(150, 90, 10, 10), R(90, 220, 20, 5)}, a},  // every one taken: the first
      {{a, b}, {R(180, 100, 20, 34)}, a},                    // touching is not covering
  };
  for (const auto& [candidates, taken, want] : cases) {
    EXPECT_EQ(placeLabel(candidates, taken, view), want);
  }
  // A frame before that lay right below the menu bar: its label is not drawn over the bar's
  // text, as it would be above the outline, nor over the title of a window at the top.
  Scene scene = desktop();
  scene.windows.push_back(window("Nota", R(0, 25, 300, 200)));
  scene.changedWindow = "Documento";
  scene.before = R(0, 25, 1440, 875);
  const std::string svg = drawScene(scene, viewOf({}), "");
  const Rect label = rectAfter(svg, "data-label=\"before\"");
  EXPECT_GE(label.origin.y, 25 + 28) << "below the menu bar and Nota's title bar";
  for (const Rect& text : textAreasOf(scene)) {
    EXPECT_FALSE(minX(text) < maxX(label) && minX(label) < maxX(text) && minY(text) < maxY(label) &&
                 minY(label) < maxY(text))
        << markupRect(text);
  }
}

struct PointerCase {
  DrawnPointer::Mark mark;
  DrawnPointer::Fate fate;
  std::string reached;
  std::string attributes;  // on the pointer's group
  std::string colour;      // of its ring
  std::string label;
};

TEST(SceneDrawing, SwallowedAndPassedEventsLookDifferent) {
  using Mark = DrawnPointer::Mark;
  using Fate = DrawnPointer::Fate;
  const PointerCase cases[] = {
      {Mark::Press, Fate::Swallowed, "", "press\" data-fate=\"swallowed", "#8e24aa",
       "press: swallowed by Plumora"},
      {Mark::Release, Fate::Passed, "Editor", "release\" data-fate=\"passed", "#ef6c00",
       "release: passed, reached Editor"},
      {Mark::Drag, Fate::NoTap, "", "drag\" data-fate=\"no-tap", "#6d6d6d",
       "drag: no event tap, reached no application"},
      {Mark::None, Fate::None, "", "none\" data-fate=\"none", "", ""},
  };
  for (const PointerCase& c : cases) {
    Scene scene = desktop();
    scene.pointer = DrawnPointer{Point{255, 164}, c.mark, c.fate, c.reached};
    const std::string svg = drawScene(scene, viewOf({}), "");
    SCOPED_TRACE(c.attributes);
    expectOnce(svg, {"data-pointer=\"255,164\" data-mark=\"" + c.attributes + "\""});
    // No mark, no ring; otherwise a ring of the event's colour and a label.
    if (c.colour.empty())
      expectNone(svg, {"<circle cx=\"255\" cy=\"164\" r=\"22\""});
    else
      expectOnce(svg,
                 {"stroke=\"" + c.colour + "\" stroke-width=\"5\"", ">" + c.label + "</text>"});
  }
}

TEST(SceneDrawing, ViewHoldsEveryStepAndStaysPut) {
  Step first{0, "log", "first", desktop(), ""};
  Step second{1, "world", "second", desktop(), ""};
  second.scene.screens.push_back(DrawnScreen{R(1440, -100, 1920, 1080), R(1440, -75, 1920, 1055)});
  EXPECT_EQ(viewOf({first}), R(-40, -40, 1520, 980));
  EXPECT_EQ(viewOf({first, second}), R(-40, -140, 3440, 1160));
  EXPECT_EQ(viewOf({}), R(-40, -40, 1520, 980)) << "a standard screen's";
}

// With several screens each step shows the screen where it happens, the others small below.
TEST(SceneDrawing, OneScreenOfSeveralIsDrawnLargeWithAllBelow) {
  const DrawnScreen above{R(0, -1080, 1920, 1080), R(0, -1055, 1920, 1055)};
  const auto step = [&](std::optional<Point> pointer, bool second = true) {
    Step s{0, "input", "", desktop(), ""};
    if (second) s.scene.screens.push_back(above);
    if (pointer)
      s.scene.pointer =
          DrawnPointer{*pointer, DrawnPointer::Mark::Press, DrawnPointer::Fate::Swallowed, ""};
    return s;
  };
  const Rect primary = R(-40, -40, 1520, 980 + kOverviewHeight - 20);
  const Rect upper = R(-40, -1120, 2000, 1160 + kOverviewHeight - 20);
  const std::vector<Step> steps = {step(Point{300, 300}), step(Point{300, -500}), step({}),
                                   step(Point{5000, 5000})};
  const std::vector<Rect> views = viewsOf(steps);
  ASSERT_EQ(views.size(), 4u);
  EXPECT_EQ(views[0], primary);
  EXPECT_EQ(views[1], upper);
  EXPECT_EQ(views[2], upper) << "no place of its own: where the last step happened";
  EXPECT_EQ(views[3], viewOf({steps[3]})) << "off every screen: all of them";
  const std::string svg = drawScene(steps[1].scene, views[1], "");
  expectOnce(svg, {"data-overview=\"2 screens\"", ">All 2 screens:</text>"});
  expectNone(drawScene(steps[0].scene, viewOf(steps), ""), {"data-overview"});
  // One screen: the same view at every step, as before.
  const std::vector<Step> single = {step(Point{300, 300}, false), step({}, false)};
  EXPECT_EQ(viewsOf(single), std::vector<Rect>(2, viewOf(single)));
}

// One drawing and one line per step, the first shown; the expectations; and, opened from disk,
// nothing needed from anywhere else (the SVG namespace names no place to fetch).
TEST(PageWriter, StepsExpectationsAndNothingFromElsewhere) {
  const PageContent content{
      "scenarios/a&b.scn",
      {"desktop (top-left coordinates, points)"},
      {Step{0, "log", "   0.000  log      <avviato>", desktop(), "Plumora starts."},
       Step{1, "user", "   1.000  user     click", desktop(), "The user clicks <there>."},
       Step{8, "end", "   8.000  end      of the run", desktop(), "The run ends."}},
      {{true, "  met     a.scn:3  shortcuts posted: none"},
       {false, "  FAILED  a.scn:4  Editor received nothing: it received press"}},
      "1 of 2 expectations met",
      false,
      {}};
  const std::string page = writePage(content);
  expectOnce(page,
             {"class=\"current\" id=\"scene-1\" data-step=\"1\" data-time=\"0.000\"",
              "id=\"scene-3\" data-step=\"3\" data-time=\"8.000\"",
              "<li id=\"line-1\" data-step=\"1\" data-tag=\"log\" data-caption=\"Plumora "
              "starts.\" class=\"current\">   0.000  log      &lt;avviato&gt;</li>",
              "data-caption=\"The user clicks &lt;there&gt;.\"",
              // The first step's caption and line, shown before the script runs.
              "<p id=\"told\">Plumora starts.</p><p id=\"printed\">   0.000  log      "
              "&lt;avviato&gt;</p>",
              "max=\"3\"", "<title>plumora-sim: scenarios/a&amp;b.scn</title>",
              "<li class=\"met\">  met     a.scn:3", "<li class=\"failed\">  FAILED  a.scn:4"});
  EXPECT_EQ(occurrences(page, "<p class=\"summary failed\">1 of 2 expectations met</p>"), 2u);
  EXPECT_EQ(occurrences(page, "class=\"current\""), 2u) << "one drawing and one line";
  for (const char* part : {"<svg ", "<li id=\"line-", "http:", "http://www.w3.org/2000/svg"})
    EXPECT_EQ(occurrences(page, part), 3u) << part;
  expectNone(page, {"src=", "href=", "url(", "@import", "//cdn", "https:"});
  PageContent met = content;
  met.expectations.pop_back();
  met.summary = "1 of 1 expectations met";
  met.allMet = true;
  EXPECT_EQ(occurrences(writePage(met), "<p class=\"summary met\">"), 2u);
}

}  // namespace
}  // namespace plumora::simtool
