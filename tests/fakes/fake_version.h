// Version facts per path for the native tests, laid out in the buffer the
// way version.dll lays out a VS_VERSIONINFO block.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "platform/version.h"

namespace sondalink::fake::version {

struct File {
  // The file version's two 32-bit halves; nullopt: a resource without fixed
  // file information.
  std::optional<uint32_t> ms = 0x00060003;
  std::optional<uint32_t> ls = 0x000C0159;
  uint32_t sizeAnswer = 0;  // GetFileVersionInfoSizeA's; 0: the block's size
  bool readFails = false;     // GetFileVersionInfoA returns 0
  bool queryFails = false;    // VerQueryValueA returns 0
  bool readThrows = false;    // the read runs out of memory
};

struct State {
  std::map<std::string, File> files;  // by exact path (ANSI)
  std::string lastPath;
  uint32_t lastReadSize = 0;
};

State& Get();
void Reset();

inline constexpr uint32_t kFakeVersionBlockSize = 92;

}  // namespace sondalink::fake::version
