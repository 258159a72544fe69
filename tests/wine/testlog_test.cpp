// The test log's own Windows cases (the shared ones are
// support/testlog_contract.cpp): the same bytes as on the native build with
// the stamps from the local clock, and the failures Windows can be made to
// meet.
#include "platform/win32/windows_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "support/log_box_form.h"
#include "support/log_cases.h"
#include "support/windows.h"
#include "wine/failing_file_call.h"

namespace sondalink {
namespace {

using testing::FailingFileCall;
using testing::FileCall;

std::string LocalStamp() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return text;
}

class TestLogWin32 : public testing::TestLog {};

TEST_F(TestLogWin32, FileBytesMatchTheNativeBuild) {
  tmp.MakeFile("SondalinkADO.log", "run precedente\r\n");
  std::string before = LocalStamp();
  ASSERT_TRUE(LogStart());
  testing::WriteLogLines();
  ASSERT_TRUE(LogStop());
  std::string after = LocalStamp();
  EXPECT_EQ(glngNumWarning, testing::kLogLinesWarnings);
  EXPECT_EQ(glngNumErrori, testing::kLogLinesErrors);

  const std::string bytes = file();
  // Every stamp is the local time of the run, in one form.
  for (std::sregex_iterator it(bytes.begin(), bytes.end(), testing::kLogStamp), end; it != end; ++it) {
    EXPECT_GE(it->str(), before);
    EXPECT_LE(it->str(), after);
  }
  EXPECT_EQ(testing::Unstamped(bytes), testing::LogFile("<stamp>", testing::LogLinesAsWritten("<stamp>"), "<stamp>"));
}

// A previous log that cannot be deleted (a reader holds it, or the system
// refuses) is appended to, and nobody is told.
TEST_F(TestLogWin32, APreviousLogThatCannotBeDeletedIsAppendedToSilently) {
  for (bool held : {true, false}) {
    SCOPED_TRACE(held ? "held by a reader" : "deletion refused");
    tmp.MakeFile("SondalinkADO.log", "run precedente\r\n");
    win32::unique_hfile reader;
    std::optional<FailingFileCall> refused;
    if (held) {
      reader.reset(::CreateFileW(win32::Widen(path()).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(reader);
    } else {
      refused.emplace(FileCall::DeleteFileW, ERROR_ACCESS_DENIED);
    }
    ASSERT_TRUE(LogStart());
    LogWrite("nuovo");
    ASSERT_TRUE(LogStop());
    EXPECT_TRUE(boxes().empty());
    if (refused) {
      EXPECT_EQ(FailingFileCall::failures(), 1);
    }
    const std::string bytes = file();
    EXPECT_EQ(bytes.rfind("run precedente\r\n" + testing::kLongRule, 0), 0u) << bytes;
    EXPECT_TRUE(bytes.ends_with(testing::kShortRule + " \r\n"));
    reader.reset();
    refused.reset();
    ASSERT_TRUE(::DeleteFileW(win32::Widen(path()).c_str()));
  }
}

}  // namespace

// A real window with the log box, and the message boxes caught meanwhile.
struct testing::LogWatch::Impl {
  MessageBoxes boxes;
};
testing::LogWatch::LogWatch() : impl_(std::make_unique<Impl>()) {
  EXPECT_FALSE(ShowOnlyTheLogBox().failed());
}
testing::LogWatch::~LogWatch() { platform::ui::UnloadForm(); }
// The icon is not told apart here: the flags are the native build's to check.
std::vector<testing::LogWatch::Box> testing::LogWatch::Boxes() const {
  std::vector<Box> boxes;
  for (const MessageBoxes::Seen& box : impl_->boxes.seen()) {
    boxes.push_back({win32::Narrow(box.text), win32::Narrow(box.title), -1});
  }
  return boxes;
}
// The real window's events are its own business: not counted here.
std::optional<int> testing::LogWatch::EventRounds() const { return std::nullopt; }

// The next write fails with ERROR_DISK_FULL, whatever its size; the system's
// description is Wine's own, so only the number is checked.
struct testing::WritesFail::Impl {
  FailingFileCall full{FileCall::WriteFile, ERROR_DISK_FULL};
};
testing::WritesFail::WritesFail(size_t) : impl_(std::make_unique<Impl>()) {}
testing::WritesFail::~WritesFail() = default;
std::string testing::WritesFail::Error() { return "errore -2147024784, descrizione: "; }

}  // namespace sondalink
