#include "support/settings.hpp"

#include <array>
#include <utility>

namespace plumora {

void Settings::registerDefaults() {
  static constexpr std::array<std::pair<std::string_view, bool>, 2> kDefaults{{
      {enabledKey, true},
      {restoreKey, true},
  }};
  defaults_.registerDefaults(kDefaults);
}

}  // namespace plumora
