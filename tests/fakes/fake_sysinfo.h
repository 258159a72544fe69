// Scriptable system facts for the native tests: the version record that
// GetVersionExA hands out, the computer and account names, the service
// control manager and the WOW64 flag.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sysinfo.h"

namespace sondalink::fake::sysinfo {

struct State {
  enum class Wow64 { kMissing, kFails, kNo, kYes };

  // GetVersionExA: fails when false; otherwise copies `version` over the
  // caller's record (keeping the size the caller set).
  bool versionSucceeds = true;
  platform::sysinfo::OsVersionInfoA version{148, 6, 1, 7601, 2, "Service Pack 1"};
  // Set when the caller's record arrived with another size than 148.
  bool versionSizeWrong = false;

  // GetComputerNameA / GetUserNameA: nullopt makes the call fail without
  // writing. A name that does not fit the buffer with its NUL fails the way
  // Windows does: nothing written, the needed size handed back.
  std::optional<std::string> computerName = "WORKSTATION";
  std::optional<std::string> userName = "utente";
  uint32_t computerNameSizeSeen = 0;
  uint32_t userNameSizeSeen = 0;

  // OpenSCManagerA: opens when true. The access mask asked is recorded.
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

// A version record with these facts.
platform::sysinfo::OsVersionInfoA VersionRecord(uint32_t platformId, uint32_t major, uint32_t minor,
                                                uint32_t build, const std::string& csd = "");

}  // namespace sondalink::fake::sysinfo
