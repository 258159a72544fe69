// The stand-in data-access components under Wine, reached the way Sondalink
// reaches the real ones: registration found by the program's registry
// lookup, every class driven through the program's own late-binding layer,
// scenarios, the journal, and unregistration. Raw IDispatch stays only where
// that layer cannot go (see "raw IDispatch" below).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ocidl.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "../support/row_name.h"
#include "../support/temp_folder.h"
#include "../support/windows.h"
#include "environment/registro.h"
#include "environment/versione_file.h"
#include "platform/automation.h"
#include "platform/win32/windows_support.h"
#include "standin_control.h"

namespace sondalink::standin {
namespace {

namespace automation = platform::automation;
using automation::Object;
using automation::Value;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const char kAdoConnection[] = "{00000514-0000-0010-8000-00AA006D2EA4}";
const char kAdoRecordset[] = "{00000535-0000-0010-8000-00AA006D2EA4}";
const char kDaoEngine[] = "{00000010-0000-0010-8000-00AA006D2EA4}";
const char kDaoKey[] = "mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak";  // DAO's run-time licence key
const std::string kAdoString =
    "Provider=SQLOLEDB;Server=PC01\\ISTANZA;Database=master;UID=sa;pwd=s3gr;eto;LANGUAGE=us_english;APP=Velario;";
// The version text of the built-in run.
const std::string kVersion =
    "SQL Server stand-in - 8.00.2039 (Intel X86)\r\n\tcomponenti sostitutivi per i test di Sondalink";

// Steps (see Do) that open ADO connection c the way the program does, open
// a query on it, and create DAO workspace w.
const std::string kOpenAdo = "c.Open(" + kAdoString + ", , , @i4:-1)";
const std::string kOnC = ", $c, @i4:3, @i4:1, @i4:-1)";
const char kWorkspace[] = "w = e.CreateWorkspace(ODBCWorkspace, admin, , @i4:1)";

// COM on the test thread, the stand-in registered, and a scenario and
// journal of the test's own.
class Standin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_HRESULT_SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    ASSERT_HRESULT_SUCCEEDED(RegisterStandin());
  }
  void TearDown() override {
    ForgetScenario();
    mudtChiaviAperte.clear();
    ::CoUninitialize();
    EXPECT_HRESULT_SUCCEEDED(UnregisterStandin());
  }
  void Scenario(const std::string& text) {
    ASSERT_TRUE(UseScenario(win32::Widen(folder_ / "scenario.txt"), JournalTo(journal_) + text));
  }
  std::vector<std::string> JournalLines() const { return ReadJournal(journal_); }

  sondalink::testing::TempFolder folder_;
  std::wstring journal_ = win32::Widen(folder_ / "journal.txt");
};

// A table of the fixture's runs, one row per case, named after the row.
template <class Row>
class Table : public Standin, public ::testing::WithParamInterface<Row> {};
template <class Row>
  requires requires(const Row& row) { row.name; }
void PrintTo(const Row& row, std::ostream* os) {
  *os << row.name;
}

// ---- through the program's late-binding layer, in the scenario's notation

// A member that must succeed and hold a value of type T.
template <class T>
T Must(const Outcome<Value>& outcome) {
  EXPECT_TRUE(outcome.ok()) << outcome.error.number << " " << outcome.error.description;
  const T* value = std::get_if<T>(&outcome.value);
  EXPECT_NE(value, nullptr) << "held alternative " << outcome.value.index();
  return value ? *value : T{};
}

// An outcome as the scenario writes values, so that a check sees the type
// too: a text as it is (\@ for a leading @), @i2:7, @i4:-1, @bool:False,
// @null, @empty (also a call or a write that gives nothing), @object; a
// failure as @fail:<number>|<description>|<source>, the number in hex
// unless it is a control-facility code's.
std::string Show(const ErrorRecord& e) {
  if (!e.failed()) return "@empty";
  const std::string number = e.number > 0 ? std::to_string(e.number) : Hex(static_cast<uint32_t>(e.number));
  return "@fail:" + number + "|" + e.description + "|" + e.source;
}
std::string Show(const Outcome<Value>& outcome) {
  static const char* const kTypes[] = {"@empty", "@null", "@bool:", "@ui1:", "@i2:",   "@i4:", "@ui4:",  "@i8:",
                                       "@r4:",   "@r8:",  "@cy:",   "@dec:", "@date:", "",     "@object"};
  static_assert(std::size(kTypes) == std::variant_size_v<Value>);
  if (!outcome.ok()) return Show(outcome.error);
  const size_t type = outcome.value.index();
  if (type < 2 || std::holds_alternative<Object>(outcome.value)) return kTypes[type];
  const std::string text = automation::ToText(outcome.value).value;
  return std::holds_alternative<std::string>(outcome.value) && text.starts_with('@') ? "\\" + text
                                                                                     : kTypes[type] + text;
}

// A run's objects, by the names its steps gave them.
using Objects = std::map<std::string, Object>;

