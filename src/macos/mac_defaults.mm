#include "macos/mac_defaults.hpp"

#import <Foundation/Foundation.h>

#include "macos/cf_value.hpp"
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

RawValue MacDefaults::valueForKey(std::string_view key) {
  @autoreleasepool {
    // Copied before the pool goes; whatever its type, the core judges it.
    return rawValueFromCF(
        (__bridge CFTypeRef)[[NSUserDefaults standardUserDefaults] objectForKey:toNSString(key)]);
  }
}

void MacDefaults::setStrings(std::string_view key, std::span<const std::string> values) {
  @autoreleasepool {
    NSMutableArray<NSString*>* list = [NSMutableArray arrayWithCapacity:values.size()];
    for (const std::string& value : values) [list addObject:toNSString(value)];
    [[NSUserDefaults standardUserDefaults] setObject:list forKey:toNSString(key)];
  }
}

}  // namespace plumora
