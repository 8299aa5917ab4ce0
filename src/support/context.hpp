#pragma once

// What the program makes once per process and each test makes for itself: the platform's ports
// and the values read once (the log's verbosity, the language).

#include <string>

#include "platform/platform.hpp"
#include "support/elapsed.hpp"
#include "support/language.hpp"
#include "support/log.hpp"

namespace plumora {

class Context {
 public:
  explicit Context(Platform& platform)
      : platform(platform),
        log(platform.unifiedLog, platform.defaults, platform.clock, platform.dispatch,
            platform.system),
        language(platform.system) {}

  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  double now() { return platform.clock.mediaTime(); }
  std::string elapsedMs(double start) { return plumora::elapsedMs(platform.clock, start); }

  Platform& platform;
  Log log;
  Language language;
};

}  // namespace plumora