// An argument as the scenario writes values (texts, @i2:, @i4:, @bool:,
// @null, @empty), or $name: a named object.
Value Parse(const std::string& written, const Objects& objects) {
  if (written.starts_with('$')) return objects.at(written.substr(1));
  if (written == "@null") return automation::Null{};
  if (written == "@empty") return Value{};
  if (written.starts_with("@i2:")) return static_cast<int16_t>(std::stoi(written.substr(4)));
  if (written.starts_with("@i4:")) return static_cast<int32_t>(std::stoi(written.substr(4)));
  if (written.starts_with("@bool:")) return written == "@bool:true";
  return written.starts_with("\\@") ? written.substr(1) : written;
}

// owner.A.B(x, y).C: each member read, or called with the arguments in
// parentheses, on what the one before gave: Properties(@i4:0).Value.
Outcome<Value> Read(const Object& owner, const std::string& path, const Objects& objects = {}) {
  Outcome<Value> at = Value{owner};
  for (size_t start = 0; at.ok() && start < path.size();) {
    const size_t end = path.find_first_of(".(", start);
    const std::string member = path.substr(start, end - start);
    if (end == std::string::npos || path[end] == '.') {
      at = automation::Get(Must<Object>(at), member);
      start = end == std::string::npos ? end : end + 1;
      continue;
    }
    const size_t close = path.find(')', end);
    std::vector<Value> args;
    std::istringstream list(path.substr(end + 1, close - end - 1));
    for (std::string arg; std::getline(list, arg, ',');)
      args.push_back(Parse(arg.substr(arg.starts_with(' ')), objects));
    at = automation::Call(Must<Object>(at), member, args);
    start = close == std::string::npos ? close : close + 2;  // past ")."
  }
  return at;
}

// The stand-in's classes, created as the program creates them.
std::optional<Outcome<Object>> New(const std::string& name) {
  if (name == "ADODB.Connection") return automation::CreateFromClassId(kAdoConnection, name);
  if (name == "ADODB.Recordset") return automation::CreateFromClassId(kAdoRecordset, name);
  if (name == "DAO.DBEngine.35") return automation::CreateFromClassId(kDaoEngine, name, kDaoKey);
  if (name == "SQLDMO.SQLServer") return automation::CreateFromName(name);
  return std::nullopt;
}

// One step of a run, and what it gave as Show writes it:
//   c = ADODB.Connection              creates an object of a class (New) as c
//   w = e.CreateWorkspace(a, , @i4:1) names what a read or a call gives
//   c.Properties(@i4:0).Value         reads and calls along a path (Read)
//   s.LoginTimeout = @i2:10           writes a property
std::string Do(const std::string& step, Objects& objects) {
  const size_t is = step.find(" = ");
  const std::string name = is == std::string::npos ? "" : step.substr(0, is);
  const std::string what = is == std::string::npos ? step : step.substr(is + 3);
  if (const size_t dot = name.find('.'); dot != std::string::npos) {
    return Show(automation::Put(objects.at(name.substr(0, dot)), name.substr(dot + 1), Parse(what, objects)));
  }
  Outcome<Value> gave;
  if (std::optional<Outcome<Object>> made = New(what)) {
    gave = made->ok() ? Outcome<Value>(Value{made->value}) : Outcome<Value>(made->error);
  } else {
    const size_t dot = what.find('.');
    gave = Read(objects.at(what.substr(0, dot)), what.substr(dot + 1), objects);
  }
  if (!name.empty() && gave.ok()) objects[name] = Must<Object>(gave);
  return Show(gave);
}

// The objects that `steps` name, every step expected to succeed.
Objects Play(const std::vector<std::string>& steps) {
  Objects objects;
  for (const std::string& step : steps) EXPECT_THAT(Do(step, objects), Not(HasSubstr("@fail"))) << step;
  return objects;
}

// ---- raw IDispatch, only where the layer cannot go: arguments by
// reference, a null licence key and the licensing factory's own questions,
// and which of its two ways a component used to raise an error.

struct Raw {
  HRESULT hr = S_OK;
  HRESULT scode = S_OK;  // the component's code, from EXCEPINFO or the returned HRESULT
};

// `args` in their natural order; their strings stay the caller's.
Raw RawCall(IDispatch* object, const wchar_t* name, std::vector<VARIANT> args) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr)) return {hr, hr};
  std::reverse(args.begin(), args.end());
  DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  EXCEPINFO info{};
  win32::unique_variant result;
  HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), &info, nullptr);
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  ::SysFreeString(info.bstrDescription);
  ::SysFreeString(info.bstrSource);
  ::SysFreeString(info.bstrHelpFile);
  return {hr, hr == DISP_E_EXCEPTION ? info.scode : hr};
}

win32::com_ptr<IDispatch> RawCreate(const wchar_t* progId) {
  win32::com_ptr<IDispatch> object;
  CLSID clsid;
  if (SUCCEEDED(::CLSIDFromProgID(progId, &clsid)))
    ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void());
  return object;
}

