#pragma once

// The unified-log port: category "app" of the application's subsystem.

#include <os/log.h>

#include "platform/unified_log.hpp"

namespace plumora {

class MacUnifiedLog final : public UnifiedLog {
 public:
  MacUnifiedLog();

  bool isEnabled(LogLevel level) override;
  void write(LogLevel level, std::string_view message) override;

 private:
  os_log_t log_;  // lives as long as the process
};

}  // namespace plumora
