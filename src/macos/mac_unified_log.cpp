#include "macos/mac_unified_log.hpp"

#include <string>

namespace plumora {

namespace {

os_log_type_t logType(LogLevel level) {
  return level == LogLevel::Debug ? OS_LOG_TYPE_DEBUG : OS_LOG_TYPE_DEFAULT;
}

}  // namespace

MacUnifiedLog::MacUnifiedLog() : log_(os_log_create(PLUMORA_BUNDLE_ID, "app")) {}

bool MacUnifiedLog::isEnabled(LogLevel level) {
  return os_log_type_enabled(log_, logType(level));
}

void MacUnifiedLog::write(LogLevel level, std::string_view message) {
  const std::string text(message);  // the format needs a terminated string
  os_log_with_type(log_, logType(level), "%{public}s", text.c_str());
}

}  // namespace plumora
