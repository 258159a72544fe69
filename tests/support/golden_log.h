// The log of a successful ADO, DAO ODBCDirect or SQL-DMO run after its
// environment report, written out once from the test's steps, and the
// edits that a case makes to it. The native fakes and the stand-in serve the
// data written here (properties, version, server attributes), so only the
// user's inputs, the version and SQL-DMO's own file vary. Portable, and free
// of gtest: the native tests, the Windows end-to-end tests and the stand-in
// DLL all build from it.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace sondalink::testing::golden {

enum class Component { Ado, Dao, Dmo };
enum class Level { Info, Warning, Error };

// One LogWrite: its level and message (a message with CR LF spans lines).
struct Entry {
  Level level;
  std::string message;
  bool operator==(const Entry&) const = default;
};
inline Entry Info(std::string m) { return {Level::Info, std::move(m)}; }
inline Entry Warning(std::string m) { return {Level::Warning, std::move(m)}; }
inline Entry Error(std::string m) { return {Level::Error, std::move(m)}; }

struct Inputs {
  bool trusted = false;
  std::string server = "SRV\\ISTANZA";
  std::string login = "sa";
  std::string password = "Pa55word";
};

// The server both worlds play: a version of several lines, with the CR LF
// and tabs of a real one, and three sp_server_info rows.
inline const std::string kVersion =
    "Microsoft SQL Server 2000 - 8.00.2039 (Intel X86) \r\n\tMay  3 2005 23:18:38 \r\n"
    "\tCopyright (c) 1988-2003 Microsoft Corporation\r\n"
    "\tStandard Edition on Windows NT 5.2 (Build 3790: Service Pack 2)";
struct Attribute {
  std::string name, value;
};
inline const std::vector<Attribute> kInfo = {{"DBMS_NAME", "Microsoft SQL Server"},
                                             {"DBMS_VER", "Microsoft SQL Server 2000 - 8.00.2039"},
                                             {"OWNER_TERM", "owner"}};

// A property's value, each integer at the width the component gives it.
using Typed = std::variant<std::string, int16_t, int32_t>;
struct Setting {
  std::string name;
  Typed value;
};
inline std::string Text(const Typed& value) {
  if (auto* text = std::get_if<std::string>(&value)) return *text;
  if (auto* n = std::get_if<int16_t>(&value)) return std::to_string(*n);
  return std::to_string(std::get<int32_t>(value));
}
inline const Typed& ValueOf(const std::vector<Setting>& settings, const std::string& name) {
  return std::ranges::find(settings, name, &Setting::name)->value;
}
// A listing's line in the log.
inline std::string Line(const Setting& s) { return "    " + s.name + " = " + Text(s.value); }

