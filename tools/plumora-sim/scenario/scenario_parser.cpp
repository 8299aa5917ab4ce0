// The structure of a scenario file: top-level statements, the indented blocks of apps, their
// menus and windows, and the checks that need the whole file.
#include "scenario/scenario_parser.hpp"

#include <algorithm>

#include "scenario/scenario_event_lines.hpp"
#include "scenario/scenario_limits.hpp"
#include "scenario/scenario_lines.hpp"
#include "scenario/scenario_settings.hpp"
#include "scenario/scenario_text.hpp"

namespace plumora::simtool {
namespace {

constexpr ScreenSpec kStandardScreen{Rect::make(0, 0, 1440, 900), Rect::make(0, 0, 1440, 875)};
MenuPath menuPath(Words& w) {
  const std::string text = w.text("a menu path like \"Window > Fill\"");
  MenuPath path;
  std::size_t start = 0;
  for (;;) {
    const auto gt = text.find('>', start);
    std::string part = text.substr(start, gt - start);
    part.erase(0, part.find_first_not_of(' '));
    part.erase(part.find_last_not_of(' ') + 1);
    if (part.empty()) w.fail("empty title in the menu path '" + text + "'");
    path.push_back(std::move(part));
    if (gt == std::string::npos) break;
    start = gt + 1;
  }
  if (path.size() < 2) w.fail("a menu path names a menu and an item, like \"Window > Fill\"");
  return path;
}

class Parser {
 public:
  Scenario read(const std::vector<ScenarioLine>& lines) {
    // Most likely the wrong file, or one saved before it was written.
    if (lines.empty()) throw SyntaxError(1, "the scenario is empty: nothing to run");
    for (const ScenarioLine& line : lines) {
      Words w(line);
      if (line.indent == 0) {
        block_ = Block::None;
        menus_.clear();
        statement(w);
      } else if (block_ == Block::App) {
        appLine(w, line.indent);
      } else if (block_ == Block::Window) {
        windowLine(w);
      } else {
        w.fail("an indented line belongs under an app or a window");
      }
      w.end();
    }
    finish();
    return std::move(s_);
  }

 private:
  enum class Block { None, App, Window };
  // An open menu or submenu: the indentation of the line that opened it, and its items.
  struct OpenMenu {
    int indent;
    std::vector<sim::MenuItemSpec>* items;
  };

  void statement(Words& w) {
    const std::string what = w.keyword("a statement");
    if (what == "screen") {
      atMost(s_.screens.size(), limits::kMaxScreens, "screens", w);
      s_.screens.push_back(w.accept("standard") ? kStandardScreen : readScreenFrames(w));
    } else if (what == "tiling-margin") {
      s_.tilingMargin = w.number("a tiling margin in points", 0, limits::kMaxTilingMargin);
    } else if (what == "tap-timeout") {
      s_.tapTimeout = w.delay("a tap timeout in seconds");
      if (!(*s_.tapTimeout > 0)) w.fail("a tap timeout is more than 0 seconds");
    } else if (what == "app") {
      app(w, w.text("an app's name"));
    } else if (what == "program") {
      // The program's own process, as a recording names it: its windows are `of program`.
      app(w, kProgramApp);
      s_.apps.back().program = true;
      s_.apps.back().menuBar = MenuBar::None;
      if (w.accept("version")) s_.programVersion = w.text("the program's version");
    } else if (what == "system-version") {
      s_.systemVersion = w.text("the system's version, as it calls itself");
    } else if (what == "window") {
      window(w);
    } else if (what == "focus") {
      const std::string name = w.text("a window's name");
      const AppSpec* app = s_.window(name) ? nullptr : s_.app(name);
      if (!s_.window(name) && (!app || app->program)) w.fail("unknown window '" + name + "'");
      s_.focus = name;
    } else if (what == "setting") {
      readSetting(w, s_);
    } else if (what == "at") {
      s_.actions.push_back(readAction(w, s_));
    } else if (what == "expect") {
      s_.expectations.push_back(readExpectation(w, s_));
    } else if (what == "end") {
      s_.end = w.seconds("a time in seconds");
      endLine_ = w.lineNumber();
    } else {
      w.fail("unknown statement '" + what + "'");
    }
  }

