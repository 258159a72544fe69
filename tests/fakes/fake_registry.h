// An in-memory registry for the native tests: a tree of keys below the four
// roots, values with any type and any bytes (texts in the ANSI code page, as
// Windows hands them to the ANSI calls), and handle values handed out the way
// Windows does, a closed value being reused for the next key opened.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace sondalink::fake::registry {

class FakeRegistry {
 public:
  using Handle = platform::registry::Handle;

  // Creates the key and its missing parents. Paths are below `root`, with
  // backslashes, compared without regard to case.
  void AddKey(Handle root, const std::string& path);
  // Stores `bytes` as the value's data, exactly (add the NUL yourself).
  void SetValue(Handle root, const std::string& path, const std::string& name, uint32_t type,
                const std::string& bytes);
  // A REG_SZ value holding `text` and its NUL.
  void SetString(Handle root, const std::string& path, const std::string& name,
                 const std::string& text);

  // The next size probe of the value answers `size` instead of the real one,
  // as if the value changed between the probe and the read.
  void ProbeAnswersOnce(uint32_t size) { probeOverride_ = size; }
  // Closing this handle value fails.
  void FailCloseOf(Handle h) { failClose_ = h; }

  // The process environment that ExpandVariables reads, by upper-case name.
  std::map<std::string, std::string> environment;

  // Handles currently open, and how many opens and closes were seen.
  size_t OpenHandles() const { return open_.size(); }
  int opens = 0;
  int closes = 0;
  // Sizes of the data buffers handed to reads, in order.
  std::vector<uint32_t> readSizes;

  // The ANSI calls behind the seam: names, like the stored bytes, in the
  // ANSI code page. A null `data` probes.
  long OpenKey(Handle parent, const std::string& subKey, Handle& key);
  long QueryValue(Handle key, const std::string& valueName, uint32_t& type, char* data,
                  uint32_t& size);
  long CloseKey(Handle key);
  std::string ExpandVariables(const std::string& text) const;

 private:
  struct Value {
    uint32_t type;
    std::string bytes;
  };
  struct Key {
    std::map<std::string, Value> values;  // by lower-case name
  };
  static std::string Lower(std::string s);
  static std::string Join(Handle root, const std::string& path);
  // Full path ("<root>\a\b", lower case) of an open handle or a root.
  std::optional<std::string> PathOf(Handle h) const;

  std::map<std::string, Key> keys_;    // by lower-case full path
  std::map<Handle, std::string> open_;  // handle value -> full path
  std::optional<uint32_t> probeOverride_;
  std::optional<Handle> failClose_;
};

// The registry the fake seam reads; fresh for every test.
FakeRegistry& Get();
void Reset();

}  // namespace sondalink::fake::registry
