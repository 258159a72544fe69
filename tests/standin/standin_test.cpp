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
#include <sstream>
#include <string>
#include <vector>

#include "../support/row_name.h"
#include "../support/temp_folder.h"
#include "../support/windows.h"
#include "connection/values.h"
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

const char kAdoConnection[] = "{00000514-0000-0010-8000-00AA006D2EA4}";
const char kAdoRecordset[] = "{00000535-0000-0010-8000-00AA006D2EA4}";
const char kDaoEngine[] = "{00000010-0000-0010-8000-00AA006D2EA4}";
const char kDaoKey[] = "mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak";  // DAO's run-time licence key
const char kAdoString[] =
    "Provider=SQLOLEDB;Server=PC01\\ISTANZA;Database=master;UID=sa;pwd=s3gr;eto;LANGUAGE=us_english;APP=Velario;";

// The version text of the built-in run.
const char kVersion[] =
    "SQL Server stand-in - 8.00.2039 (Intel X86)\r\n\tcomponenti sostitutivi per i test di Sondalink";

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
  void ExpectJournalHas(const std::vector<std::string>& lines) const {
    EXPECT_THAT(JournalLines(), ::testing::IsSupersetOf(lines));
  }

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

// ---- through the program's late-binding layer

// A member that must succeed and hold a value of type T.
template <class T>
T Must(const Outcome<Value>& outcome) {
  EXPECT_TRUE(outcome.ok()) << outcome.error.number << " " << outcome.error.description;
  const T* value = std::get_if<T>(&outcome.value);
  EXPECT_NE(value, nullptr) << "held alternative " << outcome.value.index();
  return value ? *value : T{};
}

// An outcome as the scenario writes values, so that a check sees the
// value's type too: a text as it is (\@ for a leading @), @i2:7, @i4:-1,
// @bool:False, @null, @empty (also a call or a write that gives nothing),
// @object; a failure as @fail:<number>|<description>.
std::string Show(const ErrorRecord& e) {
  return e.failed() ? "@fail:" + std::to_string(e.number) + "|" + e.description : "@empty";
}
std::string Show(const Outcome<Value>& outcome) {
  static const char* const kTypes[] = {"@empty", "@null", "@bool:", "@ui1:", "@i2:", "@i4:", "@ui4:", "@i8:",
                                       "@r4:",   "@r8:",  "@cy:",   "@dec:", "@date:", "",   "@object"};
  static_assert(std::size(kTypes) == std::variant_size_v<Value>);
  if (!outcome.ok()) return Show(outcome.error);
  const size_t type = outcome.value.index();
  if (type < 2 || std::holds_alternative<Object>(outcome.value)) return kTypes[type];
  const std::string text = automation::ToText(outcome.value).value;
  return std::holds_alternative<std::string>(outcome.value) && text.starts_with('@') ? "\\" + text : kTypes[type] + text;
}

// owner.A.B...: each member read on the object the one before gave; "A(key)"
// hands the key, a position or a name, on to that collection's Item, as a
// listing reads it: Properties(0).Value, Fields(attribute_name).Value.
Outcome<Value> Read(const Object& owner, const std::string& path) {
  Outcome<Value> at = Value{owner};
  std::istringstream steps(path);
  for (std::string step; at.ok() && std::getline(steps, step, '.');) {
    const size_t open = step.find('(');
    at = automation::Get(Must<Object>(at), step.substr(0, open));
    if (open == std::string::npos || !at.ok()) continue;
    const std::string key = step.substr(open + 1, step.size() - open - 2);
    const bool position = key.find_first_not_of("0123456789") == std::string::npos;
    at = automation::Item(Must<Object>(at), position ? Value{std::stoi(key)} : Value{key});
  }
  return at;
}

