// System facts: Windows version record, computer and account names, the
// service control manager probe and the WOW64 flag.
#pragma once

#include <cstdint>
#include <string>

#include "platform/error.h"

namespace sondalink::platform::sysinfo {

// Texts are UTF-8; the back end reads them from the ANSI calls in the ANSI
// code page.

// What GetVersionExA reports, the service pack cut at its first NUL.
struct OsVersion {
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;
  uint32_t platformId = 0;
  std::string servicePack;
};

// GetVersionExA with an ANSI OSVERSIONINFO record: true on success, with
// `version` filled; left as it is otherwise.
bool GetOsVersion(OsVersion& version);

// GetComputerNameA / GetUserNameA into a buffer of `bufferSize` blanks: the
// name up to the NUL the call wrote, or an empty text when it wrote none (it
// failed, or the name did not fit).
std::string ComputerName(uint32_t bufferSize);
std::string UserName(uint32_t bufferSize);

// OpenSCManagerA(NULL, NULL, access), closed again at once: whether the
// service control manager opened with that access.
bool ServiceManagerOpens(uint32_t access);

// IsWow64Process(GetCurrentProcess(), &flag), bound at run time: an error
// record when kernel32 has no such function.
ErrorRecord IsWow64Process(int32_t& flag);

}  // namespace sondalink::platform::sysinfo
