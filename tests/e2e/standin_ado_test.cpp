// The ADO test of the real Sondalink.exe, end to end, over the stand-in ADO
// connection and recordset: every line of its log, its boxes, Notepad, the
// window afterwards, and what reached the component.
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

const std::string kLog = "SondalinkADO.log";
const std::string kMasked =
    "Provider=SQLOLEDB;Server=SRV\\ISTANZA;Database=master;UID=sa;pwd=********;LANGUAGE=us_english;APP=Velario;";
const WantBox kFailure{Icon::Warning, "Connessione ADO fallita."};

// The lines of the open connection's properties that the stand-in gives.
std::vector<std::string> Properties(bool trusted) {
  return {"    Provider Name = sqloledb.dll",
          "    Data Source = SRV\\ISTANZA",
          "    Current Catalog = master",
          std::string("    User ID = ") + (trusted ? "" : "sa"),
          std::string("    Integrated Security = ") + (trusted ? "SSPI" : ""),
          "    Application Name = Velario",
          "    Current Language = us_english",
          "    Connect Timeout = 15",
          "    Packet Size = 4096"};
}

// From the first line to the announcement of Open.
ExpectedLog Opening(const std::string& connectionString, bool versionRead = true) {
  ExpectedLog log(kLog);
  log.Info("Inizio test connessione ADO...")
      .EnvironmentReport("ADODB.Connection", "{00000514-0000-0010-8000-00AA006D2EA4}")
      .Info("Creazione dell'oggetto 'ADODB.Connection'...")
      .Info("Oggetto 'ADODB.Connection' creato correttamente.");
  if (versionRead) log.Info("Lettura proprietà ADODB.Version=2.8");
  log.Info("Connessione al server/istanza 'SRV\\ISTANZA' in corso...")
      .Info("Stringa di connessione: " + connectionString)
      .Info("Esecuzione metodo ADODB.Connection.Open in corso...");
  return log;
}

void Query(ExpectedLog& log, const std::string& query) {
  log.Info("Creazione dell'oggetto ADODB.Recordset...")
      .Info("Oggetto ADODB.Recordset creato correttamente.")
      .Info("Query in corso di esecuzione: " + query)
      .Info("Esecuzione metodo ADODB.Recordset.Open in corso...")
      .Info("Esecuzione metodo ADODB.Recordset.Open riuscita.");
}

void CloseRecordset(ExpectedLog& log) {
  log.Info("Esecuzione metodo ADODB.Recordset.Close in corso...")
      .Info("Esecuzione metodo ADODB.Recordset.Close riuscita.")
      .Info("Distruzione dell'oggetto ADODB.Recordset...");
}

// From the confirmation of Open to the announcement of the connection's Close.
void Connected(ExpectedLog& log, const std::vector<std::string>& properties, const std::string& version,
               const std::function<void(ExpectedLog&)>& attributes) {
  log.Info("Esecuzione metodo ADODB.Connection.Open riuscita.")
      .Info("Lettura proprietà ADODB.Connection.Properties in corso...");
  for (const std::string& line : properties) log.Info(line);
  Query(log, "SELECT @@VERSION");
  CloseRecordset(log);
  log.Info("").Info("---> CONNESSIONE AVVENUTA CON SUCCESSO <---").Info("").Info("Versione istanza SQL SERVER:");
  log.Info(version).Info("");
  Query(log, "sp_server_info");
  log.Info("Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...");
  attributes(log);
  CloseRecordset(log);
  log.Info("Esecuzione metodo ADODB.Connection.Close in corso...");
}

void Closing(ExpectedLog& log) {
  log.Info("Esecuzione metodo ADODB.Connection.Close riuscita.")
      .Info("Distruzione dell'oggetto ADODB.Connection...")
      .Info("Operazione terminata.");
}

void ThreeRows(ExpectedLog& log) {
  for (const char* line : kInfoLines) log.Info(line);
}

class AdoRun : public StandinRun {};

