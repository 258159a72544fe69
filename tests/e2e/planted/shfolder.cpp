// A shfolder.dll as someone might leave it beside a copy of the program in
// a download folder: loading it leaves a mark beside it
// ("shfolder.dll.loaded"), and the folder it reports is one of its own, so
// that a program that took it would also work in the wrong place.
#include <windows.h>

namespace {

HINSTANCE self;

// This DLL's own path followed by `suffix`.
void PathBeside(const wchar_t* suffix, wchar_t* out, DWORD size) {
  DWORD n = ::GetModuleFileNameW(self, out, size);
  out[n < size ? n : 0] = L'\0';
  if (::lstrlenW(out) + ::lstrlenW(suffix) < static_cast<int>(size)) ::lstrcatW(out, suffix);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    self = instance;
    wchar_t mark[MAX_PATH + 16];
    PathBeside(L".loaded", mark, MAX_PATH + 16);
    HANDLE file = ::CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT WINAPI SHGetFolderPathW(HWND, int, HANDLE, DWORD,
                                                                  LPWSTR path) {
  PathBeside(L".data", path, MAX_PATH);
  ::CreateDirectoryW(path, nullptr);
  return S_OK;
}
