// The DAO ODBCDirect test of the real Sondalink.exe, end to end, over the
// stand-in DAO engine: every line of its log, its boxes, Notepad, the window
// afterwards, and what reached the component.
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "standin_control.h"
#include "standin_run.h"

namespace sondalink::e2e {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kLog = "SondalinkDAOODBCDirect.log";
const std::string kMasked =
    "ODBC;Driver={SQL Server};Server=SRV\\ISTANZA;Database=master;UID=sa;pwd=********;LANGUAGE=us_english;"
    "APP=Velario;";
const WantBox kFailure{Icon::Warning, "Connessione DAO ODBCDirect fallita."};
const std::vector<std::string> kEngine = {"    Version = 3.5", "    DefaultUser = admin", "    DefaultPassword = ",
                                          "    LoginTimeout = 20", "    DefaultType = 2"};
const std::vector<std::string> kWorkspace = {"    Name = ODBCWorkspace", "    UserName = admin", "    Type = 1",
                                             "    LoginTimeout = 20", "    DefaultCursorDriver = -1"};

// From the first line to the announcement of OpenConnection.
ExpectedLog Opening(const std::string& connectionString, const std::vector<std::string>& engine = kEngine,
                    const std::vector<std::string>& workspace = kWorkspace) {
  ExpectedLog log(kLog);
  log.Info("Inizio test connessione DAO ODBCDirect...")
      .EnvironmentReport("DAO.DBEngine.35", "{00000010-0000-0010-8000-00AA006D2EA4}")
      .Info("Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'...")
      .Info("Esecuzione metoto 'DAO.DBEngine.Workspaces.Append'...")
      .Info("Lettura proprietà DAO.DBEngine.Properties in corso...");
  for (const std::string& line : engine) log.Info(line);
  log.Info("Lettura proprietà DAO.Workspace.Properties in corso...");
  for (const std::string& line : workspace) log.Info(line);
  log.Info("Connessione al server/istanza 'SRV\\ISTANZA' in corso...")
      .Info("Stringa di connessione: " + connectionString)
      .Info("Esecuzione metodo DAO.Workspaces.OpenConnection in corso...");
  return log;
}

void Query(ExpectedLog& log, const std::string& query) {
  log.Info("Query in corso di esecuzione: " + query)
      .Info("Esecuzione metodo DAO.Connection.OpenRecordset in corso...")
      .Info("Esecuzione metodo DAO.Connection.OpenRecordset riuscita.");
}

void CloseRecordset(ExpectedLog& log) {
  log.Info("Esecuzione metodo DAO.Recordset.Close in corso...")
      .Info("Esecuzione metodo DAO.Recordset.Close riuscita.")
      .Info("Distruzione dell'oggetto DAO.Recordset...");
}

void ThreeRows(ExpectedLog& log) {
  for (const char* line : kInfoLines) log.Info(line);
}

// From the confirmation of OpenConnection to the announcement of its Close.
void Connected(ExpectedLog& log, const std::string& version,
               const std::function<void(ExpectedLog&)>& attributes = ThreeRows) {
  log.Info("Esecuzione metodo DAO.Workspaces.OpenConnection riuscita.")
      .Info("Scrittura proprietà DAO.Connection.QueryTimeout = 60 in corso...");
  Query(log, "SELECT @@VERSION");
  CloseRecordset(log);
  log.Info("").Info("---> CONNESSIONE AVVENUTA CON SUCCESSO <---").Info("").Info("Versione istanza SQL SERVER:");
  log.Info(version).Info("");
  Query(log, "sp_server_info");
  log.Info("Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...");
  attributes(log);
  CloseRecordset(log);
  log.Info("Esecuzione metodo DAO.Connection.Close in corso...");
}

void Closing(ExpectedLog& log) {
  log.Info("Esecuzione metodo DAO.Connection.Close riuscita.")
      .Info("Distruzione dell'oggetto DAO.Connection...")
      .Info("Operazione terminata.");
}

class DaoRun : public StandinRun {};

TEST_F(DaoRun, SuccessfulRunsOneAfterTheOtherInOneProgramLogEveryStepAndStartNoNotepad) {
  Start(ServerScenario());
  SqlAuthentication(kServer, L"sa", kPassword);
  ExpectedLog log = Opening(kMasked);
  Connected(log, kVersion);
  Closing(log);

  // The engine lives as long as the program; each run's workspace goes with
  // the run, so the second run's append of the same name succeeds.
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    Ending ending = Run(kCmdDAODirect, kLog);
    ExpectEnding(ending, log, {SuccessBox("DAO ODBCDirect", kVersion)}, false, kLog);
    for (const std::string& line : ending.log) EXPECT_THAT(line, Not(HasSubstr("Pa55word")));
  }

