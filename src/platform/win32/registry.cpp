// The registry through advapi32's ANSI calls, names and texts converted
// between UTF-8 and the ANSI code page here, and the expansion of its
// REG_EXPAND_SZ texts. Win32-specific code only.
#include "platform/registry.h"

#include "platform/text.h"
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
  LONG rc = ::RegOpenKeyA(ToHkey(parent), ToAnsi(subKey).c_str(), &opened);
  key = static_cast<Handle>(reinterpret_cast<intptr_t>(opened));
  return rc;
}

long ProbeValue(Handle key, const std::string& valueName, uint32_t& type, uint32_t& size) {
  DWORD t = type;
  DWORD n = size;
  LONG rc = ::RegQueryValueExA(ToHkey(key), ToAnsi(valueName).c_str(), nullptr, &t, nullptr, &n);
  type = t;
  size = n;
  return rc;
}

long ReadValue(Handle key, const std::string& valueName, uint32_t& type, uint32_t& size,
               std::string& text) {
  std::string buffer(size, ' ');
  DWORD t = type;
  DWORD n = size;
  LONG rc = ::RegQueryValueExA(ToHkey(key), ToAnsi(valueName).c_str(), nullptr, &t,
                               reinterpret_cast<BYTE*>(buffer.data()), &n);
  type = t;
  size = n;
  if (rc == ERROR_SUCCESS) text = FromAnsi(buffer);
  return rc;
}

long CloseKey(Handle key) { return ::RegCloseKey(ToHkey(key)); }

std::string ExpandVariables(const std::string& utf8) {
  const std::wstring text = win32::Widen(utf8);
  // The size asked first, NUL included; a variable set in between makes the
  // second call ask for more, and the text is then left as it is.
  DWORD size = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
  if (size == 0) return utf8;
  std::wstring expanded(size, L'\0');
  DWORD written = ::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), size);
  if (written == 0 || written > size) return utf8;
  expanded.resize(written - 1);
  return win32::Narrow(expanded);
}

}  // namespace sondalink::platform::registry
