// The event tap's callback sees every drag and release of every application: those that belong
// to no recognised press must cost no allocation. This binary counts every allocation.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "interception/interceptor.hpp"
#include "sim_fixture.hpp"

namespace {
std::atomic<long> allocations{0};
}  // namespace

// Every form of operator new and delete, so that all of them go through malloc and free.
namespace {
void* counted(std::size_t size) {
  ++allocations;
  return std::malloc(size == 0 ? 1 : size);
}
void* countedOrThrow(std::size_t size) {
  if (void* p = counted(size)) return p;
  throw std::bad_alloc();
}
void* countedAligned(std::size_t size, std::align_val_t align) {
  ++allocations;
  const auto a = static_cast<std::size_t>(align);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new(std::size_t size) {
  return countedOrThrow(size);
}
void* operator new[](std::size_t size) {
  return countedOrThrow(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return counted(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return counted(size);
}
void* operator new(std::size_t size, std::align_val_t a) {
  return countedAligned(size, a);
}
void* operator new[](std::size_t size, std::align_val_t a) {
  return countedAligned(size, a);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}

namespace plumora {
namespace {

class AllocationTest : public test::SimFixture {
 protected:
  Interceptor interceptor{context, [](const GreenClick&) {}};
};

TEST_F(AllocationTest, DragsAndReleasesWithoutARecognisedPressAllocateNothing) {
  ASSERT_TRUE(interceptor.start());
  auto tap = mac.eventTaps.live();
  const sim::SimTapEvent drag({600, 500}, 0), release({600, 500}, 0), moved({1, 1}, 0);
  const long before = allocations.load();
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseDragged, drag), TapVerdict::Pass);
    EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseUp, release), TapVerdict::Pass);
    EXPECT_EQ(interceptor.handle(*tap, EventType::MouseMoved, moved), TapVerdict::Pass);
  }
  EXPECT_EQ(allocations.load() - before, 0);
}

TEST_F(AllocationTest, APressWithAModifierAllocatesNothing) {
  ASSERT_TRUE(interceptor.start());
  auto tap = mac.eventTaps.live();
  const sim::SimTapEvent press(mac.desktop.center(*window, window->zoom), 0x80000);
  const long before = allocations.load();
  EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseDown, press), TapVerdict::Pass);
  EXPECT_EQ(allocations.load() - before, 0);
}

TEST_F(AllocationTest, TheCountSeesARecognisedPress) {
  ASSERT_TRUE(interceptor.start());
  auto tap = mac.eventTaps.live();
  const sim::SimTapEvent press(mac.desktop.center(*window, window->zoom), 0);
  const long before = allocations.load();
  EXPECT_EQ(interceptor.handle(*tap, EventType::LeftMouseDown, press), TapVerdict::Swallow);
  EXPECT_GT(allocations.load() - before, 0);
}

}  // namespace
}  // namespace plumora
