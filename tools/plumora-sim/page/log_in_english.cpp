#include "page/log_in_english.hpp"

#include <array>

namespace plumora::simtool {
namespace {

using Outcome = LogMeaning::Outcome;

struct Known {
  std::string_view start;  // the message begins with it
  std::string_view sentence;
  Outcome outcome;
  std::string_view why;
};

// The program's lines, by how they begin. Longer beginnings first where one begins another.
constexpr std::array kKnown{
    Known{"Plumora ", "Plumora starts.", Outcome::None, ""},
    Known{"Permesso di Accessibilità: concesso",
          "Plumora has the Accessibility permission: it may watch clicks and move windows.",
          Outcome::None, ""},
    Known{"Permesso di Accessibilità: mancante",
          "Plumora lacks the Accessibility permission: it cannot watch clicks.", Outcome::None, ""},
    Known{"Osservazione dei clic attiva", "Plumora starts watching clicks (its event tap is on).",
          Outcome::None, ""},
    Known{"Osservazione dei clic fermata", "Plumora stops watching clicks.", Outcome::None, ""},
    Known{"Osservazione dei clic riattivata",
          "The system had turned Plumora's event tap off; Plumora turns it back on.", Outcome::None,
          ""},
    Known{"Impossibile osservare i clic",
          "Plumora could not set up its event tap, so it cannot see clicks.", Outcome::None, ""},
    Known{"Tasto verde fermato",
          "Plumora recognised a press on a green button and kept it from the application.",
          Outcome::None, ""},
    Known{"Riempi dal menu: esito 0,", "Plumora chose Window > Fill in the application's menu.",
          Outcome::Fill, ""},
    Known{"Riempi dal menu:",
          "Plumora chose Window > Fill in the application's menu; the application answered with "
          "an error.",
          Outcome::Fill, ""},
    Known{"Riempi con la scorciatoia",
          "Plumora asked for Fill with the system's shortcut, fn-Control-F.", Outcome::Fill, ""},
    Known{"Misura dopo Riempi: -",
          "The window has settled after the Fill, but its frame could not be read.", Outcome::None,
          ""},
    Known{"Misura dopo Riempi:", "The window has settled after the Fill; Plumora notes its frame.",
          Outcome::None, ""},
    Known{"Torna alle dimensioni precedenti dal menu",
          "Plumora chose Window > Return to Previous Size in the application's menu.",
          Outcome::Restore, ""},
    Known{"Torna alle dimensioni precedenti con la scorciatoia",
          "Plumora asked for the previous size with the system's shortcut, fn-Control-R.",
          Outcome::Restore, ""},
    Known{"Misura di prima rimessa da macOS",
          "The system put the window back in its frame from before the Fill.", Outcome::None, ""},
    Known{"macOS non l'ha mossa",
          "The system left the window where it was, so Plumora set its frame from before "
          "itself.",
          Outcome::None, ""},
    Known{"macOS l'ha messa a",
          "The system put the window elsewhere, so Plumora set its frame from before itself.",
          Outcome::None, ""},
    Known{"macOS l'ha spostata ancora",
          "The system moved the window again; Plumora put it back once more.", Outcome::None, ""},
    Known{"La misura di prima",
          "The frame from before would now lie off the screens, so Plumora leaves the window "
          "where the system put it.",
          Outcome::None, ""},
    Known{"Interfaccia avanzata dell'app spenta",
          "Plumora turned the application's enhanced interface off to set the frame, then on "
          "again.",
          Outcome::None, ""},
    Known{"Finestra attivata", "The window's application is in front now, so its menu can be used.",
          Outcome::None, ""},
    Known{"Finestra non attivata",
          "The clicked window did not become active in time: another application stays in "
          "front.",
          Outcome::None, ""},
    Known{"La finestra non è diventata attiva",
          "The window never became active, so Plumora does nothing.", Outcome::Nothing,
          "the window never became active"},
    Known{"Voci di sistema non trovate",
          "The application's menus have no Fill item, so Plumora uses the system's shortcut.",
          Outcome::None, ""},
    Known{"Voce Riempi presente ma disattivata",
          "The application's Fill item is disabled, so Plumora does nothing.", Outcome::Nothing,
          "its Fill item is disabled"},
    Known{"Secondo clic troppo ravvicinato",
          "A second click came too soon after the first: Plumora ignores it.", Outcome::Nothing,
          "it came too soon after the first"},
    Known{"Clic annullato",
          "The button was released off the green button: the click is cancelled, as the system "
          "would cancel it.",
          Outcome::Nothing, "the button was released off the green button"},
    Known{"Clic nella zona dei tasti",
          "The press is near the title-bar buttons but not on the green one: Plumora lets it "
          "through.",
          Outcome::None, "it was not on the green button"},
    Known{"Finestra a schermo intero",
          "The window is full screen: Plumora lets the green button do its usual thing.",
          Outcome::None, "the window is full screen"},
    Known{"Finestra non ridimensionabile",
          "The window cannot be resized: Plumora lets the green button do its usual thing.",
          Outcome::None, "the window cannot be resized"},
    Known{"Messo in pausa dall'utente", "The user pauses Plumora.", Outcome::None, ""},
    Known{"Riattivato dall'utente", "The user resumes Plumora.", Outcome::None, ""},
    Known{"Apri al login", "The Open at Login setting changes.", Outcome::None, ""},
    Known{"Secondo clic per tornare indietro", "The restore-on-second-click setting changes.",
          Outcome::None, ""},
};

}  // namespace

LogMeaning meaningOf(std::string_view message) {
  for (const Known& known : kKnown) {
    if (message.substr(0, known.start.size()) != known.start) continue;
    return LogMeaning{std::string(known.sentence), known.outcome, std::string(known.why)};
  }
  return LogMeaning{"Plumora writes a line to its log.", Outcome::None, ""};
}

std::string keyCaps(std::string_view keys) {
  static constexpr std::pair<std::string_view, std::string_view> kCaps[] = {
      {"fn", "fn"},
      {"control", "\xE2\x8C\x83"},
      {"option", "\xE2\x8C\xA5"},
      {"shift", "\xE2\x87\xA7"},
      {"command", "\xE2\x8C\x98"},
      {"capslock", "\xE2\x87\xAA"}};
  std::string caps;
  while (!keys.empty()) {
    const std::size_t plus = keys.find('+');
    std::string_view key = keys.substr(0, plus);
    for (const auto& [name, cap] : kCaps) {
      if (key == name) key = cap;
    }
    if (!caps.empty()) caps += ' ';
    caps += key;
    keys = plus == std::string_view::npos ? std::string_view() : keys.substr(plus + 1);
  }
  return caps;
}

}  // namespace plumora::simtool
