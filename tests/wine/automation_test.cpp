// Late-bound automation against objects that Wine itself provides (the
// scripting runtime's Dictionary and FileSystemObject, VBScript's RegExp,
// the ADO connection class that a fresh prefix registers), and against an
// IDispatch of our own, registered for this process only: it records what
// each Invoke receives and raises failures the ways components do (an
// exception filled in at once or deferred, an error code, an error object),
// which Wine's own objects never do with texts.
#include "platform/automation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <initializer_list>
#include <ostream>
#include <vector>

#include "platform/win32/windows_support.h"
#include "support/automation_contract.h"

namespace sondalink::platform::automation {
namespace {

using testing::Parts;

class Automation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(Initialize().failed()); }
  void TearDown() override { Uninitialize(); }

  static Object Make(const char* className) {
    Outcome<Object> made = CreateFromName(className);
    EXPECT_TRUE(made.ok()) << className << ": " << made.error.number << " " << made.error.description;
    return made.value;
  }
  // A method call with its arguments written in place.
  static Outcome<Value> CallWith(const Object& object, const char* method, std::initializer_list<Value> arguments) {
    return Call(object, method, std::span(arguments.begin(), arguments.size()));
  }
};

TEST_F(Automation, PropertiesAreWrittenAndReadBack) {
  Object re = Make("VBScript.RegExp");
  ASSERT_TRUE(re);
  ASSERT_FALSE(Put(re, "Pattern", std::string("[0-9]+")).failed());
  EXPECT_EQ(Get(re, "pattern").value, Value{std::string("[0-9]+")});

  ASSERT_FALSE(Put(re, "Global", true).failed());
  Outcome<Value> global = Get(re, "Global");
  ASSERT_TRUE(global.ok());
  EXPECT_EQ(global.value, Value{true});
  EXPECT_EQ(ToText(global.value).value, "True");
  ASSERT_FALSE(Put(re, "Global", false).failed());
  EXPECT_EQ(ToText(Get(re, "Global").value).value, "False");

  Object dict = Make("Scripting.Dictionary");
  ASSERT_FALSE(Put(dict, "CompareMode", int32_t{1}).failed());
  EXPECT_EQ(Get(dict, "CompareMode").value, Value{int32_t{1}});
}

TEST_F(Automation, MethodArgumentsArriveInTheirOrder) {
  Object re = Make("VBScript.RegExp");
  ASSERT_FALSE(Put(re, "Pattern", std::string("[0-9]")).failed());
  ASSERT_FALSE(Put(re, "Global", true).failed());
  EXPECT_EQ(CallWith(re, "Replace", {std::string("a1b22"), std::string("#")}).value, Value{std::string("a#b##")});
  EXPECT_EQ(CallWith(re, "Test", {std::string("abc")}).value, Value{false});

  Object dict = Make("Scripting.Dictionary");
  ASSERT_TRUE(CallWith(dict, "Add", {std::string("server"), std::string("ORSA\\SQL2000")}).ok());
  EXPECT_EQ(Item(dict, std::string("server")).value, Value{std::string("ORSA\\SQL2000")});
  EXPECT_EQ(ToText(CallWith(dict, "Exists", {std::string("server")}).value).value, "True");
}

// Every kind of value (those of the text table) goes into a VARIANT and
// comes back the same, with the width of its integers kept.
TEST_F(Automation, ValuesRoundTripThroughVariants) {
  Object dict = Make("Scripting.Dictionary");
  Object re = Make("VBScript.RegExp");
  ASSERT_TRUE(dict && re);
  std::vector<Value> values{re};
  for (const testing::contract::TextCase& c : testing::contract::kTextCases) values.push_back(c.value);
  int16_t key = 0;
  for (const Value& v : values) {
    ASSERT_TRUE(CallWith(dict, "Add", {key, v}).ok()) << "alternative " << v.index();
    Outcome<Value> back = Item(dict, key);
    ASSERT_TRUE(back.ok()) << "alternative " << v.index();
    EXPECT_EQ(back.value, v) << "alternative " << v.index();
    ++key;
  }
  EXPECT_EQ(Get(dict, "Count").value, Value{int32_t{key}});
}

