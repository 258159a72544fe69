// The file system through the ANSI functions of kernel32, as the rest of the
// program's Windows calls. Win32-specific code only.
#include "platform/win32/windows_support.h"

#include "platform/files.h"
#include "platform/text.h"

namespace sondalink::platform::files {
namespace {

HANDLE AsHandle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

bool IsWanted(const WIN32_FIND_DATAA& data) {
  // Folders always count, a hidden one too: the data folder must be found
  // wherever the user's profile puts it. Hidden and system files do not.
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return true;
  return !(data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
}

}  // namespace

std::string FindFirstEntry(const std::string& pattern) {
  WIN32_FIND_DATAA data{};
  win32::unique_hfind find(::FindFirstFileA(ToAnsi(pattern).c_str(), &data));
  if (!find) return {};
  do {
    if (IsWanted(data)) return FromAnsi(data.cFileName);
  } while (::FindNextFileA(find.get(), &data));
  return {};
}

ErrorRecord CreateFolder(const std::string& path) {
  if (!::CreateDirectoryA(ToAnsi(path).c_str(), nullptr)) {
    return win32::ErrorFromLastError("CreateDirectoryA");
  }
  return {};
}

ErrorRecord DeleteFile(const std::string& path) {
  if (!::DeleteFileA(ToAnsi(path).c_str())) return win32::ErrorFromLastError("DeleteFileA");
  return {};
}

ErrorRecord ProbeOpenForReading(const std::string& path) {
  // A folder fails here too: without FILE_FLAG_BACKUP_SEMANTICS it cannot be opened.
  win32::unique_hfile file(::CreateFileA(ToAnsi(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return win32::ErrorFromLastError("CreateFileA");
  return {};
}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kNone;
  }
  return *this;
}

ErrorRecord AppendFile::Open(const std::string& path) {
  Close();
  // FILE_APPEND_DATA alone: every write lands at the current end of the file.
  // Others may read and write it meanwhile (an editor, a second Sondalink).
  HANDLE h = ::CreateFileA(ToAnsi(path).c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return win32::ErrorFromLastError("CreateFileA");
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
    if (!::WriteFile(AsHandle(handle_), p, left, &written, nullptr)) {
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
  if (!::CloseHandle(h)) return win32::ErrorFromLastError("CloseHandle");
  return {};
}

}  // namespace sondalink::platform::files
