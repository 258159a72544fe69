// The stand-in data-access components under Wine: registration in the test
// prefix, each class driven through IDispatch as a late-binding client does,
// scenarios, the journal, and unregistration.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>

#include <algorithm>
#include <chrono>
#include <initializer_list>
#include <string>
#include <vector>

#include "../support/row_name.h"
#include "standin_control.h"
#include "standin_fixture.h"

namespace sondalink::standin {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

const wchar_t kAdoConnection[] = L"{00000514-0000-0010-8000-00AA006D2EA4}";
const wchar_t kAdoRecordset[] = L"{00000535-0000-0010-8000-00AA006D2EA4}";
const wchar_t kDaoEngine[] = L"{00000010-0000-0010-8000-00AA006D2EA4}";

// ---- a small late-binding client, careful in the ways the program must be

class Var {
 public:
  Var() { ::VariantInit(&v_); }
  Var(const Var& other) {
    ::VariantInit(&v_);
    ::VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
  }
  Var& operator=(const Var& other) {
    if (this != &other) {
      ::VariantClear(&v_);
      ::VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
    }
    return *this;
  }
  ~Var() { ::VariantClear(&v_); }
  VARIANT* get() { return &v_; }
  const VARIANT& operator*() const { return v_; }
  VARTYPE type() const { return V_VT(&v_); }
  std::wstring text() const {
    Var t;
    if (FAILED(::VariantChangeType(t.get(), const_cast<VARIANT*>(&v_), 0, VT_BSTR))) return L"<not text>";
    return std::wstring(V_BSTR(t.get()), ::SysStringLen(V_BSTR(t.get())));
  }
  IDispatch* dispatch() const { return V_VT(&v_) == VT_DISPATCH ? V_DISPATCH(&v_) : nullptr; }

  static Var I2(short n) {
    Var v;
    V_VT(&v.v_) = VT_I2;
    V_I2(&v.v_) = n;
    return v;
  }
  static Var I4(long n) {
    Var v;
    V_VT(&v.v_) = VT_I4;
    V_I4(&v.v_) = n;
    return v;
  }
  static Var Bool(bool b) {
    Var v;
    V_VT(&v.v_) = VT_BOOL;
    V_BOOL(&v.v_) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }
  static Var Str(const std::wstring& s) {
    Var v;
    V_VT(&v.v_) = VT_BSTR;
    V_BSTR(&v.v_) = ::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return v;
  }
  // A reference to the caller's BSTR, which stays the caller's.
  static Var Ref(BSTR* s) {
    Var v;
    V_VT(&v.v_) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&v.v_) = s;
    return v;
  }
  static Var Obj(IDispatch* d) {
    Var v;
    V_VT(&v.v_) = VT_DISPATCH;
    V_DISPATCH(&v.v_) = d;
    d->AddRef();
    return v;
  }

 private:
  VARIANT v_;
};

struct Reply {
  HRESULT hr = S_OK;
  HRESULT scode = S_OK;  // the component's code, from EXCEPINFO or the returned HRESULT
  std::wstring description;
  std::wstring source;
  Var value;
  bool ok() const { return SUCCEEDED(hr); }
};

Reply Invoke(IDispatch* object, const std::wstring& name, WORD flags, std::vector<Var> args = {}) {
  Reply reply;
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
  reply.hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(reply.hr)) return reply;
  std::vector<VARIANT> reversed;
  for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(**it);
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  EXCEPINFO info{};
  UINT argError = 0;
  reply.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                            (flags & DISPATCH_PROPERTYPUT) ? nullptr : reply.value.get(), &info, &argError);
  if (reply.hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    reply.scode = info.scode;
    if (info.bstrDescription) reply.description = info.bstrDescription;
    if (info.bstrSource) reply.source = info.bstrSource;
    ::SysFreeString(info.bstrDescription);
    ::SysFreeString(info.bstrSource);
    ::SysFreeString(info.bstrHelpFile);
  } else if (FAILED(reply.hr)) {
    reply.scode = reply.hr;
    ISupportErrorInfo* support = nullptr;
    if (SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)))) {
      IErrorInfo* error = nullptr;
      if (support->InterfaceSupportsErrorInfo(IID_IDispatch) == S_OK && ::GetErrorInfo(0, &error) == S_OK) {
        BSTR text = nullptr;
        if (SUCCEEDED(error->GetDescription(&text)) && text) reply.description = text;
        ::SysFreeString(text);
        text = nullptr;
        if (SUCCEEDED(error->GetSource(&text)) && text) reply.source = text;
        ::SysFreeString(text);
        error->Release();
      }
      support->Release();
    }
  }
  return reply;
}

