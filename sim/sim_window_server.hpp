#pragma once

// The window server's list, front to back, walked as the platform would give it: for each
// window its layer, bounds, alpha, owner and number. The desktop's windows are read in place,
// one at a time, and only as far as the walk goes.

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/window_server.hpp"

namespace plumora::sim {

struct WindowInfo {
  std::int64_t layer = 0;
  Rect bounds;
  std::optional<double> alpha = 1.0;
  std::int64_t ownerPid = 0;
  std::int64_t number = 0;
  bool onScreen = true;
};

class SimWindowServer : public WindowServer {
 public:
  using Visit = FunctionRef<WalkStep(const WindowInfo&)>;

  void walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                   FunctionRef<WalkStep(const WindowValues&)> visit) override;

  // Hands the desktop's windows, front to back, to `visit` until it answers Stop.
  std::function<void(Visit visit)> source;
  // Entries put in front of the desktop's, as they are (malformed ones too).
  std::vector<RawValue> injected;
  // Fault: the window server gives no list.
  bool unavailable = false;

  int calls() const { return calls_; }
  std::uint32_t lastOptions() const { return lastOptions_; }
  // How many windows the last walk handed to the program.
  int lastWalkLength() const { return lastWalkLength_; }

  // A window's entry as the platform's list would hold it.
  static RawValue entry(const WindowInfo& info);
  // The values of an entry, None where it has none.
  static WindowValues valuesOf(const RawValue& entry);

 private:
  // The bounds dictionary of a window, made again only when its bounds change.
  const RawValue& boundsOf(std::int64_t number, Rect bounds);

  int calls_ = 0;
  std::uint32_t lastOptions_ = 0;
  int lastWalkLength_ = 0;
  std::unordered_map<std::int64_t, std::pair<Rect, RawValue>> bounds_;
};

}  // namespace plumora::sim
