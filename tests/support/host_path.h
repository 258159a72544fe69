// The build hands the Windows tests paths of the host (Unix paths); a
// program under Wine opens them on drive Z:, which Wine maps to the host's
// root.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>

namespace sondalink::testing {

// "/a/b c" -> L"Z:\a\b c" (UTF-8 in, UTF-16 out); a path that is not
// rooted keeps its drive.
inline std::wstring FromHost(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return std::filesystem::path(std::u8string(path.begin(), path.end())).wstring();
}

}  // namespace sondalink::testing
