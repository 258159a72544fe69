// The tests of the real program over what the test prefix holds: the ADO
// test against the ADO that Wine provides, the DAO ODBCDirect and SQL-DMO
// tests on a machine where neither component is installed. Each run ends at
// its failure box, then Notepad opens its log, which begins with the real
// machine's report.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "../support/golden_log.h"
#include "../support/row_name.h"
#include "expected_log.h"

namespace sondalink::e2e {
namespace {

namespace g = testing::golden;

// What each test (in g::Component's order) logs in the test prefix after
// the machine's report: its own steps, the last one's start alone where the
// component is installed.
const struct {
  bool found;
  std::vector<g::Entry> steps;
} kInThePrefix[] = {
    // Wine registers ADO's connection class, but not its type library in a
    // fresh prefix: the object is created and its Open fails.
    {true, {g::Error("Errore durante l'esecuzione del metodo ADODB.Connection.Open: number=")}},
    {false,
     {g::Info("Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'..."),
      g::Error("Errore nell'esecuzione metoto 'DAO.DBEngine.CreateWorkspace': number=-2147221164, "
               "description=Class not registered, source=DAO.DBEngine.35")}},
    {false,
     {g::Info("Creazione dell'oggetto 'SQLDMO.SQLServer'..."),
      g::Error("Errore nella creazione dell'oggetto 'SQLDMO.SQLServer': number=-2147221005, "
               "description=Invalid class string, source=SQLDMO.SQLServer")}},
};

struct Case {
  const char* name;
  g::Component component;
  int runs;
  int clicks;  // posted at once, as a double click leaves them; 0 for one click of the user's
  const wchar_t* windows = nullptr;  // the version Wine gives the program
  std::string version = "";          // and the one the program must read
  const wchar_t* profile = nullptr;  // the local application data folder, moved
  friend void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }
};

const Case kCases[] = {
    {"ADO", g::Component::Ado, 1, 0},
    // The second click of a double click waits in the queue while the first
    // test writes its first lines; it must not start a test inside the first.
    {"ADODoubleClick", g::Component::Ado, 1, 2},
    // A component that could not be created is tried again, and fails the
    // same way.
    {"DAO", g::Component::Dao, 2, 0},
    // Windows 8.1 and later report their own version only to a program whose
    // manifest names them, and so does Wine set to Windows 10 for one program:
    // the program built, with the manifest of its resource script, must read
    // 10.0 where one without it reads 6.2.
    {"DAOOnWindows10", g::Component::Dao, 1, 0, L"win10", "10.0."},
    {"SQLDMO", g::Component::Dmo, 2, 0},
    // A profile whose local application data folder holds Cyrillic and
    // Chinese characters, which no ANSI code page of the prefix can name: the
    // program starts, writes the log there (contents still in the code page),
    // Notepad opens that very file, and the log-folder button the folder.
    {"SQLDMOInAProfileOutsideTheCodePage", g::Component::Dmo, 1, 0, nullptr, "", L"C:\\users\\Public\\Профиль 用户"},
};

class RealComponent : public ::testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() {
    // The test prefix carries neither DAO nor SQL-DMO; the stand-in tests
    // take theirs away again when they end.
    for (const wchar_t* key : {L"DAO.DBEngine.35\\CLSID", L"SQLDMO.SQLServer\\CLSID",
                               L"CLSID\\{00000010-0000-0010-8000-00AA006D2EA4}"}) {
      win32::unique_hkey opened;
      ASSERT_NE(::RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, opened.put()), ERROR_SUCCESS)
          << Narrow(key) << " is registered in the test prefix";
    }
  }
};

