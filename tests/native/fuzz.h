// Bounded random testing for the native suite: a fixed seed, so a failure
// comes back on every run, and a budget of iterations and of time, so the
// suite stays quick under the sanitizers. SONDALINK_FUZZ_SEED picks another
// seed and SONDALINK_FUZZ_SECONDS a longer run, to search further by hand.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace sondalink::testing {

class Fuzz {
 public:
  explicit Fuzz(uint32_t defaultSeed) : seed_(EnvNumber("SONDALINK_FUZZ_SEED", defaultSeed)) {
    rng_.seed(seed_);
  }

  // Runs `body(iteration)` until `maxIterations` or the time budget (2 s by
  // default) runs out, whichever comes first, and stops at the first failure.
  template <class Body>
  void Run(int maxIterations, Body body) {
    const double seconds = EnvNumber("SONDALINK_FUZZ_SECONDS", 0);
    if (seconds > 0) maxIterations = INT32_MAX;
    const auto deadline =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(static_cast<int64_t>((seconds > 0 ? seconds : 1.0) * 1000));
    for (int i = 0; i < maxIterations; ++i) {
      SCOPED_TRACE("seed " + std::to_string(seed_) + ", iteration " + std::to_string(i));
      body(i);
      if (::testing::Test::HasFailure()) return;
      if ((i & 63) == 0 && std::chrono::steady_clock::now() > deadline) return;
    }
  }

  size_t Below(size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
  bool OneIn(size_t n) { return Below(n) == 0; }

  // Any bytes at all, NULs and broken UTF-8 included.
  std::string Bytes(size_t maxLength) {
    std::string s(Below(maxLength + 1), '\0');
    for (char& c : s) c = static_cast<char>(Below(256));
    return s;
  }

  // A text as a user could type it: mostly ordinary characters, with the
  // ones that matter to quoting, paths and code pages mixed in often.
  std::string Typed(size_t maxLength) {
    static constexpr std::string_view kPieces[] = {
        ";", "\"", "'", "{", "}", "}}", " ", "  ", ",", "=", "\\", "/", "\t", "*",
        "à", "è", "€", "ß", "Привет", "中文", "\xF0\x9F\x98\x80", "sa", "SRV", "pwd=",
        ";Trusted_Connection=Yes", "\"\"", "{SQL Server}", "x", "Y", "7", ".", "-"};
    std::string s;
    const size_t pieces = Below(maxLength + 1);
    for (size_t k = 0; k < pieces && s.size() < maxLength; ++k) {
      if (OneIn(3)) {
        s += static_cast<char>('a' + Below(26));
      } else {
        s += kPieces[Below(std::size(kPieces))];
      }
    }
    return s;
  }

  // Text that is valid UTF-8 made only of code points in `pool`.
  template <size_t N>
  std::string FromPool(const char32_t (&pool)[N], size_t maxLength) {
    std::string s;
    for (size_t k = Below(maxLength + 1); k > 0; --k) AppendUtf8(s, pool[Below(N)]);
    return s;
  }

  static void AppendUtf8(std::string& out, char32_t cp) {
    const int extra = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    static constexpr unsigned kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    out += static_cast<char>(kLead[extra] | (cp >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((cp >> (6 * k)) & 0x3F));
  }

 private:
  static double EnvNumber(const char* name, double fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtod(v, nullptr) : fallback;
  }

  uint32_t seed_;
  std::mt19937 rng_;
};

// A text with its unprintable bytes escaped, for failure messages.
inline std::string Shown(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out + "\"";
}

// The ASCII characters of a text but its question marks, in order: what a
// conversion to the code page must neither invent nor lose.
inline std::string AsciiExceptQuestionMarks(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 0x80 && c != '?') out += c;
  }
  return out;
}

}  // namespace sondalink::testing
