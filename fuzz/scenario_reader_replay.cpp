// Reads and runs scenario files, or every file of a folder, as the scenario reader's fuzz target
// does, with any compiler: the shipped scenarios, the command's own bad files and the inputs the
// fuzzer once found run as an ordinary test.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "input_files.hpp"
#include "scenario_reader_check.hpp"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: plumora-fuzz-scenario-replay FILE_OR_FOLDER...\n");
    return 2;
  }
  std::vector<fs::path> files = plumora::fuzz::inputFiles(argc, argv);
  // The command's checks folder holds its check scripts too.
  std::erase_if(files, [](const fs::path& file) { return file.extension() == ".cmake"; });
  std::size_t refused = 0;
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "plumora-fuzz-scenario-replay: cannot read %s\n", file.c_str());
      return 2;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    const auto outcome = plumora::fuzz::readAndRunScenario(bytes);
    if (outcome.refused) {
      ++refused;
      std::fprintf(stderr, "%s: refused\n", file.c_str());
    } else {
      std::fprintf(stderr, "%s: %zu actions, exit status %d\n", file.c_str(), outcome.actions,
                   outcome.status);
    }
  }
  std::printf("%zu files read, %zu refused, every promise kept\n", files.size(), refused);
  return 0;
}
