#pragma once

// A home folder of the run's own, under the system's temporary folder and removed with
// everything in it: the program writes its verbose log file there, never in the user's home.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>  // mkdtemp on macOS; glibc declares it in <stdlib.h>

namespace plumora::simtool {

class TempHome {
 public:
  TempHome() {
    std::error_code error;
    const auto base = std::filesystem::temp_directory_path(error);
    std::string pattern =
        ((error ? std::filesystem::path("/tmp") : base) / "plumora-sim-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempHome() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  // Empty when no folder could be made.
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace plumora::simtool
