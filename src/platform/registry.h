// Registry access in the manner of the ANSI Win32 calls. Handles are signed
// 32-bit values; the predefined roots keep their platform values.
#pragma once

#include <cstdint>
#include <string>

namespace sondalink::platform::registry {

using Handle = int32_t;
inline constexpr Handle kClassesRoot = static_cast<Handle>(0x80000000);
inline constexpr Handle kCurrentUser = static_cast<Handle>(0x80000001);
inline constexpr Handle kLocalMachine = static_cast<Handle>(0x80000002);
inline constexpr Handle kUsers = static_cast<Handle>(0x80000003);

inline constexpr uint32_t kTypeString = 1;        // REG_SZ
inline constexpr uint32_t kTypeExpandString = 2;  // REG_EXPAND_SZ

// Key and value names, like the data, are in the ANSI code page.

// RegOpenKeyA: 0 on success with `key` written; on failure `key` holds what
// the call left in it.
long OpenKey(Handle parent, const std::string& subKey, Handle& key);

// RegQueryValueExA. With `data` null it probes: `type` and `size` (bytes,
// terminating NUL included) are written back. Otherwise `data` holds `size`
// bytes and receives the value in the ANSI code page.
long QueryValue(Handle key, const std::string& valueName, uint32_t& type, char* data,
                uint32_t& size);

// RegCloseKey: 0 on success.
long CloseKey(Handle key);

// The text of a REG_EXPAND_SZ value with the process's environment variables
// expanded (ExpandEnvironmentStringsW), in UTF-8 like the text given; a
// reference to a variable that is not set stays as it is, and a text that
// cannot be expanded comes back unchanged.
std::string ExpandVariables(const std::string& utf8);

}  // namespace sondalink::platform::registry
