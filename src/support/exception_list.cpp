#include "support/exception_list.hpp"

#include <algorithm>
#include <set>

namespace plumora::ExceptionList {
namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool sameIdentifier(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return lower(x) == lower(y); });
}

bool identifierLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return lower(x) < lower(y); });
}

StoredExceptions read(Defaults& defaults) {
  StoredExceptions stored;
  const RawValue value = defaults.valueForKey(kKey);
  if (value.isNone()) return stored;
  const RawValue::Array* entries = value.asArray();
  if (!entries) {
    stored.notAList = true;
    return stored;
  }
  struct Less {
    bool operator()(std::string_view a, std::string_view b) const { return identifierLess(a, b); }
  };
  // A set, so that a list of a million copies costs no more than a short one.
  std::set<std::string_view, Less> seen;
  for (const RawValue& entry : *entries) {
    if (stored.ids.size() == kMaxEntries) {
      ++stored.overLimit;
      continue;
    }
    const std::string* id = entry.asString();
    if (!id) {
      ++stored.notText;
    } else if (id->empty() || id->size() > kMaxLength) {
      ++stored.notIdentifier;
    } else if (!seen.insert(*id).second) {
      ++stored.duplicates;
    } else {
      stored.ids.push_back(*id);
    }
  }
  return stored;
}

void write(Defaults& defaults, std::span<const std::string> ids) {
  defaults.setStrings(kKey, ids);
}

}  // namespace plumora::ExceptionList

namespace plumora {

std::string StoredExceptions::skippedLine() const {
  const std::string key(ExceptionList::kKey);
  if (notAList) return "Eccezioni: il valore di " + key + " non è una lista, ignorato";
  std::string parts;
  const auto add = [&](const std::string& what, int count) {
    if (count == 0) return;
    parts += parts.empty() ? "" : ", ";
    parts += what + std::to_string(count);
  };
  add("non testo ", notText);
  add("vuote o troppo lunghe ", notIdentifier);
  add("doppie ", duplicates);
  add("oltre le " + std::to_string(ExceptionList::kMaxEntries) + " ", overLimit);
  return parts.empty() ? std::string() : "Eccezioni, voci di " + key + " ignorate: " + parts;
}

}  // namespace plumora
