// The registry through advapi32's ANSI calls. Win32-specific code only.
#include "platform/registry.h"

#include "platform/win32/windows_support.h"

namespace sondalink::platform::registry {

namespace {
// Handles are 32-bit values in this 32-bit program; the roots' values sign-
// extend exactly as the HKEY_* constants do.
HKEY ToHkey(Handle h) { return reinterpret_cast<HKEY>(static_cast<intptr_t>(h)); }
}  // namespace

long OpenKey(Handle parent, const std::string& subKey, Handle& key) {
  // Whatever the call leaves in the variable is handed back, as it is to a
  // caller of RegOpenKeyA; only a success makes it a key.
  HKEY opened = ToHkey(key);
  LONG rc = ::RegOpenKeyA(ToHkey(parent), subKey.c_str(), &opened);
  key = static_cast<Handle>(reinterpret_cast<intptr_t>(opened));
  return rc;
}

long QueryValue(Handle key, const std::string& valueName, uint32_t& type, char* data,
                uint32_t& size) {
  DWORD t = type;
  DWORD n = size;
  LONG rc = ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &t,
                               reinterpret_cast<BYTE*>(data), &n);
  type = t;
  size = n;
  return rc;
}

long CloseKey(Handle key) { return ::RegCloseKey(ToHkey(key)); }

}  // namespace sondalink::platform::registry