// The DAO engine's class factory, as the licensing factory it must be.
win32::com_ptr<IClassFactory2> DaoFactory() {
  win32::com_ptr<IClassFactory2> factory;
  ::CoGetClassObject(CLSID{0x10, 0, 0x10, {0x80, 0, 0, 0xAA, 0, 0x6D, 0x2E, 0xA4}}, CLSCTX_INPROC_SERVER,
                     nullptr, IID_IClassFactory2, factory.put_void());
  return factory;
}

// ---- registration

std::string ClassesRootValue(const std::string& path) {
  platform::registry::Handle key = 0;
  if (!ApriChiave(platform::registry::kClassesRoot, path, key)) return "<absent>";
  std::string value;
  LeggiValoreStringa(key, "", value);
  ChiudiChiave(key);
  return value;
}

TEST_F(Standin, ClassesRootLeadsEveryClassToTheStandinFile) {
  const std::string dll = win32::Narrow(StandinDllPath());
  // The environment report's own lookup, class name to server file.
  for (const char* name : {"ADODB.Connection", "DAO.DBEngine.35", "SQLDMO.SQLServer"}) {
    std::string key;
    EXPECT_EQ(CercaComponenteCOM(name, key), dll) << name;
    EXPECT_THAT(key, ::testing::EndsWith("}\\InprocServer32")) << name;
  }
  EXPECT_EQ(ClassesRootValue("ADODB.Connection\\CLSID"), kAdoConnection);
  EXPECT_EQ(ClassesRootValue("DAO.DBEngine.35\\CLSID"), kDaoEngine);
  EXPECT_EQ(ClassesRootValue("CLSID\\" + std::string(kAdoRecordset) + "\\InprocServer32"), dll);

  // The version resource the report reads.
  int16_t v[4] = {};
  std::string error;
  ASSERT_TRUE(LeggiVersioneFile(dll, v[0], v[1], v[2], v[3], error)) << error;
  EXPECT_EQ(std::vector<int16_t>(v, v + 4), (std::vector<int16_t>{9, 8, 7, 6}));
}

