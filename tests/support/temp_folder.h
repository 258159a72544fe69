// A fresh folder under the system's temporary folder, removed with all its
// contents at the end of the test; one class for the native tests and for
// the Windows tests under Wine. Paths inside are joined with backslashes and
// names are UTF-8, as in the program.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include "platform/win32/windows_support.h"
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
  TempFolder() {
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    // Any number will do: creating the folder is what tells a free name.
    for (auto n = std::chrono::steady_clock::now().time_since_epoch().count(); !error; ++n) {
      const std::filesystem::path folder = base / ("sondalink-" + std::to_string(n));
      if (std::filesystem::create_directory(folder, error)) {
        const std::u8string name = folder.u8string();
        path_.assign(name.begin(), name.end());
        return;
      }
    }
    ADD_FAILURE() << "cannot create a temporary folder: " << error.message();
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(OnHost(path_), ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // The folder joined with `name` by a backslash.
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  // `attributes`, Windows's only (FILE_ATTRIBUTE_HIDDEN and the like), are
  // set once it is made.
  void MakeFile(const std::string& name, const std::string& bytes = "x", unsigned long attributes = 0) const {
    std::ofstream file(OnHost(*this / name), std::ios::binary);
    ASSERT_TRUE(file << bytes) << name;
    file.close();
    SetAttributes(name, attributes);
  }
  void MakeFolder(const std::string& name, unsigned long attributes = 0) const {
    std::error_code error;
    std::filesystem::create_directories(OnHost(*this / name), error);
    ASSERT_FALSE(error) << name << ": " << error.message();
    SetAttributes(name, attributes);
  }
  // The file's bytes; "<missing>" when it cannot be opened.
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(OnHost(path), std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static bool IsFolder(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_directory(OnHost(path), ignored);
  }

 private:
  // Under Windows through the wide functions, so that any name Windows
  // allows goes, also outside the code page.
  static std::filesystem::path OnHost(const std::string& path) {
#ifdef _WIN32
    return std::u8string(path.begin(), path.end());
#else
    const std::string host = Host(path);
    return std::u8string(host.begin(), host.end());
#endif
  }
  void SetAttributes(const std::string& name, unsigned long attributes) const {
#ifdef _WIN32
    if (attributes) ::SetFileAttributesW(OnHost(*this / name).c_str(), attributes);
#else
    EXPECT_EQ(attributes, 0u) << name << ": file attributes are Windows's";
#endif
  }

  std::string path_;
};

}  // namespace sondalink::testing
