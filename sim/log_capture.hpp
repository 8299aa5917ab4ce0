#pragma once

// The unified log, captured: every record written, in order, with its level.

#include <functional>
#include <string>
#include <vector>

#include "platform/clock.hpp"
#include "platform/unified_log.hpp"

namespace plumora::sim {

class LogCapture : public UnifiedLog {
 public:
  struct Record {
    LogLevel level;
    std::string message;
    double time;
  };

  explicit LogCapture(Clock* clock = nullptr) : clock_(clock) {}

  bool isEnabled(LogLevel level) override {
    return level == LogLevel::Default ? defaultEnabled_ : debugEnabled_;
  }
  void write(LogLevel level, std::string_view message) override {
    records_.push_back({level, std::string(message), clock_ ? clock_->mediaTime() : 0.0});
    if (observer_) observer_(records_.back());
  }

  void setEnabled(LogLevel level, bool enabled) {
    (level == LogLevel::Default ? defaultEnabled_ : debugEnabled_) = enabled;
  }
  const std::vector<Record>& records() const { return records_; }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& r : records_) out.push_back(r.message);
    return out;
  }
  void clear() { records_.clear(); }
  // Called for every record as it is written (the simulator prints them).
  void observe(std::function<void(const Record&)> observer) { observer_ = std::move(observer); }

 private:
  Clock* clock_;
  bool defaultEnabled_ = true;
  bool debugEnabled_ = true;
  std::vector<Record> records_;
  std::function<void(const Record&)> observer_;
};

}  // namespace plumora::sim
