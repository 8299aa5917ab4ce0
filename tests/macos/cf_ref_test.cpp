#include "macos/cf_ref.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace plumora {
namespace {

// A mutable array is a real heap object whose retain count the system reports as it is.
CFMutableArrayRef freshArray() {
  return CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFTypeArrayCallBacks);
}

CFIndex count(CFTypeRef object) {
  return CFGetRetainCount(object);
}

TEST(CFRef, AdoptTakesOverAndRetainAddsAReference) {
  CFMutableArrayRef raw = freshArray();
  CFRetain(raw);  // the test's own reference, so the object outlives every CFRef below
  ASSERT_EQ(count(raw), 2);
  {
    const auto adopted = CFRef<CFMutableArrayRef>::adopt(raw);
    EXPECT_EQ(count(raw), 2);
    {
      const auto kept = CFRef<CFMutableArrayRef>::retain(raw);
      EXPECT_EQ(count(raw), 3);
    }
    EXPECT_EQ(count(raw), 2);
  }
  EXPECT_EQ(count(raw), 1);
  CFRelease(raw);
}

TEST(CFRef, CopiesRetainMovesDoNot) {
  CFMutableArrayRef raw = freshArray();
  CFRetain(raw);
  {
    auto first = CFRef<CFMutableArrayRef>::adopt(raw);
    auto copy = first;
    EXPECT_EQ(count(raw), 3);
    auto moved = std::move(first);
    EXPECT_EQ(count(raw), 3);
    EXPECT_FALSE(first);
    EXPECT_EQ(moved.get(), raw);
    CFRef<CFMutableArrayRef> assigned;
    assigned = copy;
    EXPECT_EQ(count(raw), 4);
    assigned = std::move(moved);
    EXPECT_EQ(count(raw), 3);
  }
  EXPECT_EQ(count(raw), 1);
  CFRelease(raw);
}

TEST(CFRef, ReleaseGivesUpAndOutDropsTheOldReference) {
  CFMutableArrayRef raw = freshArray();
  CFRetain(raw);
  auto ref = CFRef<CFMutableArrayRef>::adopt(raw);
  CFMutableArrayRef handed = ref.release();
  EXPECT_EQ(handed, raw);
  EXPECT_FALSE(ref);
  EXPECT_EQ(count(raw), 2);

  auto target = CFRef<CFMutableArrayRef>::adopt(handed);
  CFMutableArrayRef* slot = target.out();
  EXPECT_EQ(count(raw), 1);
  EXPECT_EQ(*slot, nullptr);
  *slot = freshArray();  // as a Copy function would fill it
  EXPECT_EQ(count(target.get()), 1);
  CFRelease(raw);
}

}  // namespace
}  // namespace plumora
