// The test log written through the Win32 file layer: the same bytes as on
// the native build, the stamp from the local clock, the file shared.
#include "platform/win32/windows_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "app/basconn.h"
#include "app/controls.h"
#include "platform/ui.h"
#include "platform/text.h"
#include "testlog/testlog.h"
#include "wine/temp_folder.h"

namespace sondalink {
namespace {

using testing::TempFolder;

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
                "Server/MSDE\r\n"
                "Versione 15.00.0022\r\n"
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

TEST_F(TestLogWin32, AnotherProgramCanReadAndWriteTheOpenLog) {
  ASSERT_TRUE(LogStart());
  LogWrite("prima");
  {
    win32::unique_hfile other(::CreateFileA(platform::ToAnsi(path()).c_str(),
                                            GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(other) << ::GetLastError();
    char buffer[1024] = {};
    DWORD n = 0;
    ASSERT_TRUE(::ReadFile(other.get(), buffer, sizeof buffer, &n, nullptr));
    EXPECT_TRUE(std::string(buffer, n).ends_with(", INFO: prima\r\n"));
    ASSERT_TRUE(::WriteFile(other.get(), "altro\r\n", 7, &n, nullptr));
  }
  LogWrite("dopo");
  ASSERT_TRUE(LogStop());
  std::regex tail("altro\r\n[-0-9: ]{19}, INFO: dopo\r\nOperazione terminata il ");
  EXPECT_TRUE(std::regex_search(TempFolder::ReadFile(path()), tail));
}

// The echo goes into the real log box: entries joined by CR LF, accented
// letters intact, no stamp or level word.
TEST_F(TestLogWin32, EchoInTheWindowsLogBox) {
  namespace ui = platform::ui;
  const ui::ControlSpec logBox[] = {
      {kEdLog, "edLog", ui::ControlKind::TextBox, 0, "", {135, 135, 8295, 4065},
       ui::kStyleMultiLine | ui::kStyleReadOnly | ui::kStyleScrollBars | ui::kStyleButtonFace},
  };
  ASSERT_FALSE(ui::ShowForm({"Sondalink log", 8595, 4335, logBox, 1}, {}).failed());
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
