#include "macos/cf_ref.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace plumora {
namespace {

using Array = CFRef<CFMutableArrayRef>;

// A mutable array is a real heap object whose retain count the system reports as it is. The
// fixture holds a reference of its own, so the object outlives every CFRef of a test, and checks
// that the test's CFRefs gave back all theirs.
class CFRefTest : public testing::Test {
 protected:
  static CFMutableArrayRef fresh() {
    return CFArrayCreateMutable(kCFAllocatorDefault, 0, &kCFTypeArrayCallBacks);
  }
  CFIndex count() const { return CFGetRetainCount(raw); }
  void SetUp() override { CFRetain(raw); }
  void TearDown() override {
    EXPECT_EQ(count(), 1);
    CFRelease(raw);
  }

  CFMutableArrayRef raw = fresh();
};

TEST_F(CFRefTest, AdoptTakesOverRetainAndCopiesAddAReferenceMovesDoNot) {
  auto first = Array::adopt(raw);
  EXPECT_EQ(count(), 2);
  {
    const auto kept = Array::retain(raw);
    EXPECT_EQ(count(), 3);
  }
  auto copy = first;
  EXPECT_EQ(count(), 3);
  auto moved = std::move(first);
  EXPECT_EQ(count(), 3);
  EXPECT_FALSE(first);
  EXPECT_EQ(moved.get(), raw);
  Array assigned;
  assigned = copy;
  EXPECT_EQ(count(), 4);
  assigned = std::move(moved);
  EXPECT_EQ(count(), 3);
}

TEST_F(CFRefTest, ReleaseGivesUpAndOutDropsTheOldReference) {
  auto ref = Array::adopt(raw);
  CFMutableArrayRef handed = ref.release();
  EXPECT_EQ(handed, raw);
  EXPECT_FALSE(ref);
  EXPECT_EQ(count(), 2);

  auto target = Array::adopt(handed);
  CFMutableArrayRef* slot = target.out();
  EXPECT_EQ(count(), 1);
  EXPECT_EQ(*slot, nullptr);
  *slot = fresh();  // as a Copy function would fill it
  EXPECT_EQ(CFGetRetainCount(target.get()), 1);
}

}  // namespace
}  // namespace plumora
