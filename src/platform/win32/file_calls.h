// The kernel32 file functions that files.cpp calls, reached through one table
// so that a test can put a failing stand-in in place of any of them and
// exercise the failure branches on the real file layer. Win32-specific code
// only.
#pragma once

#include "platform/win32/windows_support.h"

namespace sondalink::win32 {

struct FileCalls {
  decltype(&::CreateFileW) CreateFileW = ::CreateFileW;
  decltype(&::WriteFile) WriteFile = ::WriteFile;
  decltype(&::CloseHandle) CloseHandle = ::CloseHandle;
  decltype(&::DeleteFileW) DeleteFileW = ::DeleteFileW;
  decltype(&::FindFirstFileW) FindFirstFileW = ::FindFirstFileW;
  decltype(&::FindNextFileW) FindNextFileW = ::FindNextFileW;
  decltype(&::FindClose) FindClose = ::FindClose;
  decltype(&::CreateDirectoryW) CreateDirectoryW = ::CreateDirectoryW;
};

// The table in use. It starts as the system's own functions; assigning
// FileCalls{} puts them all back.
FileCalls& Files();

}  // namespace sondalink::win32
