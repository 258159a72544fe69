// In-memory system facts behind platform/sysinfo.h.
#include "fakes/fake_sysinfo.h"

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

// The ANSI name functions write the name and its NUL, or nothing when they do
// not fit the buffer; the back end hands on the name up to the NUL in UTF-8.
std::string ReadName(const std::optional<std::string>& name, uint32_t size) {
  if (!name || name->size() + 1 > size) return {};
  return platform::FromAnsi(name->substr(0, name->find('\0')));
}
}  // namespace

State& Get() { return g_state; }
void Reset() { g_state = State{}; }

platform::sysinfo::OsVersion VersionRecord(uint32_t platformId, uint32_t major, uint32_t minor,
                                           uint32_t build, const std::string& csd) {
  const std::string field = csd.substr(0, 128);
  return {major, minor, build, platformId, platform::FromAnsi(field.substr(0, field.find('\0')))};
}

}  // namespace sondalink::fake::sysinfo

namespace sondalink::platform::sysinfo {

using fake::sysinfo::g_state;
namespace fakes = fake::sysinfo;

bool GetOsVersion(OsVersion& version) {
  fakes::MaybeThrow();
  if (!g_state.versionSucceeds) return false;
  version = g_state.version;
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

bool ServiceManagerOpens(uint32_t access) {
  fakes::MaybeThrow();
  g_state.scmAccessSeen = access;
  if (!g_state.scmOpens) return false;
  ++g_state.scmOpened;
  return true;
}

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
