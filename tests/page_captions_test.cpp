// The page's plain-English captions: what each of the program's log lines means, where a point
// lies on the drawn desktop, and the keys of a shortcut as a keyboard prints them. Whole runs'
// captions are checked by tests/page/check-page.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "page/log_in_english.hpp"
#include "run/step_captions.hpp"

namespace plumora::simtool {
namespace {

using Outcome = LogMeaning::Outcome;

TEST(LogInEnglish, EachLineTellsWhatAClickLedToAndWhy) {
  const std::tuple<std::string, std::string, Outcome, std::string> lines[] = {
      {"Riempi dal menu: esito 0, misura prima (200,150 800x600), 0.0 ms",
       "Plumora chose Window > Fill in the application's menu.", Outcome::Fill, ""},
      // An error from the menu item is not told as a success.
      {"Riempi dal menu: esito -25205, misura prima (200,150 800x600), 0.0 ms",
       "Plumora chose Window > Fill in the application's menu; the application answered with an "
       "error.",
       Outcome::Fill, ""},
      {"Riempi con la scorciatoia fn \xE2\x8C\x83 F, misura prima (500,300 600x400), 100.0 ms",
       "Plumora asked for Fill with the system's shortcut, fn-Control-F.", Outcome::Fill, ""},
      {"Torna alle dimensioni precedenti dal menu: esito 0",
       "Plumora chose Window > Return to Previous Size in the application's menu.",
       Outcome::Restore, ""},
      {"Torna alle dimensioni precedenti con la scorciatoia fn \xE2\x8C\x83 R",
       "Plumora asked for the previous size with the system's shortcut, fn-Control-R.",
       Outcome::Restore, ""},
      {"Secondo clic troppo ravvicinato: ignorato",
       "A second click came too soon after the first: Plumora ignores it.", Outcome::Nothing,
       "it came too soon after the first"},
      {"Voce Riempi presente ma disattivata: nessuna azione",
       "The application's Fill item is disabled, so Plumora does nothing.", Outcome::Nothing,
       "its Fill item is disabled"},
      // Why a click passes.
      {"Finestra a schermo intero: il tasto verde fa la sua azione normale",
       "The window is full screen: Plumora lets the green button do its usual thing.",
       Outcome::None, "the window is full screen"},
      {"Clic nella zona dei tasti ma non sul tasto verde (AXCloseButton) in 0.0 ms",
       "The press is near the title-bar buttons but not on the green one: Plumora lets it "
       "through.",
       Outcome::None, "it was not on the green button"},
      // The permission either way; the frame after a Fill read or not.
      {"Permesso di Accessibilit\xC3\xA0: mancante",
       "Plumora lacks the Accessibility permission: it cannot watch clicks.", Outcome::None, ""},
      {"Misura dopo Riempi: -",
       "The window has settled after the Fill, but its frame could not be read.", Outcome::None,
       ""},
      {"Misura dopo Riempi: (0,25 1440x875)",
       "The window has settled after the Fill; Plumora notes its frame.", Outcome::None, ""},
      // A line not known, or only the start of a known one.
      {"Qualcosa di nuovo", "Plumora writes a line to its log.", Outcome::None, ""},
      {"Riempi", "Plumora writes a line to its log.", Outcome::None, ""},
      {"", "Plumora writes a line to its log.", Outcome::None, ""},
  };
  for (const auto& [message, sentence, outcome, why] : lines) {
    const LogMeaning meaning = meaningOf(message);
    EXPECT_EQ(meaning.sentence, sentence) << message;
    EXPECT_EQ(meaning.outcome, outcome) << message;
    EXPECT_EQ(meaning.why, why) << message;
  }
}

TEST(LogInEnglish, KeysAsAKeyboardPrintsThem) {
  const std::pair<std::string, std::string> keys[] = {
      {"fn+control+F", "fn \xE2\x8C\x83 F"},
      {"option+shift+command+key 12", "\xE2\x8C\xA5 \xE2\x87\xA7 \xE2\x8C\x98 key 12"},
      {"R", "R"},
      {"", ""},
      {"capslock+", "\xE2\x87\xAA"},
  };
  for (const auto& [printed, caps] : keys) EXPECT_EQ(keyCaps(printed), caps) << printed;
}

DrawnWindow window(std::string name, Rect frame) {
  DrawnWindow w;
  w.name = w.title = name;
  w.app = "Editor";
  w.frame = frame;
  const auto button = [&](double x) {
    return Rect::make(frame.origin.x + x, frame.origin.y + 6, 14, 16);
  };
  w.close = button(8);
  w.minimize = button(28);
  w.green = button(48);
  return w;
}

TEST(StepCaptions, PlacesOnTheDrawnDesktop) {
  Scene scene;
  scene.screens = {DrawnScreen{Rect::make(0, 0, 1440, 900), Rect::make(0, 25, 1440, 805)}};
  scene.windows = {window("Shell", Rect::make(100, 100, 600, 400)),
                   window("Documento", Rect::make(200, 150, 800, 600))};
  const std::pair<Point, std::string> places[] = {
      {{255, 164}, "Documento's green button"},
      {{252, 160}, "Documento's green button"},  // a point off the button's edge still is
      {{215, 164}, "Documento's close button"},
      {{235, 164}, "Documento's minimize button"},
      {{500, 170}, "Documento's title bar"},
      {{500, 400}, "Documento"},
      {{155, 114}, "Shell's green button"},  // the part of Shell in front of nothing
      {{1200, 10}, "the menu bar of screen 0"},
      {{1200, 500}, "the desktop"},
      {{-10, 500}, "a point off every screen"},
  };
  for (const auto& [at, place] : places) EXPECT_EQ(placeOf(at, scene), place);
  // A full-screen window not in front is not under the pointer; in front, it is.
  scene.windows.push_back(window("Film", Rect::make(0, 0, 1440, 900)));
  scene.windows.back().fullScreen = true;
  EXPECT_EQ(placeOf(Point{1200, 500}, scene), "the desktop");
  scene.windows.back().spaceShown = true;
  EXPECT_EQ(placeOf(Point{1200, 500}, scene), "Film");
}

}  // namespace
}  // namespace plumora::simtool
