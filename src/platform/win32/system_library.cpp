// Windows's own DLLs and programs from the system folder. Win32-specific
// code only.
#include "platform/win32/system_library.h"

namespace sondalink::win32 {

std::wstring SystemDirectory() {
  // Windows itself lives in a folder shorter than MAX_PATH.
  wchar_t buffer[MAX_PATH] = {};
  UINT n = ::GetSystemDirectoryW(buffer, MAX_PATH);
  if (n >= MAX_PATH) {
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return {};
  }
  return std::wstring(buffer, n);
}

unique_hmodule LoadSystemLibrary(const wchar_t* name) {
  std::wstring folder = SystemDirectory();
  if (folder.empty()) return unique_hmodule();
  // A full path loads that very file: the search order, which begins with
  // the program's own folder, is not consulted for it.
  return unique_hmodule(::LoadLibraryW((folder + L"\\" + name).c_str()));
}

}  // namespace sondalink::win32
