// In-memory system facts behind platform/sysinfo.h.
#include "fakes/fake_sysinfo.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace sondalink::fake::sysinfo {

namespace {
State g_state;

void MaybeThrow() {
  if (g_state.throwOnNextCall) {
    g_state.throwOnNextCall = false;
    throw std::bad_alloc();
  }
}

// The ANSI name functions: the name and its NUL, or nothing when it does not
// fit.
int CopyName(const std::optional<std::string>& name, char* buffer, uint32_t& size,
             bool sizeCountsNul) {
  if (!name) return 0;
  if (name->size() + 1 > size) {
    size = static_cast<uint32_t>(name->size() + 1);
    return 0;
  }
  std::memcpy(buffer, name->c_str(), name->size() + 1);
  size = static_cast<uint32_t>(name->size() + (sizeCountsNul ? 1 : 0));
  return 1;
}
}  // namespace

State& Get() { return g_state; }
void Reset() { g_state = State{}; }

platform::sysinfo::OsVersionInfoA VersionRecord(uint32_t platformId, uint32_t major, uint32_t minor,
                                                uint32_t build, const std::string& csd) {
  platform::sysinfo::OsVersionInfoA info{};
  info.dwOSVersionInfoSize = 148;
  info.dwMajorVersion = major;
  info.dwMinorVersion = minor;
  info.dwBuildNumber = build;
  info.dwPlatformId = platformId;
  std::memcpy(info.szCSDVersion, csd.data(), std::min(csd.size(), sizeof info.szCSDVersion));
  return info;
}

}  // namespace sondalink::fake::sysinfo

namespace sondalink::platform::sysinfo {

using fake::sysinfo::g_state;
namespace fakes = fake::sysinfo;

int GetVersionExA(OsVersionInfoA& info) {
  fakes::MaybeThrow();
  if (info.dwOSVersionInfoSize != 148) {
    g_state.versionSizeWrong = true;
    return 0;
  }
  if (!g_state.versionSucceeds) return 0;
  info = g_state.version;
  info.dwOSVersionInfoSize = 148;
  return 1;
}

int GetComputerNameA(char* buffer, uint32_t& size) {
  fakes::MaybeThrow();
  g_state.computerNameSizeSeen = size;
  return fakes::CopyName(g_state.computerName, buffer, size, false);
}

int GetUserNameA(char* buffer, uint32_t& size) {
  fakes::MaybeThrow();
  g_state.userNameSizeSeen = size;
  return fakes::CopyName(g_state.userName, buffer, size, true);
}

uintptr_t OpenSCManagerA(uint32_t access) {
  fakes::MaybeThrow();
  g_state.scmAccessSeen = access;
  if (!g_state.scmOpens) return 0;
  ++g_state.scmOpened;
  return 0x5C0000 + static_cast<uintptr_t>(g_state.scmOpened);
}

void CloseServiceHandle(uintptr_t) { ++g_state.scmClosed; }

ErrorRecord IsWow64Process(int32_t& flag) {
  fakes::MaybeThrow();
  switch (g_state.wow64) {
    case fakes::State::Wow64::kMissing:
      return ErrorRecord{static_cast<int32_t>(0x8007007F),
                         "The specified procedure could not be found.", "IsWow64Process"};
    case fakes::State::Wow64::kFails:
      return ErrorRecord{static_cast<int32_t>(0x80070006), "The handle is invalid.",
                         "IsWow64Process"};
    case fakes::State::Wow64::kNo:
      flag = 0;
      return {};
    case fakes::State::Wow64::kYes:
      flag = 1;
      return {};
  }
  return {};
}

}  // namespace sondalink::platform::sysinfo
