// The rows of the ADO, DAO ODBCDirect and SQL-DMO tests (format in
// connection_cases.h), played by tests/native/connection_run_test.cpp over
// the fakes and by tests/e2e/standin_connection_test.cpp over the stand-in.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "connection_cases.h"

// A row names only what it changes; the rest keeps its default.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace sondalink::testing::golden {

namespace rows {

const Failure kOleDb{-2147467259, "Guasto di prova", "Microsoft OLE DB Provider for SQL Server"};
const Failure kAdoRefused{-2147217843, "Login failed for user 'sa'.", "Microsoft OLE DB Provider for SQL Server"};
// DAO reports a control-facility code (0x800A0C4A) by its own number.
const Failure kOdbc{3146, "ODBC--chiamata non riuscita.", "DAO.Connection"};
const Failure kDmo{-2147199728, "[SQL-DMO]Guasto di prova.", "Microsoft SQL-DMO"};
const Failure kNotRegistered{-2147221164, "Class not registered", ""};

const Inputs kWindows{.trusted = true};
const Inputs kNoPassword{.password = ""};

const char kAttributes[] =
    "Errore durante la rilevazione dei campo 'attribute_name' e 'attribute_value' della sp_server_info";
const char kAttributesHeading[] = "Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...";
const std::string kFirstInfo = "    DBMS_NAME = Microsoft SQL Server";
const std::string kMiddleInfo = "    DBMS_VER = Microsoft SQL Server 2000 - 8.00.2039";
const std::string kLastInfo = "    OWNER_TERM = owner";

// A row's name: the component's own prefix, then what the row is about.
inline const char* Named(Component c, const std::string& what) {
  static std::set<std::string> names;
  static const char* const kPrefixes[] = {"Ado", "Dao", "Dmo"};
  return names.insert(kPrefixes[static_cast<int>(c)] + what).first->c_str();
}

inline Failure From(Failure f, const std::string& source) {
  if (f.source.empty()) f.source = source;
  return f;
}

// The run ends with a failed step's error line after `at`.
inline Edit FailsAt(const std::string& at, const std::string& prefix, const Failure& f,
                    std::vector<Entry> before = {}) {
  before.push_back(Error(StepError(prefix, f)));
  return EndAfter(at, before);
}

// A row of a failure table: `target` fails at the step announced by `at`
// (after `before`). A run that fails before its success lines shows the
// failure box and opens Notepad; one that fails after them, neither.
inline Case Step(const char* name, std::string target, const Failure& f, const std::string& at,
                 const std::string& prefix, End end, std::vector<Entry> before = {}, World world = World::Both) {
  return {.name = name, .faults = {{std::move(target), f}}, .edits = {FailsAt(at, prefix, f, std::move(before))},
          .end = end, .notepad = end == End::Failure, .world = world};
}

// The same for method `m`, whose step is "Esecuzione metodo <m> in corso...";
// `after` is the line that announcement follows, where an earlier step
// announced the method too.
inline Case Method(const char* name, std::string target, const Failure& f, const std::string& m, End end,
                   const std::string& after = "") {
  const std::string announced = "Esecuzione metodo " + m + " in corso...";
  return Step(name, std::move(target), f, after.empty() ? announced : after,
              "Errore durante l'esecuzione del metodo " + m, end,
              after.empty() ? std::vector<Entry>{} : std::vector<Entry>{Info(announced)});
}

inline Case Without(Case c, Call call) {
  c.notCalls.push_back(std::move(call));
  return c;
}

inline Case Runs(Case c, int runs) {
  c.runs = runs;
  return c;
}

// The listing's first row gives a WARNING instead; Notepad follows the success.
inline Case Warned(const char* name, std::string target, const Failure& f) {
  return {.name = name, .faults = {{std::move(target), f}},
          .edits = {Replace(kFirstInfo, {Warning(StepError(kAttributes, f))})}, .notepad = true};
}

// The rows that ADO and DAO have alike, from the first query on: `f` is how
// the component fails a step, `rowFails` how it fails to read a row's value.
inline std::vector<Case> QueryCases(Component c, const Failure& f, const Failure& rowFails) {
  const bool ado = c == Component::Ado;
  const std::string type = ado ? "ado" : "dao", lib = ado ? "ADODB" : "DAO";
  const std::string open = ado ? ".Recordset.Open" : ".Connection.OpenRecordset";
  return {
      {.name = Named(c, "NullVersion"), .versionNull = true},
      {.name = Named(c, "ServerInfoWithoutRows"), .info = std::vector<InfoRow>{},
       .edits = {DropAfter(kAttributesHeading, 3)}},
      {.name = Named(c, "FailingServerInfoRowIsAWarning"),
       .info = std::vector<InfoRow>{{"DBMS_NAME", "Microsoft SQL Server"}, {"DBMS_VER", "", rowFails},
                                    {"OWNER_TERM", "owner"}},
       .edits = {Replace(kMiddleInfo, {Warning(StepError(kAttributes, rowFails))})}, .notepad = true},
      Method(Named(c, "VersionQuery"), type + open + "#1", f, lib + open, End::Failure),
      Method(Named(c, "CloseFirstRecordset"), type + ".Recordset.Close#1", f, lib + ".Recordset.Close", End::Failure),
      Method(Named(c, "ServerInfoQuery"), type + open + "#2", f, lib + open, End::NoBox,
             "Query in corso di esecuzione: sp_server_info"),
      Warned(Named(c, "AttributeRow"), type + ".Recordset.Fields#2", f),
      Method(Named(c, "CloseSecondRecordset"), type + ".Recordset.Close#2", f, lib + ".Recordset.Close", End::NoBox,
             kLastInfo),
      Method(Named(c, "CloseConnection"), type + ".Connection.Close", f, lib + ".Connection.Close", End::NoBox),
  };
}

// The rows of one component: each is marked as its own.
inline std::vector<Case> Of(Component c, std::vector<Case> cases) {
  for (Case& row : cases) row.component = c;
  return cases;
}

}  // namespace rows

