#include "sim/sim_system.hpp"

#include <cctype>
#include <stdexcept>
#include <string>

namespace plumora::sim {

void SimSystem::requireMainThread(const char* call) const {
  if (!dispatch_.isMainThread()) {
    throw std::logic_error(std::string(call) + " called off the main thread");
  }
}

LanguageDirection SimSystem::characterDirection(std::string_view language) {
  std::string code;
  for (char c : language) {
    if (c == '-' || c == '_') break;
    code += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (code.empty()) return LanguageDirection::Unknown;
  for (const char* rtl : {"ar", "he", "fa", "ur", "yi", "ps", "sd", "ug", "dv", "ckb"}) {
    if (code == rtl) return LanguageDirection::RightToLeft;
  }
  return LanguageDirection::LeftToRight;
}

std::optional<std::int32_t> SimSystem::frontmostApplicationPid() {
  requireMainThread("frontmostApplicationPid");
  return frontmost;
}

void SimSystem::withBundleIdentifier(std::int32_t p, FunctionRef<void(std::string_view)> use) {
  if (p == pid) {
    if (!bundleId.empty()) use(bundleId);
    return;
  }
  const auto it = running.find(p);
  if (it != running.end() && !it->second.empty()) use(it->second);
}

std::string SimSystem::applicationName(std::int32_t p) {
  requireMainThread("applicationName");
  if (p == pid) return "Plumora";
  const auto it = names.find(p);
  return it == names.end() ? std::string() : it->second;
}

std::vector<Screen> SimSystem::screens() {
  requireMainThread("screens");
  return screenList;
}

std::vector<std::int32_t> SimSystem::runningApplications(std::string_view bundleIdentifier) {
  requireMainThread("runningApplications");
  std::vector<std::int32_t> pids;
  for (const auto& [p, id] : running) {
    if (id == bundleIdentifier) pids.push_back(p);
  }
  if (bundleIdentifier == bundleId) pids.push_back(pid);
  return pids;
}

bool SimSystem::openURL(std::string_view url) {
  requireMainThread("openURL");
  if (!acceptURLs) return false;
  openedURLs.emplace_back(url);
  return true;
}

void SimSystem::terminate() {
  requireMainThread("terminate");
  ++terminations;
}

void SimSystem::observeAccessibilityChanges(std::function<void()> handler) {
  observers_.push_back(std::move(handler));
}

void SimSystem::postAccessibilityNotification() {
  for (auto& observer : observers_) observer();
}

}  // namespace plumora::sim
