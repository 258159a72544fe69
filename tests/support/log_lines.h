// A log file read back by the tests: its lines, and the messages after its
// header as "LEVEL: message" in UTF-8.
#pragma once

#include <string>
#include <vector>

#include "platform/text.h"

namespace sondalink::testing {

// A line's time stamp as the log writes it; each reader anchors it where it looks.
inline constexpr char kStampPattern[] = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)";

// The lines that end in CR LF; an unfinished last line is left out.
inline std::vector<std::string> LinesOf(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(bytes.substr(start, end - start));
  }
  return lines;
}

// A text split at CR LF; the last element is what follows the last one
// (empty for a whole file).
inline std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines = LinesOf(text);
  size_t end = text.rfind("\r\n");
  lines.push_back(text.substr(end == std::string::npos ? 0 : end + 2));
  return lines;
}

// The lines after the six of the header, each without its stamp and back
// from the ANSI code page; none when there is no whole header.
inline std::vector<std::string> MessagesOf(const std::string& bytes) {
  std::vector<std::string> lines = LinesOf(bytes);
  if (lines.size() < 6) return {};
  lines.erase(lines.begin(), lines.begin() + 6);
  for (std::string& line : lines) {
    size_t level = line.find(", ");
    line = platform::FromAnsi(line.substr(level == std::string::npos ? 0 : level + 2));
  }
  return lines;
}

}  // namespace sondalink::testing
