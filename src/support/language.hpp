#pragma once

// The language of user-visible texts, chosen once per process from the user's first preferred
// language. Log texts are Italian and never pass through here.

#include <mutex>
#include <string_view>

#include "platform/system.hpp"

namespace plumora {

class Language {
 public:
  explicit Language(System& system) : system_(system) {}

  // True when the first preferred language (lower-cased) begins with "it"; an empty list counts
  // as "en". Read from the system at the first call only.
  bool isItalian();
  // The Italian text under Italian, the English text otherwise.
  std::string_view L(std::string_view italian, std::string_view english) {
    return isItalian() ? italian : english;
  }

 private:
  System& system_;
  std::once_flag once_;
  bool italian_ = false;
};

// The user's first preferred language, or "en" when there is none.
std::string firstPreferredLanguage(System& system);

}  // namespace plumora