inline bool SameText(const std::string& a, const std::string& b) {
  return std::ranges::equal(a, b, [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}
// The value of `key` (any case) in "key=value;key=value", not unquoted.
inline std::string ConnectionStringPart(const std::string& text, const std::string& key) {
  std::istringstream parts(text);
  for (std::string part; std::getline(parts, part, ';');) {
    const size_t eq = part.find('=');
    if (eq == std::string::npos) continue;
    std::string name = part.substr(0, eq);
    name.erase(0, name.find_first_not_of(" \t\r\n"));
    name.erase(name.find_last_not_of(" \t\r\n") + 1);
    if (SameText(name, key)) return part.substr(eq + 1);
  }
  return {};
}

// An open ADO connection's Properties: most echo its connection string.
inline std::vector<Setting> AdoProperties(const std::string& connectionString) {
  auto part = [&](const char* key) { return ConnectionStringPart(connectionString, key); };
  return {{"Provider Name", "sqloledb.dll"}, {"Data Source", part("Server")}, {"Current Catalog", part("Database")},
          {"User ID", part("UID")}, {"Integrated Security", SameText(part("Trusted_Connection"), "Yes") ? "SSPI" : ""},
          {"Application Name", part("APP")}, {"Current Language", part("LANGUAGE")},
          {"Connect Timeout", int32_t{15}}, {"Packet Size", int32_t{4096}}};
}
// A closed one lists only this.
inline const std::vector<Setting> kAdoClosedProperties = {{"Connect Timeout", int32_t{15}}};

inline const std::vector<Setting> kDaoEngineProperties = {{"Version", "3.5"}, {"DefaultUser", "admin"},
                                                          {"DefaultPassword", ""}, {"LoginTimeout", int16_t{20}},
                                                          {"DefaultType", int32_t{2}}};
// A workspace's, from CreateWorkspace's arguments (by default the program's).
inline std::vector<Setting> DaoWorkspaceProperties(const std::string& name = "ODBCWorkspace",
                                                   const std::string& user = "admin", int32_t type = 1) {
  return {{"Name", name}, {"UserName", user}, {"Type", type}, {"LoginTimeout", int16_t{20}},
          {"DefaultCursorDriver", int32_t{-1}}};
}

// SQLServer.Application's, FullName being the file each world names.
inline std::vector<Setting> DmoApplication(const std::string& fullName) {
  return {{"Name", "SQL-DMO stand-in"}, {"FullName", fullName},     {"VersionMajor", int32_t{9}},
          {"VersionMinor", int32_t{8}},  {"VersionBuild", int32_t{7}}, {"ODBCVersionString", "03.85.1132"}};
}
// SQLServer's own, read before it connects.
inline const std::vector<Setting> kDmoServer = {{"ApplicationName", "SQLDMO_1"}, {"CodePage", int32_t{1252}}};

// What each profile names.
struct Profile {
  const char* logFile;
  const char* firstLine;
  const char* className;
  const char* clsid;  // the class the environment report looks up
  const char* test;   // in the boxes: "Test Connessione <test> eseguita..."
};
inline const Profile& ProfileOf(Component c) {
  static const Profile kProfiles[] = {
      {"SondalinkADO.log", "Inizio test connessione ADO...", "ADODB.Connection",
       "{00000514-0000-0010-8000-00AA006D2EA4}", "ADO"},
      {"SondalinkDAOODBCDirect.log", "Inizio test connessione DAO ODBCDirect...", "DAO.DBEngine.35",
       "{00000010-0000-0010-8000-00AA006D2EA4}", "DAO ODBCDirect"},
      {"SondalinkSQLDMO.log", "Inizio test connessione SQLDMO...", "SQLDMO.SQLServer",
       "{7D3A51C2-9B84-4E0F-A6D3-5C21E8B94F10}", "SQLDMO"},
  };
  return kProfiles[static_cast<int>(c)];
}

inline std::string SuccessText(Component c, const std::string& version) {
  return std::string("Test Connessione ") + ProfileOf(c).test +
         " eseguita con SUCCESSO.\r\n\r\nVersione di SQL Server rilevata:\r\n\r\n" + version;
}
inline std::string FailureText(Component c) {
  return std::string("Connessione ") + ProfileOf(c).test + " fallita.";
}

// The connection string as the log shows it (values that need no quoting).
inline std::string ConnectionString(Component c, const Inputs& in) {
  std::string s = c == Component::Ado ? "Provider=SQLOLEDB;" : "ODBC;Driver={SQL Server};";
  s += "Server=" + in.server + ";Database=master;";
  s += in.trusted ? "Trusted_Connection=Yes;"
                  : "UID=" + in.login + ";pwd=" + (in.password.empty() ? "" : "********") + ";";
  return s + "LANGUAGE=us_english;APP=Velario;";
}

// Stands for SQL-DMO's own file, which each world names: each replaces it.
inline const std::string kDmoFile = "<file>";

// The log from the test's first step to "Operazione terminata.".
// `version` is the text the run logs and shows.
inline std::vector<Entry> Log(Component c, const Inputs& in, const std::string& version = kVersion) {
  std::vector<Entry> log;
  auto add = [&](std::initializer_list<std::string> lines) {
    for (const std::string& line : lines) log.push_back(Info(line));
  };
  const std::string server = "Connessione al server/istanza '" + in.server + "' in corso...";
  const std::string success[] = {"", "---> CONNESSIONE AVVENUTA CON SUCCESSO <---", "",
                                 "Versione istanza SQL SERVER:", version, ""};
  if (c == Component::Dmo) {
    const std::string secure = in.trusted ? "True" : "False";
    add({"Creazione dell'oggetto 'SQLDMO.SQLServer'...", "Oggetto 'SQLDMO.SQLServer' creato correttamente."});
    for (const Setting& s : DmoApplication(kDmoFile)) {
      add({"Lettura proprietà SQLServer.Application." + s.name + "=" + Text(s.value)});
      if (s.name == "FullName") add({"File " + kDmoFile + " versione: 9.8.7.6"});
    }
    for (const Setting& s : kDmoServer) add({"Lettura proprietà SQLServer." + s.name + "=" + Text(s.value)});
    add({server,
         "Scrittura proprietà SQLServer.LoginTimeout=10 in corso...",
         "Lettura proprietà SQLServer.LoginTimeout=10",
         "Scrittura proprietà SQLServer.LoginSecure=" + secure + " in corso...",
         "Lettura proprietà SQLServer.LoginSecure=" + secure,
         "Esecuzione metodo SQLServer.Connect in corso...",
         "Esecuzione metodo SQLServer.Connect riuscita.",
         "Scrittura proprietà SQLServer.Language=us_english in corso...",
         "Lettura proprietà SQLServer.Language=us_english"});
    for (const std::string& line : success) add({line});
    add({"Esecuzione metodo SQLServer.DisConnect in corso...", "Esecuzione metodo SQLServer.Disconnect riuscita.",
         "Distruzione dell'oggetto 'SQLDMO.SQLServer'...", "Operazione terminata."});
    return log;
  }
  const bool ado = c == Component::Ado;
  const std::string rs = ado ? "ADODB.Recordset" : "DAO.Recordset";
  const std::string conn = ado ? "ADODB.Connection" : "DAO.Connection";
  const std::string open = ado ? "ADODB.Recordset.Open" : "DAO.Connection.OpenRecordset";
  auto query = [&](const std::string& q) {
    if (ado) add({"Creazione dell'oggetto ADODB.Recordset...", "Oggetto ADODB.Recordset creato correttamente."});
    add({"Query in corso di esecuzione: " + q, "Esecuzione metodo " + open + " in corso...",
         "Esecuzione metodo " + open + " riuscita."});
  };
  auto close = [&] {
    add({"Esecuzione metodo " + rs + ".Close in corso...", "Esecuzione metodo " + rs + ".Close riuscita.",
         "Distruzione dell'oggetto " + rs + "..."});
  };
  if (ado) {
    add({"Creazione dell'oggetto 'ADODB.Connection'...", "Oggetto 'ADODB.Connection' creato correttamente.",
         "Lettura proprietà ADODB.Version=2.8", server, "Stringa di connessione: " + ConnectionString(c, in),
         "Esecuzione metodo ADODB.Connection.Open in corso...", "Esecuzione metodo ADODB.Connection.Open riuscita.",
         "Lettura proprietà ADODB.Connection.Properties in corso..."});
    for (const Setting& s : AdoProperties(ConnectionString(c, in))) add({Line(s)});
  } else {
    add({"Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'...", "Esecuzione metoto 'DAO.DBEngine.Workspaces.Append'...",
         "Lettura proprietà DAO.DBEngine.Properties in corso..."});
    for (const Setting& s : kDaoEngineProperties) add({Line(s)});
    add({"Lettura proprietà DAO.Workspace.Properties in corso..."});
    for (const Setting& s : DaoWorkspaceProperties()) add({Line(s)});
    add({server, "Stringa di connessione: " + ConnectionString(c, in),
         "Esecuzione metodo DAO.Workspaces.OpenConnection in corso...",
         "Esecuzione metodo DAO.Workspaces.OpenConnection riuscita.",
         "Scrittura proprietà DAO.Connection.QueryTimeout = 60 in corso..."});
  }
  query("SELECT @@VERSION");
  close();
  for (const std::string& line : success) add({line});
  query("sp_server_info");
  add({"Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info..."});
  for (const Attribute& a : kInfo) add({"    " + a.name + " = " + a.value});
  close();
  add({"Esecuzione metodo " + conn + ".Close in corso...", "Esecuzione metodo " + conn + ".Close riuscita.",
       "Distruzione dell'oggetto " + conn + "...", "Operazione terminata."});
  return log;
}

// An edit of the golden log, at the first entry whose message is `at`.
struct Edit {
  enum Kind { Drop, Replace, InsertAfter, EndAfter, DropAfter } kind;
  std::string at;
  std::vector<Entry> entries;  // what goes in (EndAfter: what ends the log)
  size_t count = 0;            // DropAfter: how many entries go
};
inline Edit Drop(std::string at) { return {Edit::Drop, std::move(at), {}}; }
// The `n` entries after `at` go.
inline Edit DropAfter(std::string at, size_t n) { return {Edit::DropAfter, std::move(at), {}, n}; }
inline Edit Replace(std::string at, std::vector<Entry> by) { return {Edit::Replace, std::move(at), std::move(by)}; }
inline Edit InsertAfter(std::string at, std::vector<Entry> e) {
  return {Edit::InsertAfter, std::move(at), std::move(e)};
}
// Everything after `at` goes: the run ended there, with `e`.
inline Edit EndAfter(std::string at, std::vector<Entry> e = {}) {
  return {Edit::EndAfter, std::move(at), std::move(e)};
}

// The log with the edits made in order; an edit whose line is missing
// leaves its own mark, so that the comparison shows it.
inline std::vector<Entry> Apply(std::vector<Entry> log, const std::vector<Edit>& edits) {
  for (const Edit& e : edits) {
    auto at = log.begin();
    while (at != log.end() && at->message != e.at) ++at;
    if (at == log.end()) {
      log.push_back(Error("<no line \"" + e.at + "\" to edit>"));
      continue;
    }
    switch (e.kind) {
      case Edit::Drop: log.erase(at); break;
      case Edit::Replace: at = log.erase(at); log.insert(at, e.entries.begin(), e.entries.end()); break;
      case Edit::InsertAfter: log.insert(at + 1, e.entries.begin(), e.entries.end()); break;
      case Edit::DropAfter:
        log.erase(at + 1, at + 1 + static_cast<long>(std::min(e.count, size_t(log.end() - at - 1))));
        break;
      case Edit::EndAfter:
        log.erase(at + 1, log.end());
        log.insert(log.end(), e.entries.begin(), e.entries.end());
        break;
    }
  }
  return log;
}

// A component's failure, as the log shows it: its number is what the
// program reports (a control-facility code by its low word).
struct Failure {
  int32_t number;
  std::string description, source;
};
inline std::string StepError(const std::string& prefix, const Failure& f) {
  return prefix + ": number=" + std::to_string(f.number) + ", description=" + f.description + ", source=" + f.source;
}

// How many times `needle` stands in `text`.
inline size_t Occurrences(const std::string& text, const std::string& needle) {
  size_t n = 0;
  if (needle.empty()) return 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

}  // namespace sondalink::testing::golden
