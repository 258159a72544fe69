// In-memory version resources behind platform/version.h.
#include "fakes/fake_version.h"

#include <cstring>
#include <new>

#include "platform/text.h"

namespace sondalink::fake::version {

namespace {
State g_version;

// VS_VERSIONINFO: wLength, wValueLength, wType, L"VS_VERSION_INFO", padding
// to 32 bits, then the 52-byte VS_FIXEDFILEINFO at offset 40.
constexpr size_t kValueOffset = 40;
constexpr uint32_t kSignature = 0xFEEF04BD;

void Put16(unsigned char* p, uint16_t v) { std::memcpy(p, &v, 2); }
void Put32(unsigned char* p, uint32_t v) { std::memcpy(p, &v, 4); }

const File* Find(const std::string& path) {
  g_version.lastPath = path;
  auto it = g_version.files.find(path);
  return it == g_version.files.end() ? nullptr : &it->second;
}
}  // namespace

State& Get() { return g_version; }
void Reset() { g_version = State{}; }

}  // namespace sondalink::fake::version

namespace sondalink::platform::version {

namespace fakes = fake::version;

// The path reaches the fake's files in the ANSI code page, as it reaches
// version.dll from the Windows back end.
uint32_t VersionInfoSize(const std::string& path) {
  const fakes::File* f = fakes::Find(ToAnsi(path));
  if (!f) return 0;
  return f->sizeAnswer ? f->sizeAnswer : fakes::kFakeVersionBlockSize;
}

int ReadVersionInfo(const std::string& path, uint32_t size, void* buffer) {
  const fakes::File* f = fakes::Find(ToAnsi(path));
  fakes::g_version.lastReadSize = size;
  if (!f || f->readFails || size < fakes::kFakeVersionBlockSize) return 0;
  if (f->readThrows) throw std::bad_alloc();
  auto* p = static_cast<unsigned char*>(buffer);
  std::memset(p, 0, fakes::kFakeVersionBlockSize);
  const bool fixed = f->ms && f->ls;
  fakes::Put16(p, static_cast<uint16_t>(fakes::kFakeVersionBlockSize));
  fakes::Put16(p + 2, fixed ? 52 : 0);
  const char16_t key[] = u"VS_VERSION_INFO";
  std::memcpy(p + 6, key, sizeof key);
  if (fixed) {
    unsigned char* v = p + fakes::kValueOffset;
    fakes::Put32(v, fakes::kSignature);
    fakes::Put32(v + 4, 0x00010000);
    fakes::Put32(v + 8, *f->ms);
    fakes::Put32(v + 12, *f->ls);
  }
  // Remember whether the query must fail by marking the type word.
  fakes::Put16(p + 4, f->queryFails ? 0xFFFF : 0);
  return 1;
}

int VerQueryRootBlock(const void* buffer, const void*& fixed, uint32_t& length) {
  const auto* p = static_cast<const unsigned char*>(buffer);
  uint16_t valueLength = 0;
  uint16_t type = 0;
  std::memcpy(&valueLength, p + 2, 2);
  std::memcpy(&type, p + 4, 2);
  if (type == 0xFFFF) return 0;
  fixed = p + fakes::kValueOffset;
  length = valueLength;
  return 1;
}

}  // namespace sondalink::platform::version
