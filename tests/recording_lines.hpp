#pragma once

// A recording as lines, to edit by hand in a test and put back together as a recorder that had
// seen the edited conversation would have written it.

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace plumora::simtool {

using Lines = std::vector<std::string>;

inline Lines linesOf(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The lines back into a file, events numbered again in their order and counted.
inline std::string renumbered(const Lines& lines) {
  static const std::regex number(R"("n":[0-9]+\})");
  std::string text;
  std::size_t n = 0;
  for (const std::string& line : lines) {
    if (line.rfind("{\"end\":", 0) == 0) {
      text += "{\"end\":" + std::to_string(n) + "}\n";
    } else if (line.rfind("{\"ev\":", 0) == 0) {
      text += std::regex_replace(line, number, "\"n\":" + std::to_string(++n) + "}") + '\n';
    } else {
      text += line + '\n';
    }
  }
  return text;
}

// The first line from `from` on that holds `part`.
inline std::size_t indexOf(const Lines& lines, const std::string& part, std::size_t from = 0) {
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (lines[i].find(part) != std::string::npos) return i;
  }
  ADD_FAILURE() << "no line with " << part;
  return lines.size();
}

}  // namespace plumora::simtool
