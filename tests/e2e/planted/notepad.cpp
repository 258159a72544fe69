// A notepad.exe as someone might leave it beside a copy of the program: it
// only leaves a mark beside itself ("notepad.exe.ran") and ends.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t mark[MAX_PATH + 8];
  DWORD n = ::GetModuleFileNameW(nullptr, mark, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  ::lstrcpyW(mark + n, L".ran");
  HANDLE file = ::CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  ::CloseHandle(file);
  return 0;
}
