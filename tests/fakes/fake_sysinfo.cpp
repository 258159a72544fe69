// In-memory system facts behind platform/sysinfo.h.
#include "fakes/fake_sysinfo.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/text.h"

namespace sondalink::fake::sysinfo {

namespace {
State g_state;

void MaybeThrow() {
  if (g_state.throwOnNextCall) {
    g_state.throwOnNextCall = false;
    throw std::bad_alloc();
  }
}

// The ANSI name functions into a buffer of `size` blanks: the name and its
// NUL, or nothing when it does not fit; then, as in the Windows back end, the
// name up to the NUL in UTF-8.
std::string ReadName(const std::optional<std::string>& name, uint32_t size) {
  std::string buffer(size, ' ');
  if (name && name->size() + 1 <= size) std::memcpy(buffer.data(), name->c_str(), name->size() + 1);
  size_t nul = buffer.find('\0');
  if (nul == std::string::npos) return {};
  return platform::FromAnsi(buffer.substr(0, nul));
}
}  // namespace

State& Get() { return g_state; }
void Reset() { g_state = State{}; }

OsVersionInfoA VersionRecord(uint32_t platformId, uint32_t major, uint32_t minor, uint32_t build,
                              const std::string& csd) {
  OsVersionInfoA info{};
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

bool GetOsVersion(OsVersion& version) {
  fakes::MaybeThrow();
  if (!g_state.versionSucceeds) return false;
  const fakes::OsVersionInfoA& info = g_state.version;
  version.majorVersion = info.dwMajorVersion;
  version.minorVersion = info.dwMinorVersion;
  version.buildNumber = info.dwBuildNumber;
  version.platformId = info.dwPlatformId;
  const std::string csd(info.szCSDVersion, sizeof info.szCSDVersion);
  version.servicePack = FromAnsi(csd.substr(0, csd.find('\0')));
  return true;
}

std::string ComputerName(uint32_t bufferSize) {
  fakes::MaybeThrow();
  g_state.computerNameSizeSeen = bufferSize;
  return fakes::ReadName(g_state.computerName, bufferSize);
}

std::string UserName(uint32_t bufferSize) {
  fakes::MaybeThrow();
  g_state.userNameSizeSeen = bufferSize;
  return fakes::ReadName(g_state.userName, bufferSize);
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