TEST_F(Standin, UnregisteringPutsBackWhatWasThereBefore) {
  const std::string paths[] = {
      "CLSID\\{00000514-0000-0010-8000-00AA006D2EA4}\\InprocServer32",
      "CLSID\\{00000535-0000-0010-8000-00AA006D2EA4}\\InprocServer32",
      "ADODB.Connection\\CLSID",
      "ADODB.Connection\\CurVer",
      "CLSID\\{00000010-0000-0010-8000-00AA006D2EA4}\\InprocServer32",
      "DAO.DBEngine.35\\CLSID",
      "SQLDMO.SQLServer\\CLSID",
  };
  ASSERT_HRESULT_SUCCEEDED(UnregisterStandin());
  std::vector<std::string> before;
  for (const std::string& p : paths) before.push_back(ClassesRootValue(p));
  EXPECT_THAT(before[0], HasSubstr("msado15.dll"));
  // A fresh Wine prefix has no DAO; a Windows machine may well have it.
  if (sondalink::testing::UnderWine()) {
    EXPECT_EQ(before[5], "<absent>");
  }

  // Registering twice must not save the stand-in's own entries as the old ones.
  ASSERT_HRESULT_SUCCEEDED(RegisterStandin());
  ASSERT_HRESULT_SUCCEEDED(RegisterStandin());
  EXPECT_EQ(ClassesRootValue(paths[0]), win32::Narrow(StandinDllPath()));
  ASSERT_HRESULT_SUCCEEDED(UnregisterStandin());
  for (size_t i = 0; i < std::size(paths); ++i) EXPECT_EQ(ClassesRootValue(paths[i]), before[i]) << paths[i];
  HKEY own = nullptr;
  EXPECT_NE(::RegOpenKeyA(HKEY_CURRENT_USER, "Software\\SondalinkStandin", &own), ERROR_SUCCESS);
  EXPECT_NE(::RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\SondalinkStandin", &own), ERROR_SUCCESS);
}

// ---- runs: a scenario, the steps the program would take, and the journal

struct Script {
  const char* name;
  std::string scenario;
  // Each "<step> -> <what it gives>": the step as Do takes it, what it gives
  // as Show writes it, "..." ending it where the system's text for the code
  // follows. Without " -> ": @object for a step that names what it gives,
  // else @empty.
  std::vector<std::string> steps;
  std::vector<std::string> journal = {};  // lines the journal must hold
};

using StandinRuns = Table<Script>;

TEST_P(StandinRuns, GiveWhatEachStepSaysAndJournalTheArguments) {
  const Script& run = GetParam();
  Scenario(run.scenario);
  {
    Objects objects;
    for (const std::string& step : run.steps) {
      const size_t arrow = step.find(" -> ");
      const std::string does = step.substr(0, arrow);
      const std::string want = arrow != std::string::npos          ? step.substr(arrow + 4)
                               : does.find(" = ") < does.find('.') ? "@object"
                                                                   : "@empty";
      const std::string got = Do(does, objects);
      EXPECT_EQ(want.ends_with("...") ? got.substr(0, want.size() - 3) + "..." : got, want) << does;
    }
  }  // every object released
  EXPECT_THAT(JournalLines(), ::testing::IsSupersetOf(run.journal));
}

INSTANTIATE_TEST_SUITE_P(
    EveryComponent, StandinRuns,
    ::testing::Values(
        // Properties by position as a listing reads them, by name, and
        // failing; the ADO listing counts in 32 bits. The password goes in
        // clear, as the component needs it; the journal holds the argument
        // types as sent.
        Script{"AdoRunGivesVersionAndAttributesAndJournalsTheArguments",
               "version=Versione 1\\r\\n\\triga due\n"
               "property.ado=Vuota|@null\nproperty.ado=Guasta|@fail:0x80004005|Non leggibile|Provider\n",
               {"c = ADODB.Connection", kOpenAdo, "c.Version -> 2.8", "c.Properties.Count -> @i4:11",
                "c.Properties(@i4:1).Value -> PC01\\ISTANZA", "c.Properties(Application Name).Value -> Velario",
                "c.Properties(@i4:7).Value -> @i4:15", "c.Properties(@i4:9).Value -> @null",
                "c.Properties(@i4:10).Value -> @fail:0x80004005|Non leggibile|Provider", "v = ADODB.Recordset",
                "v.Open(SELECT @@VERSION" + kOnC, "v.EOF -> @bool:False",
                "v.Fields(@i4:0).Value -> Versione 1\r\n\triga due", "v.Close()", "c.Close()"},
               {"create ado.Connection",
                "call ado.Connection.Open(VT_BSTR \"Provider=SQLOLEDB;Server=PC01\\\\ISTANZA;Database=master;UID=sa;"
                "pwd=s3gr;eto;LANGUAGE=us_english;APP=Velario;\", VT_BSTR \"\", VT_BSTR \"\", VT_I4 -1)",
                "call ado.Recordset.Open(VT_BSTR \"SELECT @@VERSION\", VT_DISPATCH <ado.Connection>, VT_I4 3, "
                "VT_I4 1, VT_I4 -1)",
                "call ado.Connection.Close()", "release ado.Connection"}},
        // The built-in five rows, then no current record.
        Script{"AdoServerInfoGivesItsRowsToTheirEnd",
               "",
               {"c = ADODB.Connection", kOpenAdo, "i = ADODB.Recordset", "i.Open(sp_server_info" + kOnC,
                "i.Fields(attribute_name).Value -> DBMS_NAME", "i.Fields(attribute_value).Value -> SQL Server stand-in",
                "i.MoveNext()", "i.MoveNext()", "i.MoveNext()", "i.MoveNext()", "i.MoveNext()",
                "i.MoveNext() -> @fail:3021|Either BOF or EOF is True, or the current record has been deleted. "
                "Requested operation requires a current record.|ADODB.Recordset",
                "i.Close()"},
               {"get ado.Fields.Item(VT_BSTR \"attribute_value\")"}},
        // The engine is one per process: a second creation sees the same
        // collection.
        Script{"DaoEngineRefusesASecondWorkspaceOfTheSameNameUntilTheFirstIsClosed",
               "",
               {"e = DAO.DBEngine.35", "e.Properties.Count -> @i2:5", "e.Version -> 3.5", kWorkspace,
                "e.Workspaces.Append($w)", "e.Workspaces.Count -> @i2:1", "f = DAO.DBEngine.35",
                "x = f.CreateWorkspace(ODBCWorkspace, admin, , @i4:1)",
                "f.Workspaces.Append($x) -> @fail:3367|Impossibile aggiungere. Un oggetto con lo stesso nome esiste "
                "già nell'insieme.|DAO.Workspaces",
                "w.Close()", "e.Workspaces.Count -> @i2:0", "f.Workspaces.Append($x)"}},
        // DAO counts in 16 bits; Fields(0) as VB writes it goes on to Item.
        Script{
            "DaoRunGivesVersionAndJournalsSixteenBitArguments",
            "",
            {"e = DAO.DBEngine.35", kWorkspace, "w.Properties.Count -> @i2:5",
             "w.Properties(@i4:0).Value -> ODBCWorkspace",
             "c = w.OpenConnection(, @i4:0, @bool:false, ODBC;Driver={SQL Server};Server=PC01;Database=master;"
             "Trusted_Connection=Yes;LANGUAGE=us_english;APP=Velario;)",
             "c.QueryTimeout = @i2:60", "c.QueryTimeout -> @i2:60", "r = c.OpenRecordset(SELECT @@VERSION, @i2:4)",
             "r.Fields(@i2:0).Value -> " + kVersion, "r.Close()",
             "c.OpenRecordset(SELECT 1, @i2:4) -> @fail:3146|ODBC--chiamata non riuscita.|DAO.Connection", "c.Close()"},
            {"call dao.DBEngine.CreateWorkspace(VT_BSTR \"ODBCWorkspace\", VT_BSTR \"admin\", VT_BSTR \"\", "
             "VT_I4 1)",
             "call dao.Workspace[ODBCWorkspace].OpenConnection(VT_BSTR \"\", VT_I4 0, VT_BOOL False, VT_BSTR "
             "\"ODBC;Driver={SQL Server};Server=PC01;Database=master;Trusted_Connection=Yes;"
             "LANGUAGE=us_english;APP=Velario;\")",
             "put dao.Connection.QueryTimeout = VT_I2 60", "get dao.Recordset.Fields(VT_I2 0)",
             "call dao.Connection.OpenRecordset(VT_BSTR \"SELECT 1\", VT_I2 4) -> fault 0x800A0C4A"}},
        // The program's log spells it DisConnect: names are matched in any case.
        Script{"DmoRunReportsItsOwnFileAndNeedsAConnectionForTheVersion",
               "",
               {"s = SQLDMO.SQLServer", "s.Application.FullName -> " + win32::Narrow(StandinDllPath()),
                "s.Application.VersionMajor -> @i4:9",
                "s.VersionString -> @fail:0x80045510|[SQL-DMO]This property or method requires a connection to "
                "SQL Server.|Microsoft SQL-DMO",
                "s.LoginTimeout = @i2:10", "s.LoginTimeout -> @i4:10", "s.LoginSecure = @bool:false",
                "s.Connect(PC01, sa, x)", "s.Language = us_english", "s.Language -> us_english",
                "s.VersionString -> " + kVersion, "s.DisConnect()"},
               {"put dmo.SQLServer.LoginTimeout = VT_I2 10", "call dmo.SQLServer.Disconnect()"}}),
    sondalink::testing::kRowName);

// Scenario features the end-to-end cases rely on. Each new connection
// begins a run, where the rules count their calls afresh.
INSTANTIATE_TEST_SUITE_P(
    ScenarioFeatures, StandinRuns,
    ::testing::Values(
        Script{"VersionQueryCanBeEmptyAndAServerInfoRowCanFail",
               "version.rows=0\ninfo=DBMS_NAME|Prova\ninfo=ROTTA|@fail:0x80040E14|Riga illeggibile|Provider\n"
               "info=ULTIMA|@empty\n",
               {"c = ADODB.Connection", kOpenAdo, "v = ADODB.Recordset", "v.Open(SELECT @@VERSION" + kOnC,
                "v.EOF -> @bool:True", "i = ADODB.Recordset", "i.Open(sp_server_info" + kOnC,
                "i.Fields(attribute_value).Value -> Prova", "i.MoveNext()",
                "i.Fields(attribute_value).Value -> @fail:0x80040E14|Riga illeggibile|Provider", "i.MoveNext()",
                "i.Fields(attribute_value).Value -> @empty", "i.MoveNext()", "i.EOF -> @bool:True"}},
        Script{"NthCallRuleFailsOnlyThatCallAndARunStartsTheCountAgain",
               Fail("ado.Recordset.Close#2", 0x80004005, "Chiusura fallita", "ADODB.Recordset"),
               {"c = ADODB.Connection", kOpenAdo, "v = ADODB.Recordset", "v.Open(SELECT @@VERSION" + kOnC, "v.Close()",
                "i = ADODB.Recordset", "i.Open(sp_server_info" + kOnC,
                "i.Close() -> @fail:0x80004005|Chiusura fallita|ADODB.Recordset", "c = ADODB.Connection", kOpenAdo,
                "v = ADODB.Recordset", "v.Open(SELECT @@VERSION" + kOnC, "v.Close()", "i = ADODB.Recordset",
                "i.Open(sp_server_info" + kOnC, "i.Close() -> @fail:0x80004005|Chiusura fallita|ADODB.Recordset"}},
        Script{"SecondRecordsetCreationCanFail",
               Fail("ado.Recordset.create#2", 0x80004005, "Memoria esaurita", "ADODB.Recordset"),
               {"c = ADODB.Connection", kOpenAdo, "v = ADODB.Recordset", "i = ADODB.Recordset -> @fail:0x80004005|..."},
               {"create ado.Recordset -> fault 0x80004005"}},
        Script{"ConnectionCloseAndDisconnectCanFailAfterSuccess",
               Fail("ado.Connection.Close", 0x80004005, "Chiusura", "ADODB.Connection") +
                   Fail("dmo.SQLServer.Disconnect", 0x80045001, "Disconnessione", "Microsoft SQL-DMO"),
               {"c = ADODB.Connection", kOpenAdo, "c.Close() -> @fail:0x80004005|Chiusura|ADODB.Connection",
                "s = SQLDMO.SQLServer", "s.Connect(X, sa, x)",
                "s.Disconnect() -> @fail:0x80045001|Disconnessione|Microsoft SQL-DMO"}}),
    sondalink::testing::kRowName);

// Raw: the layer passes no argument by reference; Connect takes its three
// texts so too.
TEST_F(Standin, DmoConnectTakesItsTextsByReference) {
  Scenario("");
  win32::com_ptr<IDispatch> raw = RawCreate(L"SQLDMO.SQLServer");
  ASSERT_TRUE(raw);
  win32::unique_bstr texts[] = {win32::unique_bstr(::SysAllocString(L"PC01")),
                                win32::unique_bstr(::SysAllocString(L"sa")),
                                win32::unique_bstr(::SysAllocString(L"s3gr;eto"))};
  BSTR held[] = {texts[0].get(), texts[1].get(), texts[2].get()};
  std::vector<VARIANT> byRef(3);
  for (int i = 0; i < 3; ++i) {
    V_VT(&byRef[i]) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&byRef[i]) = &held[i];
  }
  EXPECT_HRESULT_SUCCEEDED(RawCall(raw.get(), L"Connect", byRef).hr);
  EXPECT_THAT(JournalLines(), Contains("call dmo.SQLServer.Connect(VT_BSTR|VT_BYREF \"PC01\", VT_BSTR|VT_BYREF "
                                       "\"sa\", VT_BSTR|VT_BYREF \"s3gr;eto\")"));
}