Reply Get(IDispatch* o, const std::wstring& name, std::vector<Var> args = {}) {
  return Invoke(o, name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, std::move(args));
}
Reply Call(IDispatch* o, const std::wstring& name, std::vector<Var> args = {}) {
  return Invoke(o, name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, std::move(args));
}
Reply Put(IDispatch* o, const std::wstring& name, Var value) {
  return Invoke(o, name, DISPATCH_PROPERTYPUT, {value});
}
// obj.Collection(key).Value, as a listing reads it.
Reply ItemValue(IDispatch* o, const std::wstring& collection, Var key) {
  Reply items = Get(o, collection);
  if (!items.ok()) return items;
  Reply item = Get(items.value.dispatch(), L"Item", {key});
  if (!item.ok()) return item;
  return Get(item.value.dispatch(), L"Value");
}

// ---- creating the objects

IDispatch* Create(const std::wstring& clsidText) {
  CLSID clsid;
  if (FAILED(::CLSIDFromString(clsidText.c_str(), &clsid))) return nullptr;
  IDispatch* object = nullptr;
  ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object));
  return object;
}

IDispatch* CreateByName(const wchar_t* progId) {
  CLSID clsid;
  if (FAILED(::CLSIDFromProgID(progId, &clsid))) return nullptr;
  IDispatch* object = nullptr;
  ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&object));
  return object;
}

// The DAO engine's class factory, as the licensing factory it must be.
IClassFactory2* DaoFactory() {
  CLSID clsid;
  IClassFactory2* factory = nullptr;
  if (SUCCEEDED(::CLSIDFromString(kDaoEngine, &clsid))) {
    ::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory2, reinterpret_cast<void**>(&factory));
  }
  return factory;
}

// The engine through IClassFactory2's CreateInstanceLic with `key` (null:
// none), or through plain IClassFactory::CreateInstance when `key` is kPlain.
const wchar_t kPlain[] = L"<plain>";
HRESULT CreateDaoWithKey(const wchar_t* key, IDispatch** object) {
  *object = nullptr;
  IClassFactory2* factory = DaoFactory();
  if (!factory) return E_NOINTERFACE;
  HRESULT hr;
  if (key == kPlain) {
    hr = factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(object));
  } else {
    BSTR bstr = key ? ::SysAllocString(key) : nullptr;
    hr = factory->CreateInstanceLic(nullptr, nullptr, IID_IDispatch, bstr, reinterpret_cast<void**>(object));
    ::SysFreeString(bstr);
  }
  factory->Release();
  return hr;
}

// DAO's engine as the program creates it on a user's machine: with DAO's
// run-time licence key.
IDispatch* CreateDaoEngine() {
  IDispatch* engine = nullptr;
  CreateDaoWithKey(L"mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak", &engine);
  return engine;
}

struct Released {
  void operator()(IDispatch* p) const {
    if (p) p->Release();
  }
};
using Object = std::unique_ptr<IDispatch, Released>;


// Opens an ADO connection the way the program does.
Object OpenAdo(const std::wstring& connectionString) {
  Object connection(Create(kAdoConnection));
  if (!connection) return nullptr;
  Reply open = Call(connection.get(), L"Open",
                    {Var::Str(connectionString), Var::Str(L""), Var::Str(L""), Var::I4(-1)});
  return open.ok() ? std::move(connection) : nullptr;
}

Object AdoQuery(IDispatch* connection, const std::wstring& sql, Reply* outcome = nullptr) {
  Object recordset(Create(kAdoRecordset));
  Reply open = Call(recordset.get(), L"Open",
                    {Var::Str(sql), Var::Obj(connection), Var::I4(3), Var::I4(1), Var::I4(-1)});
  if (outcome) *outcome = open;
  return open.ok() ? std::move(recordset) : nullptr;
}

const wchar_t kAdoString[] =
    L"Provider=SQLOLEDB;Server=PC01\\ISTANZA;Database=master;UID=sa;pwd=s3gr;eto;LANGUAGE=us_english;APP=Velario;";

// ---- registration

