#pragma once

// The window server's list, front to back, as the platform gives it: an array of dictionaries
// with the window's layer, bounds, alpha, owner and number.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_server.hpp"

namespace plumora::sim {

struct WindowInfo {
  std::int64_t layer = 0;
  Rect bounds;
  std::optional<double> alpha = 1.0;
  std::int64_t ownerPid = 0;
  std::int64_t number = 0;
  std::string ownerName;
  std::string name;
  bool onScreen = true;
};

class SimWindowServer : public WindowServer {
 public:
  std::optional<RawValue> copyWindowList(std::uint32_t options,
                                         std::uint32_t relativeToWindow) override;

  // The windows of the simulated desktop, front to back.
  std::function<std::vector<WindowInfo>()> source;
  // Entries put in front of the desktop's, as they are (malformed ones too).
  std::vector<RawValue> injected;
  // Faults.
  bool unavailable = false;
  std::optional<RawValue> replaceWith;

  int calls() const { return calls_; }
  std::uint32_t lastOptions() const { return lastOptions_; }

  static RawValue entry(const WindowInfo& info);

 private:
  int calls_ = 0;
  std::uint32_t lastOptions_ = 0;
};

}  // namespace plumora::sim
