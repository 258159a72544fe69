// The test run frame on the real program: the ADO test runs against the ADO
// that Wine provides, ends at its failure box and opens its log in Notepad;
// a double click starts one test only. (The DAO and SQL-DMO buttons, whose
// components the prefix lacks, are driven by connection_missing_test.cpp.)
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../support/row_name.h"
#include "app/controls.h"
#include "driver.h"

namespace sondalink::e2e {
namespace {

struct Pulsante {
  const char* name;
  ControlId control;
  const wchar_t* logFile;
  const char* firstLine;
  const char* classLine;   // the environment report's component line
  const char* lastStep;    // how the last line of the test's own steps begins
  const char* failure;
};

const Pulsante kPulsanti[] = {
    // Wine registers ADO's connection class, but not its type library in a
    // fresh prefix: the object is created and its Open fails.
    {"ADO", kCmdADO, L"SondalinkADO.log", "Inizio test connessione ADO...",
     "Nome del componente COM associato alla classe 'ADODB.Connection': ",
     "Errore durante l'esecuzione del metodo ADODB.Connection.Open: number=",
     "Connessione ADO fallita."},
};

// Names the case in test listings instead of its bytes.
void PrintTo(const Pulsante& p, std::ostream* out) { *out << p.name; }

std::wstring LogPath(const wchar_t* file) {
  return LocalAppData() + L"\\Ardenza\\Sondalink\\" + file;
}

// The message of a body line, without its time stamp and level.
std::string Message(const std::string& line) {
  for (const char* level : {", INFO: ", ", WARNING: ", ", ERROR: "}) {
    if (size_t at = line.find(level); at != std::string::npos) {
      return line.substr(at + std::string(level).size());
    }
  }
  return line;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& start) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& l) { return Message(l).rfind(start, 0) == 0; });
}

std::vector<HWND> NotepadsOn(const wchar_t* file, const App& app) {
  return WindowsTitled(file, app.processId());
}

void CloseNotepads(const wchar_t* file, const App& app) {
  for (HWND hwnd : NotepadsOn(file, app)) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
  WaitFor([&] { return NotepadsOn(file, app).empty(); }, 10000);
}

class FrameE2E : public ::testing::TestWithParam<Pulsante> {};

TEST_P(FrameE2E, RunsToTheFailureBoxThenOpensTheLogInNotepad) {
  const Pulsante& p = GetParam();
  App app;
  CloseNotepads(p.logFile, app);
  app.Type(app.Control(kEdServer), L"SRVPROVA");
  app.Type(app.Control(kEdLogin), L"sa");
  app.Type(app.Control(kEdPassword), L"segreta");
  app.Click(app.Control(p.control));

  std::optional<Box> box = app.WaitBox(L"Messaggio di Sondalink", 60000);
  ASSERT_TRUE(box) << "no box at the end of the run";
  EXPECT_EQ(box->text, W(p.failure));
  EXPECT_EQ(box->icon, Icon::Warning) << IconName(box->icon);
  EXPECT_TRUE(NotepadsOn(p.logFile, app).empty()) << "Notepad must wait for the box";
  ASSERT_TRUE(app.PressOk(*box));

  EXPECT_TRUE(WaitFor([&] { return !NotepadsOn(p.logFile, app).empty(); }, 20000))
      << "Notepad did not open the log";
  CloseNotepads(p.logFile, app);
  app.Settle();
  EXPECT_TRUE(::IsWindowEnabled(app.Control(p.control)));
  EXPECT_FALSE(app.OpenBox()) << "a second box after the failure box";

  std::vector<std::string> lines = LogFileLines(LogPath(p.logFile));
  ASSERT_GT(lines.size(), 9u);
  EXPECT_EQ(Message(lines[6]), p.firstLine);
  EXPECT_TRUE(HasLine(lines, p.classLine)) << "no environment report line for the class";
  EXPECT_TRUE(HasLine(lines, "Nome computer: "));
  // The test's steps end with their error line; the log's footer follows.
  const std::string& last = lines[lines.size() - 4];
  EXPECT_NE(last.find(", ERROR: "), std::string::npos) << last;
  EXPECT_EQ(Message(last).rfind(p.lastStep, 0), 0u) << last;
  EXPECT_FALSE(HasLine(lines, "Operazione terminata."));
  // The log box echoes the same run, closed by its last line.
  std::wstring echo = TextOf(app.Control(kEdLog));
  EXPECT_NE(echo.find(W(p.firstLine)), std::wstring::npos);
  EXPECT_NE(echo.find(L"Chiusura file di log "), std::wstring::npos);
}

INSTANTIATE_TEST_SUITE_P(Buttons, FrameE2E, ::testing::ValuesIn(kPulsanti), testing::kRowName);

// The second click of a double click waits in the queue while the first
// test writes its first lines; it must not start a test inside the first.
TEST(FrameE2EDoubleClick, StartsOneTestOnly) {
  App app;
  CloseNotepads(L"SondalinkADO.log", app);
  app.Type(app.Control(kEdServer), L"SRVPROVA");
  app.Type(app.Control(kEdLogin), L"sa");
  // Both clicks in the queue before the program sees the first, as a
  // double click leaves them.
  HWND button = app.Control(kCmdADO);
  ::PostMessageW(button, BM_CLICK, 0, 0);
  ::PostMessageW(button, BM_CLICK, 0, 0);

  std::optional<Box> box = app.WaitBox(L"Messaggio di Sondalink", 60000);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, W("Connessione ADO fallita."));
  ASSERT_TRUE(app.PressOk(*box));
  EXPECT_TRUE(WaitFor([&] { return !NotepadsOn(L"SondalinkADO.log", app).empty(); }, 20000));
  app.Settle();
  EXPECT_FALSE(app.OpenBox()) << "a second test ran";
  EXPECT_EQ(NotepadsOn(L"SondalinkADO.log", app).size(), 1u);
  CloseNotepads(L"SondalinkADO.log", app);

  std::vector<std::string> lines = LogFileLines(LogPath(L"SondalinkADO.log"));
  EXPECT_EQ(std::ranges::count_if(lines, [](const std::string& l) { return Message(l) == "Inizio test connessione ADO..."; }),
            1);
  EXPECT_EQ(std::ranges::count_if(lines, [](const std::string& l) { return l.starts_with("Operazione avviata il "); }),
            1);
}

}  // namespace
}  // namespace sondalink::e2e
