// Windows's own DLLs and programs, taken from the system folder by their
// full path: a file of the same name that someone left in the program's
// folder, the current folder or a folder of the PATH is never the one that
// runs. Win32-specific code only.
#pragma once

#include <string>

#include "platform/win32/windows_support.h"

namespace sondalink::win32 {

// GetSystemDirectoryW ("C:\WINDOWS\system32"), without a trailing
// backslash; empty, with the last error set, when Windows does not tell it.
std::wstring SystemDirectory();

// The system folder's DLL `name` ("version.dll"); empty, with the last error
// set, when it cannot be loaded.
unique_hmodule LoadSystemLibrary(const wchar_t* name);

// The function `name` of `module` as the pointer type Fn; null when the
// module is null or does not export it (the last error set by the failed
// load or by GetProcAddress).
template <class Fn>
Fn ProcAddress(HMODULE module, const char* name) {
  FARPROC proc = module ? ::GetProcAddress(module, name) : nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace sondalink::win32
