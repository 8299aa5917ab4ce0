#pragma once

// The files a replay reads: each argument, or every file of a folder given.

#include <filesystem>
#include <vector>

namespace plumora::fuzz {

inline std::vector<std::filesystem::path> inputFiles(int argc, char** argv) {
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg = argv[i];
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.push_back(arg);
    }
  }
  return files;
}

}  // namespace plumora::fuzz