// ---- refusals, in every way a component can raise them

struct Refusal {
  const char* name;
  const char* target;
  const char* mode;
  uint32_t code = 0x800A0C4A;
  int32_t number = 3146;  // as the error record shows it
};

using Refusals = Table<Refusal>;

TEST_P(Refusals, LoginRefusedReachesTheCallerWithCodeDescriptionAndSource) {
  const Refusal& r = GetParam();
  const std::string description =
      "[Microsoft][ODBC SQL Server Driver][SQL Server]Accesso non riuscito per l'utente 'sa'.";
  Scenario(Fail(r.target, r.code, description, "Origine|prova", r.mode));
  const std::string component = std::string(r.target).substr(0, 3);
  const std::map<std::string, std::vector<std::string>> logins = {
      {"ado", {"c = ADODB.Connection", kOpenAdo}},
      {"dao",
       {"e = DAO.DBEngine.35", kWorkspace,
        "w.OpenConnection(, @i4:0, @bool:false, ODBC;Driver={SQL Server};Server=X;)"}},
      {"dmo", {"s = SQLDMO.SQLServer", "s.Connect(X, sa, x)"}}};
  std::vector<std::string> steps = logins.at(component);
  const std::string login = steps.back();
  steps.pop_back();
  Objects objects = Play(steps);
  EXPECT_EQ(Do(login, objects), Show(ErrorRecord{r.number, description, "Origine|prova"}));
  EXPECT_THAT(JournalLines(), Contains(HasSubstr("-> fault " + Hex(r.code))));

  // Raw: which way the code came, an exception or an error object, the
  // layer folds into one record.
  if (component == "dao") return;  // its workspace comes from the engine only
  const bool ado = component == "ado";
  win32::com_ptr<IDispatch> object = RawCreate(ado ? L"ADODB.Connection" : L"SQLDMO.SQLServer");
  ASSERT_TRUE(object);
  win32::unique_bstr text(::SysAllocString(ado ? L"Provider=SQLOLEDB;Server=X;" : L"X"));
  VARIANT arg{};
  V_VT(&arg) = VT_BSTR;
  V_BSTR(&arg) = text.get();
  Raw reply = RawCall(object.get(), ado ? L"Open" : L"Connect", {arg});
  const HRESULT code = static_cast<HRESULT>(r.code);
  EXPECT_EQ(reply.hr, std::string(r.mode) == "errorinfo" ? code : DISP_E_EXCEPTION);
  EXPECT_EQ(reply.scode, code);
}

