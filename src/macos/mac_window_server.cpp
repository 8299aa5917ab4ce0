#include "macos/mac_window_server.hpp"

#include <CoreGraphics/CoreGraphics.h>

#include "macos/cf_ref.hpp"
#include "macos/cf_value.hpp"

namespace plumora {

std::optional<RawValue> MacWindowServer::copyWindowList(std::uint32_t options,
                                                        std::uint32_t relativeToWindow) {
  const auto list = CFRef<CFArrayRef>::adopt(CGWindowListCopyWindowInfo(
      static_cast<CGWindowListOption>(options), static_cast<CGWindowID>(relativeToWindow)));
  if (!list) return std::nullopt;
  return rawValueFromCF(list.get());
}

}  // namespace plumora
