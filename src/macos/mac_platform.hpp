#pragma once

// Every macOS adapter, owned in one place, and the platform bundle the core is built on.
// Objective-C++ only.

#import <Foundation/Foundation.h>

#include <memory>

#include "platform/platform.hpp"

namespace plumora {

class MacPlatform {
 public:
  // `appDelegate` is the delegate of the status menu and the target of its items.
  explicit MacPlatform(id appDelegate);
  ~MacPlatform();
  MacPlatform(const MacPlatform&) = delete;
  MacPlatform& operator=(const MacPlatform&) = delete;

  Platform& platform() { return platform_; }

 private:
  struct Adapters;
  std::unique_ptr<Adapters> adapters_;
  Platform platform_;
};

}  // namespace plumora
