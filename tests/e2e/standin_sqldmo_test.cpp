// The SQL-DMO test of the real Sondalink.exe, end to end, over the stand-in
// SQLDMO.SQLServer: every line of its log, its boxes, Notepad, the window
// afterwards, and what reached the component.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "standin_control.h"
#include "standin_run.h"

namespace sondalink::e2e {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kLog = "SondalinkSQLDMO.log";
const WantBox kFailure{Icon::Warning, "Connessione SQLDMO fallita."};

// The journal's lines with by-reference texts written as plain ones: what
// is checked is which texts reached Connect.
std::vector<std::string> Texts(std::vector<std::string> journal) {
  for (std::string& line : journal) {
    for (size_t at = line.find("|VT_BYREF"); at != std::string::npos; at = line.find("|VT_BYREF")) {
      line.erase(at, 9);
    }
  }
  return journal;
}

struct Facts {
  bool nameRead = true;
  bool fullNameRead = true;
};

// From the first line to the announcement of Connect.
ExpectedLog Opening(bool trusted, Facts facts = {}) {
  ExpectedLog log(kLog);
  log.Info("Inizio test connessione SQLDMO...")
      .EnvironmentReport("SQLDMO.SQLServer", "{7D3A51C2-9B84-4E0F-A6D3-5C21E8B94F10}")
      .Info("Creazione dell'oggetto 'SQLDMO.SQLServer'...")
      .Info("Oggetto 'SQLDMO.SQLServer' creato correttamente.");
  if (facts.nameRead) log.Info("Lettura proprietà SQLServer.Application.Name=SQL-DMO stand-in");
  if (facts.fullNameRead) {
    log.Info("Lettura proprietà SQLServer.Application.FullName=" + StandinPath()).StandinFileVersion();
  } else {
    log.Info("Lettura proprietà SQLServer.Application.FullName=").Info("File  inesistente");
  }
  log.Info("Lettura proprietà SQLServer.Application.VersionMajor=9")
      .Info("Lettura proprietà SQLServer.Application.VersionMinor=8")
      .Info("Lettura proprietà SQLServer.Application.VersionBuild=7")
      .Info("Lettura proprietà SQLServer.Application.ODBCVersionString=03.85.1132")
      .Info("Lettura proprietà SQLServer.ApplicationName=SQLDMO_1")
      .Info("Lettura proprietà SQLServer.CodePage=1252")
      .Info("Connessione al server/istanza 'SRV\\ISTANZA' in corso...")
      .Info("Scrittura proprietà SQLServer.LoginTimeout=10 in corso...")
      .Info("Lettura proprietà SQLServer.LoginTimeout=10");
  if (trusted) {
    log.Info("Scrittura proprietà SQLServer.LoginSecure=True in corso...")
        .Info("Lettura proprietà SQLServer.LoginSecure=True");
  } else {
    log.Info("Scrittura proprietà SQLServer.LoginSecure=False in corso...")
        .Info("Lettura proprietà SQLServer.LoginSecure=False");
  }
  log.Info("Esecuzione metodo SQLServer.Connect in corso...");
  return log;
}

// From the confirmation of Connect to the announcement of the disconnection.
void Connected(ExpectedLog& log, const std::string& version) {
  log.Info("Esecuzione metodo SQLServer.Connect riuscita.")
      .Info("Scrittura proprietà SQLServer.Language=us_english in corso...")
      .Info("Lettura proprietà SQLServer.Language=us_english")
      .Info("")
      .Info("---> CONNESSIONE AVVENUTA CON SUCCESSO <---")
      .Info("")
      .Info("Versione istanza SQL SERVER:")
      .Info(version)
      .Info("")
      .Info("Esecuzione metodo SQLServer.DisConnect in corso...");
}

void Closing(ExpectedLog& log) {
  log.Info("Esecuzione metodo SQLServer.Disconnect riuscita.")
      .Info("Distruzione dell'oggetto 'SQLDMO.SQLServer'...")
      .Info("Operazione terminata.");
}

class SqlDmoRun : public StandinRun {};

TEST_F(SqlDmoRun, ASuccessfulRunLogsEveryStepShowsTheVersionAsItsLinesAreAndStartsNoNotepad) {
  Start(ServerScenario());
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdSQLDMO, kLog);

