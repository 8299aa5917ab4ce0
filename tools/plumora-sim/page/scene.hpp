#pragma once

// The desktop as the page draws it at one line of the timeline, and the page's whole content:
// plain values, taken from the simulated Mac as the run goes, so that drawing needs no simulator.
// Rectangles and points are in the top-left-origin space of the window list, in points.

#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.hpp"

namespace plumora::simtool {

struct DrawnScreen {
  Rect frame;
  Rect usable;  // without the menu bar and the Dock
};

struct DrawnWindow {
  std::string name;  // the scenario's
  std::string title;
  std::string app;
  Rect frame;
  // The title-bar buttons, in the same space as the frame.
  Rect close, minimize, green;
  bool greenEnabled = true;
  bool fullScreen = false;
  // A full-screen window is a space of its own: shown over its screen while it is in front,
  // otherwise a tab above the screen.
  bool spaceShown = false;
  bool ofFrontmostApp = false;
  double alpha = 1;  // 0 to 1; a window without an alpha value counts as opaque
};

struct DrawnPointer {
  enum class Mark { None, Press, Drag, Release };
  enum class Fate { None, Swallowed, Passed, NoTap };
  Point at;
  Mark mark = Mark::None;  // the mouse event of this very line, if any
  Fate fate = Fate::None;
  std::string reached;  // the application the event reached, if any
};

struct Scene {
  std::vector<DrawnScreen> screens;  // the first is the primary
  std::vector<DrawnWindow> windows;  // back to front, as the window list stacks them
  std::string frontmost;             // the frontmost application's name, if any
  std::optional<DrawnPointer> pointer;
  // A frame change on this line: the window, and its frame before as an outline.
  std::optional<std::string> changedWindow;
  Rect before;
  // A shortcut posted on this line ("fn ⌃ F"), drawn as key caps on the window it went to.
  std::string keys;
  std::string keysWindow;
};

// One line of the timeline and the desktop as it stood when the line was written.
struct Step {
  double time = 0;
  std::string tag;
  std::string text;  // the line as printed, time and tag included
  Scene scene;
  std::string caption;  // what happened and why, in plain English
};

struct ExpectationLine {
  bool met = false;
  std::string text;  // as the text output prints it
};

// One row of the table of differences between a recording and the simulated Mac.
struct DifferenceRow {
  std::string kind;
  std::string recorded;   // the event's number in the recording ("#67"), or "-"
  std::string simulated;  // in the simulated run
  std::string request;
  std::string recordedText;  // what the recording answered: untrusted, as read from the file
  std::string simulatedText;
};

// A comparison of a recording with the simulated Mac, shown above the simulated run.
struct Comparison {
  std::string title;    // what was compared with what
  std::string heading;  // how many differences and the tolerances, or that there is none
  std::vector<DifferenceRow> rows;
};

struct PageContent {
  std::string file;                // the scenario's name
  std::vector<std::string> intro;  // the desktop and the settings as the run starts
  std::vector<Step> steps;
  std::vector<ExpectationLine> expectations;
  std::string summary;  // "N of M expectations met", or why the run stopped
  bool allMet = true;
  std::optional<Comparison> comparison;  // with --compare: the differences the run shows
};

}  // namespace plumora::simtool
