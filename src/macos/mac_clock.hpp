#pragma once

// The clock port: the media clock, sleeping, and the local wall clock.

#include "platform/clock.hpp"

namespace plumora {

class MacClock final : public Clock {
 public:
  double mediaTime() override;
  void sleep(double seconds) override;
  LocalTime localTime() override;
};

}  // namespace plumora
