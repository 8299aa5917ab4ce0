#pragma once

// The program's log. Every line goes to the unified log at once, on the caller's thread; in
// verbose mode ("DebugLog" on at the first line) it is also appended to the log file, on a serial
// queue of its own. Debug texts are built only in verbose mode.

#include <concepts>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/clock.hpp"
#include "platform/defaults.hpp"
#include "platform/dispatch.hpp"
#include "platform/system.hpp"
#include "platform/unified_log.hpp"
#include "support/log_file.hpp"

namespace plumora {

class Log {
 public:
  static constexpr std::string_view kVerboseKey = "DebugLog";
  static constexpr std::string_view kQueueLabel = "Plumora.log";

  Log(UnifiedLog& unifiedLog, Defaults& defaults, Clock& clock, Dispatch& dispatch, System& system);

  void info(std::string_view message);

  // `makeText` is a callable giving the message; it is not called unless verbose.
  template <class MakeText>
  requires std::invocable<MakeText&>
  void debug(MakeText&& makeText) {
    if (!verbose()) return;
    const std::string text = std::forward<MakeText>(makeText)();
    emit(LogLevel::Debug, text);
  }

  // A fixed text, which costs nothing to build.
  void debug(std::string_view text) {
    if (verbose()) emit(LogLevel::Debug, text);
  }

  // Read from the defaults once, at the first call.
  bool verbose();

 private:
  void emit(LogLevel level, std::string_view message);
  void write(std::string_view message);

  UnifiedLog& unifiedLog_;
  Defaults& defaults_;
  Clock& clock_;
  Dispatch& dispatch_;
  System& system_;

  std::once_flag verboseOnce_;
  bool verbose_ = false;
  // Made with the first verbose line; the file is touched on the queue only.
  std::unique_ptr<SerialQueue> queue_;
  std::shared_ptr<const LogFile> file_;
};

}  // namespace plumora
