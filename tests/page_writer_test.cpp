// The simulator's page: numbers and text as it writes them, the strips of a screen, what a
// drawing shows of a scene, and the page around the drawings.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <utility>

#include "comma_locale.hpp"
#include "markup_text.hpp"
#include "page_writer.hpp"
#include "svg_desktop.hpp"

namespace plumora::simtool {
namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

struct NumberCase {
  const char* name;
  double value;
  const char* text;
};

TEST(PageMarkup, NumbersToTheHundredthWithoutTrailingZeros) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double infinity = std::numeric_limits<double>::infinity();
  const NumberCase cases[] = {
      {"whole", 1440, "1440"},
      {"a half", 250.5, "250.5"},
      {"negative", -0.25, "-0.25"},
      {"rounded half away from zero", 0.125, "0.13"},
      {"rounded up to a whole", 3.999, "4"},
      {"a negative too small to show has no sign", -0.001, "0"},
      {"zero", 0, "0"},
      {"not a number", nan, "0"},
      {"infinite", -infinity, "0"},
      {"beyond any screen", 1e20, "0"},
  };
  for (const NumberCase& c : cases) EXPECT_EQ(markupNumber(c.value), c.text) << c.name;
  EXPECT_EQ(markupRect(Rect::make(200, 150, 800, 600)), "200,150 800x600");
  EXPECT_EQ(markupRect(Rect::make(10, 10, -4, 2.5)), "6,10 4x2.5") << "standardised";
  EXPECT_EQ(markupSeconds(1.1), "1.100");
  EXPECT_EQ(markupSeconds(12.3456), "12.346");
  EXPECT_EQ(markupSeconds(0), "0.000");
}

// The page's bytes may not depend on the locale a host has set.
TEST(PageMarkup, NumbersKeepThePointUnderACommaLocale) {
  const char* found = test::useCommaLocale(LC_NUMERIC);
  if (!found) GTEST_SKIP() << "no locale with a decimal comma is installed";
  char comma[8];
  std::snprintf(comma, sizeof comma, "%.1f", 0.5);
  const std::string number = markupNumber(250.5);
  const std::string seconds = markupSeconds(1.25);
  std::setlocale(LC_NUMERIC, "C");
  ASSERT_STREQ(comma, "0,5") << found << " has no decimal comma";
  EXPECT_EQ(number, "250.5");
  EXPECT_EQ(seconds, "1.250");
}

struct EscapeCase {
  const char* name;
  std::string text;
  std::string escaped;
};

