#include "macos/cf_value.hpp"

#include <ApplicationServices/ApplicationServices.h>

#include <cstdint>
#include <memory>
#include <utility>

#include "macos/mac_accessibility.hpp"

namespace plumora {

CFRef<CFStringRef> makeCFString(std::string_view text) {
  return CFRef<CFStringRef>::adopt(
      CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
                              static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false));
}

std::string stringFromCF(CFStringRef text) {
  if (!text) return {};
  const CFRange all = CFRangeMake(0, CFStringGetLength(text));
  CFIndex bytes = 0;
  CFStringGetBytes(text, all, kCFStringEncodingUTF8, '?', false, nullptr, 0, &bytes);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  CFStringGetBytes(text, all, kCFStringEncodingUTF8, '?', false,
                   reinterpret_cast<UInt8*>(out.data()), bytes, nullptr);
  return out;
}

namespace {

RawValue numberFromCF(CFNumberRef number) {
  if (CFNumberIsFloatType(number)) {
    double value = 0;
    CFNumberGetValue(number, kCFNumberDoubleType, &value);
    return RawValue::number(value);  // integral only when it is and fits 64 bits
  }
  std::int64_t value = 0;
  CFNumberGetValue(number, kCFNumberSInt64Type, &value);
  return RawValue::integer(value);
}

RawValue boxFromCF(AXValueRef box) {
  switch (AXValueGetType(box)) {
    case kAXValueTypeCGPoint: {
      CGPoint p{};
      if (!AXValueGetValue(box, kAXValueTypeCGPoint, &p)) break;
      return RawValue::point(Point{p.x, p.y});
    }
    case kAXValueTypeCGSize: {
      CGSize s{};
      if (!AXValueGetValue(box, kAXValueTypeCGSize, &s)) break;
      return RawValue::size(Size{s.width, s.height});
    }
    case kAXValueTypeCGRect: {
      CGRect r{};
      if (!AXValueGetValue(box, kAXValueTypeCGRect, &r)) break;
      return RawValue::rect(Rect::make(r.origin.x, r.origin.y, r.size.width, r.size.height));
    }
    case kAXValueTypeAXError: {
      ::AXError code = kAXErrorFailure;
      if (!AXValueGetValue(box, kAXValueTypeAXError, &code)) break;
      return RawValue::error(static_cast<plumora::AXError>(code));
    }
    default:
      break;
  }
  return RawValue::other();
}

RawValue arrayFromCF(CFArrayRef array) {
  const CFIndex count = CFArrayGetCount(array);
  RawValue::Array items;
  items.reserve(static_cast<std::size_t>(count));
  for (CFIndex i = 0; i < count; ++i)
    items.push_back(rawValueFromCF(CFArrayGetValueAtIndex(array, i)));
  return RawValue::array(std::move(items));
}

RawValue dictionaryFromCF(CFDictionaryRef dictionary) {
  const CFIndex count = CFDictionaryGetCount(dictionary);
  std::vector<const void*> keys(static_cast<std::size_t>(count));
  std::vector<const void*> values(static_cast<std::size_t>(count));
  CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
  RawValue::Dictionary entries;
  entries.reserve(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (!keys[i] || CFGetTypeID(keys[i]) != CFStringGetTypeID()) return RawValue::other();
    entries.emplace_back(stringFromCF(static_cast<CFStringRef>(keys[i])),
                         rawValueFromCF(values[i]));
  }
  return RawValue::dictionary(std::move(entries));
}

}  // namespace

RawValue rawValueFromCF(CFTypeRef value) {
  // A multi-attribute reply may hold the null object in the slot of an attribute without a value.
  if (!value || value == kCFNull) return RawValue();
  const CFTypeID type = CFGetTypeID(value);
  if (type == CFStringGetTypeID())
    return RawValue::string(stringFromCF(static_cast<CFStringRef>(value)));
  if (type == CFBooleanGetTypeID()) {
    return RawValue::boolean(CFBooleanGetValue(static_cast<CFBooleanRef>(value)));
  }
  if (type == CFNumberGetTypeID()) return numberFromCF(static_cast<CFNumberRef>(value));
  if (type == AXUIElementGetTypeID()) {
    return RawValue::element(std::make_shared<MacElementHandle>(
        CFRef<AXUIElementRef>::retain(static_cast<AXUIElementRef>(value))));
  }
  if (type == AXValueGetTypeID()) return boxFromCF(static_cast<AXValueRef>(value));
  if (type == CFArrayGetTypeID()) return arrayFromCF(static_cast<CFArrayRef>(value));
  if (type == CFDictionaryGetTypeID()) return dictionaryFromCF(static_cast<CFDictionaryRef>(value));
  return RawValue::other();
}

CFRef<CFTypeRef> cfFromRawValue(const RawValue& value) {
  using Ref = CFRef<CFTypeRef>;
  if (const bool* b = value.asBool()) return Ref::retain(*b ? kCFBooleanTrue : kCFBooleanFalse);
  if (const Number* n = value.asNumber()) {
    if (n->integer) {
      const std::int64_t i = *n->integer;
      return Ref::adopt(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &i));
    }
    const double d = n->value;
    return Ref::adopt(CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &d));
  }
  if (const std::string* s = value.asString()) return Ref::adopt(makeCFString(*s).release());
  if (const Point* p = value.asPoint()) {
    const CGPoint point{p->x, p->y};
    return Ref::adopt(AXValueCreate(kAXValueTypeCGPoint, &point));
  }
  if (const Size* s = value.asSize()) {
    const CGSize size{s->width, s->height};
    return Ref::adopt(AXValueCreate(kAXValueTypeCGSize, &size));
  }
  if (const Rect* r = value.asRect()) {
    const CGRect rect{{r->origin.x, r->origin.y}, {r->size.width, r->size.height}};
    return Ref::adopt(AXValueCreate(kAXValueTypeCGRect, &rect));
  }
  if (const ElementRef* e = value.asElement()) {
    const auto* handle = dynamic_cast<const MacElementHandle*>(e->get());
    if (handle) return Ref::retain(handle->element());
  }
  return nullptr;
}

}  // namespace plumora