TEST_F(Standin, ClassesRootLeadsEveryClassToTheStandinFile) {
  const std::string dll = Narrow(StandinDllPath());
  struct Lookup {
    const char* key;
    std::string expected;
  } lookups[] = {
      {"ADODB.Connection\\CLSID", "{00000514-0000-0010-8000-00AA006D2EA4}"},
      {"DAO.DBEngine.35\\CLSID", "{00000010-0000-0010-8000-00AA006D2EA4}"},
      {"CLSID\\{00000514-0000-0010-8000-00AA006D2EA4}\\InprocServer32", dll},
      {"CLSID\\{00000535-0000-0010-8000-00AA006D2EA4}\\InprocServer32", dll},
      {"CLSID\\{00000010-0000-0010-8000-00AA006D2EA4}\\InprocServer32", dll},
  };
  for (const Lookup& l : lookups) {
    // The environment report's way: RegOpenKeyA below HKEY_CLASSES_ROOT.
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyA(HKEY_CLASSES_ROOT, l.key, &key), ERROR_SUCCESS) << l.key;
    char value[MAX_PATH] = {};
    LONG size = sizeof value;
    EXPECT_EQ(::RegQueryValueA(key, nullptr, value, &size), ERROR_SUCCESS);
    EXPECT_STREQ(value, l.expected.c_str()) << l.key;
    ::RegCloseKey(key);
  }
  CLSID clsid;
  ASSERT_HRESULT_SUCCEEDED(::CLSIDFromProgID(L"SQLDMO.SQLServer", &clsid));
  wchar_t text[64];
  ::StringFromGUID2(clsid, text, 64);
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + text + L"\\InprocServer32").c_str(), &key),
            ERROR_SUCCESS);
  ::RegCloseKey(key);

  // The version resource the report reads.
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeA(dll.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(::GetFileVersionInfoA(dll.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00090008u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00070006u);
}

std::string ClassesRootValue(const std::string& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyA(HKEY_CLASSES_ROOT, path.c_str(), &key) != ERROR_SUCCESS) return "<absent>";
  char value[MAX_PATH] = {};
  LONG size = sizeof value;
  ::RegQueryValueA(key, nullptr, value, &size);
  ::RegCloseKey(key);
  return value;
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
  if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
    EXPECT_EQ(before[5], "<absent>");
  }

  // Registering twice must not save the stand-in's own entries as the old ones.
  ASSERT_HRESULT_SUCCEEDED(RegisterStandin());
  ASSERT_HRESULT_SUCCEEDED(RegisterStandin());
  EXPECT_EQ(ClassesRootValue(paths[0]), Narrow(StandinDllPath()));
  ASSERT_HRESULT_SUCCEEDED(UnregisterStandin());
  for (size_t i = 0; i < std::size(paths); ++i) EXPECT_EQ(ClassesRootValue(paths[i]), before[i]) << paths[i];
  HKEY own = nullptr;
  EXPECT_NE(::RegOpenKeyA(HKEY_CURRENT_USER, "Software\\SondalinkStandin", &own), ERROR_SUCCESS);
  EXPECT_NE(::RegOpenKeyA(HKEY_LOCAL_MACHINE, "Software\\SondalinkStandin", &own), ERROR_SUCCESS);
}

// ---- the three components, successful runs

TEST_F(Standin, AdoRunGivesVersionAndAttributesAndJournalsTheArguments) {
  Scenario("version=Versione 1\\r\\n\\triga due\n");
  Object connection = OpenAdo(kAdoString);
  ASSERT_TRUE(connection);
  EXPECT_EQ(Get(connection.get(), L"Version").value.text(), L"2.8");

  Reply properties = Get(connection.get(), L"Properties");
  Reply count = Get(properties.value.dispatch(), L"Count");
  EXPECT_EQ(count.value.type(), VT_I4);
  std::vector<std::wstring> listed;
  for (long i = 0; i < V_I4(&*count.value); ++i) {
    Reply item = Get(properties.value.dispatch(), L"Item", {Var::I4(i)});
    listed.push_back(Get(item.value.dispatch(), L"Name").value.text() + L" = " +
                     Get(item.value.dispatch(), L"Value").value.text());
  }
  EXPECT_THAT(listed, Contains(L"Data Source = PC01\\ISTANZA"));
  EXPECT_THAT(listed, Contains(L"Application Name = Velario"));

  Object version = AdoQuery(connection.get(), L"SELECT @@VERSION");
  ASSERT_TRUE(version);
  EXPECT_EQ(Get(version.get(), L"EOF").value.type(), VT_BOOL);
  EXPECT_EQ(ItemValue(version.get(), L"Fields", Var::I4(0)).value.text(), L"Versione 1\r\n\triga due");
  EXPECT_TRUE(Call(version.get(), L"Close").ok());
  version.reset();

  Object info = AdoQuery(connection.get(), L"sp_server_info");
  ASSERT_TRUE(info);
  std::vector<std::wstring> rows;
  while (V_BOOL(Get(info.get(), L"EOF").value.get()) == VARIANT_FALSE) {
    rows.push_back(ItemValue(info.get(), L"Fields", Var::Str(L"attribute_name")).value.text() + L"=" +
                   ItemValue(info.get(), L"Fields", Var::Str(L"attribute_value")).value.text());
    ASSERT_TRUE(Call(info.get(), L"MoveNext").ok());
  }
  EXPECT_EQ(rows.size(), 5u);
  EXPECT_THAT(rows, Contains(L"DBMS_NAME=SQL Server stand-in"));
  // Past the last row there is no current record.
  EXPECT_EQ(Call(info.get(), L"MoveNext").scode, static_cast<HRESULT>(0x800A0BCD));
  EXPECT_TRUE(Call(info.get(), L"Close").ok());
  info.reset();
  EXPECT_TRUE(Call(connection.get(), L"Close").ok());
  connection.reset();

  std::vector<std::string> journal = JournalLines();
  EXPECT_THAT(journal, Contains("create ado.Connection"));
  // The password in clear, as the component needs it; the argument types as sent.
  EXPECT_THAT(journal, Contains("call ado.Connection.Open(VT_BSTR \"Provider=SQLOLEDB;Server=PC01\\\\ISTANZA;"
                                "Database=master;UID=sa;pwd=s3gr;eto;LANGUAGE=us_english;APP=Velario;\", "
                                "VT_BSTR \"\", VT_BSTR \"\", VT_I4 -1)"));
  EXPECT_THAT(journal, Contains("call ado.Recordset.Open(VT_BSTR \"SELECT @@VERSION\", VT_DISPATCH <ado.Connection>, "
                                "VT_I4 3, VT_I4 1, VT_I4 -1)"));
  EXPECT_THAT(journal, Contains("get ado.Fields.Item(VT_BSTR \"attribute_value\")"));
  EXPECT_THAT(journal, Contains("call ado.Connection.Close()"));
  EXPECT_EQ(journal.back(), "release ado.Connection");
}

