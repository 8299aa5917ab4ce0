#include "recording/recording_file.hpp"

#include <cstdio>
#include <system_error>
#include <utility>

namespace plumora {

// The open file, touched on the queue only.
struct RecordingFile::Writer {
  std::FILE* file = nullptr;

  void take(std::FILE* next) {
    shut();
    file = next;
  }
  void append(const std::string& line) {
    if (!file) return;
    // Flushed line by line: a program that crashes leaves every line handed before the crash,
    // and a reader sees the missing closing line.
    const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size() &&
                         std::fputc('\n', file) != EOF && std::fflush(file) == 0;
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
  queue_->async([writer = writer_, closed = std::move(closed)] {
    writer->shut();
    if (closed) closed();
  });
}

void RecordingFile::write(std::string line) {
  const std::uintmax_t size = line.size() + 1;
  const std::uintmax_t total = bytes_.fetch_add(size, std::memory_order_relaxed) + size;
  queue_->async([writer = writer_, line = std::move(line)] { writer->append(line); });
  if (total > capBytes_ && !passedCap_.exchange(true, std::memory_order_relaxed) && full_) full_();
}

}  // namespace plumora
