#include <gtest/gtest.h>

#include "platform/text.h"

namespace sondalink::platform {
namespace {

// The prefix's ANSI code page is 1252 under an English or Italian locale.
TEST(AnsiCodePageWin32, AccentedLettersRoundTrip) {
  EXPECT_EQ(ToAnsi("proprietà Sì"), "propriet\xE0 S\xEC");
  EXPECT_EQ(FromAnsi("propriet\xE0 S\xEC"), "proprietà Sì");
}

}  // namespace
}  // namespace sondalink::platform
