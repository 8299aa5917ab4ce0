#include "run/builtin_scenario.hpp"

namespace plumora::simtool {

// In the scenario format, so that the demo is also an example of it.
const std::string_view kBuiltinScenario =
    R"(# One 1440 x 900 screen with a 25-point menu bar; an editor whose Window menu has Fill, a
# console without the tiling items (served by the shortcuts), a film in full screen and a
# calculator that cannot be resized.
screen standard

app Editor pid 501 bundle com.example.Editor
  menus standard
app Console pid 502 bundle com.example.Console
  menus without-tiling
app Calculator pid 503 bundle com.example.Calculator
  menus without-tiling
app Player pid 504 bundle com.example.Player
  menus standard

window Documento of Editor frame 200,150 800x600 title "Documento.txt"
window Shell of Console frame 1030,120 380x300
window Calcolatrice of Calculator frame 1100,500 230x320
  not-resizable
window Film of Player frame 0,0 1440x900
  full-screen
focus Documento

# A click on the green button fills the window; a second click puts it back.
at 0.5 click Documento green
at 2.0 click Documento green
# With Option held the button keeps its own action: zoom, and back.
at 4.0 click Documento green with option
at 4.5 click Documento green with option
# A press dragged off the button before its release is no click.
at 6.0 press Documento green
at 6.1 drag 700,500
at 6.2 release 700,500
# Full-screen and fixed-size windows keep the button's own action.
at 7.0 click Film green
at 8.0 click Calcolatrice green
# An app without the tiling items in its menus gets the shortcuts.
at 9.0 click Shell green
at 10.5 click Shell green

expect frame Documento 0,25 1440x875 at 1.0
expect frame Documento 200,150 800x600 at 3.0
expect log "Clic annullato: rilasciato fuori dal tasto verde"
expect received Editor press release press release
expect log "Finestra a schermo intero: il tasto verde fa la sua azione normale"
expect log "Finestra non ridimensionabile: il tasto verde fa la sua azione normale"
expect shortcuts fill restore
expect frame Shell 0,25 1440x875 at 10.0
expect frame Shell 1030,120 380x300
)";

}  // namespace plumora::simtool