INSTANTIATE_TEST_SUITE_P(EveryComponentAndMode, Refusals,
                         ::testing::Values(Refusal{"AdoOpen", "ado.Connection.Open", "excepinfo"},
                                           Refusal{"DaoOpenConnection", "dao.Workspace.OpenConnection", "excepinfo"},
                                           Refusal{"DmoConnect", "dmo.SQLServer.Connect", "excepinfo"},
                                           Refusal{"AdoOpenDeferred", "ado.Connection.Open", "deferred"},
                                           Refusal{"DmoConnectErrorInfo", "dmo.SQLServer.Connect", "errorinfo"}),
                         sondalink::testing::kRowName);

// The code as the error record shows it: a control-facility code by its number.
INSTANTIATE_TEST_SUITE_P(
    EveryMode, Refusals,
    ::testing::Values(Refusal{"ControlFacility", "dmo.SQLServer.Connect", "", 0x800A0C4A, 3146},
                      Refusal{"Deferred", "dmo.SQLServer.Connect", "deferred", 0x800A0C4A, 3146},
                      Refusal{"ErrorInfo", "dmo.SQLServer.Connect", "errorinfo", 0x80044818, -2147203048},
                      Refusal{"OtherFacility", "dmo.SQLServer.Connect", "excepinfo", 0x80040E4D, -2147217843}),
    sondalink::testing::kRowName);

// A call the component cannot take is refused with COM's own code, journaled
// so, as a real component refuses it: the end-to-end runs rely on it to see
// an argument of the wrong count or type.
struct Refused {
  const char* name;
  uint32_t code;
  const char* step;  // on SQL-DMO server s
};

using ProtocolErrors = Table<Refused>;

