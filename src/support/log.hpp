#pragma once

// The program's log. Every line goes to the unified log at once, on the caller's thread; in
// verbose mode ("DebugLog" on at the first line) it is also appended to the log file, on a serial
// queue of its own. Debug texts are built only in verbose mode.

#include <atomic>
#include <concepts>
#include <cstddef>
#include <cstdint>
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

// A string literal, and nothing else: a text that costs nothing to build. The constructor runs at
// compile time, so a text made at run time (a std::string, a pointer) does not convert.
class LiteralText {
 public:
  template <std::size_t N>
  consteval LiteralText(const char (&text)[N])  // NOLINT(google-explicit-constructor)
      : text_(text, N - 1) {}
  std::string_view view() const { return text_; }

 private:
  std::string_view text_;
};

class Log {
 public:
  static constexpr std::string_view kVerboseKey = "DebugLog";
  static constexpr std::string_view kQueueLabel = "Plumora.log";

  Log(UnifiedLog& unifiedLog, Defaults& defaults, Clock& clock, Dispatch& dispatch, System& system);

  void info(std::string_view message);

  // Debug lines take a literal or a callable that builds the text, never a text built before the
  // call: with verbose logging off, building it would be wasted on every call.

  // `makeText` is a callable giving the message; it is not called unless verbose.
  template <class MakeText>
  requires std::invocable<MakeText&>
  void debug(MakeText&& makeText) {
    if (!verbose()) return;
    const std::string text = std::forward<MakeText>(makeText)();
    emit(LogLevel::Debug, text);
  }

  void debug(LiteralText text) {
    if (verbose()) emit(LogLevel::Debug, text.view());
  }

  // Read from the defaults once, at the first call; after that, one load.
  bool verbose() {
    const Verbosity known = verbosity_.load(std::memory_order_acquire);
    return known == Verbosity::Unknown ? readVerbosity() : known == Verbosity::On;
  }

 private:
  enum class Verbosity : std::uint8_t { Unknown, Off, On };

  bool readVerbosity();
  void emit(LogLevel level, std::string_view message);
  void write(std::string_view message);

  UnifiedLog& unifiedLog_;
  Defaults& defaults_;
  Clock& clock_;
  Dispatch& dispatch_;
  System& system_;

  std::once_flag verboseOnce_;
  // Stored once the queue and the file below are made: a thread that loads On sees them.
  std::atomic<Verbosity> verbosity_{Verbosity::Unknown};
  // Made with the first verbose line; the file is touched on the queue only.
  std::unique_ptr<SerialQueue> queue_;
  std::shared_ptr<const LogFile> file_;
};

}  // namespace plumora