TEST_F(Automation, CollectionItemsByPositionAndObjectsThroughTheirDefaultMember) {
  Object re = Make("VBScript.RegExp");
  ASSERT_FALSE(Put(re, "Pattern", std::string("[0-9]+")).failed());
  ASSERT_FALSE(Put(re, "Global", true).failed());
  Outcome<Value> matches = CallWith(re, "Execute", {std::string("a1 b22 c333")});
  ASSERT_TRUE(matches.ok());
  Object collection = std::get<Object>(matches.value);
  EXPECT_EQ(Get(collection, "Count").value, Value{int32_t{3}});

  Outcome<Value> second = Item(collection, int32_t{1});
  ASSERT_TRUE(second.ok());
  Object match = std::get<Object>(second.value);
  EXPECT_EQ(Get(match, "Value").value, Value{std::string("22")});
  EXPECT_EQ(ToText(Get(match, "FirstIndex").value).value, "4");
  EXPECT_EQ(ToText(match).value, "22");
  EXPECT_EQ(ToText(Item(collection, int16_t{2}).value).value, "333");
}

TEST_F(Automation, ToTextUsesTheUsersLocale) {
  // The test prefix's user locale is English (United States).
  testing::contract::ExpectTexts();

  // A dictionary's default member needs a key: it cannot become text.
  Outcome<std::string> object = ToText(Make("Scripting.Dictionary"));
  EXPECT_TRUE(object.error.failed());
  EXPECT_TRUE(object.value.empty());
}

// Wine's components raise their failures as exceptions that carry a code
// and no text; those of Windows add their own description.
TEST_F(Automation, AComponentExceptionGivesItsNumberAndSource) {
  Object dict = Make("Scripting.Dictionary");
  ASSERT_TRUE(CallWith(dict, "Add", {std::string("k"), int32_t{1}}).ok());
  Outcome<Value> again = CallWith(dict, "Add", {std::string("k"), int32_t{1}});
  EXPECT_EQ(again.error.number, 457);  // 0x800A01C9: the control facility's low word
  EXPECT_EQ(again.error.source, "Scripting.Dictionary");

  Object fso = Make("Scripting.FileSystemObject");
  EXPECT_EQ(CallWith(fso, "GetFile", {std::string("C:\\windows\\nonesuch.log")}).error.number, 53);
  EXPECT_EQ(CallWith(fso, "GetFile", {std::string("C:\\nonesuch\\sondalink.log")}).error.number, 76);

  // A code outside the control facility stays whole, with the system's text.
  Object shell = Make("WScript.Shell");
  Outcome<Value> read = CallWith(shell, "RegRead", {std::string("HKCU\\Software\\Nonesuch\\Value")});
  EXPECT_EQ(Parts(read.error),  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
            Parts({-2147024894, win32::SystemMessage(ERROR_FILE_NOT_FOUND), "WScript.Shell"}));
  EXPECT_FALSE(read.error.description.empty());
}

TEST_F(Automation, VbscriptRuntimeErrorsAreReportedByTheirOwnNumbers) {
  Object script = Make("MSScriptControl.ScriptControl");
  ASSERT_TRUE(script);
  ASSERT_FALSE(Put(script, "Language", std::string("VBScript")).failed());
  EXPECT_EQ(CallWith(script, "ExecuteStatement", {std::string("Err.Raise 5000")}).error.number, 5000);
  EXPECT_EQ(CallWith(script, "Eval", {std::string("CLng(\"x\")")}).error.number, 13);
  Outcome<Value> byZero = CallWith(script, "Eval", {std::string("1/0")});
  EXPECT_EQ(byZero.error.number, -2147352558);  // DISP_E_DIVBYZERO, not a control code
  EXPECT_EQ(byZero.error.description, "Division by zero.");
  EXPECT_EQ(ToText(CallWith(script, "Eval", {std::string("6*7")}).value).value, "42");
}

TEST_F(Automation, UnknownClassesAndNames) { testing::contract::ExpectUnknownClasses(); }

TEST_F(Automation, FailuresWithoutASourceNameTheClassCreated) {
  Object re = Make("VBScript.RegExp");
  EXPECT_EQ(Parts(Get(re, "Nonesuch").error), Parts({-2147352570, "Unknown name.", "VBScript.RegExp"}));

  // Objects handed out by a member inherit the class name.
  ASSERT_FALSE(Put(re, "Pattern", std::string("a")).failed());
  Object matches = std::get<Object>(CallWith(re, "Execute", {std::string("a")}).value);
  EXPECT_EQ(Item(matches, int32_t{5}).error.source, "VBScript.RegExp");
  EXPECT_EQ(Put(matches, "Nonesuch", int32_t{1}).source, "VBScript.RegExp");

  EXPECT_EQ(Get(Object{}, "Name").error.number, 91);
}

