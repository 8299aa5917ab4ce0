#pragma once

// Conversions between CoreFoundation objects and the raw values that cross the accessibility and
// window-server ports. Pure conversion: no rule about what a value means lives here.

#include <CoreFoundation/CoreFoundation.h>

#include <string>
#include <string_view>

#include "macos/cf_ref.hpp"
#include "platform/raw_value.hpp"

namespace plumora {

// UTF-8 in, null when the bytes are not valid UTF-8.
CFRef<CFStringRef> makeCFString(std::string_view text);
// UTF-8 out; characters that cannot be encoded become '?'.
std::string stringFromCF(CFStringRef text);

// A copy of any object, recursing into arrays and dictionaries. A null pointer and the null
// object (kCFNull) give RawValue::None.
RawValue rawValueFromCF(CFTypeRef value);
// The object to write for a value: booleans, numbers, texts, the three geometry boxes and
// elements. Null for every other kind.
CFRef<CFTypeRef> cfFromRawValue(const RawValue& value);

}  // namespace plumora