Object Create(const char* classId, const char* name, const std::string& key = {}) {
  Outcome<Object> created = automation::CreateFromClassId(classId, name, key);
  EXPECT_TRUE(created.ok()) << name << ": " << created.error.description;
  return created.value;
}
Object DaoEngine() { return Create(kDaoEngine, "DAO.DBEngine.35", kDaoKey); }
Object DmoServer() { return automation::CreateFromName("SQLDMO.SQLServer").value; }

Outcome<Value> Call(const Object& o, const char* method, std::initializer_list<Value> args = {}) {
  return automation::Call(o, method, std::vector<Value>(args));
}

// An ADO connection, and a query's recordset on it, opened the way the program opens them.
Object OpenAdo() {
  Object connection = Create(kAdoConnection, "ADODB.Connection");
  const std::string none;
  EXPECT_EQ(Show(Call(connection, "Open", {std::string(kAdoString), none, none, int32_t{-1}})), "@empty");
  return connection;
}
Object AdoQuery(const Object& connection, const std::string& sql) {
  Object recordset = Create(kAdoRecordset, "ADODB.Recordset");
  EXPECT_EQ(Show(Call(recordset, "Open", {sql, connection, int32_t{3}, int32_t{1}, int32_t{-1}})), "@empty");
  return recordset;
}
Object Workspace(const Object& engine) {
  return Must<Object>(Call(engine, "CreateWorkspace",
                             {std::string("ODBCWorkspace"), std::string("admin"), std::string(), int32_t{1}}));
}

// Each row's `fields`, shown and joined by '|', read on with MoveNext to EOF.
std::vector<std::string> ReadRows(const Object& recordset, std::initializer_list<std::string> fields) {
  std::vector<std::string> rows;
  while (Read(recordset, "EOF").value == Value{false}) {
    std::string row;
    for (const std::string& field : fields) row += "|" + Show(Read(recordset, "Fields(" + field + ").Value"));
    rows.push_back(row.substr(1));
    if (Call(recordset, "MoveNext").error.failed()) break;
  }
  return rows;
}

// "Name = value" for each property, by position.
std::vector<std::string> Listing(const Object& owner) {
  std::vector<std::string> lines;
  for (int64_t i = 0, n = ComeIntero(Read(owner, "Properties.Count")).value; i < n; ++i) {
    const std::string item = "Properties(" + std::to_string(i) + ").";
    lines.push_back(Show(Read(owner, item + "Name")) + " = " + Show(Read(owner, item + "Value")));
  }
  return lines;
}

// ---- raw IDispatch, only where the layer cannot go: arguments by
// reference, a null licence key and the licensing factory's own questions,
// and which of its two ways a component used to raise an error.

struct Raw {
  HRESULT hr = S_OK;
  HRESULT scode = S_OK;  // the component's code, from EXCEPINFO or the returned HRESULT
};

VARIANT Bstr(BSTR text) {
  VARIANT v;
  V_VT(&v) = VT_BSTR;
  V_BSTR(&v) = text;
  return v;
}

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

// ---- the three components, successful runs