// A fresh prefix registers ADO's connection class but not its type library:
// the object is created, and its members fail.
TEST_F(Automation, WinesAdoConnectionIsCreatedButItsMembersFail) {
  Outcome<Object> conn =
      CreateFromClassId("{00000514-0000-0010-8000-00AA006D2EA4}", "ADODB.Connection");
  ASSERT_TRUE(conn.ok()) << conn.error.number << " " << conn.error.description;
  EXPECT_EQ(Parts(Get(conn.value, "Version").error),  // 0x8002801D
            Parts({-2147319779, "Library not registered.", "ADODB.Connection"}));
}

// The recording object's class, {5D0B7E2A-6C1F-4E43-9A58-2B7F0C3D9E11}.
const CLSID kRecorderClass = {0x5d0b7e2a, 0x6c1f, 0x4e43,
                              {0x9a, 0x58, 0x2b, 0x7f, 0x0c, 0x3d, 0x9e, 0x11}};
const char kRecorderId[] = "{5D0B7E2A-6C1F-4E43-9A58-2B7F0C3D9E11}";

struct Received {
  DISPID id;
  WORD flags;
  std::vector<VARTYPE> types;  // rgvarg as received: last argument first
  std::vector<DISPID> named;
  bool wantsResult;
  bool operator==(const Received&) const = default;
  friend void PrintTo(const Received& r, std::ostream* os) {
    *os << "id " << r.id << ", flags " << r.flags << ", types " << ::testing::PrintToString(r.types) << ", named "
        << ::testing::PrintToString(r.named) << (r.wantsResult ? ", wants a result" : "");
  }
};

std::vector<Received> received;
int liveObjects = 0;
int deferredFills = 0;
VARIANT answer;  // what the member Answer gives back, set by the test

// The test program's own import slot of VariantChangeTypeEx: the automation
// layer, linked in, converts through it.
extern HRESULT(WINAPI* importVariantChangeTypeEx)(VARIANTARG*, const VARIANTARG*, LCID, USHORT,
                                                      VARTYPE) __asm__("__imp__VariantChangeTypeEx@20");

// Records the type of every VARIANT handed to VariantChangeTypeEx while it
// lives, and passes the call on.
class ConversionWatch {
 public:
  using Fn = decltype(importVariantChangeTypeEx);
  ConversionWatch() {
    original = importVariantChangeTypeEx;
    types.clear();
    Set(Record);
  }
  ~ConversionWatch() { Set(original); }
  ConversionWatch(const ConversionWatch&) = delete;
  ConversionWatch& operator=(const ConversionWatch&) = delete;

  static inline std::vector<VARTYPE> types;

 private:
  static inline Fn original = nullptr;
  static HRESULT WINAPI Record(VARIANTARG* out, const VARIANTARG* in, LCID lcid, USHORT flags,
                               VARTYPE vt) {
    types.push_back(in->vt);
    return original(out, in, lcid, flags, vt);
  }
  static void Set(Fn fn) {
    DWORD was = 0;
    ::VirtualProtect(&importVariantChangeTypeEx, sizeof fn, PAGE_READWRITE, &was);
    importVariantChangeTypeEx = fn;
    ::VirtualProtect(&importVariantChangeTypeEx, sizeof fn, was, &was);
  }
};

enum : DISPID { kRecord = 1, kDeferred, kWithCode, kErrorObject, kPlainFailure, kItself, kProp, kStale, kAnswer };

// The members' names, in the order of their ids.
const wchar_t* const kMembers[] = {L"Record", L"Deferred", L"WithCode", L"ErrorObject", L"PlainFailure",
                                   L"Itself", L"Prop",     L"Stale",    L"Answer"};
static_assert(std::size(kMembers) == kAnswer);

HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* info) {
  ++deferredFills;
  info->bstrDescription = ::SysAllocString(L"ODBC--call failed.");
  info->bstrSource = ::SysAllocString(L"DAO.Workspace");
  return S_OK;
}

void RaiseErrorObject(const wchar_t* description, const wchar_t* source) {
  win32::com_ptr<ICreateErrorInfo> create;
  if (FAILED(::CreateErrorInfo(create.put()))) return;
  create->SetDescription(const_cast<LPOLESTR>(description));
  create->SetSource(const_cast<LPOLESTR>(source));
  win32::com_ptr<IErrorInfo> error = create.query<IErrorInfo>();
  ::SetErrorInfo(0, error.get());
}

