#include "case_bytes.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string_view>

namespace plumora::fuzz {
namespace {

// Strings the program looks for, so that a mutation can reach them in one byte; any other
// string is spelt out.
constexpr std::array<std::string_view, 24> kWords{"",
                                                  "Window",
                                                  "Finestra",
                                                  "Fill",
                                                  "Riempi",
                                                  "_zoomFill",
                                                  "_zoomFill:",
                                                  "_zoomUntile",
                                                  "_zoomUntile:",
                                                  "_zoomCenter",
                                                  "F",
                                                  "f",
                                                  "R",
                                                  "M",
                                                  "Move & Resize",
                                                  "Help",
                                                  "it-IT",
                                                  "en-US",
                                                  "ar",
                                                  "he-IL",
                                                  "fa",
                                                  "ur-PK",
                                                  "Documento",
                                                  "x"};

constexpr std::array<AXError, 8> kAnswers{
    ax::kCannotComplete,  ax::kFailure,          ax::kAPIDisabled,       ax::kAttributeUnsupported,
    ax::kIllegalArgument, ax::kInvalidUIElement, ax::kActionUnsupported, ax::kNoValue};

class Reader {
 public:
  static constexpr bool kReading = true;
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint8_t byte() { return at_ < bytes_.size() ? bytes_[at_++] : 0; }
  std::uint32_t bytes(int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= std::uint32_t{byte()} << (8 * i);
    return v;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

class Writer {
 public:
  static constexpr bool kReading = false;
  void byte(std::uint8_t v) { out.push_back(v); }
  void bytes(int n, std::uint32_t v) {
    for (int i = 0; i < n; ++i) byte(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> out;
};

// Each field below reads into `v`, or writes `v`.

template <class T>
void flag(Reader& r, T& v) {
  v = (r.byte() & 1) != 0;
}
template <class T>
void flag(Writer& w, T& v) {
  w.byte(v ? 1 : 0);
}

// A choice among `n`, or a count up to `n - 1`.
template <class T>
void choice(Reader& r, T& v, std::size_t n) {
  v = static_cast<T>(r.byte() % n);
}
template <class T>
void choice(Writer& w, T& v, std::size_t n) {
  w.byte(static_cast<std::uint8_t>(std::min<std::size_t>(static_cast<std::size_t>(v), n - 1)));
}

template <class T>
void integer(Reader& r, T& v, int width) {
  const std::uint32_t raw = r.bytes(width);
  const int shift = 32 - 8 * width;
  v = static_cast<T>(static_cast<std::int32_t>(raw << shift) >> shift);  // sign-extended
}
template <class T>
void integer(Writer& w, T& v, int width) {
  w.bytes(width, static_cast<std::uint32_t>(static_cast<std::int32_t>(v)));
}

// Coordinates in quarter points, up to half a billion either way.
void coordinate(Reader& r, double& v) {
  std::int32_t q = 0;
  integer(r, q, 4);
  v = q / 4.0;
}
void coordinate(Writer& w, double& v) {
  const double q = std::clamp(std::round(v * 4), -2147483648.0, 2147483647.0);
  w.bytes(4, static_cast<std::uint32_t>(static_cast<std::int32_t>(q)));
}

// Durations in milliseconds, up to 65.5 s.
void duration(Reader& r, double& v) {
  v = r.bytes(2) / 1000.0;
}
void duration(Writer& w, double& v) {
  w.bytes(2, static_cast<std::uint32_t>(std::clamp(std::round(v * 1000), 0.0, 65535.0)));
}

template <class Io>
void rect(Io& io, Rect& v) {
  coordinate(io, v.origin.x);
  coordinate(io, v.origin.y);
  coordinate(io, v.size.width);
  coordinate(io, v.size.height);
}

void text(Reader& r, std::string& v) {
  const std::uint8_t pick = r.byte();
  if (pick < kWords.size()) {
    v = kWords[pick];
    return;
  }
  v.clear();
  const std::size_t length = pick % 16;
  for (std::size_t i = 0; i < length; ++i) v += static_cast<char>(r.byte());
}
void text(Writer& w, std::string& v) {
  const auto known = std::find(kWords.begin(), kWords.end(), v);
  if (known != kWords.end()) {
    w.byte(static_cast<std::uint8_t>(known - kWords.begin()));
    return;
  }
  // A length code past the words: the smallest byte at or past them with this remainder.
  const std::size_t length = std::min<std::size_t>(v.size(), 15);
  std::size_t code = length;
  while (code < kWords.size()) code += 16;
  w.byte(static_cast<std::uint8_t>(code));
  for (std::size_t i = 0; i < length; ++i) w.byte(static_cast<std::uint8_t>(v[i]));
}

template <class Io, class T, class Field>
void optional(Io& io, std::optional<T>& v, Field field) {
  bool present = v.has_value();
  flag(io, present);
  if constexpr (Io::kReading) {
    if (present) v = T{};
  }
  if (present) field(*v);
}

template <class Io, class T, class Field>
void list(Io& io, std::vector<T>& v, std::size_t max, Field field) {
  std::size_t n = std::min(v.size(), max);
  choice(io, n, max + 1);
  if constexpr (Io::kReading) v.resize(n);
  for (std::size_t i = 0; i < n; ++i) field(v[i]);
}

// An index into a list of `n` things, kept as the thing's name.
template <class Io>
void name(Io& io, std::string& v, std::size_t n, std::string (*nameOf)(std::size_t),
          const std::vector<std::string>& names) {
  std::size_t index = 0;
  if constexpr (!Io::kReading) {
    index = static_cast<std::size_t>(std::find(names.begin(), names.end(), v) - names.begin());
  }
  choice(io, index, std::max<std::size_t>(n, 1));
  if constexpr (Io::kReading) v = nameOf(index);
}

template <class Io>
void answer(Io& io, std::optional<AXError>& v) {
  optional(io, v, [&](AXError& a) {
    std::size_t pick =
        static_cast<std::size_t>(std::find(kAnswers.begin(), kAnswers.end(), a) - kAnswers.begin());
    choice(io, pick, kAnswers.size() + 1);
    if (pick == kAnswers.size()) {
      integer(io, a, 2);  // any other code
    } else if constexpr (Io::kReading) {
      a = kAnswers[pick];
    }
  });
}

template <class Io>
void menuItem(Io& io, sim::MenuItemSpec& v, int depth) {
  text(io, v.title);
  optional(io, v.identifier, [&](std::string& s) { text(io, s); });
  optional(io, v.keyEquivalent, [&](std::string& s) { text(io, s); });
  optional(io, v.modifiers, [&](std::int64_t& m) { integer(io, m, 2); });
  flag(io, v.enabled);
  choice(io, v.command, 3);
  answer(io, v.pressAnswer);
  if (depth > 0) {
    list(io, v.submenu, 6, [&](sim::MenuItemSpec& s) { menuItem(io, s, depth - 1); });
  } else if constexpr (Io::kReading) {
    v.submenu.clear();
  }
}

template <class Io>
void app(Io& io, simtool::AppSpec& v, std::size_t index) {
  if constexpr (Io::kReading) v.name = appName(index);
  bool own = v.pid == kOwnPid;
  flag(io, own);
  if constexpr (Io::kReading) v.pid = own ? kOwnPid : kFirstAppPid + static_cast<int>(index);
  choice(io, v.menuBar, 4);
  if (v.menuBar == simtool::MenuBar::Custom) {
    list(io, v.customMenus, 6, [&](sim::MenuSpec& m) {
      text(io, m.title);
      list(io, m.items, 8, [&](sim::MenuItemSpec& item) { menuItem(io, item, 1); });
    });
  }
  list(io, v.itemChanges, 2, [&](simtool::ItemChange& c) {
    list(io, c.path, 3, [&](std::string& s) { text(io, s); });
    optional(io, c.enabled, [&](bool& b) { flag(io, b); });
    answer(io, c.pressAnswer);
  });
  optional(io, v.tilingDelay, [&](double& d) { duration(io, d); });
  choice(io, v.restoreAnswer, 3);
  rect(io, v.elsewhere);
  flag(io, v.shortcuts);
  duration(io, v.latency);
  optional(io, v.activationDelay, [&](double& d) { duration(io, d); });
  flag(io, v.activates);
}

template <class Io>
void button(Io& io, simtool::ButtonSpec& v) {
  flag(io, v.enabled);
  flag(io, v.frameReadable);
}

template <class Io>
void window(Io& io, simtool::WindowSpec& v, std::size_t index,
            const std::vector<std::string>& apps) {
  if constexpr (Io::kReading) v.name = windowName(index);
  name(io, v.app, apps.size(), appName, apps);
  rect(io, v.frame);
  text(io, v.title);
  integer(io, v.layer, 4);
  optional(io, v.alpha, [&](double& a) {
    std::uint8_t hundredths =
        static_cast<std::uint8_t>(std::clamp(std::round(a * 100), 0.0, 255.0));
    choice(io, hundredths, 256);
    if constexpr (Io::kReading) a = hundredths / 100.0;
  });
  flag(io, v.fullScreen);
  flag(io, v.resizable);
  button(io, v.close);
  button(io, v.minimize);
  button(io, v.green);
  flag(io, v.frameReadable);
  optional(io, v.rebound, [&](sim::SimWindow::Rebound& b) {
    duration(io, b.delay);
    rect(io, b.to);
    choice(io, b.times, 4);
  });
}

template <class Io>
void screen(Io& io, simtool::ScreenSpec& v) {
  rect(io, v.frame);
  rect(io, v.visible);
}

template <class Io>
void target(Io& io, simtool::Target& v, const std::vector<std::string>& windows) {
  bool onWindow = v.window.has_value();
  flag(io, onWindow);
  if (onWindow) {
    if constexpr (Io::kReading) v.window.emplace();
    name(io, *v.window, windows.size(), windowName, windows);
    choice(io, v.button, 3);
  } else {
    coordinate(io, v.point.x);
    coordinate(io, v.point.y);
  }
}

template <std::size_t I = 0>
ActionKind alternative(std::size_t index) {
  if constexpr (I + 1 < std::variant_size_v<ActionKind>) {
    if (index != I) return alternative<I + 1>(index);
  }
  return ActionKind(std::in_place_index<I>);
}

template <class Io>
void action(Io& io, FuzzAction& v, double& clock, const std::vector<std::string>& windows) {
  double step = v.time - clock;
  duration(io, step);
  if constexpr (Io::kReading) v.time = clock + step;
  clock = v.time;
  std::size_t kind = v.what.index();
  choice(io, kind, std::variant_size_v<ActionKind>);
  if constexpr (Io::kReading) v.what = alternative(kind);
  auto windowField = [&](std::string& w) { name(io, w, windows.size(), windowName, windows); };
  std::visit(
      [&](auto& a) {
        using A = std::decay_t<decltype(a)>;
        if constexpr (std::is_same_v<A, simtool::MouseAction>) {
          choice(io, a.phase, 4);
          target(io, a.target, windows);
          integer(io, a.flags, 4);
        } else if constexpr (std::is_same_v<A, simtool::TapDisabled>) {
          bool byInput = a.reason == EventType::TapDisabledByUserInput;
          flag(io, byInput);
          a.reason = byInput ? EventType::TapDisabledByUserInput : EventType::TapDisabledByTimeout;
        } else if constexpr (std::is_same_v<A, simtool::FocusWindow> ||
                             std::is_same_v<A, simtool::MakeUnreadable>) {
          windowField(a.window);
        } else if constexpr (std::is_same_v<A, simtool::MoveWindow>) {
          windowField(a.window);
          rect(io, a.frame);
        } else if constexpr (std::is_same_v<A, simtool::AddScreen>) {
          screen(io, a.screen);
        } else if constexpr (std::is_same_v<A, simtool::RemoveScreen>) {
          choice(io, a.index, kMaxScreens + 1);
        } else if constexpr (std::is_same_v<A, simtool::ChangePermission>) {
          flag(io, a.granted);
        }
      },
      v.what);
}

template <class Io>
void visitCase(Io& io, FuzzCase& v) {
  simtool::Scenario& d = v.desktop;
  list(io, d.screens, kMaxScreens, [&](simtool::ScreenSpec& s) { screen(io, s); });
  std::size_t index = 0;
  list(io, d.apps, kMaxApps, [&](simtool::AppSpec& a) { app(io, a, index++); });
  std::vector<std::string> apps;
  for (const auto& a : d.apps) apps.push_back(a.name);
  index = 0;
  list(io, d.windows, kMaxWindows, [&](simtool::WindowSpec& w) { window(io, w, index++, apps); });
  std::vector<std::string> windows;
  for (const auto& w : d.windows) windows.push_back(w.name);
  optional(io, d.focus, [&](std::string& w) { name(io, w, windows.size(), windowName, windows); });
  flag(io, d.enabled);
  flag(io, d.restoreOnSecondClick);
  flag(io, d.verbose);
  flag(io, d.permission);
  list(io, d.languages, 2, [&](std::string& s) { text(io, s); });
  double clock = 0;
  list(io, v.actions, kMaxActions, [&](FuzzAction& a) { action(io, a, clock, windows); });
  // Last, so that inputs from before it keep their meaning, with no margin.
  int margin = static_cast<int>(d.tilingMargin);
  choice(io, margin, kMaxTilingMargin + 1);
  d.tilingMargin = margin;
}

}  // namespace

// Appended rather than `"A" + std::to_string(...)`, which GCC 12 optimising flags with a false
// -Wrestrict warning.
std::string nameOf(char kind, std::size_t index) {
  std::string name(1, kind);
  name += std::to_string(index);
  return name;
}

std::string appName(std::size_t index) {
  return nameOf('A', index);
}

std::string windowName(std::size_t index) {
  return nameOf('W', index);
}

FuzzCase readCase(std::span<const std::uint8_t> bytes) {
  Reader reader(bytes);
  FuzzCase fuzzCase;
  fuzzCase.desktop.languages.clear();
  visitCase(reader, fuzzCase);
  // A window of no application cannot exist: without applications there are no windows.
  if (fuzzCase.desktop.apps.empty()) fuzzCase.desktop.windows.clear();
  return fuzzCase;
}

std::vector<std::uint8_t> writeCase(const FuzzCase& fuzzCase) {
  Writer writer;
  FuzzCase copy = fuzzCase;
  visitCase(writer, copy);
  return std::move(writer.out);
}

}  // namespace plumora::fuzz
