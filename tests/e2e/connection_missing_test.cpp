// The DAO ODBCDirect and SQL-DMO tests of the real program on a machine
// where neither component is installed (the test prefix): each run ends at
// its creation step with that step's error line, the failure box and
// Notepad on its log, and the log opens with the real machine's report.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../support/row_name.h"
#include "driver.h"

namespace sondalink::e2e {
namespace {

struct Case {
  const char* name;
  const char* button;
  const wchar_t* logFile;
  const char* firstLine;
  const char* className;
  std::vector<const char*> steps;  // after the environment report
  const char* failure;
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

const Case kCases[] = {
    {"DAO",
     "Test connessione D&AO ODBCDirect",
     L"SondalinkDAOODBCDirect.log",
     "INFO: Inizio test connessione DAO ODBCDirect...",
     "DAO.DBEngine.35",
     {"INFO: Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'...",
      "ERROR: Errore nell'esecuzione metoto 'DAO.DBEngine.CreateWorkspace': number=-2147221164, "
      "description=Class not registered, source=DAO.DBEngine.35"},
     "Connessione DAO ODBCDirect fallita."},
    {"SQLDMO",
     "Test connessione SQL&DMO",
     L"SondalinkSQLDMO.log",
     "INFO: Inizio test connessione SQLDMO...",
     "SQLDMO.SQLServer",
     {"INFO: Creazione dell'oggetto 'SQLDMO.SQLServer'...",
      "ERROR: Errore nella creazione dell'oggetto 'SQLDMO.SQLServer': number=-2147221005, "
      "description=Invalid class string, source=SQLDMO.SQLServer"},
     "Connessione SQLDMO fallita."},
};

// The log's messages as "LEVEL: message", header, stamps and footer left out.
std::vector<std::string> LogBody(const std::wstring& path) {
  std::vector<std::string> body;
  for (const std::string& line : LogFileLines(path)) {
    for (const char* level : {", INFO: ", ", WARNING: ", ", ERROR: "}) {
      if (size_t at = line.find(level); at != std::string::npos && at < 24) {
        body.push_back(line.substr(at + 2));
        break;
      }
    }
  }
  return body;
}

class MissingComponent : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    // The test prefix carries neither component; the stand-in tests take
    // theirs away again when they end.
    for (const wchar_t* key : {L"DAO.DBEngine.35\\CLSID", L"SQLDMO.SQLServer\\CLSID",
                               L"CLSID\\{00000010-0000-0010-8000-00AA006D2EA4}"}) {
      win32::unique_hkey opened;
      ASSERT_NE(::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, opened.put()), ERROR_SUCCESS)
          << Utf8(key) << " is registered in the test prefix";
    }
  }
};