// The recording object, and its own class object: the one the test
// registers lives as long as the program and is not counted.
class Recorder : public IDispatch, public ISupportErrorInfo, public IClassFactory {
 public:
  explicit Recorder(bool counted = true) : counted_(counted) { liveObjects += counted_; }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
  virtual ~Recorder() { liveObjects -= counted_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else if (iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* made = new Recorder;
    HRESULT hr = made->QueryInterface(iid, out);
    made->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == IID_IDispatch ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (count != 1) return E_INVALIDARG;
    for (DISPID id = kRecord; id <= kAnswer; ++id)
      if (_wcsicmp(kMembers[id - kRecord], names[0]) == 0) {
        ids[0] = id;
        return S_OK;
      }
    ids[0] = DISPID_UNKNOWN;
    return DISP_E_UNKNOWNNAME;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    Received r{id, flags, {}, {}, result != nullptr};
    for (UINT i = 0; i < params->cArgs; ++i) r.types.push_back(params->rgvarg[i].vt);
    for (UINT i = 0; i < params->cNamedArgs; ++i) r.named.push_back(params->rgdispidNamedArgs[i]);
    received.push_back(r);
    switch (id) {
      case kRecord:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(params->cArgs);
        return S_OK;
      case DISPID_VALUE:  // hands the key back
        if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
        return ::VariantCopy(result, &params->rgvarg[0]);
      case kProp:
        if (flags == DISPATCH_PROPERTYPUT) return ::VariantCopy(prop_.get(), &params->rgvarg[0]);
        return ::VariantCopy(result, prop_.get());
      case kDeferred:
        info->scode = static_cast<SCODE>(0x800A0C4A);  // 3146
        info->pfnDeferredFillIn = FillIn;
        return DISP_E_EXCEPTION;
      case kWithCode:
        info->wCode = 1001;
        info->bstrDescription = ::SysAllocString(L"Operazione non consentita");
        return DISP_E_EXCEPTION;
      case kErrorObject:
        RaiseErrorObject(L"Login failed for user 'sa'.",
                         L"Microsoft OLE DB Provider for SQL Server");
        return E_FAIL;
      case kStale:
        RaiseErrorObject(L"stale", L"stale");
        return S_OK;
      case kPlainFailure:
        return static_cast<HRESULT>(0x80040E4D);  // DB_SEC_E_AUTH_FAILED, no error object
      case kItself:
        result->vt = VT_UNKNOWN;
        result->punkVal = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
      case kAnswer:
        return ::VariantCopy(result, &answer);
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  bool counted_;
  ULONG refs_ = 1;
  win32::unique_variant prop_;
};

Recorder factory(false);

class AutomationDispatch : public Automation {
 protected:
  void SetUp() override {
    Automation::SetUp();
    ASSERT_EQ(::CoRegisterClassObject(kRecorderClass, static_cast<IClassFactory*>(&factory), CLSCTX_INPROC_SERVER,
                                      REGCLS_MULTIPLEUSE, &cookie_),
              S_OK);
    received.clear();
    deferredFills = 0;
    Outcome<Object> made = CreateFromClassId(kRecorderId, "DAO.DBEngine.35");
    ASSERT_TRUE(made.ok()) << made.error.number;
    object_ = made.value;
  }
  void TearDown() override {
    object_.reset();
    EXPECT_EQ(liveObjects, 0) << "an interface pointer was not released";
    ::CoRevokeClassObject(cookie_);
    Automation::TearDown();
  }

  DWORD cookie_ = 0;
  Object object_;
};

TEST_F(AutomationDispatch, ArgumentsGoInReverseOrderWithTheirTypes) {
  Outcome<Object> other = CreateFromClassId(kRecorderId, "ADODB.Recordset");
  Outcome<Value> r = CallWith(object_, "record", {std::string("SELECT @@VERSION"), other.value, int32_t{3}, int16_t{1},
                                                  true, Currency{10000}, Date{1.0}, uint8_t{7}, Null{}, uint32_t{5}});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.value, Value{int32_t{10}});
  const Received call{kRecord, DISPATCH_METHOD,
                      {VT_UI4, VT_NULL, VT_UI1, VT_DATE, VT_CY, VT_BOOL, VT_I2, VT_I4, VT_DISPATCH, VT_BSTR}, {}, true};
  EXPECT_EQ(received, std::vector<Received>{call});
}

TEST_F(AutomationDispatch, PutNamesItsArgumentAndGetAllowsAMethod) {
  ASSERT_FALSE(Put(object_, "Prop", int16_t{60}).failed());
  EXPECT_EQ(Get(object_, "Prop").value, Value{int16_t{60}});
  Outcome<Value> item = Item(object_, std::string("attribute_name"));
  EXPECT_EQ(item.value, Value{std::string("attribute_name")});

  const WORD get = DISPATCH_PROPERTYGET | DISPATCH_METHOD;
  EXPECT_EQ(received, (std::vector<Received>{{kProp, DISPATCH_PROPERTYPUT, {VT_I2}, {DISPID_PROPERTYPUT}, false},
                                             {kProp, get, {}, {}, true},
                                             {DISPID_VALUE, get, {VT_BSTR}, {}, true}}));
}

TEST_F(AutomationDispatch, ResultsByReferenceAndAsUnknownAreUnwrapped) {
  LONG byRef = 42;
  ::VariantInit(&answer);
  answer.vt = VT_BYREF | VT_I4;
  answer.plVal = &byRef;
  EXPECT_EQ(Get(object_, "Answer").value, Value{int32_t{42}});
  Outcome<Value> itself = Get(object_, "Itself");
  ASSERT_TRUE(itself.ok());
  EXPECT_EQ(itself.value, Value{object_}) << "the same COM identity";
  answer.vt = VT_ERROR;
  answer.scode = DISP_E_PARAMNOTFOUND;
  EXPECT_EQ(Parts(Get(object_, "Answer").error), Parts({-2147352572, "Parameter not found.", "DAO.DBEngine.35"}));
  // An 8-byte unsigned count comes back as the decimal oleaut32 makes of it.
  answer.vt = VT_UI8;
  answer.ullVal = 0xFEDCBA9876543210ull;
  DECIMAL d{};
  ASSERT_EQ(::VarDecFromUI8(answer.ullVal, &d), S_OK);
  const Decimal expected{d.scale, d.sign != 0, d.Hi32, d.Lo64};
  EXPECT_EQ(Get(object_, "Answer").value, Value{expected});
}

// Windows 2000's oleaut32 has no 8-byte integers: an unsigned 32-bit value
// stays 32-bit on its way in and into its text, or its line would vanish.
TEST_F(AutomationDispatch, UnsignedThirtyTwoBitValuesBecomeTextWithoutAnEightByteInteger) {
  const struct {
    VARTYPE vt;
    ULONG n;
    const char* text;
  } cases[] = {
      {VT_UI4, 4294967295u, "4294967295"}, {VT_UINT, 4294967295u, "4294967295"},
      {VT_UI4, 2147483648u, "2147483648"}, {VT_UINT, 0u, "0"},
      {VT_UI4, 20u, "20"},
  };
  ConversionWatch watch;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ::VariantInit(&answer);
    answer.vt = c.vt;
    answer.ulVal = c.n;  // uintVal shares it
    Outcome<Value> got = Get(object_, "Answer");
    ASSERT_TRUE(got.ok());
    EXPECT_EQ(got.value, Value{uint32_t{c.n}});
    Outcome<std::string> text = ToText(got.value);
    EXPECT_TRUE(text.ok());
    EXPECT_EQ(text.value, c.text);
  }
  // An 8-byte integer a newer component gives is written out without one.
  Outcome<std::string> wide = ToText(Value{int64_t{-9223372036854775807LL - 1}});
  EXPECT_EQ(wide.value, "-9223372036854775808");
  EXPECT_THAT(ConversionWatch::types, ::testing::Contains(VT_UI4)) << "the watch sees the calls";
  EXPECT_THAT(ConversionWatch::types, ::testing::Each(::testing::Ne(VT_I8)));
}

// How each kind of failure becomes number, description and source.
TEST_F(AutomationDispatch, FailuresCarryTheComponentsOwnTexts) {
  EXPECT_EQ(Parts(Call(object_, "Deferred").error), Parts({3146, "ODBC--call failed.", "DAO.Workspace"}));
  EXPECT_EQ(deferredFills, 1);
  EXPECT_EQ(Parts(Call(object_, "WithCode").error), Parts({1001, "Operazione non consentita", "DAO.DBEngine.35"}));
  EXPECT_EQ(Parts(Call(object_, "ErrorObject").error),
            Parts({-2147467259, "Login failed for user 'sa'.", "Microsoft OLE DB Provider for SQL Server"}));

  // An error object left by an earlier, successful call is not taken for
  // the failure's own.
  ASSERT_TRUE(Call(object_, "Stale").ok());
  Outcome<Value> plain = Call(object_, "PlainFailure");
  EXPECT_EQ(plain.error.number, -2147217843);
  EXPECT_NE(plain.error.description, "stale");
  EXPECT_EQ(plain.error.source, "DAO.DBEngine.35");

  EXPECT_EQ(Parts(Get(object_, "Nonesuch").error), Parts({-2147352570, "Unknown name.", "DAO.DBEngine.35"}));
  EXPECT_TRUE(received.size() == 5u) << "no Invoke for a name the object does not know";
}

}  // namespace
}  // namespace sondalink::platform::automation