  void app(Words& w, std::string name) {
    atMost(s_.apps.size(), limits::kMaxApps, "apps", w);
    AppSpec app;
    app.line = w.lineNumber();
    app.name = std::move(name);
    if (s_.app(app.name)) w.fail("there is already an app named '" + app.name + "'");
    w.require("pid");
    const std::int64_t pid = w.integer("a process id");
    if (pid <= 0 || pid > INT32_MAX) w.fail("a process id is a positive 32-bit number");
    app.pid = static_cast<std::int32_t>(pid);
    for (const AppSpec& other : s_.apps) {
      if (other.pid == app.pid) w.fail("pid " + std::to_string(pid) + " is " + other.name + "'s");
    }
    if (app.name != kProgramApp && w.accept("bundle")) bundle(w, app);
    s_.apps.push_back(std::move(app));
    block_ = Block::App;
    menusGiven_ = false;
    menuItems_ = 0;
  }

  static void bundle(Words& w, AppSpec& app) {
    app.noBundle = w.accept("none");
    if (!app.noBundle) app.bundleId = w.text("a bundle identifier, or 'none'");
  }

  void appLine(Words& w, int indent) {
    AppSpec& app = s_.apps.back();
    if (w.accept("item")) {
      menuItem(w, indent);
      return;
    }
    menus_.clear();
    const std::string what = w.keyword("an app property");
    if (what == "bundle") {
      bundle(w, app);
    } else if (what == "menus" || what == "menu") {
      if (menusGiven_ && (what == "menus" || app.menuBar != MenuBar::Custom)) {
        w.fail("the app's menus are already given");
      }
      menusGiven_ = true;
      if (what == "menu") {
        app.menuBar = MenuBar::Custom;
        app.customMenus.push_back(sim::MenuSpec{w.text("the menu's title"), {}});
        menus_.push_back(OpenMenu{indent, &app.customMenus.back().items});
      } else {
        const std::string kind = w.keyword("'standard', 'without-tiling' or 'none'");
        if (kind == "standard") {
          app.menuBar = MenuBar::StandardWithTiling;
        } else if (kind == "without-tiling") {
          app.menuBar = MenuBar::StandardWithoutTiling;
        } else if (kind == "none") {
          app.menuBar = MenuBar::None;
        } else {
          w.fail("unknown menus '" + kind + "'");
        }
      }
    } else if (what == "disable") {
      app.itemChanges.push_back(ItemChange{w.lineNumber(), menuPath(w), false, std::nullopt});
    } else if (what == "press-answer") {
      MenuPath path = menuPath(w);
      const auto code = static_cast<AXError>(w.integer("an accessibility result code"));
      app.itemChanges.push_back(ItemChange{w.lineNumber(), std::move(path), std::nullopt, code});
    } else if (what == "tiling-delay") {
      app.tilingDelay = w.delay("a delay in seconds");
    } else if (what == "restore-answer") {
      const std::string answer = w.keyword("'restore', 'ignore' or 'elsewhere'");
      if (answer == "restore") {
        app.restoreAnswer = sim::RestoreAnswer::Restore;
      } else if (answer == "ignore") {
        app.restoreAnswer = sim::RestoreAnswer::Ignore;
      } else if (answer == "elsewhere") {
        app.restoreAnswer = sim::RestoreAnswer::Elsewhere;
        app.elsewhere = w.rect();
      } else {
        w.fail("unknown restore answer '" + answer + "'");
      }
    } else if (what == "shortcuts") {
      app.shortcuts = w.onOff();
    } else if (what == "enhanced-ui") {
      app.enhancedUserInterface = w.onOff();
    } else if (what == "size-step") {
      app.sizeStep = w.size();
      if (!(app.sizeStep->width > 0 && app.sizeStep->height > 0)) {
        w.fail("a size step is at least a point wide and high");
      }
    } else if (what == "min-size") {
      app.minimumSize = w.size();
    } else if (what == "latency") {
      app.latency = w.delay("a latency in seconds");
    } else if (what == "activation") {
      if (w.accept("never")) {
        app.activates = false;
      } else {
        app.activationDelay = w.delay("a delay in seconds, or 'never'");
      }
    } else {
      w.fail("unknown app property '" + what + "'");
    }
  }

