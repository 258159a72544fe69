// System facts through kernel32 and advapi32. Win32-specific code only.
#include "platform/sysinfo.h"

#include <type_traits>

#include "platform/win32/windows_support.h"

namespace sondalink::platform::sysinfo {

static_assert(sizeof(OSVERSIONINFOA) == sizeof(OsVersionInfoA));
static_assert(offsetof(OSVERSIONINFOA, szCSDVersion) == offsetof(OsVersionInfoA, szCSDVersion));

int GetVersionExA(OsVersionInfoA& info) {
  return ::GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
}

int GetComputerNameA(char* buffer, uint32_t& size) {
  DWORD n = size;
  BOOL ok = ::GetComputerNameA(buffer, &n);
  size = n;
  return ok;
}

int GetUserNameA(char* buffer, uint32_t& size) {
  DWORD n = size;
  BOOL ok = ::GetUserNameA(buffer, &n);
  size = n;
  return ok;
}

uintptr_t OpenSCManagerA(uint32_t access) {
  return reinterpret_cast<uintptr_t>(::OpenSCManagerA(nullptr, nullptr, access));
}

void CloseServiceHandle(uintptr_t handle) {
  win32::unique_schandle owner(reinterpret_cast<SC_HANDLE>(handle));
}

ErrorRecord IsWow64Process(int32_t& flag) {
  // Looked up at run time: kernel32 of older Windows versions lacks it, and
  // the program must still start there.
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  FARPROC proc = kernel32 ? ::GetProcAddress(kernel32, "IsWow64Process") : nullptr;
  if (!proc) return win32::ErrorFromLastError("IsWow64Process");
  auto fn = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void (*)()>(proc));
  BOOL wow64 = FALSE;
  if (!fn(::GetCurrentProcess(), &wow64)) return win32::ErrorFromLastError("IsWow64Process");
  flag = wow64 ? 1 : 0;
  return {};
}

}  // namespace sondalink::platform::sysinfo
