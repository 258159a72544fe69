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

// Key and value names and the texts read are UTF-8; the back end speaks the
// ANSI code page to the ANSI calls it makes.

// RegOpenKeyA: 0 on success with `key` written; on failure `key` holds what
// the call left in it.
long OpenKey(Handle parent, const std::string& subKey, Handle& key);

// RegQueryValueExA without a buffer: `type` and `size` (bytes in the ANSI
// code page, terminating NUL included) are written back.
long ProbeValue(Handle key, const std::string& valueName, uint32_t& type, uint32_t& size);

// RegQueryValueExA into a buffer of exactly `size` blanks: on success `text`
// receives the whole buffer in UTF-8, NULs and any blanks the call did not
// overwrite included. `type` and `size` are written back as the call leaves
// them; a value longer than `size` fails with ERROR_MORE_DATA.
long ReadValue(Handle key, const std::string& valueName, uint32_t& type, uint32_t& size,
               std::string& text);

// RegCloseKey: 0 on success.
long CloseKey(Handle key);

// The text of a REG_EXPAND_SZ value with the process's environment variables
// expanded (ExpandEnvironmentStringsW), in UTF-8 like the text given; a
// reference to a variable that is not set stays as it is, and a text that
// cannot be expanded comes back unchanged.
std::string ExpandVariables(const std::string& utf8);

}  // namespace sondalink::platform::registry