TEST_F(Standin, AdoRunGivesVersionAndAttributesAndJournalsTheArguments) {
  Scenario("version=Versione 1\\r\\n\\triga due\n"
           "property.ado=Vuota|@null\nproperty.ado=Guasta|@fail:0x80004005|Non leggibile|Provider\n");
  Object connection = OpenAdo();
  EXPECT_EQ(Show(Read(connection, "Version")), "2.8");
  EXPECT_EQ(Show(Read(connection, "Properties.Count")), "@i4:11");  // in 32 bits
  EXPECT_THAT(Listing(connection),
              ::testing::IsSupersetOf({"Data Source = PC01\\ISTANZA", "Application Name = Velario",
                                       "Connect Timeout = @i4:15", "Vuota = @null",
                                       "Guasta = @fail:-2147467259|Non leggibile"}));

  Object version = AdoQuery(connection, "SELECT @@VERSION");
  EXPECT_EQ(ReadRows(version, {"0"}), std::vector<std::string>{"Versione 1\r\n\triga due"});
  EXPECT_EQ(Show(Call(version, "Close")), "@empty");
  version.reset();

  Object info = AdoQuery(connection, "sp_server_info");
  std::vector<std::string> rows = ReadRows(info, {"attribute_name", "attribute_value"});
  EXPECT_EQ(rows.size(), 5u);
  EXPECT_THAT(rows, Contains("DBMS_NAME|SQL Server stand-in"));
  // Past the last row there is no current record (0x800A0BCD).
  EXPECT_EQ(Call(info, "MoveNext").error.number, 3021);
  EXPECT_EQ(Show(Call(info, "Close")), "@empty");
  info.reset();
  EXPECT_EQ(Show(Call(connection, "Close")), "@empty");
  connection.reset();

  // The password in clear, as the component needs it; the argument types as sent.
  ExpectJournalHas({"create ado.Connection",
                    "call ado.Connection.Open(VT_BSTR \"Provider=SQLOLEDB;Server=PC01\\\\ISTANZA;Database=master;"
                    "UID=sa;pwd=s3gr;eto;LANGUAGE=us_english;APP=Velario;\", VT_BSTR \"\", VT_BSTR \"\", VT_I4 -1)",
                    "call ado.Recordset.Open(VT_BSTR \"SELECT @@VERSION\", VT_DISPATCH <ado.Connection>, VT_I4 3, "
                    "VT_I4 1, VT_I4 -1)",
                    "get ado.Fields.Item(VT_BSTR \"attribute_value\")", "call ado.Connection.Close()"});
  EXPECT_EQ(JournalLines().back(), "release ado.Connection");
}

TEST_F(Standin, DaoEngineRefusesASecondWorkspaceOfTheSameNameUntilTheFirstIsClosed) {
  Scenario("");
  Object engine = DaoEngine();
  EXPECT_EQ(Show(Read(engine, "Properties.Count")), "@i2:5");
  EXPECT_EQ(Show(Read(engine, "Version")), "3.5");
  Object first = Workspace(engine);
  auto workspaces = Must<Object>(Read(engine, "Workspaces"));
  EXPECT_EQ(Show(Call(workspaces, "Append", {first})), "@empty");
  EXPECT_EQ(Show(Read(workspaces, "Count")), "@i2:1");

  // The engine is one per process: a second creation sees the same collection.
  Object again = DaoEngine();
  Object second = Workspace(again);
  ErrorRecord refused = Call(Must<Object>(Read(again, "Workspaces")), "Append", {second}).error;
  EXPECT_EQ(Show(refused),
            "@fail:3367|Impossibile aggiungere. Un oggetto con lo stesso nome esiste già nell'insieme.");  // 0x800A0D27
  EXPECT_EQ(refused.source, "DAO.Workspaces");

  EXPECT_EQ(Show(Call(first, "Close")), "@empty");
  EXPECT_EQ(Show(Read(workspaces, "Count")), "@i2:0");
  EXPECT_EQ(Show(Call(workspaces, "Append", {second})), "@empty");
}

