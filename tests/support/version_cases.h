// File versions read by LeggiVersioneFile, one table for both builds: the
// fixed file version's two 32-bit halves (natively handed out by the fake)
// and the four signed 16-bit numbers they read as. Under Wine a row with a
// DLL name is read from that DLL, built with the version in its resource.
#pragma once

#include <array>
#include <cstdint>

namespace sondalink::testing {

using VersionParts = std::array<int16_t, 4>;

struct VersionCase {
  uint32_t ms, ls;
  VersionParts parts;
  const wchar_t* dll;  // in the "environment" folder beside the Windows tests, or nullptr
};

// Halves of 32768 and more are negative 16-bit numbers; 65535 reads as -1.
inline constexpr VersionCase kVersionCases[] = {
    {0x00060003, 0x000C0159, {6, 3, 12, 345}, L"versione_6_3_12_345.dll"},
    {0x00010002, 0x8000FFFF, {1, 2, -32768, -1}, L"versione_1_2_32768_65535.dll"},
    {0xFFFF7FFF, 0x00000000, {-1, 32767, 0, 0}, nullptr},
};

}  // namespace sondalink::testing
