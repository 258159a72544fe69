// A fresh folder under the system's temporary folder, removed with all its
// contents at the end of the test; one class for the native tests and for
// the Windows tests under Wine. Paths inside are joined with backslashes and
// names are UTF-8, as in the program.
#pragma once

#include <string>

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/text.h"
#include "platform/win32/windows_support.h"
#else
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#endif

namespace sondalink::testing {

#ifndef _WIN32
// A path as the program writes it (backslashes), as the host's file
// functions take it: for checking from the outside.
inline std::string Host(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}
#endif

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // The folder joined with `name` by a backslash.
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

#ifdef _WIN32
  // `attributes`: FILE_ATTRIBUTE_HIDDEN and the like, set once it is made.
  void MakeFile(const std::string& name, const std::string& bytes = "x", DWORD attributes = 0) const;
  void MakeFolder(const std::string& name, DWORD attributes = 0) const;
#else
  void MakeFile(const std::string& name, const std::string& bytes = "x") const {
    std::ofstream(Host(*this / name), std::ios::binary) << bytes;
  }
  void MakeFolder(const std::string& name) const {
    std::filesystem::create_directories(Host(*this / name));
  }
#endif
  // The file's bytes; "<missing>" under Windows when it cannot be opened.
  static std::string ReadFile(const std::string& path);
  static bool IsFolder(const std::string& path);

 private:
#ifdef _WIN32
  static void RemoveTree(const std::wstring& path);
#endif
  std::string path_;
};

#ifndef _WIN32

inline TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sondalink-XXXXXX").string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
  path_ = pattern;
}

inline TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

inline std::string TempFolder::ReadFile(const std::string& path) {
  std::ifstream in(Host(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool TempFolder::IsFolder(const std::string& path) {
  return std::filesystem::is_directory(Host(path));
}

#else

inline TempFolder::TempFolder() {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  for (unsigned n = ::GetTickCount();; ++n) {
    path_ = std::string(base) + "sondalink-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(n);
    if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
      ADD_FAILURE() << "cannot create " << path_;
      break;
    }
  }
}

inline TempFolder::~TempFolder() { RemoveTree(win32::Widen(path_)); }

inline void TempFolder::MakeFile(const std::string& name, const std::string& bytes,
                                 DWORD attributes) const {
  std::string p = platform::ToAnsi(*this / name);
  {
    win32::unique_hfile h(::CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(h.get(), INVALID_HANDLE_VALUE) << p;
    DWORD written = 0;
    ::WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  if (attributes) ::SetFileAttributesA(p.c_str(), attributes);
}

inline void TempFolder::MakeFolder(const std::string& name, DWORD attributes) const {
  std::string p = platform::ToAnsi(*this / name);
  ASSERT_TRUE(::CreateDirectoryA(p.c_str(), nullptr)) << p;
  if (attributes) ::SetFileAttributesA(p.c_str(), attributes);
}

// Any name Windows allows, read through the wide functions.
inline std::string TempFolder::ReadFile(const std::string& path) {
  win32::unique_hfile h(::CreateFileW(win32::Widen(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      0, nullptr));
  if (!h) return "<missing>";
  std::string bytes;
  char chunk[4096];
  DWORD n = 0;
  while (::ReadFile(h.get(), chunk, sizeof chunk, &n, nullptr) && n > 0) bytes.append(chunk, n);
  return bytes;
}

inline bool TempFolder::IsFolder(const std::string& path) {
  DWORD a = ::GetFileAttributesW(win32::Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Wide, so that names outside the code page that a test made go as well.
inline void TempFolder::RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data{};
  win32::unique_hfind find(::FindFirstFileW((path + L"\\*").c_str(), &data));
  if (find) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = path + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(find.get(), &data));
  }
  ::RemoveDirectoryW(path.c_str());
}

#endif

}  // namespace sondalink::testing
