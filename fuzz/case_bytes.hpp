#pragma once

// The byte form of a fuzz case. One schema, `visitCase`, both reads a case from bytes (what the
// fuzzer mutates) and writes one (a scenario file made into a seed), so the two always agree.
// Bytes past the end read as zero: a short input is a small case, never a rejected one.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz_case.hpp"

namespace plumora::fuzz {

FuzzCase readCase(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> writeCase(const FuzzCase& fuzzCase);

// The app and window names a read case uses; a written case is renamed to them.
std::string appName(std::size_t index);
std::string windowName(std::size_t index);

}  // namespace plumora::fuzz
