// The test log written through the Win32 file layer: the same bytes as on
// the native build, the stamp from the local clock, the file shared.
#include "platform/win32/windows_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>
#include <regex>

#include "app/controls.h"
#include "environment/cartella_dati.h"
#include "platform/ui.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "support/temp_folder.h"
#include "support/version_line.h"
#include "testlog/testlog.h"
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
  const std::vector<std::string>& texts() const { return seen_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && texts_) {
      HWND box = reinterpret_cast<HWND>(wParam);
      wchar_t name[16] = {};
      ::GetClassNameW(box, name, 16);
      if (std::wstring(name) == L"#32770") {
        wchar_t text[1024] = {};
        ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
        texts_->push_back(win32::Narrow(text));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline std::vector<std::string>* texts_ = nullptr;
  HHOOK hook_ = nullptr;
  std::vector<std::string> seen_;
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
  LogWrite("Connessione in corso...");
  LogWrite("proprietà è già", kLogWarning);
  LogWrite("errore", kLogError);
  LogWrite("tre", 3);
  ASSERT_TRUE(LogStop());
  std::string after = LocalStamp();
  EXPECT_EQ(glngNumWarning, 1);
  EXPECT_EQ(glngNumErrori, 1);

  std::string bytes = TempFolder::ReadFile(path());
  // Every stamp is the local time of the run, in one form.
  std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
  for (std::sregex_iterator it(bytes.begin(), bytes.end(), stamp), end; it != end; ++it) {
    EXPECT_GE(it->str(), before);
    EXPECT_LE(it->str(), after);
  }
  const std::string T = "yyyy-mm-dd hh:mm:ss";
  EXPECT_EQ(std::regex_replace(bytes, stamp, T),
            std::string(91, '-') + "\r\n" +
                "Sondalink.exe - Utility per testare le connessioni VB6 ai database SQL "
                "Server/MSDE\r\n" +
                testing::VersionLine() + "\r\n" +
                "Nome file di log: 'SondalinkADO.log'\r\n"
                "Operazione avviata il " + T + "\r\n" +
                std::string(91, '-') + "\r\n" +
                T + ", INFO: Connessione in corso...\r\n" +
                T + ", WARNING: propriet\xE0 \xE8 gi\xE0\r\n" +
                T + ", ERROR: errore\r\n" +
                T + ", INFO: tre\r\n" +
                "Operazione terminata il " + T + "\r\n" +
                std::string(68, '-') + "\r\n" + " \r\n");
}

// While a log is written, a reader (an editor, a viewer following it) opens
// it; a writer or a second copy's LogStart does not, nor does a deletion.
TEST_F(TestLogWin32, ReadersMayOpenTheLogWhileItIsWrittenWritersMayNot) {
  ASSERT_TRUE(LogStart());
  LogWrite("prima");
  const std::wstring wide = win32::Widen(path());
  {
    win32::unique_hfile reader(::CreateFileW(wide.c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader) << ::GetLastError();
    char buffer[1024] = {};
    DWORD n = 0;
    ASSERT_TRUE(::ReadFile(reader.get(), buffer, sizeof buffer, &n, nullptr));
    EXPECT_TRUE(std::string(buffer, n).ends_with(", INFO: prima\r\n"));
    win32::unique_hfile writer(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_FALSE(::DeleteFileW(wide.c_str()));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  }
  LogWrite("dopo");
  ASSERT_TRUE(LogStop());
  std::regex tail(", INFO: prima\r\n[-0-9: ]{19}, INFO: dopo\r\nOperazione terminata il ");
  EXPECT_TRUE(std::regex_search(TempFolder::ReadFile(path()), tail));
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

// The echo goes into the real log box: entries joined by CR LF, accented
// letters intact, no stamp or level word.
TEST_F(TestLogWin32, EchoInTheWindowsLogBox) {
  namespace ui = platform::ui;
  const ui::ControlDef logBox[] = {
      {kEdLog, "edLog", ui::ControlKind::TextBox, 0, "", {135, 135, 8295, 4065},
       ui::kStyleMultiLine | ui::kStyleReadOnly | ui::kStyleScrollBars | ui::kStyleButtonFace},
  };
  ASSERT_FALSE(ui::ShowForm({"Sondalink log", 8595, 4335, logBox, 1}, {}).failed());
  LogEchoInto(kEdLog);
  ASSERT_TRUE(LogStart());
  LogWrite("proprietà è già", kLogWarning);
  LogWrite("seconda");
  ASSERT_TRUE(LogStop());
  std::string echo = platform::ui::GetText(kEdLog);
  platform::ui::UnloadForm();
  EXPECT_EQ(echo, "Creazione file di log " + path() + ".\r\nproprietà è già\r\nseconda\r\n"
                  "Chiusura file di log " + path() + ".");
}

}  // namespace
}  // namespace sondalink
