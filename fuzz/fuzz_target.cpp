// The libFuzzer entry: every input is a fuzz case, run with every invariant checked.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <span>

#include <unistd.h>  // mkdtemp on macOS; glibc declares it in <stdlib.h>

#include "harness.hpp"

namespace {

std::filesystem::path home;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (std::filesystem::temp_directory_path() / "plumora-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  home = pattern;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plumora::fuzz::runBytes(std::span(data, size), home);
  return 0;
}
