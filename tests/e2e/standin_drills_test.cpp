// Fault drills on the real Sondalink.exe: what a user, another program or the
// machine does to it at the worst moment. The program must neither crash nor
// lose what it wrote, and must go on working afterwards.
#include <algorithm>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../support/row_name.h"
#include "app/fmconn.h"
#include "standin_run.h"

namespace sondalink::e2e {
namespace {

namespace g = testing::golden;

size_t CountContaining(const std::vector<std::string>& lines, const std::string& part) {
  return std::ranges::count_if(lines, [&](const std::string& l) { return l.find(part) != std::string::npos; });
}

// The journal's texts with their escapes undone (\" and \\ only matter here).
std::string Unescaped(const std::string& line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) ++i;
    out += line[i];
  }
  return out;
}

class Drill : public StandinRun {};

// LogStart's box, whose text begins `start`: once it is closed the run is
// over, with no other box and no Notepad, and the window unlocked.
void ExpectLogStartBox(const App& app, const std::string& start) {
  const std::string text = Narrow(CloseBox(app, Icon::Error).value_or(L""));
  EXPECT_TRUE(text.starts_with(start)) << text;
  EXPECT_TRUE(text.ends_with("\r\n\r\nImpossibile continuare.")) << text;
  EXPECT_TRUE(WaitFor([&] { return app.Enabled(kCmdADO) && app.Enabled(kEdServer); }, 20000))
      << "the window stayed locked";
  EXPECT_FALSE(app.OpenBox());
  EXPECT_TRUE(NotepadsOf(app).empty());
}

// Killed while a test runs (in the stand-in's slow listing): every line the
// program had written is in the file, for WriteFile hands it to the system
// at once. The echo comes just before the file line, so the very last line
// shown may be the one the kill cut.
TEST_F(Drill, KilledDuringASlowTestTheLogKeepsEveryLineWritten) {
  StartOnTheServer(standin::SlowListing("ado", 40, 100));
  app->Click(At(kCmdADO));
  ASSERT_TRUE(WaitFor([&] { return TextOf(At(kEdLog)).find(L"Proprieta_5 = ") != std::wstring::npos; }, 30000));

  std::vector<std::string> echo = SplitCrLf(Narrow(TextOf(At(kEdLog))));
  ASSERT_TRUE(EndProcess(app->processId()));

  const std::vector<std::string> file = LogNow(g::Component::Ado);
  ASSERT_GE(echo.size(), 20u);
  echo.pop_back();           // possibly cut by the kill
  echo.erase(echo.begin());  // "Creazione file di log ...": the echo's own
  size_t found = 0;
  for (const std::string& want : echo) {
    if (want.empty()) continue;
    const bool in = std::ranges::any_of(file, [&](const std::string& l) { return l.ends_with(want); });
    EXPECT_TRUE(in) << "missing from the file: " << want;
    found += in;
  }
  EXPECT_GE(found, 15u);
}

