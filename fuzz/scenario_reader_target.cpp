// The libFuzzer entry for the scenario reader: any bytes, read as a scenario file and run when
// they are one. Seeded from scenarios/*.scn, with scenario.dict for the language's words.
#include <cstdint>
#include <string_view>

#include "scenario_reader_check.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plumora::fuzz::readAndRunScenario(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
