// A test that takes seconds, on the real Sondalink.exe: the window stays
// alive while it runs (edLog fills line by line, the log-folder button
// opens the folder), refuses to close, and no second test can start inside
// the first; the run then ends as usual.
#include <algorithm>
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "standin_control.h"
#include "standin_run.h"

namespace sondalink::e2e {
namespace {

using ::testing::Contains;
using ::testing::Not;
namespace g = testing::golden;

const std::string kCloseRefused = "Impossibile uscire dal programma quando è in corso il test.";

size_t Lines(const std::wstring& text) { return std::ranges::count(text, L'\n') + 1; }

bool Finished(const std::vector<std::string>& log) {
  return log.size() >= 4 && log[log.size() - 4] == "Operazione terminata il <T>";
}

class SlowRun : public StandinRun {
 protected:
  // The whole run over the server's scenario with `slow` in it, held up by
  // the release until the impatient user is done.
  Ending Play(const std::string& slow, Ctl button, const std::string& logFile, const std::string& slowPart,
              bool openFolder) {
    Start(ServerScenario() + slow + release.Line());
    SqlAuthentication(kServer, L"sa", kPassword);
    WhileItRuns(button, logFile, slowPart, openFolder);
    return Finish(logFile);
  }

  // Presses `button` and, while its test is in its slow part (announced by
  // `slowPart` in edLog), plays the impatient user.
  void WhileItRuns(Ctl button, const std::string& logFile, const std::string& slowPart, bool openFolder) {
    app->Click(At(button));
    ASSERT_TRUE(WaitFor([&] { return TextOf(At(kEdLog)).find(W(slowPart.c_str())) != std::wstring::npos; }, 20000))
        << "the slow part never began";

    // edLog shows the lines as they come, one at a time.
    std::set<size_t> seen;
    EXPECT_TRUE(WaitFor([&] {
      seen.insert(Lines(TextOf(At(kEdLog))));
      return seen.size() >= 4;
    }, 5000)) << "edLog showed " << seen.size() << " different lengths";

    // Locked, except the log-folder button.
    for (Ctl c : {kEdServer, kOptTrusted, kOptSQL, kEdLogin, kEdPassword, kCmdSQLDMO, kCmdADO, kCmdDAODirect}) {
      EXPECT_FALSE(Enabled(c)) << "control " << c;
    }
    EXPECT_TRUE(Enabled(kCmdOpenLog));

    // Every test button pressed again: under Wine a click reaches the window
    // even from a disabled button, so the program itself must refuse.
    for (Ctl c : {kCmdSQLDMO, kCmdADO, kCmdDAODirect}) app->Click(At(c));
    EXPECT_FALSE(app->OpenBox());

    // The log folder opens in the shell (once is enough: the shell is slow).
    if (openFolder) {
      EXPECT_NE(FolderOpenedBy(*app, At(kCmdOpenLog)).find(LocalAppData() + L"\\Ardenza\\Sondalink\\"),
                std::wstring::npos);
    }

    // The close button: refused with a box, the window stays.
    TryToClose(logFile);
    release.Set();
  }

  void TryToClose(const std::string& logFile) {
    ASSERT_FALSE(Finished(LogNow(logFile))) << "the test ended before the close was tried";
    app->Close();
    std::optional<Box> box = app->WaitBox(L"Messaggio di Sondalink");
    ASSERT_TRUE(box) << "no box for the refused close";
    EXPECT_EQ(standin::Narrow(box->text), kCloseRefused);
    EXPECT_EQ(box->icon, Icon::Warning) << IconName(box->icon);
    EXPECT_FALSE(Finished(LogNow(logFile))) << "the box came after the test";
    ASSERT_TRUE(app->PressOk(*box));
    EXPECT_TRUE(::IsWindowVisible(app->window()));
    EXPECT_TRUE(app->Running());
  }

  standin::Release release;

