#pragma once

// Ownership of CoreFoundation references. Every platform handle the adapters keep lives in one of
// these, so a reference is released exactly once whatever path the code takes.

#include <CoreFoundation/CoreFoundation.h>

#include <utility>

namespace plumora {

template <class T>
class CFRef {
 public:
  CFRef() = default;
  CFRef(std::nullptr_t) {}

  // Takes over a reference the caller owns (the Create and Copy rule).
  static CFRef adopt(T ref) {
    CFRef r;
    r.ref_ = ref;
    return r;
  }
  // Keeps a reference the caller does not own (the Get rule).
  static CFRef retain(T ref) {
    if (ref) CFRetain(ref);
    return adopt(ref);
  }

  CFRef(const CFRef& other) : ref_(other.ref_) {
    if (ref_) CFRetain(ref_);
  }
  CFRef(CFRef&& other) noexcept : ref_(std::exchange(other.ref_, nullptr)) {}
  CFRef& operator=(CFRef other) noexcept {
    std::swap(ref_, other.ref_);
    return *this;
  }
  ~CFRef() { reset(); }

  T get() const { return ref_; }
  explicit operator bool() const { return ref_ != nullptr; }

  // Gives up ownership without releasing.
  T release() { return std::exchange(ref_, nullptr); }
  void reset() {
    if (T old = std::exchange(ref_, nullptr)) CFRelease(old);
  }
  // For the Copy functions' out parameters: releases the current reference first.
  T* out() {
    reset();
    return &ref_;
  }

 private:
  T ref_ = nullptr;
};

}  // namespace plumora