TEST_F(AdoRun, ASuccessfulRunLogsEveryStepShowsTheVersionAndStartsNoNotepad) {
  Start(ServerScenario());
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdADO, kLog);

  ExpectedLog log = Opening(kMasked);
  Connected(log, Properties(false), kVersion, ThreeRows);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("ADO", kVersion)}, false, kLog);

  // The component got the real password; the log and edLog only the mask.
  std::vector<std::string> journal = Journal();
  EXPECT_THAT(journal, Contains("call ado.Connection.Open(VT_BSTR \"Provider=SQLOLEDB;Server=SRV\\\\ISTANZA;"
                                "Database=master;UID=sa;pwd=Pa55word;LANGUAGE=us_english;APP=Velario;\", "
                                "VT_BSTR \"\", VT_BSTR \"\", VT_I4 -1)"));
  EXPECT_THAT(journal, Contains("call ado.Recordset.Open(VT_BSTR \"SELECT @@VERSION\", VT_DISPATCH <ado.Connection>, "
                                "VT_I4 3, VT_I4 1, VT_I4 -1)"));
  EXPECT_THAT(journal, Contains("call ado.Recordset.Open(VT_BSTR \"sp_server_info\", VT_DISPATCH <ado.Connection>, "
                                "VT_I4 3, VT_I4 1, VT_I4 -1)"));
  for (const std::string& line : ending.log) EXPECT_THAT(line, Not(HasSubstr("Pa55word")));
  EXPECT_THAT(standin::Narrow(TextOf(At(kEdLog))), Not(HasSubstr("Pa55word")));
}

TEST_F(AdoRun, AFailingReadLeavesOutItsLineAndNothingElse) {
  Start(ServerScenario() +
        standin::Fail("ado.Connection.Version", 0x80004005, "Versione non disponibile", "ADODB.Connection") +
        "property.ado=Quoted Identifier|@fail:0x80004005|Valore non leggibile|ADODB.Property\n"
        "property.ado=Autocommit Isolation Levels|4096\n");
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdADO, kLog);

  ExpectedLog log = Opening(kMasked, false);
  std::vector<std::string> properties = Properties(false);
  properties.push_back("    Autocommit Isolation Levels = 4096");
  Connected(log, properties, kVersion, ThreeRows);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("ADO", kVersion)}, false, kLog);
}

TEST_F(AdoRun, ANullValueIsListedEmptyAndPasswordsInPropertiesAreMasked) {
  Start(ServerScenario() +
        "property.ado=Locale Identifier|@null\n"
        "property.ado=Password|Pa55word\n"
        "property.ado=Extended Properties|UID=sa;PWD=Pa55word\n");
  SqlAuthentication(kServer, L"sa", kPassword);
  Ending ending = Run(kCmdADO, kLog);

  ExpectedLog log = Opening(kMasked);
  std::vector<std::string> properties = Properties(false);
  properties.push_back("    Locale Identifier = ");
  properties.push_back("    Password = ********");
  properties.push_back("    Extended Properties = UID=sa;PWD=********");
  Connected(log, properties, kVersion, ThreeRows);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("ADO", kVersion)}, false, kLog);
}

// A one-letter password is masked where it stands and nowhere else: every
// value that merely holds an "a" is logged whole.
TEST_F(AdoRun, AOneLetterPasswordIsMaskedOnlyWhereItStands) {
  Start(ServerScenario() +
        "property.ado=Password|a\n"
        "property.ado=Extended Properties|UID=sa;PWD=a;\n");
  SqlAuthentication(kServer, L"sa", L"a");
  Ending ending = Run(kCmdADO, kLog);

  ExpectedLog log = Opening(kMasked);
  std::vector<std::string> properties = Properties(false);
  properties.push_back("    Password = ********");
  properties.push_back("    Extended Properties = UID=sa;PWD=********;");
  Connected(log, properties, kVersion, ThreeRows);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("ADO", kVersion)}, false, kLog);
  EXPECT_THAT(Journal(), Contains("call ado.Connection.Open(VT_BSTR \"Provider=SQLOLEDB;Server=SRV\\\\ISTANZA;"
                                  "Database=master;UID=sa;pwd=a;LANGUAGE=us_english;APP=Velario;\", "
                                  "VT_BSTR \"\", VT_BSTR \"\", VT_I4 -1)"));
}

