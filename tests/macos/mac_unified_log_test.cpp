#include "macos/mac_unified_log.hpp"

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

#include "macos/mac_clock.hpp"

namespace plumora {
namespace {

// The line travels through the system's log daemon: read it back the way a user would, with
// `log show` on the lines of the application's subsystem that contain a token of this run.
TEST(MacUnifiedLog, ADefaultLineReachesTheSystemLogWhole) {
  MacUnifiedLog log;
  MacClock clock;
  EXPECT_TRUE(log.isEnabled(LogLevel::Default));
  const std::string token = "prova-" + std::to_string(getpid()) + "-" +
                            std::to_string(static_cast<long long>(clock.mediaTime() * 1e6));
  log.write(LogLevel::Default, "Riga di prova è " + token + " 🟢");
  const std::string command =
      "/usr/bin/log show --last 2m --style compact --info --predicate 'subsystem == "
      "\"" PLUMORA_BUNDLE_ID "\" AND category == \"app\" AND eventMessage CONTAINS \"" +
      token + "\"' 2>/dev/null";
  std::string found;
  for (int attempt = 0; attempt < 20 && found.find(token) == std::string::npos; ++attempt) {
    clock.sleep(0.5);
    found.clear();
    if (FILE* pipe = popen(command.c_str(), "r")) {
      for (char buffer[512]; fgets(buffer, sizeof buffer, pipe);) found += buffer;
      pclose(pipe);
    }
  }
  EXPECT_NE(found.find("Riga di prova è " + token + " 🟢"), std::string::npos) << found;
}

}  // namespace
}  // namespace plumora
