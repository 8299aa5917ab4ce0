#include "support/log_file.hpp"

#include <cstdio>
#include <system_error>

namespace plumora {

namespace fs = std::filesystem;

fs::path LogFile::pathIn(const fs::path& home) {
  return home / "Library" / "Logs" / "Plumora" / "Plumora.log";
}

LogFile::LogFile(fs::path file) : file_(std::move(file)) {}

fs::path LogFile::oldPath() const {
  return file_.parent_path() / "Plumora.old.log";
}

std::string formatTimestamp(const LocalTime& t) {
  char buffer[64];
  int n = std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year,
                        t.month, t.day, t.hour, t.minute, t.second, t.millisecond);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

void LogFile::append(const LocalTime& stamp, std::string_view message) const {
  std::string line = formatTimestamp(stamp);
  line += ' ';
  line += message;
  line += '\n';

  std::error_code ignored;
  // Every line: the folder may have been removed while the program runs.
  fs::create_directories(file_.parent_path(), ignored);

  std::error_code sizeError;
  const auto size = fs::file_size(file_, sizeError);
  if (!sizeError && size > kRotateAbove) {
    fs::remove(oldPath(), ignored);
    fs::rename(file_, oldPath(), ignored);
  }

  // Append mode creates a missing file and never truncates an existing one, so a file that
  // cannot be opened loses this line and nothing else.
  if (std::FILE* f = std::fopen(file_.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), f);
    std::fclose(f);
  }
}

}  // namespace plumora