TEST_F(AdoRun, AnEmptyVersionResultSetUnderWindowsAuthenticationGivesAnEmptyVersion) {
  Start(ServerScenario() + "version.rows=0\n");
  WindowsAuthentication(kServer);
  Ending ending = Run(kCmdADO, kLog);

  const std::string trusted =
      "Provider=SQLOLEDB;Server=SRV\\ISTANZA;Database=master;Trusted_Connection=Yes;LANGUAGE=us_english;APP=Velario;";
  ExpectedLog log = Opening(trusted);
  Connected(log, Properties(true), "", ThreeRows);
  Closing(log);
  ExpectEnding(ending, log, {SuccessBox("ADO", "")}, false, kLog);
  EXPECT_THAT(Journal(), Contains("call ado.Connection.Open(VT_BSTR \"Provider=SQLOLEDB;Server=SRV\\\\ISTANZA;"
                                  "Database=master;Trusted_Connection=Yes;LANGUAGE=us_english;APP=Velario;\", "
                                  "VT_BSTR \"\", VT_BSTR \"\", VT_I4 -1)"));
}

// Played by StandinFailure, in standin_failure_test.cpp.
const FailureRow kFailures[] = {
    {"ALoginRefusedAtOpenEndsWithItsErrorLineTheFailureBoxAndNotepad", kCmdADO, kLog,
     ServerScenario() + standin::Fail("ado.Connection.Open", 0x80040E4D, "Login failed for user 'sa'.",
                                      "Microsoft OLE DB Provider for SQL Server"),
     [] {
       ExpectedLog log = Opening(kMasked);
       log.Error("Errore durante l'esecuzione del metodo ADODB.Connection.Open: number=-2147217843, "
                 "description=Login failed for user 'sa'., source=Microsoft OLE DB Provider for SQL Server");
       return log;
     },
     {kFailure}, true, "create ado.Recordset"},
    {"AFailingServerInfoRowIsAWarningThenSuccessAndNotepad", kCmdADO, kLog,
     "version=" + standin::EscapeScenario(kVersion) + "\n" +
         "info=DBMS_NAME|Microsoft SQL Server\n"
         "info=DBMS_VER|@fail:0x80040E14|Conversione non riuscita|Microsoft OLE DB Provider for SQL Server\n"
         "info=OWNER_TERM|owner\n",
     [] {
       ExpectedLog log = Opening(kMasked);
       Connected(log, Properties(false), kVersion, [](ExpectedLog& listing) {
         listing.Info(kInfoLines[0])
             .Warning("Errore durante la rilevazione dei campo 'attribute_name' e 'attribute_value' della "
                      "sp_server_info: number=-2147217900, description=Conversione non riuscita, "
                      "source=Microsoft OLE DB Provider for SQL Server")
             .Info(kInfoLines[2]);
       });
       Closing(log);
       return log;
     },
     {SuccessBox("ADO", kVersion)}, true},
    {"AFailureClosingTheConnectionAfterSuccessShowsNoBoxAndNoNotepad", kCmdADO, kLog,
     ServerScenario() +
         standin::Fail("ado.Connection.Close", 0x80004005, "Chiusura non riuscita", "ADODB.Connection"),
     [] {
       ExpectedLog log = Opening(kMasked);
       Connected(log, Properties(false), kVersion, ThreeRows);
       log.Error("Errore durante l'esecuzione del metodo ADODB.Connection.Close: number=-2147467259, "
                 "description=Chiusura non riuscita, source=ADODB.Connection");
       return log;
     },
     {}, false},
};

INSTANTIATE_TEST_SUITE_P(Ado, StandinFailure, ::testing::ValuesIn(kFailures), kRowName);

}  // namespace
}  // namespace sondalink::e2e
