#pragma once

// The window-server port: the window list of Quartz Window Services.

#include "platform/window_server.hpp"

namespace plumora {

class MacWindowServer final : public WindowServer {
 public:
  void walkWindows(std::uint32_t options, std::uint32_t relativeToWindow,
                   FunctionRef<WalkStep(const WindowValues&)> visit) override;
};

}  // namespace plumora