TEST_F(Standin, DaoRunGivesVersionAndJournalsSixteenBitArguments) {
  Scenario("");
  Object workspace = Workspace(DaoEngine());
  EXPECT_EQ(Show(Read(workspace, "Properties.Count")), "@i2:5");  // in 16 bits
  EXPECT_EQ(Show(Read(workspace, "Properties(0).Value")), "ODBCWorkspace");

  const std::string connect =
      "ODBC;Driver={SQL Server};Server=PC01;Database=master;Trusted_Connection=Yes;LANGUAGE=us_english;APP=Velario;";
  auto connection = Must<Object>(Call(workspace, "OpenConnection", {std::string(), int32_t{0}, false, connect}));
  EXPECT_EQ(Show(automation::Put(connection, "QueryTimeout", int16_t{60})), "@empty");
  EXPECT_EQ(Show(Read(connection, "QueryTimeout")), "@i2:60");
  auto recordset = Must<Object>(Call(connection, "OpenRecordset", {std::string("SELECT @@VERSION"), int16_t{4}}));
  // Fields(0) as VB writes it: the argument goes on to Item.
  EXPECT_EQ(Show(Read(Must<Object>(Call(recordset, "Fields", {int16_t{0}})), "Value")), kVersion);
  EXPECT_EQ(Show(Call(recordset, "Close")), "@empty");
  EXPECT_EQ(Call(connection, "OpenRecordset", {std::string("SELECT 1"), int16_t{4}}).error.number, 3146);
  EXPECT_EQ(Show(Call(connection, "Close")), "@empty");

  ExpectJournalHas(
      {"call dao.DBEngine.CreateWorkspace(VT_BSTR \"ODBCWorkspace\", VT_BSTR \"admin\", VT_BSTR \"\", VT_I4 1)",
       "call dao.Workspace[ODBCWorkspace].OpenConnection(VT_BSTR \"\", VT_I4 0, VT_BOOL False, VT_BSTR \"" + connect +
           "\")",
       "put dao.Connection.QueryTimeout = VT_I2 60", "get dao.Recordset.Fields(VT_I2 0)",
       "call dao.Connection.OpenRecordset(VT_BSTR \"SELECT 1\", VT_I2 4) -> fault 0x800A0C4A"});
}

TEST_F(Standin, DmoRunReportsItsOwnFileAndNeedsAConnectionForTheVersion) {
  Scenario("");
  Object server = DmoServer();
  EXPECT_EQ(Show(Read(server, "Application.FullName")), win32::Narrow(StandinDllPath()));
  EXPECT_EQ(Show(Read(server, "Application.VersionMajor")), "@i4:9");
  EXPECT_FALSE(Read(server, "VersionString").ok());
  EXPECT_EQ(Show(automation::Put(server, "LoginTimeout", int16_t{10})), "@empty");
  EXPECT_EQ(Show(Read(server, "LoginTimeout")), "@i4:10");
  EXPECT_EQ(Show(automation::Put(server, "LoginSecure", false)), "@empty");
  EXPECT_EQ(Show(Call(server, "Connect", {std::string("PC01"), std::string("sa"), std::string("x")})), "@empty");
  EXPECT_EQ(Show(automation::Put(server, "Language", std::string("us_english"))), "@empty");
  EXPECT_EQ(Show(Read(server, "Language")), "us_english");
  EXPECT_EQ(Show(Read(server, "VersionString")), kVersion);
  // The program's log spells it DisConnect; names are matched in any case.
  EXPECT_EQ(Show(Call(server, "DisConnect")), "@empty");

  // Raw: the layer passes no argument by reference; Connect takes its three
  // texts so too.
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

  ExpectJournalHas({"put dmo.SQLServer.LoginTimeout = VT_I2 10", "call dmo.SQLServer.Disconnect()",
                    "call dmo.SQLServer.Connect(VT_BSTR|VT_BYREF \"PC01\", VT_BSTR|VT_BYREF \"sa\", "
                    "VT_BSTR|VT_BYREF \"s3gr;eto\")"});
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
  const std::string target = r.target;
  const std::string none;
  ErrorRecord e;
  if (target.starts_with("ado.")) {
    e = Call(Create(kAdoConnection, "ADODB.Connection"), "Open", {std::string(kAdoString), none, none, int32_t{-1}})
            .error;
  } else if (target.starts_with("dao.")) {
    e = Call(Workspace(DaoEngine()), "OpenConnection",
             {none, int32_t{0}, false, std::string("ODBC;Driver={SQL Server};Server=X;")})
            .error;
  } else {
    e = Call(DmoServer(), "Connect", {std::string("X"), std::string("sa"), none}).error;
  }
  EXPECT_EQ(e.number, r.number);
  EXPECT_EQ(e.description, description);
  EXPECT_EQ(e.source, "Origine|prova");
  EXPECT_THAT(JournalLines(), Contains(HasSubstr("-> fault " + Hex(r.code))));

  // Raw: which way the code came, an exception or an error object, the
  // layer folds into one record.
  if (target.starts_with("dao.")) return;  // its workspace comes from the engine only
  const bool ado = target.starts_with("ado.");
  win32::com_ptr<IDispatch> object = RawCreate(ado ? L"ADODB.Connection" : L"SQLDMO.SQLServer");
  ASSERT_TRUE(object);
  win32::unique_bstr text(::SysAllocString(ado ? L"Provider=SQLOLEDB;Server=X;" : L"X"));
  Raw reply = RawCall(object.get(), ado ? L"Open" : L"Connect", {Bstr(text.get())});
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
  int32_t code;
  ErrorRecord (*call)(const Object& server);
};

