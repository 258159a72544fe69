// Makes one of the file layer's kernel32 calls fail, through the table of
// file_calls.h, for the life of the object: the first `passes` calls still
// reach the system, every later one fails with `code` as its last error.
#pragma once

#include "platform/win32/file_calls.h"

namespace sondalink::testing {

enum class FileCall { CreateFileW, WriteFile, CloseHandle, DeleteFileW, FindFirstFileW, CreateDirectoryW };

class FailingFileCall {
 public:
  FailingFileCall(FileCall call, DWORD code, int passes = 0) {
    state() = {code, passes, 0};
    win32::FileCalls& t = win32::Files();
    switch (call) {
      case FileCall::CreateFileW: t.CreateFileW = CreateFileW; break;
      case FileCall::WriteFile: t.WriteFile = WriteFile; break;
      case FileCall::CloseHandle: t.CloseHandle = CloseHandle; break;
      case FileCall::DeleteFileW: t.DeleteFileW = DeleteFileW; break;
      case FileCall::FindFirstFileW: t.FindFirstFileW = FindFirstFileW; break;
      case FileCall::CreateDirectoryW: t.CreateDirectoryW = CreateDirectoryW; break;
    }
  }
  ~FailingFileCall() { win32::Files() = win32::FileCalls{}; }
  FailingFileCall(const FailingFileCall&) = delete;
  FailingFileCall& operator=(const FailingFileCall&) = delete;

  // How many calls have failed so far.
  static int failures() { return state().failures; }

 private:
  struct State {
    DWORD code;
    int passes;
    int failures;
  };
  static State& state() {
    static State s;
    return s;
  }
  // True when this call must fail; its last error is set then.
  static bool Fails() {
    State& s = state();
    if (s.passes > 0) {
      --s.passes;
      return false;
    }
    ++s.failures;
    ::SetLastError(s.code);
    return true;
  }

  static HANDLE WINAPI CreateFileW(LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e,
                                   DWORD f, HANDLE g) {
    return Fails() ? INVALID_HANDLE_VALUE : ::CreateFileW(a, b, c, d, e, f, g);
  }
  static BOOL WINAPI WriteFile(HANDLE a, LPCVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e) {
    return Fails() ? FALSE : ::WriteFile(a, b, c, d, e);
  }
  // A close that reports a failure has still let the handle go.
  static BOOL WINAPI CloseHandle(HANDLE a) {
    BOOL closed = ::CloseHandle(a);
    return Fails() ? FALSE : closed;
  }
  static BOOL WINAPI DeleteFileW(LPCWSTR a) { return Fails() ? FALSE : ::DeleteFileW(a); }
  static HANDLE WINAPI FindFirstFileW(LPCWSTR a, LPWIN32_FIND_DATAW b) {
    return Fails() ? INVALID_HANDLE_VALUE : ::FindFirstFileW(a, b);
  }
  static BOOL WINAPI CreateDirectoryW(LPCWSTR a, LPSECURITY_ATTRIBUTES b) {
    return Fails() ? FALSE : ::CreateDirectoryW(a, b);
  }
};

}  // namespace sondalink::testing