  // One success box, no Notepad, the log's end, and nothing of the others.
  void ExpectPlainSuccess(const Ending& ending, const std::string& test, const std::string& created,
                          const std::string& logFile) {
    ASSERT_EQ(ending.boxes.size(), 1u);
    EXPECT_EQ(ending.boxes[0].text, SuccessBox(test, kVersion).text);
    EXPECT_FALSE(ending.notepad);
    EXPECT_THAT(ending.log, Contains("<T>, INFO: Operazione terminata."));
    ExpectOnlyOneTest(created, logFile);
  }

  // The other tests never began: no object of theirs, no log of theirs.
  void ExpectOnlyOneTest(const std::string& created, const std::string& logFile) {
    std::vector<std::string> journal = Journal();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), created), 1);
    for (const char* other : {"create ado.Connection", "create dao.DBEngine", "create dmo.SQLServer"}) {
      if (other != created) {
        EXPECT_THAT(journal, Not(Contains(other)));
      }
    }
    for (const char* other : {"SondalinkADO.log", "SondalinkDAOODBCDirect.log", "SondalinkSQLDMO.log"}) {
      if (other != logFile) {
        EXPECT_EQ(::GetFileAttributesW(LogPath(other).c_str()), INVALID_FILE_ATTRIBUTES) << other;
      }
    }
  }
};

TEST_F(SlowRun, AdoStaysResponsiveRefusesToCloseAndRunsAlone) {
  const std::string log = "SondalinkADO.log";
  Ending ending = Play(standin::SlowListing("ado", 60, 100), kCmdADO, log,
                       "Lettura proprietà ADODB.Connection.Properties in corso...", true);
  std::vector<g::Entry> listing;
  for (int i = 1; i <= 60; ++i) listing.push_back(g::Info("    Proprieta_" + std::to_string(i) + " = " + std::to_string(i)));
  ExpectedLog expected(log);
  expected.Info("Inizio test connessione ADO...")
      .EnvironmentReport("ADODB.Connection", "{00000514-0000-0010-8000-00AA006D2EA4}")
      .Entries(g::Apply(g::Log(g::Component::Ado, {}), {g::InsertAfter("    Packet Size = 4096", listing)}));
  ExpectEnding(ending, expected, {SuccessBox("ADO", kVersion)}, false, log);
  ExpectOnlyOneTest("create ado.Connection", log);
}

TEST_F(SlowRun, DaoStaysResponsiveRefusesToCloseAndRunsAlone) {
  const std::string log = "SondalinkDAOODBCDirect.log";
  Ending ending = Play(standin::SlowListing("dao.workspace", 60, 100), kCmdDAODirect, log,
                       "Lettura proprietà DAO.Workspace.Properties in corso...", false);
  ExpectPlainSuccess(ending, "DAO ODBCDirect", "create dao.DBEngine", log);
  EXPECT_THAT(ending.log, Contains("<T>, INFO:     Proprieta_60 = 60"));
}

TEST_F(SlowRun, SqlDmoStaysResponsiveRefusesToCloseAndRunsAlone) {
  const std::string log = "SondalinkSQLDMO.log";
  std::string scenario;
  // Every call after the announcement, each followed by a log line.
  for (const char* member : {"Application.FullName", "Application.VersionMajor", "Application.VersionMinor",
                             "Application.VersionBuild", "Application.ODBCVersionString", "SQLServer.ApplicationName",
                             "SQLServer.CodePage", "SQLServer.LoginTimeout", "SQLServer.LoginSecure", "SQLServer.Connect",
                             "SQLServer.Language", "SQLServer.VersionString"}) {
    scenario += standin::Delay(std::string("dmo.") + member, 300);
  }
  Ending ending = Play(scenario, kCmdSQLDMO, log, "Lettura proprietà SQLServer.Application.Name=", false);

  ExpectPlainSuccess(ending, "SQLDMO", "create dmo.SQLServer", log);
}

}  // namespace
}  // namespace sondalink::e2e
