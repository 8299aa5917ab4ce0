#pragma once

// Text between std::string_view / std::string (UTF-8) and NSString. Objective-C++ only.

#import <Foundation/Foundation.h>

#include <string>
#include <string_view>

namespace plumora {

// Bytes that are not valid UTF-8 give an empty string rather than nil.
inline NSString* toNSString(std::string_view text) {
  NSString* string =
      [[NSString alloc] initWithBytes:text.data() length:text.size() encoding:NSUTF8StringEncoding];
  return string ? string : @"";
}

inline std::string toStdString(NSString* text) {
  if (!text) return {};
  const char* utf8 = text.UTF8String;
  return utf8 ? std::string(utf8) : std::string();
}

}  // namespace plumora