inline std::vector<Case> AdoCases() {
  using namespace rows;
  auto open = [](const Inputs& in, const std::string& quoted) {
    return Call{"call", "ado.Connection.Open", {Bstr(Real(Component::Ado, in, quoted)), Bstr(""), Bstr(""), I4(-1)}};
  };
  auto query = [](const char* q) {
    return Call{"call", "ado.Recordset.Open", {Bstr(q), Dispatch("ado.Connection"), I4(3), I4(1), I4(-1)}};
  };
  const std::string lastProperty = Line(AdoProperties("").back());
  const char rsCreate[] = "Creazione dell'oggetto ADODB.Recordset...";
  const char rsCreateError[] = "Errore nella creazione dell'oggetto ADODB.Recordset";

  std::vector<Case> cases = {
      {.name = "AdoSuccess",
       .calls = {{"create", "ado.Connection"}, open({}, "Pa55word"), {"create", "ado.Recordset"},
                 query("SELECT @@VERSION"), query("sp_server_info")}},
      {.name = "AdoWindowsAuthentication", .inputs = kWindows, .calls = {open(kWindows, "")}},
      {.name = "AdoEmptyPassword", .inputs = kNoPassword, .calls = {open(kNoPassword, "")}},
      {.name = "AdoServerLineQuotesTheServerAsTyped", .inputs = {.server = " SRV01\\ISTANZA "}},
      {.name = "AdoNullValueAndPasswordsInProperties",
       .properties = {{Property::Null, "ado", "Locale Identifier"}, Prop("ado", "Password", "Pa55word"),
                      Prop("ado", "Extended Properties", "UID=sa;PWD=Pa55word")},
       .edits = {InsertAfter(lastProperty, {Info("    Locale Identifier = "), Info("    Password = ********"),
                                            Info("    Extended Properties = UID=sa;PWD=********")})}},
      {.name = "AdoFailingReadsLeaveOutTheirLines", .faults = {{"ado.Connection.Version", kOleDb}},
       .properties = {{Property::ValueFails, "ado", "Quoted Identifier", "", kOleDb},
                      Prop("ado", "Autocommit Isolation Levels", "4096")},
       .edits = {Drop("Lettura proprietà ADODB.Version=2.8"),
                 InsertAfter(lastProperty, {Info("    Autocommit Isolation Levels = 4096")})}},
      {.name = "AdoPropertyWhoseValueIsAnObjectGivesNoLine",
       .properties = {{Property::Object, "ado", "Oggetto"}, {Property::Null, "ado", "Ultima"}},
       .edits = {InsertAfter(lastProperty, {Info("    Ultima = ")})}, .world = World::NativeOnly},
      {.name = "AdoPropertyThatCannotBeFetchedIsSkipped", .faults = {{"ado.Properties.Item#2", kOleDb}},
       .edits = {Drop("    Data Source = SRV\\ISTANZA")}},
      {.name = "AdoEmptyVersionResult", .noVersionRow = true},
      {.name = "AdoEmptyVersionResultUnderWindowsAuthentication", .noVersionRow = true, .inputs = kWindows},
      {.name = "AdoListingWhoseEndCannotBeReadWarnsOnceAndStops", .faults = {{"ado.Recordset.EOF#2", kOleDb}},
       .edits = {Replace(kFirstInfo, {Warning(StepError(kAttributes, kOleDb))}), Drop(kMiddleInfo), Drop(kLastInfo)},
       .notepad = true},
      {.name = "AdoRowThatCannotBeLeftEndsTheListingWithAWarning", .faults = {{"ado.Recordset.MoveNext#1", kOleDb}},
       .edits = {InsertAfter(kFirstInfo, {Warning(StepError(kAttributes, kOleDb))}), Drop(kMiddleInfo),
                 Drop(kLastInfo)},
       .notepad = true},
      // The failure table: each step that can fail, and how the run ends.
      Step("AdoConnectionNotRegistered", "ado.Connection.create", From(kNotRegistered, "ADODB.Connection"),
           "Creazione dell'oggetto 'ADODB.Connection'...", "Errore nella creazione dell'oggetto 'ADODB.Connection'",
           End::Failure, {}, World::NativeOnly),
      {.name = "AdoVersionThatCannotBeRead", .faults = {{"ado.Connection.Version", kOleDb}},
       .edits = {Drop("Lettura proprietà ADODB.Version=2.8")}},
      Without(Method("AdoLoginRefused", "ado.Connection.Open", kAdoRefused, "ADODB.Connection.Open", End::Failure),
              {"create", "ado.Recordset"}),
      Step("AdoCreateFirstRecordset", "ado.Recordset.create#1", kOleDb, rsCreate, rsCreateError, End::Failure, {},
           World::NativeOnly),
      Step("AdoCreateSecondRecordset", "ado.Recordset.create#2", kOleDb, kVersion, rsCreateError, End::NoBox,
           {Info(""), Info(rsCreate)}, World::NativeOnly),
  };
  for (Case& c : QueryCases(Component::Ado, kOleDb, {-2147217900, "Conversione non riuscita", kOleDb.source})) {
    cases.push_back(std::move(c));
  }
  // The password is masked where it stands (the connection string's pwd, a
  // property named Password, the PWD of a property that is a connection
  // string) and nowhere else: a short one leaves every other value whole.
  const struct {
    const char* name;
    const char* password;
    const char* quoted;  // as a connection string holds it
  } passwords[] = {{"AdoPasswordA", "a", "a"},   {"AdoPasswordOne", "1", "1"},  {"AdoPasswordZero", "0", "0"},
                   {"AdoPasswordStar", "*", "*"}, {"AdoPasswordSa", "sa", "sa"},
                   {"AdoPasswordQuoted", "p;\"w", "\"p;\"\"w\""}};
  for (const auto& p : passwords) {
    const Inputs in{.password = p.password};
    cases.push_back({.name = p.name,
                     .properties = {Prop("ado", "DBMS Version", "08.00.2039"), Prop("ado", "Password", p.password),
                                    Prop("ado", "Extended Properties", "UID=sa;PWD=" + std::string(p.quoted) + ";"),
                                    Prop("ado", "Mode", "*********")},
                     .inputs = in,
                     .edits = {InsertAfter(lastProperty, {Info("    DBMS Version = 08.00.2039"),
                                                          Info("    Password = ********"),
                                                          Info("    Extended Properties = UID=sa;PWD=********;"),
                                                          Info("    Mode = *********")})},
                     .calls = {open(in, p.quoted)}});
  }
  return Of(Component::Ado, std::move(cases));
}

