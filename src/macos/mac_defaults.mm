#include "macos/mac_defaults.hpp"

#import <Foundation/Foundation.h>

#include "macos/ns_string.hpp"

// Each call has its own pool: the log reads the defaults from threads that have none.

namespace plumora {

void MacDefaults::registerDefaults(std::span<const std::pair<std::string_view, bool>> values) {
  @autoreleasepool {
    NSMutableDictionary<NSString*, id>* registered = [NSMutableDictionary dictionary];
    for (const auto& [key, value] : values) registered[toNSString(key)] = @(value);
    [[NSUserDefaults standardUserDefaults] registerDefaults:registered];
  }
}

bool MacDefaults::boolForKey(std::string_view key) {
  @autoreleasepool {
    return [[NSUserDefaults standardUserDefaults] boolForKey:toNSString(key)];
  }
}

void MacDefaults::setBool(std::string_view key, bool value) {
  @autoreleasepool {
    [[NSUserDefaults standardUserDefaults] setBool:value forKey:toNSString(key)];
  }
}

}  // namespace plumora
