#include "support/log.hpp"

namespace plumora {

Log::Log(UnifiedLog& unifiedLog, Defaults& defaults, Clock& clock, Dispatch& dispatch,
         System& system)
    : unifiedLog_(unifiedLog),
      defaults_(defaults),
      clock_(clock),
      dispatch_(dispatch),
      system_(system) {}

bool Log::readVerbosity() {
  // Threads that come here together wait for the one that reads.
  std::call_once(verboseOnce_, [this] {
    const bool verbose = defaults_.boolForKey(kVerboseKey);
    if (verbose) {
      queue_ = dispatch_.serialQueue(kQueueLabel, QualityOfService::Utility);
      file_ = std::make_shared<const LogFile>(LogFile::pathIn(system_.homeFolder()));
    }
    verbosity_.store(verbose ? Verbosity::On : Verbosity::Off, std::memory_order_release);
  });
  return verbosity_.load(std::memory_order_acquire) == Verbosity::On;
}

void Log::info(std::string_view message) {
  emit(LogLevel::Default, message);
}

void Log::emit(LogLevel level, std::string_view message) {
  if (unifiedLog_.isEnabled(level)) unifiedLog_.write(level, message);
  if (verbose()) write(message);
}

void Log::write(std::string_view message) {
  // The stamp is the moment of the call, not of the append.
  const LocalTime stamp = clock_.localTime();
  queue_->async([file = file_, stamp, text = std::string(message)] { file->append(stamp, text); });
}

}  // namespace plumora
