# GoogleTest for the portable and the Mac-only tests: the targets GTest::gtest, GTest::gtest_main,
# GTest::gmock and GTest::gmock_main.
#
# Installed GoogleTest libraries are compiled for one machine, one architecture and the C++
# library they came with. A cross build, a universal build (Homebrew's GoogleTest has only the
# Mac's own architecture), or a Linux build on libc++ (Debian's libgtest-dev is built on libstdc++,
# whose std::string its interface passes) compiles GoogleTest's sources with the rest instead:
# Debian's googletest package ships them in /usr/src/googletest, elsewhere CMake fetches them.
# Otherwise the installed GoogleTest (Debian's libgtest-dev, Homebrew's), else a fetched one.
include_guard(GLOBAL)

include(CheckCXXSourceCompiles)
check_cxx_source_compiles([[
#include <version>
#ifndef _LIBCPP_VERSION
#error libstdc++
#endif
int main() { return 0; }
]] PLUMORA_ON_LIBCXX)

list(LENGTH CMAKE_OSX_ARCHITECTURES _plumora_architectures)
if(CMAKE_CROSSCOMPILING OR _plumora_architectures GREATER 1 OR (PLUMORA_ON_LIBCXX AND NOT APPLE))
  set(_plumora_gtest_from_source ON)
else()
  set(_plumora_gtest_from_source OFF)
endif()
set(PLUMORA_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH
    "GoogleTest sources compiled with the tests when installed libraries will not do")

if(_plumora_gtest_from_source AND EXISTS "${PLUMORA_GOOGLETEST_SOURCE}/CMakeLists.txt")
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory("${PLUMORA_GOOGLETEST_SOURCE}" "${PROJECT_BINARY_DIR}/googletest"
                   EXCLUDE_FROM_ALL)
elseif(NOT _plumora_gtest_from_source)
  find_package(GTest CONFIG QUIET)
  if(NOT TARGET GTest::gmock_main)
    find_package(GTest QUIET)
  endif()
endif()
if(NOT TARGET GTest::gmock_main AND NOT TARGET gmock_main)
  include(FetchContent)
  FetchContent_Declare(googletest
    URL https://github.com/google/googletest/archive/refs/tags/v1.14.0.tar.gz
    URL_HASH SHA256=8ad598c73ad796e0d8280b082cebd82a630d73e73cd3c70057938a6501bba5d7)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  FetchContent_MakeAvailable(googletest)
endif()
# GoogleTest 1.12 (Debian 12's sources) names its targets without the namespace that its package
# configuration adds.
foreach(_lib gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${_lib})
    add_library(GTest::${_lib} ALIAS ${_lib})
  endif()
endforeach()
