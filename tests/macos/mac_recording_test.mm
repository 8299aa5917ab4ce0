// A short session of the real ports, recorded: the wrappers around the Mac's own adapters, and
// the recording's file written on a real serial queue.
#include <AppKit/AppKit.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>

#include "macos/mac_platform.hpp"
#include "macos/mac_recording_host.hpp"
#include "recording/recording_file.hpp"
#include "recording/recording_platform.hpp"

namespace plumora {
namespace {

bool has(const std::string& line, const std::string& part) {
  return line.find(part) != std::string::npos;
}

// Lines kept in memory, from any thread.
class Lines final : public RecordingSink {
 public:
  void write(std::string_view line) override {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(line);
  }
  std::vector<std::string> taken() {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

std::string eventOf(const std::string& line) {
  const auto at = line.find("\"ev\":\"");
  if (at == std::string::npos) return line.rfind("{\"end\":", 0) == 0 ? "end" : "header";
  return line.substr(at + 6, line.find('"', at + 6) - at - 6);
}

TEST(MacRecording, ASessionOfTheRealPortsIsWrittenDownInOrder) {
  MacPlatform mac(nil);
  Lines lines;
  Recorder recorder(mac.platform().clock, lines);
  RecordingPlatform recording(mac.platform(), recorder);
  MacRecordingHost host;
  RecordingHeader header = recording.header("test");
  header.tiledWindowMargins = host.tiledWindowMargins();
  recorder.begin(header);

  Platform& ports = recording.platform();
  const ElementRef systemWide = ports.accessibility.systemWide();
  RawValue focused;
  const AXError error = systemWide->copyAttribute("AXFocusedApplication", focused);
  const auto screens = ports.system.screens();
  const std::string version = ports.system.operatingSystemVersion();
  ports.clock.sleep(0.01);
  recorder.finish();

  const auto taken = lines.taken();
  std::vector<std::string> events;
  for (const auto& line : taken) events.push_back(eventOf(line));
  const std::vector<std::string> expected{
      "header", "ax.systemWide", "ax.copy", "sys.screens", "sys.osVersion", "clock.sleep", "end"};
  EXPECT_EQ(events, expected);
  ASSERT_EQ(taken.size(), expected.size());
  EXPECT_EQ(taken.back(), "{\"end\":5}");
  EXPECT_TRUE(has(taken[0], "\"system\":\"" + version + "\"")) << taken[0];
  EXPECT_EQ(screens.size(), [NSScreen screens].count);
  EXPECT_FALSE(screens.empty());
  // The system-wide element has a name of its own, and the read says the code it got (an
  // untrusted test process gets an error, which is written down as well).
  EXPECT_TRUE(has(taken[2], "\"el\":\"system\"")) << taken[2];
  EXPECT_TRUE(has(taken[2], "\"rc\":" + std::to_string(error))) << taken[2];
  for (std::size_t i = 1; i + 1 < taken.size(); ++i) {
    EXPECT_TRUE(has(taken[i], "\"th\":\"main\"")) << taken[i];
  }
  // The sleep's line spans the sleep.
  const auto t0 = std::strtod(taken[5].c_str() + taken[5].find("\"t0\":") + 5, nullptr);
  const auto t1 = std::strtod(taken[5].c_str() + taken[5].find("\"t1\":") + 5, nullptr);
  EXPECT_GE(t1 - t0, 0.009);
}

TEST(MacRecording, TheFileIsWrittenOnItsQueueAndClosedInOrder) {
  MacPlatform mac(nil);
  char folder[] = "/tmp/plumora-mac-recording-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::filesystem::path path = std::filesystem::path(folder) / "r" / "r.jsonl";
  auto closed = std::make_shared<std::atomic<bool>>(false);
  {
    RecordingFile file(mac.platform().dispatch, 1 << 20, {});
    ASSERT_TRUE(file.open(path));
    for (int i = 0; i < 1000; ++i) file.write("{\"n\":" + std::to_string(i) + "}");
    file.close([closed] { closed->store(true); });
    NSDate* deadline = [NSDate dateWithTimeIntervalSinceNow:5];
    while (!closed->load() && [deadline timeIntervalSinceNow] > 0) usleep(1000);
  }
  ASSERT_TRUE(closed->load());
  std::ifstream in(path);
  int expected = 0;
  for (std::string line; std::getline(in, line); ++expected) {
    ASSERT_EQ(line, "{\"n\":" + std::to_string(expected) + "}");
  }
  EXPECT_EQ(expected, 1000);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace plumora