TEST_P(ProtocolErrors, AreRefusedWithTheirCodeAndJournaled) {
  const Refused& m = GetParam();
  Scenario("");
  Objects objects = Play({"s = SQLDMO.SQLServer"});
  EXPECT_THAT(Do(m.step, objects), StartsWith("@fail:" + Hex(m.code) + "|"));
  EXPECT_THAT(JournalLines(), Contains(HasSubstr("-> " + Hex(m.code))));
}

INSTANTIATE_TEST_SUITE_P(DmoServer, ProtocolErrors,
                         ::testing::Values(Refused{"TooManyArguments", 0x8002000E, "s.Connect(X, , , @i2:1)"},
                                           Refused{"ATextForANumber", 0x80020005, "s.LoginTimeout = dieci"},
                                           Refused{"APutOnAReadOnlyProperty", 0x80020003, "s.CodePage = @i4:850"}),
                         sondalink::testing::kRowName);

// ---- DAO's engine is a licensed class

struct Licence {
  const char* name;
  bool designLicence;  // the machine holds the design-time licence
  const char* key;     // through the layer, "": plain creation; null: raw, CreateInstanceLic without a key
  HRESULT expected;
};

using Licences = Table<Licence>;

// Raw: a null key, and what the factory tells of the machine's licence.
TEST_P(Licences, EngineIsCreatedWithItsRunTimeKeyOrOnADevelopersMachine) {
  const Licence& l = GetParam();
  Scenario(l.designLicence ? "licence.design=yes\n" : "");
  win32::com_ptr<IClassFactory2> factory = DaoFactory();
  ASSERT_TRUE(factory);
  win32::com_ptr<IDispatch> raw;
  Outcome<Object> engine;
  if (l.key) {  // through the layer: a refusal is the failure that users once met
    engine = automation::CreateFromClassId(kDaoEngine, "DAO.DBEngine.35", l.key);
    EXPECT_EQ(Show(engine.error), l.expected == S_OK ? "@empty" : "@fail:0x80040112|Class is not licensed for use|"
                                                                  "DAO.DBEngine.35");
  } else {
    EXPECT_EQ(factory->CreateInstanceLic(nullptr, nullptr, IID_IDispatch, nullptr, raw.put_void()), l.expected);
  }
  EXPECT_EQ(engine.value || raw, l.expected == S_OK);
  if (l.expected != S_OK) {
    EXPECT_THAT(JournalLines(), Contains("create dao.DBEngine -> fault 0x80040112"));
  }

  // The key it gives away only where the design-time licence is.
  LICINFO info{};
  EXPECT_HRESULT_SUCCEEDED(factory->GetLicInfo(&info));
  EXPECT_EQ(info.cbLicInfo, static_cast<LONG>(sizeof info));
  EXPECT_TRUE(info.fRuntimeKeyAvail);
  EXPECT_EQ(info.fLicVerified != FALSE, l.designLicence);
  win32::unique_bstr key;
  EXPECT_EQ(factory->RequestLicKey(0, key.put()), l.designLicence ? S_OK : CLASS_E_NOTLICENSED);
  EXPECT_EQ(key ? std::wstring(key.get()) : L"<none>",
            l.designLicence ? L"mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak" : L"<none>");
}

INSTANTIATE_TEST_SUITE_P(
    UserAndDeveloperMachines, Licences,
    ::testing::Values(
        Licence{"UserMachineRunTimeKey", false, kDaoKey, S_OK},
        Licence{"UserMachinePlainCreation", false, "", CLASS_E_NOTLICENSED},
        Licence{"UserMachineWrongKey", false, "mbmabptebkjcdlgtjmskjwtsdhjbmkmwtraK", CLASS_E_NOTLICENSED},
        Licence{"UserMachineNoKey", false, nullptr, CLASS_E_NOTLICENSED},
        Licence{"DeveloperMachinePlainCreation", true, "", S_OK},
        Licence{"DeveloperMachineNoKey", true, nullptr, S_OK},
        Licence{"DeveloperMachineWrongKey", true, "mbmabptebkjcdlgtjmskjwt", CLASS_E_NOTLICENSED}),
    sondalink::testing::kRowName);

// ---- listings and rows at their pace

TEST_F(Standin, SlowListingTakesItsTimeItemByItem) {
  Scenario(SlowListing("dao.engine", 5, 60));
  Objects objects = Play({"e = DAO.DBEngine.35"});
  ASSERT_EQ(Do("e.Properties.Count", objects), "@i2:10");  // five built-in, five added
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i) {
    EXPECT_THAT(Do("e.Properties(@i4:" + std::to_string(i) + ").Value", objects), Not(HasSubstr("@fail"))) << i;
  }
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10 * 55));
}