using ProtocolErrors = Table<Refused>;

TEST_P(ProtocolErrors, AreRefusedWithTheirCodeAndJournaled) {
  const Refused& m = GetParam();
  Scenario("");
  EXPECT_EQ(m.call(DmoServer()).number, m.code);
  EXPECT_THAT(JournalLines(), Contains(HasSubstr("-> " + Hex(static_cast<uint32_t>(m.code)))));
}

INSTANTIATE_TEST_SUITE_P(
    DmoServer, ProtocolErrors,
    ::testing::Values(
        Refused{"TooManyArguments", static_cast<int32_t>(0x8002000E),
                  [](const Object& o) {
                    return Call(o, "Connect", {std::string("X"), std::string(), std::string(), int16_t{1}}).error;
                  }},
        Refused{"ATextForANumber", static_cast<int32_t>(0x80020005),
                  [](const Object& o) { return automation::Put(o, "LoginTimeout", std::string("dieci")); }},
        Refused{"APutOnAReadOnlyProperty", static_cast<int32_t>(0x80020003),
                  [](const Object& o) { return automation::Put(o, "CodePage", int32_t{850}); }}),
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
  if (l.key) {
    engine = automation::CreateFromClassId(kDaoEngine, "DAO.DBEngine.35", l.key);
  } else {
    engine.error.number = factory->CreateInstanceLic(nullptr, nullptr, IID_IDispatch, nullptr, raw.put_void());
  }
  EXPECT_EQ(engine.error.number, static_cast<int32_t>(l.expected));
  EXPECT_EQ(engine.value || raw, l.expected == S_OK);
  if (l.expected != S_OK) {
    EXPECT_THAT(JournalLines(), Contains("create dao.DBEngine -> fault 0x80040112"));
    if (l.key) {  // through the layer: the failure that users once met
      EXPECT_EQ(Show(engine.error), "@fail:-2147221230|Class is not licensed for use");
      EXPECT_EQ(engine.error.source, "DAO.DBEngine.35");
    }
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

// ---- scenario features the end-to-end cases rely on

TEST_F(Standin, VersionQueryCanBeEmptyAndAServerInfoRowCanFail) {
  Scenario("version.rows=0\n"
           "info=DBMS_NAME|Prova\n"
           "info=ROTTA|@fail:0x80040E14|Riga illeggibile|Provider\n"
           "info=ULTIMA|@empty\n");
  Object connection = OpenAdo();
  EXPECT_EQ(Show(Read(AdoQuery(connection, "SELECT @@VERSION"), "EOF")), "@bool:True");
  EXPECT_EQ(ReadRows(AdoQuery(connection, "sp_server_info"), {"attribute_value"}),
            (std::vector<std::string>{"Prova", "@fail:-2147217900|Riga illeggibile", "@empty"}));
}

TEST_F(Standin, NthCallRuleFailsOnlyThatCallAndARunStartsTheCountAgain) {
  Scenario(Fail("ado.Recordset.Close#2", 0x80004005, "Chiusura fallita", "ADODB.Recordset"));
  for (int run = 0; run < 2; ++run) {
    Object connection = OpenAdo();
    EXPECT_EQ(Show(Call(AdoQuery(connection, "SELECT @@VERSION"), "Close")), "@empty") << run;
    EXPECT_EQ(Show(Call(AdoQuery(connection, "sp_server_info"), "Close")), "@fail:-2147467259|Chiusura fallita");
  }
}

TEST_F(Standin, SecondRecordsetCreationCanFail) {
  Scenario(Fail("ado.Recordset.create#2", 0x80004005, "Memoria esaurita", "ADODB.Recordset"));
  Object connection = OpenAdo();
  EXPECT_TRUE(automation::CreateFromClassId(kAdoRecordset, "ADODB.Recordset").ok());
  Outcome<Object> second = automation::CreateFromClassId(kAdoRecordset, "ADODB.Recordset");
  EXPECT_EQ(second.error.number, kErrFail);
  EXPECT_FALSE(second.value);
  EXPECT_THAT(JournalLines(), Contains("create ado.Recordset -> fault 0x80004005"));
}

TEST_F(Standin, ConnectionCloseAndDisconnectCanFailAfterSuccess) {
  Scenario(Fail("ado.Connection.Close", 0x80004005, "Chiusura", "ADODB.Connection") +
           Fail("dmo.SQLServer.Disconnect", 0x80045001, "Disconnessione", "Microsoft SQL-DMO"));
  EXPECT_EQ(Show(Call(OpenAdo(), "Close")), "@fail:-2147467259|Chiusura");
  Object server = DmoServer();
  EXPECT_EQ(Show(Call(server, "Connect", {std::string("X"), std::string(), std::string()})), "@empty");
  EXPECT_EQ(Show(Call(server, "Disconnect")), "@fail:-2147201023|Disconnessione");
}

TEST_F(Standin, SlowListingTakesItsTimeItemByItem) {
  Scenario(SlowListing("dao.engine", 5, 60));
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::string> listing = Listing(DaoEngine());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(10 * 55));
  ASSERT_EQ(listing.size(), 10u);  // five built-in, five added
  EXPECT_THAT(listing, ::testing::Each(::testing::Not(HasSubstr("@fail"))));
  EXPECT_EQ(listing.back(), "Proprieta_5 = @i4:5");
}

TEST_F(Standin, TenThousandServerInfoRowsAreListedQuickly) {
  Scenario("info.rows=10000\njournal.reads=no\n");
  Object info = AdoQuery(OpenAdo(), "sp_server_info");
  const auto start = std::chrono::steady_clock::now();
  const std::vector<std::string> rows = ReadRows(info, {"attribute_value"});
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
  EXPECT_EQ(Show(Read(OpenAdo(), "Properties(pROVA).Value")), t.shown ? t.shown : t.written);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, TypedValues,
    ::testing::Values(Typed{"Null", "@null"}, Typed{"Empty", "@EMPTY", "@empty"}, Typed{"Short", "@i2:7"},
                      Typed{"Long", "@i4:-70000"}, Typed{"Double", "@r8:2.5"},
                      Typed{"Boolean", "@bool:false", "@bool:False"},
                      Typed{"EscapedText", "a\\|b\\@c\\\\d", "a|b@c\\d"},
                      Typed{"TextWithALeadingAt", "\\@null"},
                      Typed{"FailingRead", "@fail:0x80004005|Lettura impossibile|Provider",
                            "@fail:-2147467259|Lettura impossibile"}),
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
  EXPECT_THAT(JournalLines(), Contains(::testing::AllOf(::testing::StartsWith("scenario-error "),
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
  Object server = DmoServer();
  EXPECT_EQ(Show(Call(server, "Connect", {std::string("X"), std::string(), std::string()})), "@empty");
  return Show(Read(server, "VersionString"));
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
