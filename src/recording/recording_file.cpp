#include "recording/recording_file.hpp"

#include <cstdio>
#include <mutex>
#include <system_error>
#include <utility>

namespace plumora {

// The lines handed and not yet written, and the open file, which the queue alone touches.
struct RecordingFile::Writer {
  std::mutex mutex;     // guards `pending` only, held to append a line or to take them all
  std::string pending;  // whole lines, each with its newline
  std::string batch;    // the queue's: the lines being written, its capacity kept
  std::FILE* file = nullptr;

  // Any thread: true when the queue is to be asked to write, the lines before having been taken.
  bool hand(std::string_view line) {
    std::lock_guard lock(mutex);
    const bool first = pending.empty();
    pending.append(line);
    pending += '\n';
    return first;
  }
  void take(std::FILE* next) {
    shut();
    file = next;
  }
  // Any thread: the lines waiting, taken so that the file they belong to gets them.
  std::string takePending() {
    std::lock_guard lock(mutex);
    return std::exchange(pending, {});
  }
  void drain() {
    {
      std::lock_guard lock(mutex);
      batch.swap(pending);
    }
    write(batch);
    batch.clear();
  }
  void write(const std::string& lines) {
    if (!file || lines.empty()) return;
    // Flushed as soon as the queue comes to them: a program that crashes leaves every line the
    // queue had taken, and a reader sees the missing closing line.
    const bool written =
        std::fwrite(lines.data(), 1, lines.size(), file) == lines.size() && std::fflush(file) == 0;
    // A disk that is full loses the rest of the recording, not a line in its middle.
    if (!written) shut();
  }
  void shut() {
    if (file) std::fclose(file);
    file = nullptr;
  }
  ~Writer() { shut(); }
};

RecordingFile::RecordingFile(Dispatch& dispatch, std::uintmax_t capBytes,
                             std::function<void()> full)
    : capBytes_(capBytes),
      full_(std::move(full)),
      queue_(dispatch.serialQueue(kQueueLabel, QualityOfService::Utility)),
      writer_(std::make_shared<Writer>()) {}

bool RecordingFile::open(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::create_directories(path.parent_path(), error);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bytes_.store(0, std::memory_order_relaxed);
  passedCap_.store(false, std::memory_order_relaxed);
  queue_->async([writer = writer_, file] { writer->take(file); });
  return true;
}

void RecordingFile::close(std::function<void()> closed) {
  // The file's last lines go with its closing: a file opened next gets none of them.
  queue_->async([writer = writer_, rest = writer_->takePending(), closed = std::move(closed)] {
    writer->write(rest);
    writer->shut();
    if (closed) closed();
  });
}

void RecordingFile::write(std::string_view line) {
  const std::uintmax_t size = line.size() + 1;
  const std::uintmax_t total = bytes_.fetch_add(size, std::memory_order_relaxed) + size;
  // One task for the lines handed until the queue comes to them, not one a line: a line costs
  // the tap's thread an append, not an allocation.
  if (writer_->hand(line)) queue_->async([writer = writer_] { writer->drain(); });
  if (total > capBytes_ && !passedCap_.exchange(true, std::memory_order_relaxed) && full_) full_();
}

}  // namespace plumora
