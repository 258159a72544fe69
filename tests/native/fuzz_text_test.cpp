// Random inputs against the text helpers: the path helpers that prepare what
// the shell and Notepad receive, the cut at the first NUL of a registry
// buffer, and the ANSI code page conversion of everything the log writes.
#include <gtest/gtest.h>

#include <algorithm>

#include "environment/cartella_dati.h"
#include "environment/registro.h"
#include "native/fuzz.h"
#include "platform/text.h"

namespace sondalink {
namespace {

using testing::AsciiExceptQuestionMarks;
using testing::Fuzz;
using testing::Shown;

std::string WithoutTrailingBlanks(std::string s) { return s.erase(s.find_last_not_of(' ') + 1); }

TEST(FuzzText, AggiungiBarraFinaleOnlyDropsTrailingBlanksAndAddsOneSeparator) {
  Fuzz fuzz(1);
  fuzz.Run(20000, [&](int) {
    const std::string in = fuzz.OneIn(4) ? fuzz.Bytes(40) : fuzz.Typed(12);
    std::string out = in;
    AggiungiBarraFinale(out);
    const std::string kept = WithoutTrailingBlanks(in);
    ASSERT_FALSE(out.empty()) << Shown(in);
    EXPECT_TRUE(out.back() == '\\' || out.back() == '/') << Shown(in);
    EXPECT_EQ(out.compare(0, kept.size(), kept), 0) << Shown(in);
    EXPECT_LE(out.size(), kept.size() + 1) << Shown(in);
    std::string again = out;
    AggiungiBarraFinale(again);
    EXPECT_EQ(again, out) << "not idempotent for " << Shown(in);
  });
}

TEST(FuzzText, QuotesAddedForTheShellComeOffAgain) {
  Fuzz fuzz(2);
  fuzz.Run(20000, [&](int) {
    std::string path = fuzz.OneIn(4) ? fuzz.Bytes(40) : fuzz.Typed(12);
    // The shell splits at a bare blank or comma: one of them means quotes.
    const std::string quoted = MettiVirgolette(path);
    if (quoted.find_first_of(", ") != std::string::npos) {
      EXPECT_TRUE(quoted.size() >= 2 && quoted.front() == '"' && quoted.back() == '"')
          << Shown(path);
    }

    // A Windows path holds no double quote: for one, unquoting undoes quoting.
    std::erase(path, '"');
    Outcome<std::string> back = TogliVirgolette(MettiVirgolette(path));
    ASSERT_TRUE(back.ok()) << Shown(path);
    EXPECT_EQ(back.value, path) << Shown(path);
  });
}

TEST(FuzzText, TogliVirgoletteStripsExactlyOnePairOutsideTheBlanks) {
  Fuzz fuzz(3);
  fuzz.Run(20000, [&](int) {
    const std::string inner = fuzz.OneIn(4) ? fuzz.Bytes(30) : fuzz.Typed(10);
    const std::string pad1(fuzz.Below(3), ' '), pad2(fuzz.Below(3), ' ');
    Outcome<std::string> r = TogliVirgolette(pad1 + '"' + inner + '"' + pad2);
    ASSERT_TRUE(r.ok()) << Shown(inner);
    EXPECT_EQ(r.value, inner);

    // Any text: a piece of itself, and once stripped of its quotes it only
    // loses further pairs, never gains (the rows of path_helpers_test hold
    // the exact rule).
    const std::string any = fuzz.Typed(8);
    Outcome<std::string> s = TogliVirgolette(any);
    if (!s.ok()) return;
    EXPECT_NE(any.find(s.value), std::string::npos) << Shown(any);
    Outcome<std::string> again = TogliVirgolette(s.value);
    if (again.ok()) {
      EXPECT_LE(again.value.size(), s.value.size()) << Shown(any);
    }
    if (any.find('"') == std::string::npos) {  // then only the blanks go
      EXPECT_EQ(again.value, s.value) << "not idempotent for " << Shown(any);
      EXPECT_TRUE(s.value.empty() || (s.value.front() != ' ' && s.value.back() != ' '))
          << Shown(any);
    }
  });
}

TEST(FuzzText, TroncaAlNulKeepsEverythingBeforeTheFirstNul) {
  Fuzz fuzz(4);
  fuzz.Run(20000, [&](int) {
    const std::string in = fuzz.Bytes(64);
    const std::string out = TroncaAlNul(in);
    EXPECT_EQ(out.find('\0'), std::string::npos);
    EXPECT_EQ(in.compare(0, out.size(), out), 0);
    EXPECT_TRUE(out.size() == in.size() || in[out.size()] == '\0') << Shown(in);
  });
}

// The code points of Windows-1252, the native host's ANSI code page, with the
// five bytes it leaves undefined, which Windows carries as C1 controls.
constexpr char32_t kWindows1252[] = {
    U'\t', U'\r', U'\n', U' ', U'"', U';', U'?', U'A', U'z', U'~', U'\x7F', U'\u20AC',
    U'\x81', U'\u201A', U'\u0192', U'\u201E', U'\u2026', U'\u2020', U'\u2021', U'\u02C6',
    U'\u2030', U'\u0160', U'\u2039', U'\u0152', U'\x8D', U'\u017D', U'\x8F', U'\x90',
    U'\u2018', U'\u2019', U'\u201C', U'\u201D', U'\u2022', U'\u2013', U'\u2014', U'\u02DC',
    U'\u2122', U'\u0161', U'\u203A', U'\u0153', U'\x9D', U'\u017E', U'\u0178', U'\xA0',
    U'\xC0', U'\xE0', U'\xE8', U'\xEC', U'\xF2', U'\xF9', U'\xFF', U'\x01'};

TEST(FuzzText, AnsiCodePageRoundTrips) {
  Fuzz fuzz(5);
  fuzz.Run(20000, [&](int) {
    // Every text the code page can hold survives the way out and back in
    // (any bytes the way in and out: support/text_contract.cpp).
    const std::string text = fuzz.FromPool(kWindows1252, 24);
    const std::string ansi = platform::ToAnsi(text);
    EXPECT_EQ(platform::FromAnsi(ansi), text) << Shown(text);
    EXPECT_EQ(std::count(ansi.begin(), ansi.end(), '?'), std::count(text.begin(), text.end(), '?'))
        << Shown(text);
  });
}

TEST(FuzzText, ToAnsiInventsNoAsciiFromBrokenUtf8) {
  // A semicolon, quote or brace that was not in the text must not come out of
  // the conversion (an overlong form such as C0 BB would otherwise slip past
  // the quoting of a connection string as a bare ";").
  Fuzz fuzz(6);
  fuzz.Run(20000, [&](int) {
    std::string in = fuzz.Bytes(32);
    if (fuzz.OneIn(2)) in += fuzz.Typed(6);
    if (fuzz.OneIn(4)) in.insert(fuzz.Below(in.size() + 1), "\xC0\xBB");
    const std::string out = platform::ToAnsi(in);
    EXPECT_LE(out.size(), in.size()) << Shown(in);
    EXPECT_EQ(AsciiExceptQuestionMarks(out), AsciiExceptQuestionMarks(in)) << Shown(in);
  });
}

}  // namespace
}  // namespace sondalink