  void menuItem(Words& w, int indent) {
    while (!menus_.empty() && menus_.back().indent >= indent) menus_.pop_back();
    if (menus_.empty()) w.fail("an item belongs under a menu line, indented more than it");
    if (menus_.size() > limits::kMaxMenuDepth) {
      w.fail("menus nest at most " + std::to_string(limits::kMaxMenuDepth) + " deep");
    }
    atMost(menuItems_++, limits::kMaxMenuItems, "items in an app's menus", w);
    sim::MenuItemSpec item;
    item.title = w.text("the item's title");
    while (!w.atEnd()) {
      const std::string option = w.keyword("an item option");
      if (option == "id") {
        item.identifier = w.text("an identifier");
      } else if (option == "key") {
        item.keyEquivalent = w.text("a key");
      } else if (option == "modifiers") {
        item.modifiers = w.integer("the item's modifiers as a number");
      } else if (option == "disabled") {
        item.enabled = false;
      } else if (option == "does") {
        const std::string command = w.keyword("'fill' or 'restore'");
        if (command == "fill") {
          item.command = sim::TilingCommand::Fill;
        } else if (command == "restore") {
          item.command = sim::TilingCommand::Restore;
        } else {
          w.fail("unknown command '" + command + "'");
        }
      } else if (option == "answers") {
        item.pressAnswer = static_cast<AXError>(w.integer("an accessibility result code"));
      } else {
        w.fail("unknown item option '" + option + "'");
      }
    }
    std::vector<sim::MenuItemSpec>& items = *menus_.back().items;
    items.push_back(std::move(item));
    menus_.push_back(OpenMenu{indent, &items.back().submenu});
  }

  void window(Words& w) {
    atMost(s_.windows.size(), limits::kMaxWindows, "windows", w);
    WindowSpec window;
    window.line = w.lineNumber();
    window.name = w.text("a window's name");
    if (s_.window(window.name)) w.fail("there is already a window named '" + window.name + "'");
    w.require("of");
    window.app = w.text("an app's name");
    if (!s_.app(window.app)) w.fail("unknown app '" + window.app + "'");
    w.require("frame");
    window.frame = w.rect();
    window.title = w.accept("title") ? w.text("a title") : window.name;
    s_.windows.push_back(std::move(window));
    block_ = Block::Window;
  }

  // The window server's number for a window, as a recording names it: unique among the numbers
  // given.
  void windowNumber(Words& w, WindowSpec& window) {
    const std::int64_t number = w.integer("a window number");
    if (number < 1 || number > 0x7fffffff) w.fail("a window number is from 1 to 2147483647");
    for (const WindowSpec& other : s_.windows) {
      if (other.number && *other.number == number) {
        w.fail("window number " + std::to_string(number) + " is " + other.name + "'s already");
      }
    }
    window.number = static_cast<std::uint32_t>(number);
  }

