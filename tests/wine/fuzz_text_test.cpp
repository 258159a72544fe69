// Random broken UTF-8 against the real code page conversion of Windows,
// which the program uses for every A function and for the log file (the
// round trip of any bytes is support/text_contract.cpp's).
#include <gtest/gtest.h>

#include "native/fuzz.h"
#include "platform/text.h"

namespace sondalink::platform {
namespace {

using testing::AsciiExceptQuestionMarks;
using testing::Fuzz;
using testing::Shown;

TEST(FuzzAnsiCodePageWin32, BrokenUtf8InventsNoAscii) {
  Fuzz fuzz(21);
  fuzz.Run(5000, [&](int) {
    std::string in = fuzz.Bytes(32);
    if (fuzz.OneIn(2)) in += fuzz.Typed(6);
    if (fuzz.OneIn(4)) in.insert(fuzz.Below(in.size() + 1), "\xC0\xBB");
    // Wine's decoder may swallow the ASCII byte that follows a cut-short
    // sequence (Windows resumes at it): so the output's ASCII only has to be
    // found, in order, in the input's. The program's own texts come from
    // wide strings and are never malformed.
    const std::string out = AsciiExceptQuestionMarks(ToAnsi(in));
    const std::string all = AsciiExceptQuestionMarks(in);
    size_t k = 0;
    for (char c : all) {
      if (k < out.size() && out[k] == c) ++k;
    }
    EXPECT_EQ(k, out.size()) << Shown(in) << " gave " << Shown(out);
  });
}

}  // namespace
}  // namespace sondalink::platform
