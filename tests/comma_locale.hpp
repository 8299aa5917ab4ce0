#pragma once

// A locale whose decimal separator is a comma, as a host program may set one. CI installs one
// (scripts/install-deps) and a test without it fails there; elsewhere it is skipped.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

namespace plumora::test {

// Switches the C library's `category` to the first such locale installed and gives its name;
// null when there is none (a failure is recorded under CI, so the caller's skip fails there).
inline const char* useCommaLocale(int category) {
  for (const char* name : {"de_DE.UTF-8", "it_IT.UTF-8", "fr_FR.UTF-8", "de_DE", "it_IT"}) {
    if (std::setlocale(category, name)) return name;
  }
  if (std::getenv("CI")) ADD_FAILURE() << "no locale with a decimal comma is installed";
  return nullptr;
}

}  // namespace plumora::test
