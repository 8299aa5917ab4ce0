#pragma once

// Synthetic key events, recorded in the order they were posted; each creation step can be made
// to fail. Posted events go on to the desktop, which answers the tiling shortcuts.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/keyboard.hpp"
#include "sim/virtual_clock.hpp"

namespace plumora::sim {

struct PostedKey {
  std::uint16_t keyCode;
  bool down;
  std::uint64_t flags;
  EventTapLocation location;
  bool hadSource;
  double time;
  friend bool operator==(const PostedKey& a, const PostedKey& b) {
    return a.keyCode == b.keyCode && a.down == b.down && a.flags == b.flags &&
           a.location == b.location;
  }
};

class SimKeyboard : public Keyboard {
 public:
  explicit SimKeyboard(VirtualClock& clock) : clock_(clock) {}

  std::unique_ptr<EventSource> createSource(EventSourceState state) override;
  std::unique_ptr<KeyEvent> createKeyEvent(EventSource* source, std::uint16_t keyCode,
                                           bool keyDown) override;
  void post(EventTapLocation location, KeyEvent& event) override;

  const std::vector<PostedKey>& posted() const { return posted_; }
  void clear() { posted_.clear(); }
  // Called for every posted event (the desktop listens).
  void onPost(std::function<void(const PostedKey&)> listener) { listener_ = std::move(listener); }

  bool failSource = false;
  bool failKeyDown = false;
  bool failKeyUp = false;
  // The state the last source was made with.
  std::optional<EventSourceState> lastSourceState;

 private:
  VirtualClock& clock_;
  std::vector<PostedKey> posted_;
  std::function<void(const PostedKey&)> listener_;
};

}  // namespace plumora::sim
