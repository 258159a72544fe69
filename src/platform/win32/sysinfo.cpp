// System facts through kernel32 and advapi32, the ANSI calls' texts turned
// into UTF-8 here. Win32-specific code only.
#include "platform/sysinfo.h"

#include "platform/text.h"
#include "platform/win32/windows_support.h"

namespace sondalink::platform::sysinfo {

namespace {

// The name in a buffer of `size` blanks, cut at the NUL the call wrote. A
// buffer without NUL means the call wrote nothing: no name.
std::string NameFrom(BOOL(WINAPI* call)(LPSTR, LPDWORD), uint32_t size) {
  std::string buffer(size, ' ');
  DWORD n = size;
  call(buffer.data(), &n);
  size_t nul = buffer.find('\0');
  if (nul == std::string::npos) return {};
  buffer.resize(nul);
  return FromAnsi(buffer);
}

}  // namespace

bool GetOsVersion(OsVersion& version) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(&info)) return false;
  version.majorVersion = info.dwMajorVersion;
  version.minorVersion = info.dwMinorVersion;
  version.buildNumber = info.dwBuildNumber;
  version.platformId = info.dwPlatformId;
  // Not always terminated: a text filling the field is taken whole.
  const std::string csd(info.szCSDVersion, sizeof info.szCSDVersion);
  version.servicePack = FromAnsi(csd.substr(0, csd.find('\0')));
  return true;
}

std::string ComputerName(uint32_t bufferSize) { return NameFrom(::GetComputerNameA, bufferSize); }

std::string UserName(uint32_t bufferSize) { return NameFrom(::GetUserNameA, bufferSize); }

bool ServiceManagerOpens(uint32_t access) {
  win32::unique_schandle manager(::OpenSCManagerA(nullptr, nullptr, access));
  return static_cast<bool>(manager);
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
