#pragma once

// The applications whose green button keeps its own action, by bundle identifier, as the user
// defaults keep them: a list of texts under one key, which a user may also write by hand. What
// was written is read entry by entry: whatever cannot be an identifier is left out and counted,
// never trusted.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/defaults.hpp"

namespace plumora {

struct StoredExceptions {
  std::vector<std::string> ids;  // in the stored order, each once
  bool notAList = false;         // the whole value was of another type, and left out
  int notText = 0;               // entries that are no text
  int notIdentifier = 0;         // texts that are empty or too long to be an identifier
  int duplicates = 0;            // an identifier met again (case aside)
  int overLimit = 0;             // entries past the most the program keeps

  // The one log line that says what was left out; empty when nothing was.
  std::string skippedLine() const;
};

namespace ExceptionList {

inline constexpr std::string_view kKey = "NormalGreenButtonApps";
// Far more than anyone excepts by hand; a list past it was not written by hand.
inline constexpr std::size_t kMaxEntries = 200;
inline constexpr std::size_t kMaxLength = 255;

// The system compares bundle identifiers without regard to case.
bool sameIdentifier(std::string_view a, std::string_view b);
bool identifierLess(std::string_view a, std::string_view b);

StoredExceptions read(Defaults& defaults);
void write(Defaults& defaults, std::span<const std::string> ids);

}  // namespace ExceptionList

}  // namespace plumora
