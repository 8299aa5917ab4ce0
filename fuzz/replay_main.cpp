// Runs fuzz cases from files, or every file of a folder, with any compiler: the seed corpus and
// the reproducers of faults the fuzzer found run as an ordinary test.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include <unistd.h>  // mkdtemp on macOS; glibc declares it in <stdlib.h>

#include "harness.hpp"
#include "input_files.hpp"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: plumora-fuzz-replay FILE_OR_FOLDER...\n");
    return 2;
  }
  const std::vector<fs::path> files = plumora::fuzz::inputFiles(argc, argv);
  std::string pattern = (fs::temp_directory_path() / "plumora-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) return 2;
  const fs::path home = pattern;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "plumora-fuzz-replay: cannot read %s\n", file.c_str());
      return 2;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const auto run = plumora::fuzz::runBytes(bytes, home);
    std::fprintf(stderr, "%s: %d presses swallowed, %d clicks performed, %zu log lines\n",
                 file.c_str(), run.swallowedPresses, run.clicksPerformed, run.logLines);
  }
  fs::remove_all(home);
  std::printf("%zu cases ran, every invariant held\n", files.size());
  return 0;
}
