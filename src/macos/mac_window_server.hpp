#pragma once

// The window-server port: the window list of Quartz Window Services.

#include "platform/window_server.hpp"

namespace plumora {

class MacWindowServer final : public WindowServer {
 public:
  std::optional<RawValue> copyWindowList(std::uint32_t options,
                                         std::uint32_t relativeToWindow) override;
};

}  // namespace plumora
