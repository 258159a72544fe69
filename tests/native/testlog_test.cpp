// The log's own native cases (the shared ones are support/testlog_contract.cpp):
// the stamps from the fake clock, the events run after each line, and the
// failures the posix twin can be made to meet.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <limits>

#include "fakes/fake_clock.h"
#include "fakes/fake_ui.h"
#include "support/log_box_form.h"
#include "support/log_cases.h"

namespace sondalink {
namespace {

namespace ui = platform::ui;
using testing::LogFile;
using testing::TestLog;

// The one box a routine of the log shows when it cannot go on.
void ExpectRoutineBox(const std::string& text) {
  EXPECT_EQ(fake::ui::Get().boxes,
            (std::vector<fake::ui::Box>{{text + "\r\n\r\nImpossibile continuare.", 16, "Messaggio di Sondalink"}}));
}

TEST_F(TestLog, RunWithoutLinesHasNineLines) {
  ASSERT_TRUE(LogStart());
  EXPECT_TRUE(gbLogAperto);
  fake::clock::Set({2026, 12, 31, 23, 59, 58});
  ASSERT_TRUE(LogStop());
  EXPECT_FALSE(gbLogAperto);
  EXPECT_EQ(file(), LogFile("2026-03-07 09:05:04", "", "2026-12-31 23:59:58"));
  EXPECT_EQ(echo(), "Creazione file di log " + path() + ".\r\nChiusura file di log " + path() + ".");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(TestLog, LinesCarryTheirStampLevelAndMessage) {
  ASSERT_TRUE(LogStart());
  fake::clock::Set({2026, 11, 10, 14, 7, 9});
  testing::WriteLogLines();
  ASSERT_TRUE(LogStop());
  const std::string stamp = "2026-11-10 14:07:09";
  EXPECT_EQ(file(), LogFile("2026-03-07 09:05:04", testing::LogLinesAsWritten(stamp), stamp));
  // Counted until the next LogStart, readable after LogStop.
  EXPECT_EQ(glngNumWarning, testing::kLogLinesWarnings);
  EXPECT_EQ(glngNumErrori, testing::kLogLinesErrors);
}

TEST_F(TestLog, EachLineIsInTheFileBeforeEventsRun) {
  ASSERT_TRUE(LogStart());
  std::string seen;
  fake::ui::Queue([&] { seen = file(); });
  const int events = fake::ui::Get().doEventsCalls;
  LogWrite("visibile subito");
  EXPECT_EQ(fake::ui::Get().doEventsCalls, events + 1);
  EXPECT_TRUE(seen.ends_with(", INFO: visibile subito\r\n")) << seen;
}

TEST_F(TestLog, MissingFolderIsReportedByLogStart) {
  gstrCartellaLog = tmp / "manca\\";
  ui::SetText(kEdLog, "");
  glngNumErrori = 3;
  EXPECT_FALSE(LogStart());
  ExpectRoutineBox("Routine basConn:LogStart, linea 0, errore -2147024894, descrizione: No such file or directory");
  EXPECT_FALSE(gbLogAperto);
  // The echo line and the reset counters stay.
  EXPECT_EQ(echo(), "Creazione file di log " + tmp / "manca\\SondalinkADO.log.");
  EXPECT_EQ(glngNumErrori, 0);
  LogWrite("nessuno", kLogError);
  EXPECT_EQ(glngNumErrori, 0);
  EXPECT_TRUE(LogStop());
  EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(TestLog, CounterOverflowIsReportedByLogWrite) {
  ASSERT_TRUE(LogStart());
  glngNumWarning = std::numeric_limits<int32_t>::max();
  LogWrite("una di troppo", kLogWarning);
  ExpectRoutineBox("Routine basConn:LogWrite, linea 0, errore -2147024362, descrizione: Overflow");
  EXPECT_EQ(glngNumWarning, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(file().find("una di troppo"), std::string::npos);
  EXPECT_TRUE(gbLogAperto);
}

}  // namespace

// The fake window, fresh for each test (fresh_state.cpp).
struct testing::LogWatch::Impl {};
testing::LogWatch::LogWatch() { ShowOnlyTheLogBox(); }
testing::LogWatch::~LogWatch() = default;
std::vector<testing::LogWatch::Box> testing::LogWatch::Boxes() const {
  std::vector<Box> boxes;
  for (const fake::ui::Box& b : fake::ui::Get().boxes) boxes.push_back({b.text, b.title, b.flags});
  return boxes;
}
std::optional<int> testing::LogWatch::EventRounds() const { return fake::ui::Get().doEventsCalls; }

// Files may not grow past the limit: writes past it fail with EFBIG
// (SIGXFSZ ignored), as on a full disk.
struct testing::WritesFail::Impl {
  void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
};
testing::WritesFail::WritesFail(size_t limit) : impl_(std::make_unique<Impl>()) {
  getrlimit(RLIMIT_FSIZE, &impl_->old);
  rlimit tight = impl_->old;
  tight.rlim_cur = limit;
  EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
}
testing::WritesFail::~WritesFail() {
  setrlimit(RLIMIT_FSIZE, &impl_->old);
  std::signal(SIGXFSZ, impl_->handler);
}
std::string testing::WritesFail::Error() { return "errore -2147024673, descrizione: File too large"; }

}  // namespace sondalink
