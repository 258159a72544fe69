// Scriptable system facts, as the ANSI calls give them to the Windows back
// end: GetVersionExA's record, the names, the service manager, WOW64.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sysinfo.h"

namespace sondalink::fake::sysinfo {

struct State {
  enum class Wow64 { kMissing, kFails, kNo, kYes };

  bool versionSucceeds = true;
  platform::sysinfo::OsVersion version{6, 1, 7601, 2, "Service Pack 1"};

  // In the ANSI code page; nullopt, or a name that does not fit the buffer
  // with its NUL, fails the call with nothing written, as on Windows.
  std::optional<std::string> computerName = "WORKSTATION";
  std::optional<std::string> userName = "utente";
  uint32_t computerNameSizeSeen = 0;
  uint32_t userNameSizeSeen = 0;

  // OpenSCManagerA: the back end closes what opens.
  bool scmOpens = true;
  uint32_t scmAccessSeen = 0;
  int scmOpened = 0;

  Wow64 wow64 = Wow64::kNo;

  // The next call of any of the above throws std::bad_alloc.
  bool throwOnNextCall = false;
};

State& Get();
void Reset();

// What the back end makes of a record with these facts, the service pack
// as its 128 ANSI bytes hold it.
platform::sysinfo::OsVersion VersionRecord(uint32_t platformId, uint32_t major, uint32_t minor,
                                           uint32_t build, const std::string& csd = "");

}  // namespace sondalink::fake::sysinfo