TEST_F(Standin, TenThousandServerInfoRowsAreListedQuickly) {
  Scenario("info.rows=10000\njournal.reads=no\n");
  Objects objects = Play({"c = ADODB.Connection", kOpenAdo, "i = ADODB.Recordset", "i.Open(sp_server_info" + kOnC});
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::string> rows;
  while (Do("i.EOF", objects) == "@bool:False") {
    rows.push_back(Do("i.Fields(attribute_value).Value", objects));
    Do("i.MoveNext()", objects);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  ASSERT_EQ(rows.size(), 10000u);
  EXPECT_EQ(rows.back(), "valore 10000");
}

// A property's value as the scenario writes it, a text (escaped) or a typed
// value, read back as Show writes it: mostly as written.
struct Typed {
  const char* name;
  const char* written;  // after "property.ado=Prova|"
  const char* shown = nullptr;  // null: as written
};

using TypedValues = Table<Typed>;

TEST_P(TypedValues, AreReadBackWithTheirVariantType) {
  const Typed& t = GetParam();
  Scenario(std::string("property.ado=Prova|") + t.written + "\n");
  // A name in any case.
  Objects objects = Play({"c = ADODB.Connection", kOpenAdo});
  EXPECT_EQ(Do("c.Properties(pROVA).Value", objects), t.shown ? t.shown : t.written);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, TypedValues,
    ::testing::Values(Typed{"Null", "@null"}, Typed{"Empty", "@EMPTY", "@empty"}, Typed{"Short", "@i2:7"},
                      Typed{"Long", "@i4:-70000"}, Typed{"Double", "@r8:2.5"},
                      Typed{"Boolean", "@bool:false", "@bool:False"},
                      Typed{"EscapedText", "a\\|b\\@c\\\\d", "a|b@c\\d"},
                      Typed{"TextWithALeadingAt", "\\@null"},
                      Typed{"FailingRead", "@fail:0x80004005|Lettura impossibile|Provider"}),
    sondalink::testing::kRowName);

// A malformed line fails the creation that begins the run, and the journal
// says which line and why (line 1 names the journal).
struct Malformed {
  const char* name;
  const char* line;
  const char* complaint;
};

using MalformedScenarios = Table<Malformed>;

TEST_P(MalformedScenarios, FailTheCreationAndSayWhy) {
  Scenario(std::string(GetParam().line) + "\n");
  EXPECT_FALSE(automation::CreateFromClassId(kAdoConnection, "ADODB.Connection").ok());
  EXPECT_THAT(JournalLines(), Contains(::testing::AllOf(StartsWith("scenario-error "),
                                                        HasSubstr(std::string("line 2: ") + GetParam().complaint))));
}

INSTANTIATE_TEST_SUITE_P(
    EveryComplaint, MalformedScenarios,
    ::testing::Values(
        Malformed{"PositiveCode", "fail.ado.Connection.Open=3146|Login|ADO",
                  "a failure code must be a failing HRESULT"},
        Malformed{"UnknownMode", "fail.ado.Connection.Open=0x80004005|Login|ADO|telepatia",
                  "unknown failure mode: telepatia"},
        Malformed{"OccurrenceZero", "fail.ado.Connection.Open#0=0x80004005|Login|ADO", "an occurrence counts from 1"},
        Malformed{"ShortOutOfRange", "version=@i2:40000", "not a 16-bit number: @i2:40000"},
        Malformed{"UnknownKey", "colore=rosso", "unknown key: colore"},
        Malformed{"NoValue", "soltanto testo", "expected key=value"}),
    sondalink::testing::kRowName);

// The DMO server's version string, through a scenario the test names only
// by a file, then forgets.
std::string DmoVersion() {
  Objects objects = Play({"s = SQLDMO.SQLServer", "s.Connect(X, sa, x)"});
  return Do("s.VersionString", objects);
}

TEST_F(Standin, ScenarioBesideTheDllAppliesWithoutTheEnvironmentVariable) {
  const std::wstring beside = StandinFolder() + L"standin-scenario.txt";
  ASSERT_TRUE(UseScenario(beside, JournalTo(journal_) + "version=Accanto alla DLL\n"));
  ForgetScenario();
  EXPECT_EQ(DmoVersion(), "Accanto alla DLL");
  ::DeleteFileW(beside.c_str());
  EXPECT_THAT(JournalLines(), Contains("create dmo.SQLServer"));
}

// Wine only: the build names the DLL by its Unix path there.
TEST_F(Standin, UnixPathsInTheEnvironmentAndTheScenarioReachTheirFiles) {
  const std::string unixDll = SONDALINK_STANDIN_DLL;
  if (unixDll.empty() || unixDll[0] != '/') GTEST_SKIP() << "not under Wine";
  const std::string unixFolder = unixDll.substr(0, unixDll.rfind('/') + 1);
  const std::wstring file = StandinFolder() + L"unix-scenario.txt";
  const std::wstring journal = StandinFolder() + L"unix-journal.txt";
  ClearJournal(journal);
  ASSERT_TRUE(UseScenario(file, "journal=" + unixFolder + "unix-journal.txt\nversion=Da Unix\n"));
  ::SetEnvironmentVariableA("SONDALINK_STANDIN_SCENARIO", (unixFolder + "unix-scenario.txt").c_str());
  EXPECT_EQ(DmoVersion(), "Da Unix");
  EXPECT_THAT(ReadJournal(journal), Contains("create dmo.SQLServer"));
  ::DeleteFileW(file.c_str());
  ClearJournal(journal);
}

}  // namespace
}  // namespace sondalink::standin
