// The ANSI code page conversion, run by the native tests (over the posix
// twin) and the Windows tests (over Windows's own, code page 1252 in the
// test prefix under an English or Italian locale): every A function and the
// log file get their texts through it.
#include <gtest/gtest.h>

#include <ostream>

#include "native/fuzz.h"
#include "platform/text.h"

namespace sondalink::platform {

struct CodePageCase {
  const char* name;
  const char* utf8;
  const char* ansi;
  bool comesBack;  // FromAnsi gives the text again
};

void PrintTo(const CodePageCase& c, std::ostream* os) { *os << c.name; }

namespace {

class CodePage : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePage, TextGoesOutInTheCodePageAndBack) {
  const CodePageCase& c = GetParam();
  EXPECT_EQ(ToAnsi(c.utf8), c.ansi);
  if (c.comesBack) {
    EXPECT_EQ(FromAnsi(c.ansi), c.utf8);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CodePage,
    ::testing::Values(CodePageCase{"AccentedLettersAreSingleBytes", "proprietà Sì è", "propriet\xE0 S\xEC \xE8", true},
                      CodePageCase{"EuroSignAndQuotesUseTheHighRange", "€ “x”", "\x80 \x93x\x94", true},
                      CodePageCase{"OutsideTheCodePageIsAQuestionMark", "Привет 中", "?????? ?", false},
                      CodePageCase{"MalformedUtf8IsAQuestionMark", "\xFF\xFE", "??", false},
                      // Full-width semicolon and quote, t with cedilla.
                      CodePageCase{"LookAlikesAreQuestionMarks", "a\xEF\xBC\x9B\xEF\xBC\x82\xC5\xA3 è", "a??? \xE8",
                                   false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FuzzCodePage, AnyBytesFromTheSystemGoBackOutUnchanged) {
  // In code page 1252 every byte has a character.
  testing::Fuzz fuzz(22);
  fuzz.Run(5000, [&](int) {
    const std::string bytes = fuzz.Bytes(48);
    EXPECT_EQ(ToAnsi(FromAnsi(bytes)), bytes) << testing::Shown(bytes);
  });
}

}  // namespace
}  // namespace sondalink::platform