inline std::vector<Case> DaoCases() {
  using namespace rows;
  const Component D = Component::Dao;
  auto open = [](const Inputs& in, const std::string& quoted) {
    return Call{"call", "dao.Workspace.OpenConnection",
                {Bstr(""), I4(0), Bool(false), Bstr(Real(Component::Dao, in, quoted))}};
  };
  const std::string engineHeading = "Lettura proprietà DAO.DBEngine.Properties in corso...";
  const std::string workspaceHeading = "Lettura proprietà DAO.Workspace.Properties in corso...";
  const std::string lastEngine = Line(kDaoEngineProperties.back());
  const std::string lastWorkspace = Line(DaoWorkspaceProperties().back());
  const std::string create = "Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'...";
  const char createError[] = "Errore nell'esecuzione metoto 'DAO.DBEngine.CreateWorkspace'";
  const Failure invalid{3420, "Oggetto non valido o non più impostato.", "DAO.Property"};
  const Inputs braces{.server = "SRV;01", .login = "s{a}", .password = "x;Trusted_Connection=Yes"};
  const Inputs hidden{.password = "p;w}x"};
  std::string bracesShown = ConnectionString(D, braces);
  bracesShown.replace(bracesShown.find("SRV;01"), 6, "{SRV;01}").replace(bracesShown.find("s{a}"), 4, "{s{a}}}");

  std::vector<Case> cases = {
      {.name = "DaoSuccess",
       .calls = {{"create", "dao.DBEngine"},
                 {"call", "dao.DBEngine.CreateWorkspace", {Bstr("ODBCWorkspace"), Bstr("admin"), Bstr(""), I4(1)}},
                 {"call", "dao.Workspaces.Append", {Dispatch("dao.Workspace")}},
                 {"get", "dao.Properties.Item", {I4(4)}},
                 open({}, "Pa55word"),
                 {"put", "dao.Connection.QueryTimeout", {I2(60)}},
                 {"call", "dao.Connection.OpenRecordset", {Bstr("SELECT @@VERSION"), I4(4)}},
                 {"get", "dao.Fields.Item", {I2(0)}},
                 {"call", "dao.Connection.OpenRecordset", {Bstr("sp_server_info"), I4(4)}},
                 {"call", "dao.Workspace.Close"}},
       // The engine outlives a run; each run's workspace goes with it, so the
       // next run appends one of the same name again.
       .runs = 3},
      {.name = "DaoWindowsAuthentication", .inputs = kWindows, .calls = {open(kWindows, "")}},
      {.name = "DaoEmptyPassword", .inputs = kNoPassword, .calls = {open(kNoPassword, "")}},
      // A typed value cannot break or extend the ODBC string: one that holds
      // a semicolon or a brace goes between braces, its closing ones doubled.
      {.name = "DaoTypedValuesAreQuotedWithBraces", .inputs = braces,
       .edits = {Replace("Stringa di connessione: " + ConnectionString(D, braces),
                         {Info("Stringa di connessione: " + bracesShown)})},
       .calls = {{"call", "dao.Workspace.OpenConnection",
                  {Bstr(""), I4(0), Bool(false),
                   Bstr("ODBC;Driver={SQL Server};Server={SRV;01};Database=master;UID={s{a}}};"
                        "pwd={x;Trusted_Connection=Yes};LANGUAGE=us_english;APP=Velario;")}}}},
      {.name = "DaoPasswordIsMaskedWhereItStandsAndNowhereElse",
       .properties = {Prop("dao.engine", "Connect", "ODBC;pwd={p;w}}x};"), Prop("dao.workspace", "password", "p;w}x"),
                      Prop("dao.workspace", "Note", "uses p;w}x inside")},
       .inputs = hidden,
       .edits = {InsertAfter(lastEngine, {Info("    Connect = ODBC;pwd=********;")}),
                 InsertAfter(lastWorkspace, {Info("    password = ********"), Info("    Note = uses p;w}x inside")})},
       .calls = {open(hidden, "{p;w}}x}")}},
      {.name = "DaoNullOrUnreadablePropertiesInEitherListing",
       .properties = {{Property::ValueFails, "dao.engine", "Rotta", "", invalid},
                      {Property::Null, "dao.engine", "SystemDB"},
                      {Property::NameFails, "dao.workspace", "Senzanome", "x", invalid}},
       .edits = {InsertAfter(lastEngine, {Info("    SystemDB = ")})}},
      {.name = "DaoFailingPropertyReadsLeaveOutTheirLines",
       .properties = {{Property::ValueFails, "dao.engine", "SystemDB", "", invalid},
                      Prop("dao.engine", "IniPath", "SOFTWARE\\Microsoft\\Jet\\3.5"),
                      {Property::ValueFails, "dao.workspace", "IsolateODBCTrans", "",
                       {-2147467259, "Valore non leggibile", "DAO.Property"}}},
       .edits = {InsertAfter(lastEngine, {Info("    IniPath = SOFTWARE\\Microsoft\\Jet\\3.5")})}},
      {.name = "DaoNullValuesAndAPasswordProperty",
       .properties = {{Property::Null, "dao.workspace", "Database"}, Prop("dao.workspace", "Password", "Pa55word")},
       .versionNull = true,
       .edits = {InsertAfter(lastWorkspace, {Info("    Database = "), Info("    Password = ********")})}},
      {.name = "DaoEmptyVersionUnderWindowsAuthentication", .noVersionRow = true, .inputs = kWindows},
      {.name = "DaoEmptyVersion", .noVersionRow = true},
      {.name = "DaoListingsWithoutPropertiesAreJustTheirHeadings",
       .faults = {{"dao.DBEngine.Properties", kOdbc}, {"dao.Workspace.Properties", kOdbc}},
       .edits = {DropAfter(engineHeading, 5), DropAfter(workspaceHeading, 5)}},
      {.name = "DaoListingsThatCannotCountTheirPropertiesAreJustTheirHeadings",
       .faults = {{"dao.Properties.Count", kOdbc}},
       .edits = {DropAfter(engineHeading, 5), DropAfter(workspaceHeading, 5)}},
      // The failure table.
      Step("DaoEngineNotRegistered", "dao.DBEngine.create", From(kNotRegistered, "DAO.DBEngine.35"), create,
           createError, End::Failure, {}, World::NativeOnly),
      Step("DaoCreateWorkspace", "dao.DBEngine.CreateWorkspace", kOdbc, create, createError, End::Failure),
      Step("DaoAppendWorkspace", "dao.Workspaces.Append", kOdbc,
           "Esecuzione metoto 'DAO.DBEngine.Workspaces.Append'...",
           "Errore nell'esecuzione metoto 'DAO.DBEngine.Workspaces.Append'", End::Failure),
      // A failed run's workspace goes too: the next run appends its own again.
      Runs(Without(Method("DaoLoginRefused", "dao.Workspace.OpenConnection", From(kOdbc, "DAO.Workspace"),
                          "DAO.Workspaces.OpenConnection", End::Failure),
                   {"call", "dao.Connection.OpenRecordset"}),
           2),
      Step("DaoQueryTimeout", "dao.Connection.QueryTimeout", kOdbc,
           "Scrittura proprietà DAO.Connection.QueryTimeout = 60 in corso...",
           "Errore durante la scrittura proprietà DAO.Connection.QueryTimeout", End::Failure),
  };
  for (Case& c : QueryCases(D, kOdbc, {3146, kOdbc.description, "DAO.Field"})) cases.push_back(std::move(c));
  return Of(D, std::move(cases));
}

