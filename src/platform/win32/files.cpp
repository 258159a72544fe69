// The file system through the wide functions of kernel32, so that any path
// Windows allows can be named; the log's contents stay in the ANSI code page.
// Every call goes through the table of file_calls.h. Win32-specific code only.
#include "platform/win32/file_calls.h"

#include "platform/files.h"
#include "platform/text.h"

namespace sondalink::win32 {

FileCalls& Files() {
  static FileCalls calls;
  return calls;
}

}  // namespace sondalink::win32

namespace sondalink::platform::files {
namespace {

using win32::Files;

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

// Owners that close through the table as well.
struct FileTraits {
  using type = HANDLE;
  static type empty() { return INVALID_HANDLE_VALUE; }
  static void close(type h) { Files().CloseHandle(h); }
};
struct FindTraits {
  using type = HANDLE;
  static type empty() { return INVALID_HANDLE_VALUE; }
  static void close(type h) { Files().FindClose(h); }
};
using unique_file = win32::unique_any<FileTraits>;
using unique_find = win32::unique_any<FindTraits>;

bool IsWanted(const WIN32_FIND_DATAW& data) {
  // Folders always count, a hidden one too: the data folder must be found
  // wherever the user's profile puts it. Hidden and system files do not.
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return true;
  return !(data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

}  // namespace

std::string FindFirstEntry(const std::string& pattern) {
  WIN32_FIND_DATAW data{};
  unique_find find(Files().FindFirstFileW(win32::Widen(pattern).c_str(), &data));
  if (!find) return {};
  do {
    if (IsWanted(data)) return win32::Narrow(data.cFileName);
  } while (Files().FindNextFileW(find.get(), &data));
  return {};
}

ErrorRecord CreateFolder(const std::string& path) {
  if (!Files().CreateDirectoryW(win32::Widen(path).c_str(), nullptr)) {
    return win32::ErrorFromLastError("CreateDirectoryW");
  }
  return {};
}

ErrorRecord DeleteFile(const std::string& path) {
  if (!Files().DeleteFileW(win32::Widen(path).c_str())) {
    return win32::ErrorFromLastError("DeleteFileW");
  }
  return {};
}

ErrorRecord ProbeOpenForReading(const std::string& path) {
  // A folder fails here too: without FILE_FLAG_BACKUP_SEMANTICS it cannot be
  // opened. Sharing writing lets it see a log that a program is writing.
  unique_file file(Files().CreateFileW(win32::Widen(path).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return win32::ErrorFromLastError("CreateFileW");
  return {};
}

ErrorRecord AppendFile::Open(const std::string& path) {
  Close();
  // FILE_APPEND_DATA alone: every write lands at the current end of the file.
  // Readers may open it meanwhile (an editor, a viewer following it); nobody
  // may write or delete it, so a second Sondalink cannot mix its run in.
  HANDLE h = Files().CreateFileW(win32::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return win32::ErrorFromLastError("CreateFileW");
  handle_ = reinterpret_cast<intptr_t>(h);
  return {};
}

ErrorRecord AppendFile::WriteLine(const std::string& utf8) {
  if (!is_open()) return win32::ErrorFromWin32(ERROR_INVALID_HANDLE, "WriteFile");
  std::string bytes = ToAnsi(utf8) + "\r\n";
  // No buffer of our own: once WriteFile returns the line belongs to the
  // system and outlives a crash of this process.
  const char* p = bytes.data();
  DWORD left = static_cast<DWORD>(bytes.size());
  while (left > 0) {
    DWORD written = 0;
    if (!Files().WriteFile(AsHandle(handle_), p, left, &written, nullptr)) {
      return win32::ErrorFromLastError("WriteFile");
    }
    if (written == 0) return win32::ErrorFromWin32(ERROR_WRITE_FAULT, "WriteFile");
    p += written;
    left -= written;
  }
  return {};
}

ErrorRecord AppendFile::Close() {
  if (!is_open()) return {};
  HANDLE h = AsHandle(handle_);
  handle_ = kNone;
  if (!Files().CloseHandle(h)) return win32::ErrorFromLastError("CloseHandle");
  return {};
}

}  // namespace sondalink::platform::files
