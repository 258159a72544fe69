// Version resources of files through version.dll's ANSI calls, the path in
// the ANSI code page. Win32-specific code only.
#include "platform/version.h"

#include "platform/text.h"
#include "platform/win32/system_library.h"
#include "platform/win32/windows_support.h"

namespace sondalink::platform::version {

namespace {

// version.dll is no KnownDLL on current Windows: imported, it would be
// loaded from the program's folder first. Loaded on first use, kept for the
// program's life; where it cannot be, every call answers as for a file
// without version information.
struct VersionDll {
  win32::unique_hmodule module = win32::LoadSystemLibrary(L"version.dll");
  decltype(&::GetFileVersionInfoSizeA) infoSize =
      win32::ProcAddress<decltype(infoSize)>(module.get(), "GetFileVersionInfoSizeA");
  decltype(&::GetFileVersionInfoA) info =
      win32::ProcAddress<decltype(info)>(module.get(), "GetFileVersionInfoA");
  decltype(&::VerQueryValueA) queryValue =
      win32::ProcAddress<decltype(queryValue)>(module.get(), "VerQueryValueA");
};

const VersionDll& Dll() {
  static const VersionDll dll;
  return dll;
}

}  // namespace

uint32_t VersionInfoSize(const std::string& path) {
  if (!Dll().infoSize) return 0;
  DWORD handle = 0;
  return Dll().infoSize(ToAnsi(path).c_str(), &handle);
}

int ReadVersionInfo(const std::string& path, uint32_t size, void* buffer) {
  if (!Dll().info) return 0;
  return Dll().info(ToAnsi(path).c_str(), 0, size, buffer);
}

int VerQueryRootBlock(const void* buffer, const void*& fixed, uint32_t& length) {
  fixed = nullptr;
  length = 0;
  if (!Dll().queryValue) return 0;
  void* pointer = nullptr;
  UINT n = 0;
  // The block is only read, whatever the signature says.
  BOOL ok = Dll().queryValue(const_cast<void*>(buffer), "\\", &pointer, &n);
  fixed = pointer;
  length = n;
  return ok;
}

}  // namespace sondalink::platform::version
