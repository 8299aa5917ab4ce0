#pragma once

// The timings a conversation shows: how long each Fill or restore the program asked for took to
// come to rest, and how long each application it brought forward took to come to the front.

#include <cstddef>
#include <map>

#include "replay/recording_file.hpp"

namespace plumora::simtool {

struct Timings {
  // By the number of the request that started it (a menu item's press, a posted shortcut, the
  // request to come to the front): seconds.
  std::map<std::size_t, double> settling;
  std::map<std::size_t, double> activation;
};

Timings timingsOf(const Recording& recording);

}  // namespace plumora::simtool