TEST_F(Standin, DaoEngineRefusesASecondWorkspaceOfTheSameNameUntilTheFirstIsClosed) {
  Scenario("");
  Object engine(CreateDaoEngine());
  ASSERT_TRUE(engine);
  auto createWorkspace = [&] {
    return Call(engine.get(), L"CreateWorkspace",
                {Var::Str(L"ODBCWorkspace"), Var::Str(L"admin"), Var::Str(L""), Var::I4(1)});
  };
  Reply first = createWorkspace();
  ASSERT_TRUE(first.ok());
  Reply workspaces = Get(engine.get(), L"Workspaces");
  ASSERT_TRUE(Call(workspaces.value.dispatch(), L"Append", {first.value}).ok());
  Reply count = Get(workspaces.value.dispatch(), L"Count");
  EXPECT_EQ(count.value.type(), VT_I2);
  EXPECT_EQ(V_I2(&*count.value), 1);

  // The engine is one per process: a second creation sees the same collection.
  Object again(CreateDaoEngine());
  Reply second = Call(again.get(), L"CreateWorkspace",
                      {Var::Str(L"ODBCWorkspace"), Var::Str(L"admin"), Var::Str(L""), Var::I4(1)});
  Reply refused = Call(Get(again.get(), L"Workspaces").value.dispatch(), L"Append", {second.value});
  EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
  EXPECT_EQ(refused.scode, static_cast<HRESULT>(0x800A0D27));  // 3367
  EXPECT_EQ(refused.description, L"Impossibile aggiungere. Un oggetto con lo stesso nome esiste già nell'insieme.");
  EXPECT_EQ(refused.source, L"DAO.Workspaces");

  ASSERT_TRUE(Call(first.value.dispatch(), L"Close").ok());
  EXPECT_EQ(V_I2(Get(workspaces.value.dispatch(), L"Count").value.get()), 0);
  EXPECT_TRUE(Call(workspaces.value.dispatch(), L"Append", {second.value}).ok());
}

