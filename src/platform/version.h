// Version resources of files, as version.dll reads them.
#pragma once

#include <cstdint>
#include <string>

namespace sondalink::platform::version {

// The path is UTF-8; the back end hands it to the ANSI calls in the ANSI
// code page.

// GetFileVersionInfoSizeA: the size of the version information, 0 when the
// file has none or cannot be read.
uint32_t VersionInfoSize(const std::string& path);

// GetFileVersionInfoA(path, 0, size, buffer): non-zero when filled.
int ReadVersionInfo(const std::string& path, uint32_t size, void* buffer);

// VerQueryValueA(buffer, "\\", &pointer, &length): non-zero with `fixed`
// pointing at the VS_FIXEDFILEINFO inside the buffer and `length` its size in
// bytes (52; less when the resource carries no fixed information).
int VerQueryRootBlock(const void* buffer, const void*& fixed, uint32_t& length);

}  // namespace sondalink::platform::version