TEST(PageMarkup, TextIsSafeInElementsAndAttributes) {
  const std::string replacement = "\xEF\xBF\xBD";
  const EscapeCase cases[] = {
      {"plain", "Documento", "Documento"},
      {"markup characters", "<a href=\"x\">&'", "&lt;a href=&quot;x&quot;&gt;&amp;&#39;"},
      {"accented letters stay", "Accessibilit\xC3\xA0", "Accessibilit\xC3\xA0"},
      {"four-byte character stays", "\xF0\x9F\x8D\x91", "\xF0\x9F\x8D\x91"},
      {"tab and newline stay", "a\tb\n", "a\tb\n"},
      {"control character", "a\x01z", "a" + replacement + "z"},
      {"stray continuation byte", "\x80", replacement},
      {"cut sequence", "ok\xC3", "ok" + replacement},
      {"overlong slash", "\xC0\xAF", replacement + replacement},
      {"surrogate", "\xED\xA0\x80", replacement + replacement + replacement},
      {"past U+10FFFF", "\xF4\x90\x80\x80", replacement + replacement + replacement + replacement},
      {"U+FFFF, which XML refuses", "\xEF\xBF\xBF", replacement + replacement + replacement},
  };
  for (const EscapeCase& c : cases) EXPECT_EQ(escapeMarkup(c.text), c.escaped) << c.name;
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

struct StripCase {
  const char* name;
  Rect usable;
  std::optional<Rect> menuBar;
  std::vector<Rect> dock;
};

TEST(ScreenStrips, MenuBarOnTopAndTheDockOnTheEdgeItTakes) {
  const Rect frame = Rect::make(0, 0, 1440, 900);
  const StripCase cases[] = {
      {"menu bar, no Dock", Rect::make(0, 25, 1440, 875), Rect::make(0, 0, 1440, 25), {}},
      {"Dock at the bottom",
       Rect::make(0, 25, 1440, 805),
       Rect::make(0, 0, 1440, 25),
       {Rect::make(0, 830, 1440, 70)}},
      {"Dock on the left",
       Rect::make(70, 25, 1370, 875),
       Rect::make(0, 0, 1440, 25),
       {Rect::make(0, 25, 70, 875)}},
      {"Dock on the right",
       Rect::make(0, 25, 1370, 875),
       Rect::make(0, 0, 1440, 25),
       {Rect::make(1370, 25, 70, 875)}},
      {"the whole screen usable", frame, std::nullopt, {}},
      {"a usable area past the screen is cut to it",
       Rect::make(-50, 25, 1600, 2000),
       Rect::make(0, 0, 1440, 25),
       {}},
  };
  for (const StripCase& c : cases) {
    const DrawnScreen screen{frame, c.usable};
    EXPECT_EQ(menuBarOf(screen), c.menuBar) << c.name;
    EXPECT_EQ(dockOf(screen), c.dock) << c.name;
  }
}

DrawnWindow window(std::string name, Rect frame) {
  DrawnWindow w;
  w.name = name;
  w.title = name;
  w.app = "Editor";
  w.frame = frame;
  w.close = Rect::make(frame.origin.x + 8, frame.origin.y + 6, 14, 16);
  w.minimize = Rect::make(frame.origin.x + 28, frame.origin.y + 6, 14, 16);
  w.green = Rect::make(frame.origin.x + 48, frame.origin.y + 6, 14, 16);
  return w;
}

Scene desktop() {
  Scene scene;
  scene.screens.push_back(DrawnScreen{Rect::make(0, 0, 1440, 900), Rect::make(0, 25, 1440, 805)});
  scene.windows.push_back(window("Shell", Rect::make(1030, 120, 380, 300)));
  scene.windows.push_back(window("Documento", Rect::make(200, 150, 800, 600)));
  scene.frontmost = "Editor";
  return scene;
}

TEST(SceneDrawing, WindowsBackToFrontWithTheirFramesAndButtons) {
  const std::string svg = drawScene(desktop(), viewOf({}), "");
  const auto shell = svg.find("data-window=\"Shell\"");
  const auto document = svg.find("data-window=\"Documento\"");
  ASSERT_NE(shell, std::string::npos);
  ASSERT_NE(document, std::string::npos);
  EXPECT_LT(shell, document) << "the front window is drawn last";
  EXPECT_NE(svg.find("data-frame=\"200,150 800x600\""), std::string::npos);
  EXPECT_NE(svg.find("<rect x=\"200\" y=\"150\" width=\"800\" height=\"600\" data-part=\"frame\""),
            std::string::npos);
  EXPECT_NE(svg.find("<circle cx=\"255\" cy=\"164\" r=\"7\" data-button=\"green\""),
            std::string::npos);
  EXPECT_EQ(occurrences(svg, "data-mark=\"green\""), 2u);
  EXPECT_EQ(occurrences(svg, "data-part=\"dock\""), 1u);
  EXPECT_EQ(occurrences(svg, "data-part=\"menu-bar\""), 1u);
  EXPECT_EQ(occurrences(svg, "data-before-of"), 0u) << "no outline without a change";
  EXPECT_EQ(occurrences(svg, "data-pointer"), 0u) << "no pointer before the first action";
}

TEST(SceneDrawing, FullScreenWindowHasNoTitleBarAndHidesTheMenuBarInFront) {
  Scene scene = desktop();
  scene.windows[0].fullScreen = true;
  scene.windows[0].frame = Rect::make(0, 0, 1440, 900);
  const std::string svg = drawScene(scene, viewOf({}), "");
  EXPECT_NE(svg.find("data-full-screen=\"true\""), std::string::npos);
  EXPECT_EQ(occurrences(svg, "data-button=\"green\""), 1u) << "only the other window's";
  EXPECT_NE(svg.find("Shell (full screen)"), std::string::npos);
  EXPECT_EQ(occurrences(svg, "data-part=\"menu-bar\""), 1u) << "above the windows in front";
  // In front, it hides the menu bar and the Dock of its screen, as a full-screen space does.
  std::swap(scene.windows[0], scene.windows[1]);
  const std::string front = drawScene(scene, viewOf({}), "");
  EXPECT_EQ(occurrences(front, "data-part=\"menu-bar\""), 0u);
  EXPECT_EQ(occurrences(front, "data-part=\"dock\""), 0u);
}

TEST(SceneDrawing, OldFrameOfAChangeIsAnOutline) {
  Scene scene = desktop();
  scene.changedWindow = "Documento";
  scene.before = Rect::make(100, 100, 400, 300);
  const std::string svg = drawScene(scene, viewOf({}), "");
  EXPECT_NE(svg.find("data-before-of=\"Documento\" data-frame=\"100,100 400x300\""),
            std::string::npos);
}

struct PointerCase {
  const char* name;
  DrawnPointer::Mark mark;
  DrawnPointer::Fate fate;
  std::string reached;
  std::string attributes;  // on the pointer's group
  std::string colour;      // of its ring
  std::string label;
};

TEST(SceneDrawing, SwallowedAndPassedEventsLookDifferent) {
  const PointerCase cases[] = {
      {"a press swallowed", DrawnPointer::Mark::Press, DrawnPointer::Fate::Swallowed, "",
       "data-mark=\"press\" data-fate=\"swallowed\"", "#8e24aa", "press: swallowed by Plumora"},
      {"a release passed", DrawnPointer::Mark::Release, DrawnPointer::Fate::Passed, "Editor",
       "data-mark=\"release\" data-fate=\"passed\"", "#ef6c00", "release: passed, reached Editor"},
      {"a drag with no tap", DrawnPointer::Mark::Drag, DrawnPointer::Fate::NoTap, "",
       "data-mark=\"drag\" data-fate=\"no-tap\"", "#6d6d6d",
       "drag: no event tap, reached no application"},
      {"no event on this line", DrawnPointer::Mark::None, DrawnPointer::Fate::None, "",
       "data-mark=\"none\" data-fate=\"none\"", "", ""},
  };
  for (const PointerCase& c : cases) {
    Scene scene = desktop();
    scene.pointer = DrawnPointer{Point{255, 164}, c.mark, c.fate, c.reached};
    const std::string svg = drawScene(scene, viewOf({}), "");
    EXPECT_NE(svg.find("data-pointer=\"255,164\" " + c.attributes), std::string::npos) << c.name;
    if (c.colour.empty()) {
      EXPECT_EQ(occurrences(svg, "<circle cx=\"255\" cy=\"164\" r=\"22\""), 0u) << c.name;
      continue;
    }
    EXPECT_NE(svg.find("stroke=\"" + c.colour + "\" stroke-width=\"5\""), std::string::npos)
        << c.name;
    EXPECT_NE(svg.find(">" + c.label + "</text>"), std::string::npos) << c.name;
  }
}

TEST(SceneDrawing, ViewHoldsEveryStepAndStaysPut) {
  Step first{0, "log", "first", desktop()};
  Step second{1, "world", "second", desktop()};
  second.scene.screens.push_back(
      DrawnScreen{Rect::make(1440, -100, 1920, 1080), Rect::make(1440, -75, 1920, 1055)});
  EXPECT_EQ(viewOf({first}), Rect::make(-40, -40, 1520, 980));
  EXPECT_EQ(viewOf({first, second}), Rect::make(-40, -140, 3440, 1160));
  EXPECT_EQ(viewOf({}), Rect::make(-40, -40, 1520, 980)) << "a standard screen's";
}

PageContent content() {
  PageContent page;
  page.file = "scenarios/a&b.scn";
  page.intro = {"desktop (top-left coordinates, points)"};
  page.steps.push_back(Step{0, "log", "   0.000  log      <avviato>", desktop()});
  page.steps.push_back(Step{1, "user", "   1.000  user     click", desktop()});
  page.steps.push_back(Step{8, "end", "   8.000  end      of the run", desktop()});
  page.expectations = {{true, "  met     a.scn:3  shortcuts posted: none"},
                       {false, "  FAILED  a.scn:4  Editor received nothing: it received press"}};
  page.summary = "1 of 2 expectations met";
  page.allMet = false;
  return page;
}

TEST(PageWriter, OneDrawingAndOneLinePerStepTheFirstShown) {
  const std::string page = writePage(content());
  EXPECT_EQ(occurrences(page, "<svg "), 3u);
  EXPECT_EQ(occurrences(page, "<li id=\"line-"), 3u);
  EXPECT_NE(page.find("class=\"current\" id=\"scene-1\" data-step=\"1\" data-time=\"0.000\""),
            std::string::npos);
  EXPECT_NE(page.find("id=\"scene-3\" data-step=\"3\" data-time=\"8.000\""), std::string::npos);
  EXPECT_NE(page.find("<li id=\"line-1\" data-step=\"1\" data-tag=\"log\" class=\"current\">"
                      "   0.000  log      &lt;avviato&gt;</li>"),
            std::string::npos)
      << "the line as printed, escaped";
  EXPECT_EQ(occurrences(page, "class=\"current\""), 2u) << "one drawing and one line";
  EXPECT_NE(page.find("max=\"3\""), std::string::npos) << "the slider reaches the last step";
  EXPECT_NE(page.find("<title>plumora-sim: scenarios/a&amp;b.scn</title>"), std::string::npos);
}

TEST(PageWriter, ExpectationsMetOrNot) {
  const std::string page = writePage(content());
  EXPECT_NE(page.find("<li class=\"met\">  met     a.scn:3"), std::string::npos);
  EXPECT_NE(page.find("<li class=\"failed\">  FAILED  a.scn:4"), std::string::npos);
  EXPECT_EQ(occurrences(page, "<p class=\"summary failed\">1 of 2 expectations met</p>"), 2u);
  PageContent met = content();
  met.expectations.pop_back();
  met.summary = "1 of 1 expectations met";
  met.allMet = true;
  EXPECT_EQ(occurrences(writePage(met), "<p class=\"summary met\">"), 2u);
}

// Opened from disk, the page must need nothing from anywhere else.
TEST(PageWriter, NeedsNothingFromElsewhere) {
  std::string page = writePage(content());
  // The SVG namespace names no place to fetch.
  EXPECT_EQ(occurrences(page, "http://www.w3.org/2000/svg"), 3u);
  for (const char* reference : {"src=", "href=", "url(", "@import", "//cdn", "https:"}) {
    EXPECT_EQ(occurrences(page, reference), 0u) << reference;
  }
  EXPECT_EQ(occurrences(page, "http:"), 3u);
}

TEST(PageWriter, PictureIsOneStepsDrawing) {
  const std::string picture = writePicture(content(), 2, 960);
  EXPECT_EQ(picture.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
  EXPECT_NE(picture.find("width=\"960\" height=\"619\""), std::string::npos)
      << "the view's proportions, 1520 by 980";
  EXPECT_EQ(occurrences(picture, "<svg "), 1u);
}

}  // namespace
}  // namespace plumora::simtool