TEST_F(Standin, DaoRunGivesVersionAndJournalsSixteenBitArguments) {
  Scenario("");
  Object engine(CreateDaoEngine());
  Reply workspace = Call(engine.get(), L"CreateWorkspace",
                         {Var::Str(L"ODBCWorkspace"), Var::Str(L"admin"), Var::Str(L""), Var::I4(1)});
  ASSERT_TRUE(workspace.ok());
  Reply properties = Get(workspace.value.dispatch(), L"Properties");
  Reply count = Get(properties.value.dispatch(), L"Count");
  EXPECT_EQ(count.value.type(), VT_I2);
  EXPECT_EQ(Get(Get(properties.value.dispatch(), L"Item", {Var::I4(0)}).value.dispatch(), L"Value").value.text(),
            L"ODBCWorkspace");

  const std::wstring connect =
      L"ODBC;Driver={SQL Server};Server=PC01;Database=master;Trusted_Connection=Yes;LANGUAGE=us_english;APP=Velario;";
  Reply connection = Call(workspace.value.dispatch(), L"OpenConnection",
                          {Var::Str(L""), Var::I4(0), Var::Bool(false), Var::Str(connect)});
  ASSERT_TRUE(connection.ok());
  ASSERT_TRUE(Put(connection.value.dispatch(), L"QueryTimeout", Var::I2(60)).ok());
  Reply recordset = Call(connection.value.dispatch(), L"OpenRecordset", {Var::Str(L"SELECT @@VERSION"), Var::I2(4)});
  ASSERT_TRUE(recordset.ok());
  // Fields(0) as VB writes it: the argument goes on to Item.
  Reply field = Get(recordset.value.dispatch(), L"Fields", {Var::I2(0)});
  ASSERT_TRUE(field.ok());
  EXPECT_EQ(Get(field.value.dispatch(), L"Value").value.text(),
            L"SQL Server stand-in - 8.00.2039 (Intel X86)\r\n\tcomponenti sostitutivi per i test di Sondalink");
  EXPECT_TRUE(Call(recordset.value.dispatch(), L"Close").ok());
  Reply unknown = Call(connection.value.dispatch(), L"OpenRecordset", {Var::Str(L"SELECT 1"), Var::I2(4)});
  EXPECT_EQ(unknown.scode, static_cast<HRESULT>(0x800A0C4A));  // 3146
  EXPECT_TRUE(Call(connection.value.dispatch(), L"Close").ok());

  std::vector<std::string> journal = JournalLines();
  EXPECT_THAT(journal, Contains("call dao.DBEngine.CreateWorkspace(VT_BSTR \"ODBCWorkspace\", VT_BSTR \"admin\", "
                                "VT_BSTR \"\", VT_I4 1)"));
  EXPECT_THAT(journal, Contains("call dao.Workspace[ODBCWorkspace].OpenConnection(VT_BSTR \"\", VT_I4 0, "
                                "VT_BOOL False, VT_BSTR \"" + Narrow(connect) + "\")"));
  EXPECT_THAT(journal, Contains("put dao.Connection.QueryTimeout = VT_I2 60"));
  EXPECT_THAT(journal, Contains("get dao.Recordset.Fields(VT_I2 0)"));
  EXPECT_THAT(journal, Contains("call dao.Connection.OpenRecordset(VT_BSTR \"SELECT 1\", VT_I2 4) -> fault 0x800A0C4A"));
}

TEST_F(Standin, DmoRunReportsItsOwnFileAndNeedsAConnectionForTheVersion) {
  Scenario("");
  Object server(CreateByName(L"SQLDMO.SQLServer"));
  ASSERT_TRUE(server);
  Reply application = Get(server.get(), L"Application");
  EXPECT_EQ(Get(application.value.dispatch(), L"FullName").value.text(), StandinDllPath());
  EXPECT_EQ(Get(application.value.dispatch(), L"VersionMajor").value.text(), L"9");
  EXPECT_FALSE(Get(server.get(), L"VersionString").ok());

  ASSERT_TRUE(Put(server.get(), L"LoginTimeout", Var::I2(10)).ok());
  EXPECT_EQ(Get(server.get(), L"LoginTimeout").value.text(), L"10");
  ASSERT_TRUE(Put(server.get(), L"LoginSecure", Var::Bool(false)).ok());
  // Connect takes its three texts by reference.
  BSTR texts[] = {::SysAllocString(L"PC01"), ::SysAllocString(L"sa"), ::SysAllocString(L"s3gr;eto")};
  std::vector<Var> byRef;
  for (BSTR& t : texts) byRef.push_back(Var::Ref(&t));
  ASSERT_TRUE(Call(server.get(), L"Connect", byRef).ok());
  for (BSTR t : texts) ::SysFreeString(t);
  ASSERT_TRUE(Put(server.get(), L"Language", Var::Str(L"us_english")).ok());
  EXPECT_EQ(Get(server.get(), L"Language").value.text(), L"us_english");
  EXPECT_THAT(Get(server.get(), L"VersionString").value.text(), HasSubstr(L"\r\n"));
  // The program's log spells it DisConnect; names are matched in any case.
  EXPECT_TRUE(Call(server.get(), L"DisConnect").ok());

  std::vector<std::string> journal = JournalLines();
  EXPECT_THAT(journal, Contains("put dmo.SQLServer.LoginTimeout = VT_I2 10"));
  EXPECT_THAT(journal, Contains("call dmo.SQLServer.Connect(VT_BSTR|VT_BYREF \"PC01\", VT_BSTR|VT_BYREF \"sa\", "
                                "VT_BSTR|VT_BYREF \"s3gr;eto\")"));
  EXPECT_THAT(journal, Contains("call dmo.SQLServer.Disconnect()"));
}

