# Cross-builds the macOS app on Linux against a macOS SDK sysroot laid out in
# $HOME/.cache/macos-sdk (or $MACOS_SDK_ROOT), with clang-19 and ld64.lld-19:
#   cmake -S . -B build-macos -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/macos-cross.cmake
# Architectures: arm64 by default; -DCMAKE_OSX_ARCHITECTURES="arm64;x86_64" gives a universal
# binary. The result links and is a real Mach-O bundle, but it is not runnable here, and it is
# not signed: only the arm64 slice carries the linker's ad-hoc signature (identifier
# `main-arm64.out`, no Info.plist bound), the x86_64 slice none, and the bundle has no
# _CodeSignature. Sign it on a Mac with scripts/sign-app before running it there.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_VERSION 23)
if(NOT CMAKE_SYSTEM_PROCESSOR)
  set(CMAKE_SYSTEM_PROCESSOR arm64)
endif()

if(DEFINED ENV{MACOS_SDK_ROOT})
  set(_sdk "$ENV{MACOS_SDK_ROOT}/MacOSX.sdk")
else()
  set(_sdk "$ENV{HOME}/.cache/macos-sdk/MacOSX.sdk")
endif()
if(NOT EXISTS "${_sdk}/usr/include")
  message(FATAL_ERROR "No macOS sysroot at ${_sdk}")
endif()

set(CMAKE_OSX_SYSROOT "${_sdk}" CACHE PATH "" FORCE)
if(NOT CMAKE_OSX_DEPLOYMENT_TARGET)
  set(CMAKE_OSX_DEPLOYMENT_TARGET 14.0 CACHE STRING "")
endif()
if(NOT CMAKE_OSX_ARCHITECTURES)
  set(CMAKE_OSX_ARCHITECTURES arm64 CACHE STRING "")
endif()

find_program(_clang clang-19 REQUIRED)
find_program(_clangxx clang++-19 REQUIRED)
set(CMAKE_C_COMPILER "${_clang}")
set(CMAKE_CXX_COMPILER "${_clangxx}")
set(CMAKE_OBJC_COMPILER "${_clang}")
set(CMAKE_OBJCXX_COMPILER "${_clangxx}")
find_program(CMAKE_AR llvm-ar-19 REQUIRED)
find_program(CMAKE_RANLIB llvm-ranlib-19 REQUIRED)
find_program(CMAKE_LIPO llvm-lipo-19 REQUIRED)
find_program(CMAKE_INSTALL_NAME_TOOL llvm-install-name-tool-19)
# Universal objects are fat files: archive them the Apple way, not with ar.
find_program(_libtool llvm-libtool-darwin-19 REQUIRED)
foreach(lang C CXX OBJC OBJCXX)
  set(CMAKE_${lang}_CREATE_STATIC_LIBRARY "${_libtool} -static -o <TARGET> <LINK_FLAGS> <OBJECTS>")
endforeach()
# -B: the `lipo` that setup put beside the sysroot, for universal builds.
foreach(lang C CXX OBJC OBJCXX)
  set(CMAKE_${lang}_FLAGS_INIT "-B${_sdk}/../bin")
endforeach()
# A Darwin triple puts clang's driver in Apple mode (-arch, -isysroot, -mmacosx-version-min).
foreach(lang C CXX OBJC OBJCXX)
  set(CMAKE_${lang}_COMPILER_TARGET arm64-apple-darwin)
endforeach()
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-fuse-ld=lld")

set(CMAKE_FIND_ROOT_PATH "${_sdk}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_FIND_FRAMEWORK FIRST)