  // The scenario's machine has no design-time licence, as a user's has not:
  // the engine came through its run-time key.
  std::vector<std::string> journal = Journal();
  EXPECT_THAT(journal, Contains("create dao.DBEngine"));
  EXPECT_THAT(journal, Contains("call dao.DBEngine.CreateWorkspace(VT_BSTR \"ODBCWorkspace\", VT_BSTR \"admin\", "
                                "VT_BSTR \"\", VT_I4 1)"));
  // The real password reached the driver's connection string.
  EXPECT_THAT(journal, Contains("call dao.Workspace[ODBCWorkspace].OpenConnection(VT_BSTR \"\", VT_I4 0, "
                                "VT_BOOL False, VT_BSTR \"ODBC;Driver={SQL Server};Server=SRV\\\\ISTANZA;"
                                "Database=master;UID=sa;pwd=Pa55word;LANGUAGE=us_english;APP=Velario;\")"));
  // 16-bit where DAO wants 16 bits: the query timeout and the field position;
  // items of a listing by a 32-bit position.
  EXPECT_THAT(journal, Contains("put dao.Connection.QueryTimeout = VT_I2 60"));
  EXPECT_THAT(journal, Contains("get dao.Fields.Item(VT_I2 0)"));
  EXPECT_THAT(journal, Contains("get dao.Properties.Item(VT_I4 4)"));
  EXPECT_THAT(journal, Not(Contains(HasSubstr("dao.Properties.Item(VT_I2"))));
  EXPECT_THAT(journal, Contains("call dao.Workspace[ODBCWorkspace].Close()"));
  EXPECT_THAT(journal, Not(Contains(HasSubstr("-> fault"))));
}

TEST_F(DaoRun, AFailingPropertyReadLeavesOutItsLineAndNothingElse) {
  Start(ServerScenario() +
        "property.dao.engine=SystemDB|@fail:0x800A0D5C|Oggetto non valido o non più impostato.|DAO.Property\n"
        "property.dao.engine=IniPath|SOFTWARE\\\\Microsoft\\\\Jet\\\\3.5\n"
        "property.dao.workspace=IsolateODBCTrans|@fail:0x80004005|Valore non leggibile|DAO.Property\n");
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdDAODirect, kLog);

  std::vector<std::string> engine = kEngine;
  engine.push_back("    IniPath = SOFTWARE\\Microsoft\\Jet\\3.5");
  ExpectedLog log = Opening(kMasked, engine);
  Connected(log, kVersion);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("DAO ODBCDirect", kVersion)}, false, kLog);
}

TEST_F(DaoRun, NullValuesAreListedAndShownEmptyAndAPasswordPropertyIsMasked) {
  Start(ServerScenario() + "version=@null\n" +
        "property.dao.workspace=Database|@null\n"
        "property.dao.workspace=Password|Pa55word\n");
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdDAODirect, kLog);

  std::vector<std::string> workspace = kWorkspace;
  workspace.push_back("    Database = ");
  workspace.push_back("    Password = ********");
  ExpectedLog log = Opening(kMasked, kEngine, workspace);
  Connected(log, "");
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("DAO ODBCDirect", "")}, false, kLog);
}

TEST_F(DaoRun, AnEmptyVersionResultSetUnderWindowsAuthenticationGivesAnEmptyVersion) {
  Start(ServerScenario() + "version.rows=0\n");
  WindowsAuthentication(kServer);
  Ending ending = Run(kCmdDAODirect, kLog);

  ExpectedLog log = Opening(
      "ODBC;Driver={SQL Server};Server=SRV\\ISTANZA;Database=master;Trusted_Connection=Yes;LANGUAGE=us_english;"
      "APP=Velario;");
  Connected(log, "");
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("DAO ODBCDirect", "")}, false, kLog);
}

// Played by StandinFailure, in standin_failure_test.cpp.
const FailureRow kFailures[] = {
    {"ALoginRefusedAtOpenConnectionLogsTheLowWordOfAControlFacilityCode", kCmdDAODirect, kLog,
     ServerScenario() + standin::Fail("dao.Workspace.OpenConnection", 0x800A0C4A, "ODBC--chiamata non riuscita.",
                                      "DAO.Workspace"),
     [] {
       ExpectedLog log = Opening(kMasked);
       log.Error("Errore durante l'esecuzione del metodo DAO.Workspaces.OpenConnection: number=3146, "
                 "description=ODBC--chiamata non riuscita., source=DAO.Workspace");
       return log;
     },
     {kFailure}, true},
    {"AFailingServerInfoRowIsAWarningThenSuccessAndNotepad", kCmdDAODirect, kLog,
     "version=" + standin::EscapeScenario(kVersion) + "\n" +
         "info=DBMS_NAME|Microsoft SQL Server\n"
         "info=DBMS_VER|@fail:0x800A0C4A|ODBC--chiamata non riuscita.|DAO.Field\n"
         "info=OWNER_TERM|owner\n",
     [] {
       ExpectedLog log = Opening(kMasked);
       Connected(log, kVersion, [](ExpectedLog& listing) {
         listing.Info(kInfoLines[0])
             .Warning("Errore durante la rilevazione dei campo 'attribute_name' e 'attribute_value' della "
                      "sp_server_info: number=3146, description=ODBC--chiamata non riuscita., source=DAO.Field")
             .Info(kInfoLines[2]);
       });
       Closing(log);
       return log;
     },
     {SuccessBox("DAO ODBCDirect", kVersion)}, true},
    {"AFailureClosingTheConnectionAfterSuccessShowsNoBoxAndNoNotepad", kCmdDAODirect, kLog,
     ServerScenario() + standin::Fail("dao.Connection.Close", 0x800A0D5C, "Oggetto non valido o non più impostato.",
                                      "DAO.Connection"),
     [] {
       ExpectedLog log = Opening(kMasked);
       Connected(log, kVersion);
       log.Error("Errore durante l'esecuzione del metodo DAO.Connection.Close: number=3420, "
                 "description=Oggetto non valido o non più impostato., source=DAO.Connection");
       return log;
     },
     {}, false},
};

INSTANTIATE_TEST_SUITE_P(Dao, StandinFailure, ::testing::ValuesIn(kFailures), kRowName);

}  // namespace
}  // namespace sondalink::e2e