// ---- refusals, in every way a component can raise them

struct Refusal {
  const char* name;
  const char* target;
  const char* mode;
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class Refusals : public Standin, public ::testing::WithParamInterface<Refusal> {};

TEST_P(Refusals, LoginRefusedReachesTheCallerWithCodeDescriptionAndSource) {
  const Refusal& r = GetParam();
  Scenario(Fail(r.target, 0x800A0C4A, "[Microsoft][ODBC SQL Server Driver][SQL Server]Accesso non riuscito per l'utente 'sa'.",
                "Origine|prova", r.mode));
  Reply reply;
  const std::string target = r.target;
  if (target.rfind("ado.", 0) == 0) {
    Object connection(Create(kAdoConnection));
    reply = Call(connection.get(), L"Open", {Var::Str(kAdoString), Var::Str(L""), Var::Str(L""), Var::I4(-1)});
  } else if (target.rfind("dao.", 0) == 0) {
    Object engine(CreateDaoEngine());
    Reply ws = Call(engine.get(), L"CreateWorkspace",
                    {Var::Str(L"ODBCWorkspace"), Var::Str(L"admin"), Var::Str(L""), Var::I4(1)});
    reply = Call(ws.value.dispatch(), L"OpenConnection",
                 {Var::Str(L""), Var::I4(0), Var::Bool(false), Var::Str(L"ODBC;Driver={SQL Server};Server=X;")});
  } else {
    Object server(CreateByName(L"SQLDMO.SQLServer"));
    reply = Call(server.get(), L"Connect", {Var::Str(L"X"), Var::Str(L"sa"), Var::Str(L"")});
  }
  EXPECT_EQ(reply.hr, std::string(r.mode) == "errorinfo" ? static_cast<HRESULT>(0x800A0C4A) : DISP_E_EXCEPTION);
  EXPECT_EQ(reply.scode, static_cast<HRESULT>(0x800A0C4A));
  EXPECT_EQ(reply.description, L"[Microsoft][ODBC SQL Server Driver][SQL Server]Accesso non riuscito per l'utente 'sa'.");
  EXPECT_EQ(reply.source, L"Origine|prova");
  EXPECT_THAT(JournalLines(), Contains(HasSubstr("-> fault 0x800A0C4A")));
}

INSTANTIATE_TEST_SUITE_P(
    EveryComponentAndMode, Refusals,
    ::testing::Values(Refusal{"AdoOpen", "ado.Connection.Open", "excepinfo"},
                      Refusal{"DaoOpenConnection", "dao.Workspace.OpenConnection", "excepinfo"},
                      Refusal{"DmoConnect", "dmo.SQLServer.Connect", "excepinfo"},
                      Refusal{"AdoOpenDeferred", "ado.Connection.Open", "deferred"},
                      Refusal{"DmoConnectErrorInfo", "dmo.SQLServer.Connect", "errorinfo"}),
    sondalink::testing::kRowName);

// ---- DAO's engine is a licensed class

struct Licence {
  const char* name;
  bool designLicence;  // the machine holds the design-time licence
  const wchar_t* key;  // kPlain: IClassFactory::CreateInstance
  HRESULT expected;
};

void PrintTo(const Licence& l, std::ostream* os) { *os << l.name; }

class Licences : public Standin, public ::testing::WithParamInterface<Licence> {};

TEST_P(Licences, EngineIsCreatedWithItsRunTimeKeyOrOnADevelopersMachine) {
  const Licence& l = GetParam();
  Scenario(l.designLicence ? "licence.design=yes\n" : "");
  IDispatch* raw = nullptr;
  EXPECT_EQ(CreateDaoWithKey(l.key, &raw), l.expected);
  Object engine(raw);
  EXPECT_EQ(engine != nullptr, l.expected == S_OK);
  if (engine) {
    EXPECT_EQ(Get(engine.get(), L"Version").value.text(), L"3.5");
  } else {
    EXPECT_THAT(JournalLines(), Contains("create dao.DBEngine -> fault 0x80040112"));
  }

  // What the factory tells of the machine's licence, and the key it gives
  // away only where the design-time licence is.
  IClassFactory2* factory = DaoFactory();
  ASSERT_TRUE(factory);
  LICINFO info{};
  EXPECT_HRESULT_SUCCEEDED(factory->GetLicInfo(&info));
  EXPECT_EQ(info.cbLicInfo, static_cast<LONG>(sizeof info));
  EXPECT_TRUE(info.fRuntimeKeyAvail);
  EXPECT_EQ(info.fLicVerified != FALSE, l.designLicence);
  BSTR key = nullptr;
  EXPECT_EQ(factory->RequestLicKey(0, &key), l.designLicence ? S_OK : CLASS_E_NOTLICENSED);
  EXPECT_EQ(key ? std::wstring(key) : L"<none>",
            l.designLicence ? L"mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak" : L"<none>");
  ::SysFreeString(key);
  factory->Release();
}

INSTANTIATE_TEST_SUITE_P(
    UserAndDeveloperMachines, Licences,
    ::testing::Values(
        Licence{"UserMachineRunTimeKey", false, L"mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak", S_OK},
        Licence{"UserMachinePlainCreation", false, kPlain, CLASS_E_NOTLICENSED},
        Licence{"UserMachineWrongKey", false, L"mbmabptebkjcdlgtjmskjwtsdhjbmkmwtraK", CLASS_E_NOTLICENSED},
        Licence{"UserMachineNoKey", false, nullptr, CLASS_E_NOTLICENSED},
        Licence{"DeveloperMachinePlainCreation", true, kPlain, S_OK},
        Licence{"DeveloperMachineNoKey", true, nullptr, S_OK},
        Licence{"DeveloperMachineWrongKey", true, L"mbmabptebkjcdlgtjmskjwt", CLASS_E_NOTLICENSED}),
    sondalink::testing::kRowName);

// ---- scenario features the end-to-end cases rely on

TEST_F(Standin, PropertyListingWithNullAndFailingValues) {
  Scenario("property.ado=Vuota|@null\n"
           "property.ado=Guasta|@fail:0x80004005|Lettura impossibile|Provider\n"
           "property.ado=Breve|@i2:7\n");
  Object connection = OpenAdo(kAdoString);
  Reply properties = Get(connection.get(), L"Properties");
  Reply empty = Get(Get(properties.value.dispatch(), L"Item", {Var::Str(L"Vuota")}).value.dispatch(), L"Value");
  EXPECT_EQ(empty.value.type(), VT_NULL);
  Reply broken = Get(Get(properties.value.dispatch(), L"Item", {Var::Str(L"guasta")}).value.dispatch(), L"Value");
  EXPECT_EQ(broken.scode, E_FAIL);
  EXPECT_EQ(broken.description, L"Lettura impossibile");
  Reply shortOne = Get(Get(properties.value.dispatch(), L"Item", {Var::Str(L"Breve")}).value.dispatch(), L"Value");
  EXPECT_EQ(shortOne.value.type(), VT_I2);
}

TEST_F(Standin, VersionQueryCanBeEmptyAndAServerInfoRowCanFail) {
  Scenario("version.rows=0\n"
           "info=DBMS_NAME|Prova\n"
           "info=ROTTA|@fail:0x80040E14|Riga illeggibile|Provider\n"
           "info=ULTIMA|@empty\n");
  Object connection = OpenAdo(kAdoString);
  Object version = AdoQuery(connection.get(), L"SELECT @@VERSION");
  EXPECT_EQ(V_BOOL(Get(version.get(), L"EOF").value.get()), VARIANT_TRUE);
  Object info = AdoQuery(connection.get(), L"sp_server_info");
  std::vector<HRESULT> outcomes;
  while (V_BOOL(Get(info.get(), L"EOF").value.get()) == VARIANT_FALSE) {
    outcomes.push_back(ItemValue(info.get(), L"Fields", Var::Str(L"attribute_value")).scode);
    Call(info.get(), L"MoveNext");
  }
  EXPECT_EQ(outcomes, (std::vector<HRESULT>{S_OK, static_cast<HRESULT>(0x80040E14), S_OK}));
}

TEST_F(Standin, NthCallRuleFailsOnlyThatCallAndARunStartsTheCountAgain) {
  const std::string rule = Fail("ado.Recordset.Close#2", 0x80004005, "Chiusura fallita", "ADODB.Recordset");
  for (int run = 0; run < 2; ++run) {
    Scenario(rule);
    Object connection = OpenAdo(kAdoString);
    Object first = AdoQuery(connection.get(), L"SELECT @@VERSION");
    EXPECT_TRUE(Call(first.get(), L"Close").ok()) << run;
    Object second = AdoQuery(connection.get(), L"sp_server_info");
    EXPECT_EQ(Call(second.get(), L"Close").scode, E_FAIL) << run;
  }
}

TEST_F(Standin, SecondRecordsetCreationCanFail) {
  Scenario(Fail("ado.Recordset.create#2", 0x80004005, "Memoria esaurita", "ADODB.Recordset"));
  Object connection = OpenAdo(kAdoString);
  IDispatch* first = Create(kAdoRecordset);
  ASSERT_NE(first, nullptr);
  first->Release();
  CLSID clsid;
  ::CLSIDFromString(kAdoRecordset, &clsid);
  IDispatch* second = nullptr;
  EXPECT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&second)),
            E_FAIL);
  EXPECT_EQ(second, nullptr);
  EXPECT_THAT(JournalLines(), Contains("create ado.Recordset -> fault 0x80004005"));
}

