#include "macos/cf_value.hpp"

#include <ApplicationServices/ApplicationServices.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace plumora {
namespace {

using Ref = CFRef<CFTypeRef>;

Ref number(std::int64_t i) {
  return Ref::adopt(CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt64Type, &i));
}
Ref number(double d) {
  return Ref::adopt(CFNumberCreate(kCFAllocatorDefault, kCFNumberDoubleType, &d));
}
Ref text(std::string_view s) {
  return Ref::adopt(makeCFString(s).release());
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

TEST(CFValue, NumbersKeepWhetherTheyAreIntegral) {
  const RawValue whole = rawValueFromCF(number(std::int64_t{-42}).get());
  ASSERT_NE(whole.asNumber(), nullptr);
  EXPECT_EQ(whole.asNumber()->integer, -42);

  const RawValue half = rawValueFromCF(number(2.5).get());
  ASSERT_NE(half.asNumber(), nullptr);
  EXPECT_EQ(half.asNumber()->value, 2.5);
  EXPECT_EQ(half.asNumber()->integer, std::nullopt);

  // A floating number with an integral value counts as integral, as the core's numbers do.
  EXPECT_EQ(rawValueFromCF(number(1440.0).get()).asNumber()->integer, 1440);
  EXPECT_EQ(rawValueFromCF(number(1e30).get()).asNumber()->integer, std::nullopt);
  const std::int64_t big = std::int64_t{1} << 53;
  EXPECT_EQ(rawValueFromCF(number(big + 1).get()).asNumber()->integer, big + 1);
}

TEST(CFValue, BooleansAreBooleansNotNumbers) {
  const RawValue yes = rawValueFromCF(kCFBooleanTrue);
  ASSERT_NE(yes.asBool(), nullptr);
  EXPECT_TRUE(*yes.asBool());
  const RawValue no = rawValueFromCF(kCFBooleanFalse);
  ASSERT_NE(no.asBool(), nullptr);
  EXPECT_FALSE(*no.asBool());
  EXPECT_EQ(no.asNumber(), nullptr);
}

TEST(CFValue, TextsRoundTripAsUtf8) {
  const std::string_view samples[] = {"",        "Riempi",         "Finestra già più ampia",
                                      "Ärger ß", "🟢 Fill 🪟", "日本語のウインドウ"};
  for (const std::string_view sample : samples) {
    const auto string = makeCFString(sample);
    ASSERT_TRUE(string) << sample;
    EXPECT_EQ(stringFromCF(string.get()), sample);
    const RawValue value = rawValueFromCF(string.get());
    ASSERT_NE(value.asString(), nullptr);
    EXPECT_EQ(*value.asString(), sample);
  }
  // "🟢" is one character of two UTF-16 units: the length the system counts is not the bytes'.
  EXPECT_EQ(CFStringGetLength(makeCFString("🟢").get()), 2);
  EXPECT_FALSE(makeCFString("\xff\xfe broken"));
  EXPECT_EQ(stringFromCF(nullptr), "");
}

TEST(CFValue, GeometryBoxesAndTheErrorBox) {
  const RawValue point = rawValueFromCF(box(kAXValueTypeCGPoint, CGPoint{-1280.5, 25}).get());
  ASSERT_NE(point.asPoint(), nullptr);
  EXPECT_EQ(point.asPoint()->x, -1280.5);
  EXPECT_EQ(point.asPoint()->y, 25);

  const RawValue size = rawValueFromCF(box(kAXValueTypeCGSize, CGSize{800, 600.25}).get());
  ASSERT_NE(size.asSize(), nullptr);
  EXPECT_EQ(size.asSize()->width, 800);
  EXPECT_EQ(size.asSize()->height, 600.25);

  const RawValue rect = rawValueFromCF(box(kAXValueTypeCGRect, CGRect{{10, 20}, {300, 400}}).get());
  ASSERT_NE(rect.asRect(), nullptr);
  EXPECT_EQ(rect.asRect()->origin.y, 20);
  EXPECT_EQ(rect.asRect()->size.width, 300);

  const ::AXError unsupported = kAXErrorAttributeUnsupported;
  const RawValue error = rawValueFromCF(box(kAXValueTypeAXError, unsupported).get());
  ASSERT_NE(error.asError(), nullptr);
  EXPECT_EQ(error.asError()->code, ax::kAttributeUnsupported);

  const CFRange range{1, 2};
  EXPECT_EQ(rawValueFromCF(box(kAXValueTypeCFRange, range).get()).kind(), RawValue::Kind::Other);
}

// A multi-attribute reply: a value, an attribute that failed, an attribute without a value.
TEST(CFValue, AReplyArrayKeepsEveryKindInItsSlot) {
  const ::AXError noValue = kAXErrorNoValue;
  const Ref error = box(kAXValueTypeAXError, noValue);
  const Ref title = text("Documento");
  const Ref size = box(kAXValueTypeCGSize, CGSize{640, 480});
  const RawValue reply =
      rawValueFromCF(array({title.get(), error.get(), kCFNull, size.get(), kCFBooleanTrue}).get());
  const auto* slots = reply.asArray();
  ASSERT_NE(slots, nullptr);
  ASSERT_EQ(slots->size(), 5u);
  EXPECT_EQ(*(*slots)[0].asString(), "Documento");
  EXPECT_EQ((*slots)[1].asError()->code, ax::kNoValue);
  EXPECT_TRUE((*slots)[2].isNone());
  EXPECT_EQ((*slots)[3].asSize()->width, 640);
  EXPECT_TRUE(*(*slots)[4].asBool());
  EXPECT_TRUE(rawValueFromCF(kCFNull).isNone());
}

TEST(CFValue, DictionariesNeedTextKeys) {
  const Ref width = number(std::int64_t{1512});
  const void* keys[] = {CFSTR("Width"), CFSTR("Name")};
  const void* values[] = {width.get(), CFSTR("Schermo")};
  const auto dictionary = Ref::adopt(CFDictionaryCreate(kCFAllocatorDefault, keys, values, 2,
                                                        &kCFTypeDictionaryKeyCallBacks,
                                                        &kCFTypeDictionaryValueCallBacks));
  const RawValue value = rawValueFromCF(dictionary.get());
  ASSERT_NE(value.asDictionary(), nullptr);
  EXPECT_EQ(value.find("Width")->asNumber()->integer, 1512);
  EXPECT_EQ(*value.find("Name")->asString(), "Schermo");
  EXPECT_EQ(value.find("Height"), nullptr);

  const void* numberKey[] = {width.get()};
  const auto oddlyKeyed = Ref::adopt(CFDictionaryCreate(kCFAllocatorDefault, numberKey, numberKey,
                                                        1, &kCFTypeDictionaryKeyCallBacks,
                                                        &kCFTypeDictionaryValueCallBacks));
  EXPECT_EQ(rawValueFromCF(oddlyKeyed.get()).kind(), RawValue::Kind::Other);
  const auto date = Ref::adopt(CFDateCreate(kCFAllocatorDefault, 0));
  EXPECT_EQ(rawValueFromCF(date.get()).kind(), RawValue::Kind::Other);
}

TEST(CFValue, WrittenValuesAreTheObjectsTheSystemExpects) {
  const auto yes = cfFromRawValue(RawValue::boolean(true));
  EXPECT_EQ(yes.get(), kCFBooleanTrue);

  const auto whole = cfFromRawValue(RawValue::integer(-7));
  ASSERT_EQ(CFGetTypeID(whole.get()), CFNumberGetTypeID());
  EXPECT_FALSE(CFNumberIsFloatType(static_cast<CFNumberRef>(whole.get())));
  const auto fraction = cfFromRawValue(RawValue::number(0.25));
  EXPECT_TRUE(CFNumberIsFloatType(static_cast<CFNumberRef>(fraction.get())));
  EXPECT_EQ(rawValueFromCF(fraction.get()).asNumber()->value, 0.25);

  const auto title = cfFromRawValue(RawValue::string("Riempi è"));
  EXPECT_EQ(stringFromCF(static_cast<CFStringRef>(title.get())), "Riempi è");

  const auto origin = cfFromRawValue(RawValue::point(Point{0, 38}));
  ASSERT_EQ(CFGetTypeID(origin.get()), AXValueGetTypeID());
  CGPoint p{};
  ASSERT_TRUE(AXValueGetValue(static_cast<AXValueRef>(origin.get()), kAXValueTypeCGPoint, &p));
  EXPECT_EQ(p.y, 38);
  const auto extent = cfFromRawValue(RawValue::size(Size{1512, 944}));
  CGSize s{};
  ASSERT_TRUE(AXValueGetValue(static_cast<AXValueRef>(extent.get()), kAXValueTypeCGSize, &s));
  EXPECT_EQ(s.height, 944);

  EXPECT_FALSE(cfFromRawValue(RawValue()));
  EXPECT_FALSE(cfFromRawValue(RawValue::array({RawValue::integer(1)})));
  EXPECT_FALSE(cfFromRawValue(RawValue::error(ax::kFailure)));
}

}  // namespace
}  // namespace plumora
