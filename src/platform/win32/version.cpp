// Version resources of files through version.dll's ANSI calls, the path in
// the ANSI code page. Win32-specific code only.
#include "platform/version.h"

#include "platform/text.h"
#include "platform/win32/windows_support.h"

namespace sondalink::platform::version {

uint32_t VersionInfoSize(const std::string& path) {
  DWORD handle = 0;
  return ::GetFileVersionInfoSizeA(ToAnsi(path).c_str(), &handle);
}

int ReadVersionInfo(const std::string& path, uint32_t size, void* buffer) {
  return ::GetFileVersionInfoA(ToAnsi(path).c_str(), 0, size, buffer);
}

int VerQueryRootBlock(const void* buffer, const void*& fixed, uint32_t& length) {
  void* pointer = nullptr;
  UINT n = 0;
  // The block is only read, whatever the signature says.
  BOOL ok = ::VerQueryValueA(const_cast<void*>(buffer), "\\", &pointer, &n);
  fixed = pointer;
  length = n;
  return ok;
}

}  // namespace sondalink::platform::version
