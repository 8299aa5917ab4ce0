#pragma once

// The verbose log file: one line per message, a local timestamp in front, rotated by size into
// a single older generation.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/clock.hpp"

namespace plumora {

class LogFile {
 public:
  // A file larger than this is moved aside before the next line is written.
  static constexpr std::uintmax_t kRotateAbove = 2'000'000;

  // The log file of the user whose home folder is given.
  static std::filesystem::path pathIn(const std::filesystem::path& home);

  explicit LogFile(std::filesystem::path file);

  // Creates the folder if needed, rotates an over-large file, then appends the line. Every
  // failure is silent: a line that cannot be written is lost.
  void append(const LocalTime& stamp, std::string_view message) const;

  const std::filesystem::path& path() const { return file_; }
  std::filesystem::path oldPath() const;

 private:
  std::filesystem::path file_;
};

// "yyyy-MM-dd HH:mm:ss.SSS", always with ASCII digits.
std::string formatTimestamp(const LocalTime& t);

}  // namespace plumora
