#include "macos/mac_unified_log.hpp"

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

#include "macos/mac_clock.hpp"

namespace plumora {
namespace {

// What `log show` prints for the lines of the application's subsystem that contain `token`.
std::string linesContaining(const std::string& token) {
  const std::string command =
      "/usr/bin/log show --last 2m --style compact --info --predicate "
      "'subsystem == \"" PLUMORA_BUNDLE_ID
      "\" AND category == \"app\" "
      "AND eventMessage CONTAINS \"" +
      token + "\"' 2>/dev/null";
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe)) out += buffer;
    pclose(pipe);
  }
  return out;
}

// The line travels through the system's log daemon: read it back the way a user would.
TEST(MacUnifiedLog, ADefaultLineReachesTheSystemLogWhole) {
  MacUnifiedLog log;
  EXPECT_TRUE(log.isEnabled(LogLevel::Default));
  const std::string token = "prova-" + std::to_string(getpid()) + "-" +
                            std::to_string(static_cast<long long>(MacClock().mediaTime() * 1e6));
  log.write(LogLevel::Default, "Riga di prova è " + token + " 🟢");
  MacClock clock;
  std::string found;
  for (int attempt = 0; attempt < 20 && found.find(token) == std::string::npos; ++attempt) {
    clock.sleep(0.5);
    found = linesContaining(token);
  }
  EXPECT_NE(found.find("Riga di prova è " + token + " 🟢"), std::string::npos) << found;
}

}  // namespace
}  // namespace plumora
