// Scriptable system facts for the native tests, as the ANSI calls give them
// to the Windows back end: the version record that GetVersionExA hands out, the computer and account names, the service
// control manager and the WOW64 flag.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sysinfo.h"

namespace sondalink::fake::sysinfo {

struct State {
  enum class Wow64 { kMissing, kFails, kNo, kYes };

  // GetVersionExA: fails when false; otherwise reports `version`.
  bool versionSucceeds = true;
  platform::sysinfo::OsVersion version{6, 1, 7601, 2, "Service Pack 1"};

  // GetComputerNameA / GetUserNameA, names in the ANSI code page: nullopt
  // makes the call fail without writing. A name that does not fit the buffer
  // with its NUL fails the way Windows does: nothing written.
  std::optional<std::string> computerName = "WORKSTATION";
  std::optional<std::string> userName = "utente";
  uint32_t computerNameSizeSeen = 0;
  uint32_t userNameSizeSeen = 0;

  // OpenSCManagerA: opens when true, and is closed again by the back end.
  // The access mask asked is recorded.
  bool scmOpens = true;
  uint32_t scmAccessSeen = 0;
  int scmOpened = 0;
  int scmClosed = 0;

  Wow64 wow64 = Wow64::kNo;

  // Makes the next call of any of the above throw std::bad_alloc, as a
  // run-time failure inside the routine.
  bool throwOnNextCall = false;
};

// The state the fake seam reads; fresh for every test.
State& Get();
void Reset();

// What the back end makes of a version record with these facts, the service
// pack given as the record's 128 bytes in the ANSI code page hold it.
platform::sysinfo::OsVersion VersionRecord(uint32_t platformId, uint32_t major, uint32_t minor,
                                           uint32_t build, const std::string& csd = "");

}  // namespace sondalink::fake::sysinfo
