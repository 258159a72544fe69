// System facts: Windows version record, computer and account names, the
// service control manager probe and the WOW64 flag.
#pragma once

#include <cstdint>

#include "platform/error.h"

namespace sondalink::platform::sysinfo {

// The ANSI OSVERSIONINFO record, 148 bytes.
struct OsVersionInfoA {
  uint32_t dwOSVersionInfoSize;
  uint32_t dwMajorVersion;
  uint32_t dwMinorVersion;
  uint32_t dwBuildNumber;
  uint32_t dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OsVersionInfoA) == 148);

// GetVersionExA: non-zero on success.
int GetVersionExA(OsVersionInfoA& info);

// GetComputerNameA / GetUserNameA into `buffer` of `size` bytes (ANSI);
// non-zero on success. `size` is updated as Windows updates it.
int GetComputerNameA(char* buffer, uint32_t& size);
int GetUserNameA(char* buffer, uint32_t& size);

// OpenSCManagerA(NULL, NULL, access): a handle, 0 on failure.
uintptr_t OpenSCManagerA(uint32_t access);
void CloseServiceHandle(uintptr_t handle);

// IsWow64Process(GetCurrentProcess(), &flag), bound at run time: an error
// record when kernel32 has no such function.
ErrorRecord IsWow64Process(int32_t& flag);

}  // namespace sondalink::platform::sysinfo