TEST_P(RealComponent, EndsAtItsFailureBoxThenNotepadShowsTheLog) {
  const Case& c = GetParam();
  const g::Profile& test = g::ProfileOf(c.component);
  const auto& [found, steps] = kInThePrefix[static_cast<int>(c.component)];
  if (c.windows && !UnderWine()) GTEST_SKIP() << "sets the Windows version through Wine's AppDefaults";
  const Undo version = c.windows ? SetRegistryValue(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Sondalink.exe",
                                                    L"Version", REG_SZ, c.windows)
                                  : Undo();
  const Undo profile = c.profile ? MoveLocalAppData(c.profile) : Undo();
  App app;
  ASSERT_TRUE(app.window()) << "no window; box: " << (app.OpenBox() ? Narrow(app.OpenBox()->text) : "none");
  const std::wstring logFile = Widen(test.logFile), log = DataFolder() + logFile;
  EXPECT_TRUE(!c.profile || log.starts_with(c.profile)) << Narrow(log);
  app.TypeCredentials(L"SRVDATI\\SQLEXPRESS", L"sa", L"segreta");
  HWND button = app.Control(kTestButton[static_cast<int>(c.component)]);

  for (int run = 1; run <= c.runs; ++run) {
    SCOPED_TRACE(run);
    if (c.clicks == 0) app.Click(button);
    for (int i = 0; i < c.clicks; ++i) ::PostMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(CloseBox(app, Icon::Warning, 60000, kBoxTitle,
                       [&] { EXPECT_TRUE(NotepadsOf(app).empty()) << "Notepad must wait for the box"; }),
              Widen(g::FailureText(c.component)));

    HWND notepad = WaitForNotepad(app, logFile);
    ASSERT_TRUE(notepad) << "Notepad did not show the log";
    app.Settle();
    EXPECT_EQ(NotepadsOf(app).size(), 1u);
    // Between quotes if it has a blank; Wine's Notepad overwrites the closing
    // quote of its own command line with a NUL as it reads it.
    const std::wstring commandLine = CommandLineOf(ProcessOfWindow(notepad));
    const bool quoted = log.find(L' ') != std::wstring::npos;
    EXPECT_TRUE(commandLine.starts_with(L"notepad.exe " + std::wstring(quoted ? L"\"" : L"") + log))
        << Narrow(commandLine);
    CloseAndWait(notepad);
    EXPECT_FALSE(app.OpenBox()) << "a second box";

    // The whole log: the report of this very machine, then the test's own
    // steps; where the component is installed, Wine's own lines of it up to
    // the last step.
    const std::vector<std::string> lines = ReadMaskedLog(log);
    const std::string os = c.version.empty() ? "Windows .+" : "Sconosciuto: " + c.version + ".*";
    ExpectedLog want(test.logFile);
    want.Info(test.firstLine).Machine(os + R"( \(versione: )" + c.version + R"(.+\))");
    const std::string classLine = std::string("Nome del componente COM associato alla classe '") + test.className + "': ";
    if (found) {
      want.Matching("<T>, INFO: " + classLine + ".+");
      while (want.Lines().size() + 1 < lines.size()) want.Matching(".*");
      want.Matching("<T>, ERROR: " + steps.back().message + ".*");
    } else {
      want.Info(classLine + "(non rilevato)").Entries(steps);
    }
    EXPECT_TRUE(LogMatches(lines, want));
    EXPECT_EQ(std::ranges::count(lines, "<T>, INFO: " + std::string(test.firstLine)), 1);
    EXPECT_EQ(std::ranges::count(lines, std::string("<T>, INFO: Operazione terminata.")), 0);

    // The log box shows the same run to its closing line, the password nowhere.
    const std::wstring shown = TextOf(app.Control(kEdLog));
    EXPECT_EQ(Narrow(shown), EchoOf(lines, Narrow(log)));
    EXPECT_EQ(shown.find(L"segreta"), std::wstring::npos);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowEnabled(button); }));
  }
  if (c.profile) {
    const std::wstring opened = FolderOpenedBy(app, app.Control(kCmdOpenLog));
    EXPECT_NE(opened.find(L"\"" + DataFolder() + L"\""), std::wstring::npos) << Narrow(opened);
    EXPECT_FALSE(app.OpenBox());
  }
  EXPECT_TRUE(app.Quit());
}

INSTANTIATE_TEST_SUITE_P(Components, RealComponent, ::testing::ValuesIn(kCases), testing::kRowName);

}  // namespace
}  // namespace sondalink::e2e
