// File system operations of the program: wildcard search, folders, deletion,
// the readability probe and the append-only log file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/error.h"

namespace sondalink::platform::files {

// The name of the first entry matching `pattern` (a folder path followed by
// "*.*"), folders and their "." entry included, hidden and system files not;
// an empty text when nothing matches or the folder does not exist.
std::string FindFirstEntry(const std::string& pattern);

// Creates one folder level.
ErrorRecord CreateFolder(const std::string& path);

ErrorRecord DeleteFile(const std::string& path);

// Opens the path for sequential reading and closes it again: fails for a
// missing file, a folder, an empty path, or a file that cannot be read.
ErrorRecord ProbeOpenForReading(const std::string& path);

// A text file opened for appending, with write access. Others may read it
// while it is open, but not write or delete it: opening a file that another
// holds this way fails. Lines go to the operating system at once.
// The object owns the system's handle of the file: moving hands it on, and
// the last owner closes it. Each back end opens, writes and closes it.
class AppendFile {
 public:
  AppendFile() = default;
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;
  AppendFile(AppendFile&& other) noexcept : handle_(std::exchange(other.handle_, kNone)) {}
  AppendFile& operator=(AppendFile&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, kNone);
    }
    return *this;
  }
  ~AppendFile() { Close(); }

  // Opens (creating when missing) the file at `path` for appending.
  ErrorRecord Open(const std::string& path);
  // Writes the UTF-8 line in the ANSI code page followed by CR LF.
  ErrorRecord WriteLine(const std::string& utf8);
  ErrorRecord Close();
  bool is_open() const { return handle_ != kNone; }

 private:
  static constexpr intptr_t kNone = -1;
  intptr_t handle_ = kNone;
};

}  // namespace sondalink::platform::files