TEST_P(MissingComponent, EndsAtCreationWithTheFailureBoxAndNotepad) {
  const Case& c = GetParam();
  const std::wstring log = LocalAppData() + L"\\Ardenza\\Sondalink\\" + c.logFile;
  App app;
  ASSERT_TRUE(app.window());
  app.Type(app.Control(kEdServer), L"SRVDATI\\SQLEXPRESS");
  app.Type(app.Control(kEdLogin), L"sa");
  app.Type(app.Control(kEdPassword), L"segreta");

  // Twice in one program: a component that could not be created is tried
  // again, and fails the same way.
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    app.Click(app.Find(L"Button", W(c.button)));
    std::optional<Box> box = app.WaitBox(L"Messaggio di Sondalink", 30000);
    ASSERT_TRUE(box) << "no failure box";
    EXPECT_EQ(box->text, W(c.failure));
    EXPECT_EQ(box->icon, Icon::Warning) << IconName(box->icon);
    // Notepad comes after the box has been closed.
    EXPECT_TRUE(WindowsTitled(c.logFile, app.processId()).empty());
    ASSERT_TRUE(app.PressOk(*box));

    HWND notepad = WaitForNotepad(app, c.logFile);
    ASSERT_TRUE(notepad) << "Notepad did not show the log";
    std::wstring commandLine = CommandLineOf(ProcessOfWindow(notepad));
    EXPECT_NE(commandLine.find(L"notepad.exe"), std::wstring::npos) << Utf8(commandLine);
    EXPECT_NE(commandLine.find(log), std::wstring::npos) << Utf8(commandLine);
    CloseAndWait(notepad);
    EXPECT_FALSE(app.OpenBox()) << "a second box";

    std::vector<std::string> body = LogBody(log);
    ASSERT_EQ(body.size(), 7u + c.steps.size()) << "log: " << Utf8(log);
    EXPECT_EQ(body[0], c.firstLine);
    // The report of this very machine: no component is registered for it.
    EXPECT_EQ(body[1].rfind("INFO: Sistema operativo rivelato: ", 0), 0u) << body[1];
    EXPECT_NE(body[1].find(" (versione: "), std::string::npos) << body[1];
    EXPECT_EQ(body[2], "INFO: Architettura: 32 bit");
    EXPECT_EQ(body[3], "INFO: Nome computer: " + EnvironmentVariable(L"COMPUTERNAME"));
    EXPECT_EQ(body[4], "INFO: Nome account Windows: " + EnvironmentVariable(L"USERNAME"));
    // Wine lets every account open the service manager with full access.
    EXPECT_EQ(body[5], "INFO: Account Windows di tipo amministratore: Sì");
    EXPECT_EQ(body[6], std::string("INFO: Nome del componente COM associato alla classe '") +
                           c.className + "': (non rilevato)");
    for (size_t i = 0; i < c.steps.size(); ++i) EXPECT_EQ(body[7 + i], c.steps[i]);

    // The log box shows the same run, the password nowhere.
    std::wstring shown = TextOf(app.Control(kEdLog));
    const std::string lastStep = c.steps.back();
    EXPECT_NE(shown.find(W(lastStep.substr(lastStep.find(": ") + 2).c_str())), std::wstring::npos)
        << Utf8(shown);
    EXPECT_EQ(shown.find(L"segreta"), std::wstring::npos);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(app.Find(L"Button", W(c.button))); }));
  }
  app.Close();
  EXPECT_TRUE(app.WaitExit());
}

INSTANTIATE_TEST_SUITE_P(Components, MissingComponent, ::testing::ValuesIn(kCases), testing::kRowName);

// Windows 8.1 and later report their own version only to a program whose
// manifest names them, and so does Wine set to Windows 10 for one program:
// the program built, with the manifest of its resource script, must read
// 10.0 where one without it reads 6.2.
TEST(Manifest, WindowsTenReportsItselfToTheProgram) {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  if (!ntdll || !::GetProcAddress(ntdll, "wine_get_version")) {
    GTEST_SKIP() << "sets the Windows version through Wine's AppDefaults";
  }
  RegistryValueFor version(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Sondalink.exe", L"Version", REG_SZ,
                           L"win10");

  const Case& c = kCases[0];
  const std::wstring log = LocalAppData() + L"\\Ardenza\\Sondalink\\" + c.logFile;
  App app;
  ASSERT_TRUE(app.window());
  app.Type(app.Control(kEdServer), L"SRVDATI");
  app.Type(app.Control(kEdLogin), L"sa");
  app.Click(app.Find(L"Button", W(c.button)));
  std::optional<Box> box = app.WaitBox(L"Messaggio di Sondalink", 30000);
  ASSERT_TRUE(box) << "no failure box";
  std::vector<std::string> body = LogBody(log);
  ASSERT_GE(body.size(), 2u) << "log: " << Utf8(log);
  EXPECT_EQ(body[1].rfind("INFO: Sistema operativo rivelato: Sconosciuto: 10.0.", 0), 0u) << body[1];
  EXPECT_NE(body[1].find(" (versione: 10.0."), std::string::npos) << body[1];

  ASSERT_TRUE(app.PressOk(*box));
  if (HWND notepad = WaitForNotepad(app, c.logFile)) CloseAndWait(notepad);
  app.Close();
  EXPECT_TRUE(app.WaitExit());
}

}  // namespace
}  // namespace sondalink::e2e