TEST_F(Standin, ConnectionCloseAndDisconnectCanFailAfterSuccess) {
  Scenario(Fail("ado.Connection.Close", 0x80004005, "Chiusura", "ADODB.Connection") +
           Fail("dmo.SQLServer.Disconnect", 0x80045001, "Disconnessione", "Microsoft SQL-DMO"));
  Object connection = OpenAdo(kAdoString);
  EXPECT_EQ(Call(connection.get(), L"Close").description, L"Chiusura");
  Object server(CreateByName(L"SQLDMO.SQLServer"));
  ASSERT_TRUE(Call(server.get(), L"Connect", {Var::Str(L"X"), Var::Str(L""), Var::Str(L"")}).ok());
  EXPECT_EQ(Call(server.get(), L"Disconnect").description, L"Disconnessione");
}

TEST_F(Standin, SlowListingTakesItsTimeItemByItem) {
  Scenario(SlowListing("dao.engine", 5, 60));
  Object engine(CreateDaoEngine());
  Reply properties = Get(engine.get(), L"Properties");
  short count = V_I2(Get(properties.value.dispatch(), L"Count").value.get());
  ASSERT_EQ(count, 10);  // five built-in, five added
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < count; ++i) {
    EXPECT_TRUE(Get(Get(properties.value.dispatch(), L"Item", {Var::I4(i)}).value.dispatch(), L"Value").ok());
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(10 * 55));
}