  void windowLine(Words& w) {
    WindowSpec& window = s_.windows.back();
    const std::string what = w.keyword("a window property");
    if (what == "title") {
      window.title = w.text("a title");
    } else if (what == "layer") {
      window.layer = w.integer("a layer number");
    } else if (what == "alpha") {
      if (w.accept("none")) {
        window.alpha.reset();
      } else {
        window.alpha = w.number("an alpha", 0, 1);
      }
    } else if (what == "full-screen") {
      window.fullScreen = true;
    } else if (what == "not-resizable") {
      window.resizable = false;
    } else if (what == "button") {
      const std::string name = w.keyword("'green', 'close' or 'minimize'");
      ButtonSpec* button = name == "green"      ? &window.green
                           : name == "close"    ? &window.close
                           : name == "minimize" ? &window.minimize
                                                : nullptr;
      if (!button) w.fail("unknown button '" + name + "'");
      do {
        const std::string state = w.keyword("'disabled' or 'unreadable'");
        if (state == "disabled") {
          button->enabled = false;
        } else if (state == "unreadable") {
          button->frameReadable = false;
        } else {
          w.fail("unknown button state '" + state + "'");
        }
      } while (!w.atEnd());
    } else if (what == "unreadable") {
      const double from = w.accept("from") ? w.seconds("a time in seconds") : 0.0;
      if (from == 0) {
        window.frameReadable = false;
      } else {
        s_.actions.push_back(Action{w.lineNumber(), from, MakeUnreadable{window.name}});
      }
    } else if (what == "number") {
      windowNumber(w, window);
    } else if (what == "rebound") {
      sim::SimWindow::Rebound rebound;
      rebound.to = w.rect();
      while (!w.atEnd()) {
        if (w.accept("after")) {
          rebound.delay = w.delay("a delay in seconds");
        } else if (w.accept("times")) {
          rebound.times = static_cast<int>(w.repeats("a number of times"));
        } else {
          w.unexpected("'after' or 'times'");
        }
      }
      window.rebound = rebound;
    } else {
      w.fail("unknown window property '" + what + "'");
    }
  }

  // What can only be judged with the whole file read.
  void finish() {
    // In file order still: the first line past the limit is named.
    if (s_.actions.size() > limits::kMaxActions) {
      throw SyntaxError(s_.actions[limits::kMaxActions].line,
                        tooMany("actions", limits::kMaxActions));
    }
    if (s_.expectations.size() > limits::kMaxExpectations) {
      throw SyntaxError(s_.expectations[limits::kMaxExpectations].line,
                        tooMany("expectations", limits::kMaxExpectations));
    }
    std::stable_sort(s_.actions.begin(), s_.actions.end(),
                     [](const Action& a, const Action& b) { return a.time < b.time; });
    std::size_t screens = std::max<std::size_t>(1, s_.screens.size());
    for (const Action& a : s_.actions) {
      if (std::holds_alternative<AddScreen>(a.what) && ++screens > limits::kMaxScreens) {
        throw SyntaxError(a.line, tooMany("screens", limits::kMaxScreens));
      }
      if (const auto* remove = std::get_if<RemoveScreen>(&a.what)) {
        if (screens == 0) throw SyntaxError(a.line, "there is no screen left at that time");
        if (remove->index >= screens) {
          throw SyntaxError(a.line, "there is no screen " + std::to_string(remove->index) +
                                        " at that time: screens are numbered 0 to " +
                                        std::to_string(screens - 1));
        }
        --screens;
      }
      if (s_.end && a.time > *s_.end) {
        throw SyntaxError(endLine_,
                          "the run ends before the action of line " + std::to_string(a.line));
      }
    }
    for (const AppSpec& app : s_.apps) {
      int missing = 0;
      menusOf(app, &missing);
      if (missing) throw SyntaxError(missing, "no such item in " + app.name + "'s menus");
    }
  }

  static std::string tooMany(std::string_view what, std::size_t limit) {
    return "too many " + std::string(what) + ": at most " + std::to_string(limit);
  }
  // Before one more is added to `count` of them.
  static void atMost(std::size_t count, std::size_t limit, std::string_view what, Words& w) {
    if (count >= limit) w.fail(tooMany(what, limit));
  }

  Scenario s_;
  Block block_ = Block::None;
  bool menusGiven_ = false;
  std::size_t menuItems_ = 0;  // in the current app's menus
  std::vector<OpenMenu> menus_;
  int endLine_ = 0;
};

}  // namespace

std::variant<Scenario, ParseError> parseScenario(std::string_view text) {
  try {
    return Parser().read(splitLines(text));
  } catch (const SyntaxError& e) {
    // Words of the file may be in the message: never a raw control byte to the terminal.
    return ParseError{e.line, printable(e.what())};
  }
}

std::string errorLine(std::string_view file, const ParseError& error) {
  return printable(file) + ":" + std::to_string(error.line) + ": " + error.message;
}

}  // namespace plumora::simtool