// Another program holds the log file open without sharing: LogStart says so
// in its box, the run ends without a failure box or Notepad, the window is
// usable again, and once the file is free the next run writes it whole.
TEST_F(Drill, ALogFileHeldByAnotherProgramFailsItsRunCleanlyAndTheNextRunWorks) {
  StartOnTheServer();
  // Owned, so that a failing assertion below does not leave the file locked
  // for every later test.
  win32::unique_hfile held(::CreateFileW(LogPath(g::Component::Ado).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                         nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);

  app->Click(At(kCmdADO));
  ExpectLogStartBox(*app, "Routine basConn:LogStart, linea 0, errore ");
  EXPECT_TRUE(app->Running());
  held.reset();

  const g::Component ado = g::Component::Ado;
  ExpectEnding(Run(ado), LogOf(ado, g::Log(ado, {})), {SuccessBox(ado)}, false);
}

// A second copy of the program starts the same test while the first one is
// writing its log: the second gets LogStart's box and writes nothing into
// the file; the first ends as usual with a whole log of its one run, and
// the second goes on working.
TEST_F(Drill, ASecondCopyCannotWriteIntoTheLogOfARunningTest) {
  standin::Release release;
  StartOnTheServer(standin::SlowListing("ado", 30, 100) + release.Line());
  app->Click(At(kCmdADO));
  ASSERT_TRUE(WaitFor([&] { return TextOf(At(kEdLog)).find(L"Proprieta_3 = ") != std::wstring::npos; }, 30000));

  App second;
  ASSERT_TRUE(second.window());
  second.Click(second.Control(kOptSQL));
  second.TypeCredentials(kServer, L"sa");
  second.Click(second.Control(kCmdADO));
  // ERROR_SHARING_VIOLATION
  ExpectLogStartBox(second, "Routine basConn:LogStart, linea 0, errore -2147024864, descrizione: ");
  release.Set();

  Ending first = Finish(g::Component::Ado);
  ExpectBoxes(first, {SuccessBox(g::Component::Ado)});
  EXPECT_EQ(CountContaining(first.log, "Operazione avviata il "), 1u);
  EXPECT_EQ(CountContaining(first.log, "Inizio test connessione ADO..."), 1u);
  EXPECT_EQ(CountContaining(first.log, "Operazione terminata il "), 1u);
  EXPECT_EQ(CountContaining(Journal(), "create ado.Connection"), 1u);

  // Both copies go on: the second now runs the test to its success.
  second.Click(second.Control(kCmdADO));
  EXPECT_EQ(CloseBox(second, Icon::Information), Widen(SuccessBox(g::Component::Ado).text));
  EXPECT_EQ(CountContaining(LogNow(g::Component::Ado), "Operazione avviata il "), 1u);
  EXPECT_TRUE(second.Running());
  EXPECT_TRUE(app->Running());
}

// A file named Ardenza where the data folder's parent should be: the start-up
// box says why, no window ever shows, and the program ends by itself.
TEST_F(Drill, ADataFolderThatCannotBeCreatedEndsTheProgramWithItsBox) {
  const std::wstring parent = LocalAppData() + L"\\Ardenza";
  const std::wstring aside = parent + L".drill-" + std::to_wstring(::GetCurrentProcessId());
  const bool moved = ::MoveFileW(parent.c_str(), aside.c_str()) != 0;
  const Undo back([&] {
    ::DeleteFileW(parent.c_str());
    if (moved) ::MoveFileW(aside.c_str(), parent.c_str());
  });
  win32::unique_hfile file(::CreateFileW(parent.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
  file.reset();

  app.emplace();
  StartupFailure(*app);
  EXPECT_TRUE(FindWindows({.title = Widen(kFormConn.caption)}).empty());
}

// Cyrillic and Chinese in the server box: the component gets them as typed,
// the ANSI log holds what its code page can (question marks), and the test
// runs to its success.
TEST_F(Drill, ServerNameOutsideTheCodePageRunsToTheEnd) {
  Start(ServerScenario());
  const std::wstring server = Widen("Сервер\\中文");
  SqlAuthentication(server, L"sa", kPassword);
  Ending ending = Run(g::Component::Ado);
  ExpectBoxes(ending, {SuccessBox(g::Component::Ado)});
  EXPECT_EQ(CountContaining(ending.log, "Connessione al server/istanza '??????\\?" "?' in corso..."), 1u);
  EXPECT_EQ(CountContaining(ending.log, "---> CONNESSIONE AVVENUTA CON SUCCESSO <---"), 1u);
  std::vector<std::string> journal = Journal();
  // The journal writes the backslash doubled.
  EXPECT_EQ(CountContaining(journal, "Server=Сервер\\\\中文;Database=master;"), 1u);
  EXPECT_NE(TextOf(At(kEdLog)).find(L"Connessione al server/istanza '" + server + L"' in corso..."), std::wstring::npos);
}

// A server name of a million characters, and login and password made of the
// characters that end or quote connection-string values: no crash, every
// value reaches the component quoted whole, and the password is shown
// nowhere, neither in the log file nor in the window.
TEST_F(Drill, HugeServerAndHostileCredentialsAreQuotedAndThePasswordNeverShows) {
  Start(ServerScenario());
  const std::wstring server(1000000, L'S');
  const std::wstring login = L"sa;\"{x}'", password = L"p;w}\"{'x=1";
  SqlAuthentication(server, login, password);
  // A clean success: its one box, and no Notepad.
  const Ending ending = Run(g::Component::Ado);
  ExpectBoxes(ending, {SuccessBox(g::Component::Ado)});
  EXPECT_EQ(ending.notepads, 0u);

  std::string open;
  for (const std::string& line : Journal()) {
    if (line.rfind("call ado.Connection.Open(", 0) == 0) open = Unescaped(line);
  }
  ASSERT_FALSE(open.empty());
  EXPECT_NE(open.find("Server=" + std::string(1000000, 'S') + ";Database=master;"), std::string::npos);
  EXPECT_NE(open.find("UID=\"sa;\"\"{x}'\";pwd=\"p;w}\"\"{'x=1\";LANGUAGE=us_english;APP=Velario;"), std::string::npos)
      << open.substr(open.find("UID="));

  const std::string secret = Narrow(password);
  for (const std::string& line : ending.log) EXPECT_EQ(line.find(secret), std::string::npos) << line;
  EXPECT_EQ(CountContaining(ending.log, "pwd=********;LANGUAGE=us_english;APP=Velario;"), 1u);
  for (HWND control : app->Controls()) {
    if (control == At(kEdPassword)) continue;  // the box the user typed it in, shown as stars
    EXPECT_EQ(TextOf(control).find(password), std::wstring::npos) << "control " << ClassOf(control).c_str();
  }
}

// A data folder whose path has a blank and a comma: Notepad gets the log's
// path between quotes and opens that very file.
TEST_F(Drill, NotepadGetsALogPathWithABlankAndACommaQuoted) {
  const std::wstring moved = L"C:\\users\\Public\\Dati locali, esercitazione";
  const Undo movedAppData = MoveLocalAppData(moved);

  Start(standin::Fail("ado.Connection.Open", 0x800A0C4A, "Login failed for user 'sa'.", "Microsoft OLE DB Provider"));
  SqlAuthentication(kServer, L"sa", kPassword);
  const Ending ending = Run(g::Component::Ado);
  EXPECT_EQ(ending.notepads, 1u);
  const std::wstring log = moved + L"\\Ardenza\\Sondalink\\SondalinkADO.log";
  EXPECT_NE(ending.notepadCommandLine.find(L"\"" + log + L"\""), std::wstring::npos) << Narrow(ending.notepadCommandLine);
  app.reset();
}

// A double click and a burst of clicks on each test button: one test runs,
// whose run the stand-in saw begin once.
struct Burst {
  g::Component component;
  const char* name;
  const char* runBegins;  // the journal line of the call that starts a run
  friend void PrintTo(const Burst& b, std::ostream* os) { *os << b.name; }
};

class DrillBurst : public StandinRun, public ::testing::WithParamInterface<Burst> {};

TEST_P(DrillBurst, ADoubleClickAndABurstOfClicksRunOneTest) {
  const Burst& b = GetParam();
  for (int clicks : {2, 8}) {
    SCOPED_TRACE(std::to_string(clicks) + " clicks");
    StartOnTheServer();
    for (int i = 0; i < clicks; ++i) ::PostMessageW(At(kTestButton[static_cast<int>(b.component)]), BM_CLICK, 0, 0);
    Ending ending = Finish(b.component);
    ExpectBoxes(ending, {SuccessBox(b.component)});
    // Whatever was still queued has been dispatched once the program has
    // settled: a second run would have begun in it, and its box or its
    // first call would show now.
    app->Settle();
    EXPECT_FALSE(app->OpenBox());
    EXPECT_EQ(CountContaining(Journal(), b.runBegins), 1u);
    EXPECT_EQ(CountContaining(LogNow(b.component), g::ProfileOf(b.component).firstLine), 1u);
    app.reset();
    standin::ClearJournal(journal_);
    // The next round's file of its own: reading this one as that run began
    // would keep the program from deleting it, and its lines would add up.
    ::DeleteFileW(LogPath(b.component).c_str());
  }
}

INSTANTIATE_TEST_SUITE_P(Buttons, DrillBurst,
                         ::testing::Values(Burst{g::Component::Ado, "ADO", "create ado.Connection"},
                                           Burst{g::Component::Dao, "DAO", ".CreateWorkspace("},
                                           Burst{g::Component::Dmo, "SQLDMO", "create dmo.SQLServer"}),
                         testing::kRowName);

}  // namespace
}  // namespace sondalink::e2e
