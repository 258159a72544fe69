// A fresh folder under the system's temporary folder, removed with all its
// contents at the end of the test. Paths inside are joined with backslashes,
// as the program joins them.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

namespace sondalink::testing {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sondalink-XXXXXX").string();
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // The folder joined with `name` by a backslash.
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  // Host paths, for checking from the outside.
  static std::string Host(std::string p) {
    for (char& c : p) {
      if (c == '\\') c = '/';
    }
    return p;
  }
  void MakeFile(const std::string& name, const std::string& bytes = "x") const {
    std::ofstream(Host(*this / name), std::ios::binary) << bytes;
  }
  void MakeFolder(const std::string& name) const {
    std::filesystem::create_directories(Host(*this / name));
  }
  static std::string ReadFile(const std::string& p) {
    std::ifstream in(Host(p), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static bool IsFolder(const std::string& p) { return std::filesystem::is_directory(Host(p)); }

 private:
  std::string path_;
};

}  // namespace sondalink::testing
