// The native host's ANSI code page is Windows-1252, the code page of the
// Italian Windows installations the log files come from.
#include "platform/text.h"

#include <cstdint>

namespace sondalink::platform {
namespace {

// Code points of 0x80..0x9F in Windows-1252; 0 where the code page has none.
constexpr uint16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one code point; malformed bytes count as one U+FFFD each.
uint32_t NextCodePoint(const std::string& s, size_t& i) {
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b = byte(i);
  size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return 0xFFFD;
  }
  uint32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
  for (size_t k = 1; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are malformed too,
  // as in Windows' own decoder: C0 BB must not turn into a bare ';'.
  constexpr uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
    ++i;
    return 0xFFFD;
  }
  i += len;
  return cp;
}

}  // namespace

std::string ToAnsi(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    uint32_t cp = NextCodePoint(utf8, i);
    // The five bytes the code page leaves undefined come back from their C1
    // controls, as Windows maps them, so any byte sequence round-trips.
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF) || (cp >= 0x80 && cp < 0xA0 && kHigh[cp - 0x80] == 0)) {
      out += static_cast<char>(cp);
      continue;
    }
    char c = '?';
    for (int k = 0; k < 32; ++k) {
      if (kHigh[k] != 0 && kHigh[k] == cp) c = static_cast<char>(0x80 + k);
    }
    out += c;
  }
  return out;
}

std::string FromAnsi(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (unsigned char b : ansi) {
    if (b >= 0x80 && b < 0xA0) {
      AppendUtf8(out, kHigh[b - 0x80] ? kHigh[b - 0x80] : b);
    } else {
      AppendUtf8(out, b);
    }
  }
  return out;
}

}  // namespace sondalink::platform