  ExpectedLog log = Opening(false);
  Connected(log, kVersion);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("SQLDMO", kVersion)}, false, kLog);

  std::vector<std::string> journal = Texts(Journal());
  EXPECT_THAT(journal, Contains("put dmo.SQLServer.LoginTimeout = VT_I2 10"));
  EXPECT_THAT(journal, Contains("put dmo.SQLServer.LoginSecure = VT_BOOL False"));
  EXPECT_THAT(journal, Contains("call dmo.SQLServer.Connect(VT_BSTR \"SRV\\\\ISTANZA\", "
                                "VT_BSTR \"sa\", VT_BSTR \"Pa55word\")"));
  EXPECT_THAT(journal, Contains("put dmo.SQLServer.Language = VT_BSTR \"us_english\""));
  EXPECT_THAT(journal, Contains("call dmo.SQLServer.Disconnect()"));
  for (const std::string& line : ending.log) EXPECT_THAT(line, Not(HasSubstr("Pa55word")));
}

// Only a bare CR gains a LF: the CR LF pairs of a real version text give no
// empty line in the box or the log, and a bare LF stays inside its line.
TEST_F(SqlDmoRun, AVersionGainsALineFeedOnlyAfterABareCarriageReturn) {
  Start(ServerScenario() + "version=" + standin::EscapeScenario("uno\rdue\ntre\r\nquattro\r") + "\n");
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdSQLDMO, kLog);

  const std::string shown = "uno\r\ndue\ntre\r\nquattro\r\n";
  ExpectedLog log = Opening(false);
  Connected(log, shown);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("SQLDMO", shown)}, false, kLog);
}

TEST_F(SqlDmoRun, FailingReadsOfTheInstallationFactsLeaveOutTheirLinesAndAnEmptyFileIsMissing) {
  Start(ServerScenario() +
        standin::Fail("dmo.Application.Name", 0x80004005, "Lettura non riuscita", "Microsoft SQL-DMO") +
        standin::Fail("dmo.Application.FullName", 0x80004005, "Lettura non riuscita", "Microsoft SQL-DMO"));
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdSQLDMO, kLog);

  ExpectedLog log = Opening(false, {false, false});
  Connected(log, kVersion);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("SQLDMO", kVersion)}, false, kLog);
}

TEST_F(SqlDmoRun, ANullVersionStringUnderWindowsAuthenticationGivesAnEmptyVersion) {
  Start(ServerScenario() + "version=@null\n");
  WindowsAuthentication(kServer);
  Ending ending = Run(kCmdSQLDMO, kLog);

  ExpectedLog log = Opening(true);
  Connected(log, "");
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("SQLDMO", "")}, false, kLog);
  EXPECT_THAT(Texts(Journal()), Contains("call dmo.SQLServer.Connect(VT_BSTR \"SRV\\\\ISTANZA\", "
                                  "VT_BSTR \"\", VT_BSTR \"\")"));
}

TEST_F(SqlDmoRun, AFailingVersionStringReadStillEndsInSuccessWithAnEmptyVersion) {
  Start(ServerScenario() +
        standin::Fail("dmo.SQLServer.VersionString", 0x80045510,
                      "[SQL-DMO]This property or method requires a connection to SQL Server.", "Microsoft SQL-DMO"));
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdSQLDMO, kLog);

  ExpectedLog log = Opening(false);
  Connected(log, "");
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("SQLDMO", "")}, false, kLog);
}

// Played by StandinFailure, in standin_failure_test.cpp.
const FailureRow kFailures[] = {
    {"ALoginRefusedAtConnectEndsWithItsErrorLineTheFailureBoxAndNotepad", kCmdSQLDMO, kLog,
     ServerScenario() + standin::Fail("dmo.SQLServer.Connect", 0x80044818,
                                      "[Microsoft][ODBC SQL Server Driver][SQL Server]Login failed for user 'sa'.",
                                      "Microsoft SQL-DMO (ODBC SQLState: 28000)"),
     [] {
       ExpectedLog log = Opening(false);
       log.Error("Errore durante l'esecuzione del metodo SQLServer.Connect: number=-2147203048, "
                 "description=[Microsoft][ODBC SQL Server Driver][SQL Server]Login failed for user 'sa'., "
                 "source=Microsoft SQL-DMO (ODBC SQLState: 28000)");
       return log;
     },
     {kFailure}, true},
    {"AFailureAtDisconnectAfterSuccessShowsNoBoxAndNoNotepad", kCmdSQLDMO, kLog,
     ServerScenario() + standin::Fail("dmo.SQLServer.Disconnect", 0x80045510,
                                      "[SQL-DMO]Disconnessione non riuscita.", "Microsoft SQL-DMO"),
     [] {
       ExpectedLog log = Opening(false);
       Connected(log, kVersion);
       log.Error("Errore durante l'esecuzione del metodo SQLServer.DisConnect: number=-2147199728, "
                 "description=[SQL-DMO]Disconnessione non riuscita., source=Microsoft SQL-DMO");
       return log;
     },
     {}, false},
};

INSTANTIATE_TEST_SUITE_P(SqlDmo, StandinFailure, ::testing::ValuesIn(kFailures), kRowName);

}  // namespace
}  // namespace sondalink::e2e