inline std::vector<Case> DmoCases() {
  using namespace rows;
  auto connect = [](const Inputs& in) {
    return Call{"call", "dmo.SQLServer.Connect",
                {Bstr(in.server), Bstr(in.trusted ? "" : in.login), Bstr(in.trusted ? "" : in.password)}};
  };
  const std::string fullName = "Lettura proprietà SQLServer.Application.FullName=" + kDmoFile;
  const std::string fileLine = "File " + kDmoFile + " versione: 9.8.7.6";
  const std::vector<Edit> noFile = {Replace(fullName, {Info("Lettura proprietà SQLServer.Application.FullName=")}),
                                    Replace(fileLine, {Info("File  inesistente")})};
  auto write = [](const char* name, const std::string& property, const std::string& value) {
    return Step(name, "dmo.SQLServer." + property, kDmo,
                "Scrittura proprietà SQLServer." + property + "=" + value + " in corso...",
                "Errore durante la scrittura proprietà SQLServer." + property, End::Failure);
  };
  auto file = [&](const char* name, const std::string& line, DmoFile kind) {
    return Case{.name = name, .edits = {Replace(fileLine, {Info(line)})}, .world = World::NativeOnly, .dmoFile = kind};
  };

  std::vector<Case> cases = {
      {.name = "DmoSuccess",
       .calls = {{"create", "dmo.SQLServer"}, {"put", "dmo.SQLServer.LoginTimeout", {I2(10)}},
                 {"put", "dmo.SQLServer.LoginSecure", {Bool(false)}}, connect({}),
                 {"put", "dmo.SQLServer.Language", {Bstr("us_english")}}, {"call", "dmo.SQLServer.Disconnect"}}},
      {.name = "DmoWindowsAuthentication", .inputs = kWindows,
       .calls = {{"put", "dmo.SQLServer.LoginSecure", {Bool(true)}}, connect(kWindows)}},
      {.name = "DmoEmptyPassword", .inputs = kNoPassword, .calls = {connect(kNoPassword)}},
      {.name = "DmoNullVersionUnderWindowsAuthentication", .versionNull = true, .inputs = kWindows},
      {.name = "DmoServerLineShowsTheServerAsTyped", .inputs = {.server = " SRV01\\ISTANZA "},
       .calls = {connect({.server = " SRV01\\ISTANZA "})}},
      // Only a bare CR gains a LF; one LogWrite holds the whole text.
      {.name = "DmoVersionWithCrLf", .version = "a\r\nb\r\n"},
      {.name = "DmoVersionWithBareLf", .version = "a\nb\n"},
      {.name = "DmoVersionWithBareCr", .version = "a\rb\r\rc\r", .shown = "a\r\nb\r\n\r\nc\r\n"},
      {.name = "DmoVersionWithMixedBreaks", .version = "\r\r\n\n\r\na\n\r", .shown = "\r\n\r\n\n\r\na\n\r\n"},
      {.name = "DmoVersionWithoutBreaks", .version = "a b"},
      {.name = "DmoVersionGainsALineFeedOnlyAfterABareCr", .version = "uno\rdue\ntre\r\nquattro\r",
       .shown = "uno\r\ndue\ntre\r\nquattro\r\n"},
      {.name = "DmoReadsThatFailAreLeftOut",
       .faults = {{"dmo.SQLServer.Application", kDmo}, {"dmo.SQLServer.CodePage", kDmo},
                  {"dmo.SQLServer.VersionString", kDmo}},
       .edits = {Drop("Lettura proprietà SQLServer.Application.Name=SQL-DMO stand-in"), noFile[0], noFile[1],
                 DropAfter("File  inesistente", 4), Drop("Lettura proprietà SQLServer.CodePage=1252")},
       .shown = ""},
      {.name = "DmoFailingInstallationReadsAndAnEmptyFileName",
       .faults = {{"dmo.Application.Name", kDmo}, {"dmo.Application.FullName", kDmo}},
       .edits = {Drop("Lettura proprietà SQLServer.Application.Name=SQL-DMO stand-in"), noFile[0], noFile[1]}},
      {.name = "DmoFailingVersionStringStillSucceeds",
       .faults = {{"dmo.SQLServer.VersionString",
                   {-2147199728, "[SQL-DMO]This property or method requires a connection to SQL Server.",
                    "Microsoft SQL-DMO"}}},
       .shown = ""},
      {.name = "DmoReadBackThatFailsGivesNoLine", .faults = {{"dmo.SQLServer.LoginTimeout#2", kDmo}},
       .edits = {Drop("Lettura proprietà SQLServer.LoginTimeout=10")}},
      // SQL-DMO's file gets the lines that the environment report writes for a file.
      file("DmoFileWithoutVersionResource", "File " + kDmoFile + " versione: -1.-1.-1.-1", DmoFile::NoVersion),
      file("DmoFileWithNegativeVersionHalves", "File " + kDmoFile + " versione: 8.0.-32768.-1",
           DmoFile::NegativeHalves),
      file("DmoFileMissing", "File " + kDmoFile + " inesistente", DmoFile::Missing),
      // An ERROR line of the file's own opens the log after the success box.
      {.name = "DmoFileWhoseVersionCannotBeRead",
       .edits = {Replace(fileLine, {Error("Errore nella rilevazione della versione del file " + kDmoFile +
                                          ": routine 'LeggiVersioneFile', errore -2147024882: "
                                          "Out of memory (linea 0)")})},
       .notepad = true, .world = World::NativeOnly, .dmoFile = DmoFile::Unreadable},
      // The failure table.
      Step("DmoNotRegistered", "dmo.SQLServer.create", {-2147221005, "Invalid class string", "SQLDMO.SQLServer"},
           "Creazione dell'oggetto 'SQLDMO.SQLServer'...", "Errore nella creazione dell'oggetto 'SQLDMO.SQLServer'",
           End::Failure, {}, World::NativeOnly),
      write("DmoLoginTimeout", "LoginTimeout", "10"),
      write("DmoLoginSecure", "LoginSecure", "False"),
      // The object goes to the exit sequence still unconnected: no Disconnect.
      Without(Method("DmoLoginRefused", "dmo.SQLServer.Connect",
                     {-2147203048, "[Microsoft][ODBC SQL Server Driver][SQL Server]Login failed for user 'sa'.",
                      "Microsoft SQL-DMO (ODBC SQLState: 28000)"},
                     "SQLServer.Connect", End::Failure),
              {"call", "dmo.SQLServer.Disconnect"}),
      write("DmoLanguage", "Language", "us_english"),
      // After the success lines the outcome is already true: no box at all.
      Method("DmoDisconnect", "dmo.SQLServer.Disconnect", kDmo, "SQLServer.DisConnect", End::NoBox),
  };
  return Of(Component::Dmo, std::move(cases));
}

// Every row, less those that only the other world plays.
inline std::vector<Case> CasesFor(World other) {
  std::vector<Case> all;
  for (auto* cases : {AdoCases, DaoCases, DmoCases}) {
    for (Case& c : cases()) {
      if (c.world != other) all.push_back(c);
    }
  }
  return all;
}

}  // namespace sondalink::testing::golden

#pragma GCC diagnostic pop
