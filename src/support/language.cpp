#include "support/language.hpp"

#include <cctype>
#include <string>

namespace plumora {

std::string firstPreferredLanguage(System& system) {
  auto languages = system.preferredLanguages();
  return languages.empty() ? std::string("en") : languages.front();
}

bool Language::isItalian() {
  std::call_once(once_, [this] {
    std::string first = firstPreferredLanguage(system_);
    for (char& c : first) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    italian_ = first.rfind("it", 0) == 0;
  });
  return italian_;
}

}  // namespace plumora
