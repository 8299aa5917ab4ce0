#pragma once

// The desktop of a replayed run, as far as the recording shows it, for the page: the screens of
// the header, the windows the window list named, their frames as the program read and wrote
// them, their green buttons as the hit test found them, and the pointer at each click.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "page/scene.hpp"
#include "replay/recording_file.hpp"

namespace plumora::simtool {

class ReplayScene {
 public:
  explicit ReplayScene(const Recording& recording);

  // Every event the replay answered or delivered, in order.
  void seen(const RecordedEvent& event);
  // A click reached the tap and was swallowed or passed.
  void clicked(Point at, bool press, bool swallowed);
  // The scene now; a frame change since the last one is outlined.
  Scene take();

 private:
  struct Window {
    std::int32_t pid = 0;
    Rect frame;
    // The green button, from the window's top-left corner: it moves with the window.
    std::optional<Rect> green;
  };
  Window* windowOf(const std::string& element);
  void frameRead(const std::string& element, const JsonValue* position, const JsonValue* size);

  std::vector<DrawnScreen> screens_;
  std::map<std::uint32_t, Window> windows_;  // by window number
  std::vector<std::uint32_t> order_;         // back to front
  std::map<std::string, std::uint32_t> elementWindows_;
  // Within one click: the window the list hit, and the element the hit test said it was.
  std::optional<std::uint32_t> hitWindow_;
  std::optional<DrawnPointer> pointer_;
  std::optional<std::uint32_t> changed_;
  Rect before_;
};

}  // namespace plumora::simtool
