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

  // With its missing parents; paths below `root`, any case.
  void AddKey(Handle root, const std::string& path);
  // `bytes` exactly: add the NUL yourself.
  void SetValue(Handle root, const std::string& path, const std::string& name, uint32_t type,
                const std::string& bytes);
  void SetString(Handle root, const std::string& path, const std::string& name,
                 const std::string& text);

  // The next size probe answers `size`, as if the value changed after it.
  void ProbeAnswersOnce(uint32_t size) { probeOverride_ = size; }
  void FailCloseOf(Handle h) { failClose_ = h; }

  // The process environment that ExpandVariables reads, by upper-case name.
  std::map<std::string, std::string> environment;

  size_t OpenHandles() const { return open_.size(); }
  std::vector<uint32_t> readSizes;  // of the buffers handed to reads

  // The ANSI calls behind the seam; a null `data` probes.
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

FakeRegistry& Get();
void Reset();

}  // namespace sondalink::fake::registry
