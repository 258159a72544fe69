#include <gtest/gtest.h>

#include "platform/text.h"

namespace sondalink::platform {
namespace {

TEST(AnsiCodePage, AccentedLettersAreSingleBytes) {
  EXPECT_EQ(ToAnsi("proprietà Sì è"), "propriet\xE0 S\xEC \xE8");
  EXPECT_EQ(FromAnsi("propriet\xE0 S\xEC \xE8"), "proprietà Sì è");
}

TEST(AnsiCodePage, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  EXPECT_EQ(ToAnsi("Привет 中"), "?????? ?");
  EXPECT_EQ(ToAnsi("\xFF\xFE"), "??");  // malformed UTF-8
}

TEST(AnsiCodePage, TheEuroSignAndQuotesUseTheHighRange) {
  EXPECT_EQ(ToAnsi("€ “x”"), "\x80 \x93x\x94");
  EXPECT_EQ(FromAnsi("\x80\x93"), "€“");
}

}  // namespace
}  // namespace sondalink::platform
