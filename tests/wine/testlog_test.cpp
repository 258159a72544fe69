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
#include "wine/failing_file_call.h"

namespace sondalink {
namespace {

using testing::FailingFileCall;
using testing::FileCall;
using testing::TempFolder;

// Whether another program could open the file for writing now.
bool Writable(const std::string& path) {
  win32::unique_hfile h(::CreateFileW(win32::Widen(path).c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(h);
}

// Answers every message box of this thread with OK and keeps its text.
class BoxCatcher {
 public:
  BoxCatcher() {
    texts_ = &seen_;
    hook_ = ::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
  }
  ~BoxCatcher() {
    ::UnhookWindowsHookEx(hook_);
    texts_ = nullptr;
  }
  BoxCatcher(const BoxCatcher&) = delete;
  BoxCatcher& operator=(const BoxCatcher&) = delete;
  const std::vector<testing::LogWatch::Box>& boxes() const { return seen_; }
  std::vector<std::string> texts() const {
    std::vector<std::string> texts;
    for (const auto& b : seen_) texts.push_back(b.text);
    return texts;
  }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && texts_) {
      HWND box = reinterpret_cast<HWND>(wParam);
      wchar_t name[16] = {};
      ::GetClassNameW(box, name, 16);
      if (std::wstring(name) == L"#32770") {
        wchar_t text[1024] = {}, title[256] = {};
        ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
        ::GetWindowTextW(box, title, 256);
        // The icon is not told apart here: the flags are the native build's to check.
        texts_->push_back({win32::Narrow(text), win32::Narrow(title), -1});
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline std::vector<testing::LogWatch::Box>* texts_ = nullptr;
  HHOOK hook_ = nullptr;
  std::vector<testing::LogWatch::Box> seen_;
};

std::string LocalStamp() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return text;
}

class TestLogWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    gstrCartellaLog = tmp.path() + "\\";
    gstrFileLog = "SondalinkADO.log";
  }
  void TearDown() override {
    LogStop();
    gstrCartellaLog.clear();
    gstrFileLog.clear();
  }
  std::string path() const { return tmp / "SondalinkADO.log"; }
  TempFolder tmp;
};

TEST_F(TestLogWin32, FileBytesMatchTheNativeBuild) {
  tmp.MakeFile("SondalinkADO.log", "run precedente\r\n");
  std::string before = LocalStamp();
  ASSERT_TRUE(LogStart());
  testing::WriteLogLines();
  ASSERT_TRUE(LogStop());
  std::string after = LocalStamp();
  EXPECT_EQ(glngNumWarning, testing::kLogLinesWarnings);
  EXPECT_EQ(glngNumErrori, testing::kLogLinesErrors);

  std::string bytes = TempFolder::ReadFile(path());
  // Every stamp is the local time of the run, in one form.
  std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
  for (std::sregex_iterator it(bytes.begin(), bytes.end(), stamp), end; it != end; ++it) {
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
    BoxCatcher boxes;
    ASSERT_TRUE(LogStart());
    LogWrite("nuovo");
    ASSERT_TRUE(LogStop());
    EXPECT_TRUE(boxes.texts().empty());
    if (refused) {
      EXPECT_EQ(FailingFileCall::failures(), 1);
    }
    const std::string bytes = TempFolder::ReadFile(path());
    EXPECT_EQ(bytes.rfind("run precedente\r\n" + std::string(91, '-') + "\r\n", 0), 0u) << bytes;
    EXPECT_TRUE(bytes.ends_with(std::string(68, '-') + "\r\n \r\n"));
    reader.reset();
    refused.reset();
    ASSERT_TRUE(::DeleteFileW(win32::Widen(path()).c_str()));
  }
}

// The first write that fails shows its box once and closes the file, which
// anyone may then open; the rest of the run is echoed only, and LogStop
// neither writes nor shows anything. A header that cannot be written closes
// the file as well.
TEST_F(TestLogWin32, AFailedWriteShowsOneBoxAndLeavesTheFileClosed) {
  const std::string tail = "\r\n\r\nImpossibile continuare.";
  const std::string disk = "Routine basConn:LogWrite, linea 0, errore -2147024784, descrizione: ";
  {
    SCOPED_TRACE("a line");
    BoxCatcher boxes;
    FailingFileCall full(FileCall::WriteFile, ERROR_DISK_FULL, 7);  // header and one line
    ASSERT_TRUE(LogStart());
    LogWrite("scritta");
    LogWrite("persa");
    LogWrite("solo a video", kLogError);
    EXPECT_TRUE(LogStop());
    EXPECT_FALSE(gbLogAperto);
    EXPECT_EQ(FailingFileCall::failures(), 1);
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_EQ(boxes.texts()[0].rfind(disk, 0), 0u) << boxes.texts()[0];
    EXPECT_TRUE(boxes.texts()[0].ends_with(tail));
    EXPECT_EQ(glngNumErrori, 1);
    const std::string bytes = TempFolder::ReadFile(path());
    EXPECT_TRUE(bytes.ends_with(", INFO: scritta\r\n")) << bytes;
    EXPECT_TRUE(Writable(path()));
  }
  {
    SCOPED_TRACE("the header");
    BoxCatcher boxes;
    FailingFileCall full(FileCall::WriteFile, ERROR_DISK_FULL, 2);
    EXPECT_FALSE(LogStart());
    EXPECT_FALSE(gbLogAperto);
    ASSERT_EQ(boxes.texts().size(), 1u);
    EXPECT_EQ(boxes.texts()[0].rfind("Routine basConn:LogStart, linea 0, errore -2147024784, ", 0), 0u);
    EXPECT_TRUE(Writable(path()));
  }
}

}  // namespace

// A real window with the log box, and the message boxes caught meanwhile.
struct testing::LogWatch::Impl {
  BoxCatcher boxes;
};
testing::LogWatch::LogWatch() : impl_(std::make_unique<Impl>()) {
  EXPECT_FALSE(ShowOnlyTheLogBox().failed());
}
testing::LogWatch::~LogWatch() { platform::ui::UnloadForm(); }
std::vector<testing::LogWatch::Box> testing::LogWatch::Boxes() const { return impl_->boxes.boxes(); }
// The real window's events are its own business: not counted here.
std::optional<int> testing::LogWatch::EventRounds() const { return std::nullopt; }

}  // namespace sondalink
