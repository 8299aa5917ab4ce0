#pragma once

// The unified-log port: the system log, category "app" of the application's subsystem.

#include <string_view>

namespace plumora {

enum class LogLevel { Default, Debug };

class UnifiedLog {
 public:
  virtual ~UnifiedLog() = default;

  virtual bool isEnabled(LogLevel level) = 0;
  // Writes one record whose only, public, argument is the message.
  virtual void write(LogLevel level, std::string_view message) = 0;
};

}  // namespace plumora
