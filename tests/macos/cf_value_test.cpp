#include "macos/cf_value.hpp"

#include <ApplicationServices/ApplicationServices.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>
#include <type_traits>
#include <vector>

namespace plumora {
namespace {

using Ref = CFRef<CFTypeRef>;

template <class T>
Ref number(T n) {
  const auto type = std::is_integral_v<T> ? kCFNumberSInt64Type : kCFNumberDoubleType;
  return Ref::adopt(CFNumberCreate(kCFAllocatorDefault, type, &n));
}
template <class T>
Ref box(AXValueType type, const T& value) {
  return Ref::adopt(AXValueCreate(type, &value));
}
Ref array(std::initializer_list<CFTypeRef> items) {
  std::vector<const void*> values(items.begin(), items.end());
  return Ref::adopt(CFArrayCreate(kCFAllocatorDefault, values.data(),
                                  static_cast<CFIndex>(values.size()), &kCFTypeArrayCallBacks));
}
Ref dictionary(std::vector<const void*> keys, std::vector<const void*> values) {
  return Ref::adopt(CFDictionaryCreate(
      kCFAllocatorDefault, keys.data(), values.data(), static_cast<CFIndex>(keys.size()),
      &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
}

// A raw value in one line, so that a row can say all of what a conversion gave.
std::string text(const RawValue& v) {
  std::ostringstream out;
  if (const auto* b = v.asBool()) out << "bool " << *b;
  if (const auto* n = v.asNumber()) {
    if (n->integer) out << "int " << *n->integer;
    if (!n->integer) out << n->value;
  }
  if (const auto* s = v.asString()) out << '"' << *s << '"';
  if (const auto* p = v.asPoint()) out << "point " << p->x << ' ' << p->y;
  if (const auto* s = v.asSize()) out << "size " << s->width << ' ' << s->height;
  if (const auto* r = v.asRect()) {
    out << "rect " << r->origin.x << ' ' << r->origin.y << ' ' << r->size.width << ' '
        << r->size.height;
  }
  if (const auto* e = v.asError()) out << "error " << e->code;
  if (const auto* items = v.asArray()) {
    for (const RawValue& item : *items) out << (&item == items->data() ? "[" : ", ") << text(item);
    out << ']';
  }
  if (const auto* entries = v.asDictionary()) {
    std::map<std::string, std::string> sorted;  // the system hands entries in a hash order
    for (const auto& [key, value] : *entries) sorted[key] = text(value);
    for (const auto& [key, value] : sorted) out << '{' << key << ": " << value << '}';
  }
  if (v.isNone()) out << "none";
  if (v.kind() == RawValue::Kind::Other) out << "other";
  return out.str();
}

// What the system's objects become. A floating number with an integral value counts as integral,
// as the core's numbers do; booleans are booleans, not numbers.
TEST(CFValue, SystemObjectsBecomeRawValuesOfTheirKind) {
  const std::int64_t big = (std::int64_t{1} << 53) + 1;
  const CFRange range{1, 2};
  const ::AXError noValue = kAXErrorNoValue, unsupported = kAXErrorAttributeUnsupported;
  const Ref title = Ref::adopt(makeCFString("Documento").release());
  const Ref size = box(kAXValueTypeCGSize, CGSize{640, 480});
  const Ref width = number(std::int64_t{1512});
  const struct {
    Ref object;
    std::string_view read;
  } rows[] = {
      {number(std::int64_t{-42}), "int -42"},
      {number(2.5), "2.5"},
      {number(1440.0), "int 1440"},
      {number(1e30), "1e+30"},
      {number(big), "int 9007199254740993"},
      {Ref::retain(kCFBooleanTrue), "bool 1"},
      {Ref::retain(kCFBooleanFalse), "bool 0"},
      {Ref::retain(kCFNull), "none"},
      {Ref(), "none"},
      {box(kAXValueTypeCGPoint, CGPoint{-1280.5, 25}), "point -1280.5 25"},
      {box(kAXValueTypeCGSize, CGSize{800, 600.25}), "size 800 600.25"},
      {box(kAXValueTypeCGRect, CGRect{{10, 20}, {300, 400}}), "rect 10 20 300 400"},
      {box(kAXValueTypeAXError, unsupported), "error -25205"},
      {box(kAXValueTypeCFRange, range), "other"},
      {Ref::adopt(CFDateCreate(kCFAllocatorDefault, 0)), "other"},
      // A multi-attribute reply: a value, an attribute that failed, one without a value.
      {array({title.get(), box(kAXValueTypeAXError, noValue).get(), kCFNull, size.get(),
              kCFBooleanTrue}),
       "[\"Documento\", error -25212, none, size 640 480, bool 1]"},
      {dictionary({CFSTR("Width"), CFSTR("Name")}, {width.get(), CFSTR("Schermo")}),
       "{Name: \"Schermo\"}{Width: int 1512}"},
      {dictionary({width.get()}, {width.get()}), "other"},  // keys must be texts
  };
  for (const auto& row : rows) EXPECT_EQ(text(rawValueFromCF(row.object.get())), row.read);
}

TEST(CFValue, TextsRoundTripAsUtf8) {
  for (const std::string_view sample : {"", "Riempi", "Finestra già più ampia", "Ärger ß",
                                        "🟢 Fill 🪟", "日本語のウインドウ"}) {
    const auto string = makeCFString(sample);
    ASSERT_TRUE(string) << sample;
    EXPECT_EQ(stringFromCF(string.get()), sample);
    EXPECT_EQ(text(rawValueFromCF(string.get())), '"' + std::string(sample) + '"');
  }
  // "🟢" is one character of two UTF-16 units: the length the system counts is not the bytes'.
  EXPECT_EQ(CFStringGetLength(makeCFString("🟢").get()), 2);
  EXPECT_FALSE(makeCFString("\xff\xfe broken"));
  EXPECT_EQ(stringFromCF(nullptr), "");
}

// Each written object is of the type the system expects, and reads back as what was written.
TEST(CFValue, WrittenValuesAreTheObjectsTheSystemExpects) {
  EXPECT_EQ(cfFromRawValue(RawValue::boolean(true)).get(), kCFBooleanTrue);
  const struct {
    RawValue value;
    CFTypeID type;
    std::string_view read;
  } rows[] = {
      {RawValue::integer(-7), CFNumberGetTypeID(), "int -7"},
      {RawValue::number(0.25), CFNumberGetTypeID(), "0.25"},
      {RawValue::string("Riempi è"), CFStringGetTypeID(), "\"Riempi è\""},
      {RawValue::point(Point{0, 38}), AXValueGetTypeID(), "point 0 38"},
      {RawValue::size(Size{1512, 944}), AXValueGetTypeID(), "size 1512 944"},
  };
  for (const auto& row : rows) {
    const auto object = cfFromRawValue(row.value);
    ASSERT_TRUE(object) << row.read;
    EXPECT_EQ(CFGetTypeID(object.get()), row.type) << row.read;
    EXPECT_EQ(text(rawValueFromCF(object.get())), row.read);
    // An integer written as a floating number would read back the same: the type tells.
    if (const auto* n = row.value.asNumber()) {
      EXPECT_EQ(CFNumberIsFloatType(static_cast<CFNumberRef>(object.get())), !n->integer);
    }
  }
  for (const RawValue& unwritable :
       {RawValue(), RawValue::array({RawValue::integer(1)}), RawValue::error(ax::kFailure)}) {
    EXPECT_FALSE(cfFromRawValue(unwritable)) << text(unwritable);
  }
}

}  // namespace
}  // namespace plumora