TEST_F(Standin, TenThousandServerInfoRowsAreListedQuickly) {
  Scenario("info.rows=10000\njournal.reads=no\n");
  Object connection = OpenAdo(kAdoString);
  Object info = AdoQuery(connection.get(), L"sp_server_info");
  const auto start = std::chrono::steady_clock::now();
  int rows = 0;
  std::wstring last;
  while (V_BOOL(Get(info.get(), L"EOF").value.get()) == VARIANT_FALSE) {
    last = ItemValue(info.get(), L"Fields", Var::Str(L"attribute_value")).value.text();
    Call(info.get(), L"MoveNext");
    ++rows;
  }
  EXPECT_EQ(rows, 10000);
  EXPECT_EQ(last, L"valore 10000");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST_F(Standin, MalformedScenarioFailsTheCreationAndSaysWhy) {
  Scenario("fail.ado.Connection.Open=3146|Login|ADO\n");
  IDispatch* connection = Create(kAdoConnection);
  EXPECT_EQ(connection, nullptr);
  if (connection) connection->Release();
  EXPECT_THAT(JournalLines(), Contains(HasSubstr("scenario-error")));
  EXPECT_THAT(JournalLines(), Contains(HasSubstr("line 2: a failure code must be a failing HRESULT")));
}

TEST_F(Standin, ScenarioBesideTheDllAppliesWithoutTheEnvironmentVariable) {
  const std::wstring beside = StandinFolder() + L"standin-scenario.txt";
  ASSERT_TRUE(UseScenario(beside, JournalTo(journal_) + "version=Accanto alla DLL\n"));
  ForgetScenario();
  Object server(CreateByName(L"SQLDMO.SQLServer"));
  ASSERT_TRUE(Call(server.get(), L"Connect", {Var::Str(L"X"), Var::Str(L""), Var::Str(L"")}).ok());
  EXPECT_EQ(Get(server.get(), L"VersionString").value.text(), L"Accanto alla DLL");
  server.reset();
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
  Object server(CreateByName(L"SQLDMO.SQLServer"));
  ASSERT_TRUE(Call(server.get(), L"Connect", {Var::Str(L"X"), Var::Str(L""), Var::Str(L"")}).ok());
  EXPECT_EQ(Get(server.get(), L"VersionString").value.text(), L"Da Unix");
  server.reset();
  EXPECT_THAT(ReadJournal(journal), Contains("create dmo.SQLServer"));
  ::DeleteFileW(file.c_str());
  ClearJournal(journal);
}

}  // namespace
}  // namespace sondalink::standin
