// Real files on the native host. The portable code deals in Windows-style
// paths joined with backslashes, so "\" is taken as a separator here too.
// Names stay in UTF-8, the host's own encoding; only the log's contents are
// written in the ANSI code page.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/text.h"

namespace sondalink::platform::files {
namespace {

std::string HostPath(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

// errno as the HRESULT Windows would give for the same failure, so that
// numbers read alike on both builds.
ErrorRecord ErrorFromErrno(int err, const char* source) {
  uint32_t win32;
  switch (err) {
    case ENOENT: win32 = 2; break;    // ERROR_FILE_NOT_FOUND
    case ENOTDIR: win32 = 3; break;   // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM:
    case EISDIR: win32 = 5; break;    // ERROR_ACCESS_DENIED
    case EBADF: win32 = 6; break;     // ERROR_INVALID_HANDLE
    case EBUSY: win32 = 32; break;    // ERROR_SHARING_VIOLATION
    case ENOSPC: win32 = 112; break;  // ERROR_DISK_FULL
    case EEXIST: win32 = 183; break;  // ERROR_ALREADY_EXISTS
    case EFBIG: win32 = 223; break;   // ERROR_FILE_TOO_LARGE
    case ENAMETOOLONG: win32 = 206; break;
    default: win32 = 31; break;       // ERROR_GEN_FAILURE
  }
  ErrorRecord e;
  e.number = static_cast<int32_t>(0x80070000u | win32);
  e.description = std::strerror(err);
  e.source = source;
  return e;
}

// Windows' share modes, as far as this program relies on them: an open
// AppendFile holds an exclusive lock that readers ignore and that a second
// AppendFile or a deletion runs into, as a sharing violation.
bool HeldByAWriter(int fd) { return flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK; }

// Windows' "*.*" and "*" match every name; other patterns use the shell's
// matching, which is enough for the names this program looks for.
bool Matches(const std::string& pattern, const char* name) {
  if (pattern == "*.*" || pattern == "*") return true;
  return fnmatch(pattern.c_str(), name, 0) == 0;
}

}  // namespace

std::string FindFirstEntry(const std::string& pattern) {
  std::string path = HostPath(pattern);
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string mask = slash == std::string::npos ? path : path.substr(slash + 1);
  if (mask.empty()) return {};
  DIR* dir = opendir(folder.c_str());
  if (!dir) return {};
  std::string found;
  while (dirent* entry = readdir(dir)) {
    const char* name = entry->d_name;
    if (!Matches(mask, name)) continue;
    struct stat st {};
    bool isFolder = fstatat(dirfd(dir), name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    // A dot file is the host's hidden file; folders are returned all the same.
    if (!isFolder && name[0] == '.') continue;
    found = name;
    break;
  }
  closedir(dir);
  return found;
}

ErrorRecord CreateFolder(const std::string& path) {
  if (mkdir(HostPath(path).c_str(), 0777) != 0) return ErrorFromErrno(errno, "mkdir");
  return {};
}

ErrorRecord DeleteFile(const std::string& path) {
  std::string host = HostPath(path);
  struct stat st {};
  if (stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return ErrorFromErrno(EISDIR, "unlink");
  if (int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC); fd >= 0) {
    bool held = HeldByAWriter(fd);
    close(fd);
    if (held) return ErrorFromErrno(EBUSY, "unlink");
  }
  if (unlink(host.c_str()) != 0) return ErrorFromErrno(errno, "unlink");
  return {};
}

ErrorRecord ProbeOpenForReading(const std::string& path) {
  if (path.empty()) return ErrorFromErrno(ENOENT, "open");
  int fd = open(HostPath(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ErrorFromErrno(errno, "open");
  struct stat st {};
  int err = fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  close(fd);
  return err ? ErrorFromErrno(err, "open") : ErrorRecord{};
}

ErrorRecord AppendFile::Open(const std::string& path) {
  Close();
  int fd = open(HostPath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return ErrorFromErrno(errno, "open");
  if (HeldByAWriter(fd)) {
    close(fd);
    return ErrorFromErrno(EBUSY, "open");
  }
  handle_ = fd;
  return {};
}

ErrorRecord AppendFile::WriteLine(const std::string& utf8) {
  if (!is_open()) return ErrorFromErrno(EBADF, "write");
  std::string bytes = ToAnsi(utf8) + "\r\n";
  // Straight to the kernel: a line survives the process dying right after.
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = write(static_cast<int>(handle_), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ErrorFromErrno(errno, "write");
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return {};
}

ErrorRecord AppendFile::Close() {
  if (!is_open()) return {};
  int fd = static_cast<int>(handle_);
  handle_ = kNone;
  if (close(fd) != 0) return ErrorFromErrno(errno, "close");
  return {};
}

}  // namespace sondalink::platform::files
