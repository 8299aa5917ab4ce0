#pragma once

// The file a recording goes to. Lines come from any thread (the event tap's among them) and are
// handed to a serial queue of their own, which alone touches the file: the thread that makes a
// line never writes to the disk nor waits for the one that does (it appends the line to those
// waiting, under a lock held for that append only). The file is capped: the line
// that takes it past the cap is the last one written before the owner is told, once per file.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/dispatch.hpp"
#include "recording/recorder.hpp"

namespace plumora {

class RecordingFile final : public RecordingSink {
 public:
  static constexpr std::string_view kQueueLabel = "Plumora.Recording";

  // `full` is called on the thread of the line that passed `capBytes`, at most once per file.
  RecordingFile(Dispatch& dispatch, std::uintmax_t capBytes, std::function<void()> full);
  RecordingFile(const RecordingFile&) = delete;
  RecordingFile& operator=(const RecordingFile&) = delete;

  // Main thread, while no line is on its way: makes the folder and an empty file, to which the
  // next lines go. False when either cannot be made.
  bool open(const std::filesystem::path& path);
  // Closes the file once every line handed before is written; then runs `closed` on the queue.
  void close(std::function<void()> closed = {});

  void write(std::string_view line) override;

  // The bytes handed for the file open now (or last), written or on their way.
  std::uintmax_t bytes() const { return bytes_.load(std::memory_order_relaxed); }

 private:
  struct Writer;

  const std::uintmax_t capBytes_;
  const std::function<void()> full_;
  std::unique_ptr<SerialQueue> queue_;
  // Shared with the tasks on the queue, which may outlive this object at the process's end.
  const std::shared_ptr<Writer> writer_;
  std::atomic<std::uintmax_t> bytes_{0};
  std::atomic<bool> passedCap_{false};
};

}  // namespace plumora
