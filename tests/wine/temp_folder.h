// A fresh folder under the Windows temporary folder, removed with its
// contents at the end of the test.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "platform/win32/windows_support.h"

namespace sondalink::testing {

class TempFolder {
 public:
  TempFolder() {
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
  ~TempFolder() { RemoveTree(win32::Widen(path_)); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  // Names are UTF-8, as everywhere in the program.
  void MakeFile(const std::string& name, const std::string& bytes = "x", DWORD attributes = 0) const {
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
  void MakeFolder(const std::string& name, DWORD attributes = 0) const {
    std::string p = platform::ToAnsi(*this / name);
    ASSERT_TRUE(::CreateDirectoryA(p.c_str(), nullptr)) << p;
    if (attributes) ::SetFileAttributesA(p.c_str(), attributes);
  }
  // Any name Windows allows, read through the wide functions.
  static std::string ReadFile(const std::string& utf8Path) {
    win32::unique_hfile h(::CreateFileW(win32::Widen(utf8Path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
    if (!h) return "<missing>";
    std::string bytes;
    char chunk[4096];
    DWORD n = 0;
    while (::ReadFile(h.get(), chunk, sizeof chunk, &n, nullptr) && n > 0) bytes.append(chunk, n);
    return bytes;
  }
  static bool IsFolder(const std::string& utf8Path) {
    DWORD a = ::GetFileAttributesW(win32::Widen(utf8Path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }

 private:
  // Wide, so that names outside the code page that a test made go as well.
  static void RemoveTree(const std::wstring& path) {
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

  std::string path_;  // ASCII: the temporary folder of the prefix
};

}  // namespace sondalink::testing
