// The automation layer against an IDispatch of our own, registered for
// this process only: it records what each Invoke receives and raises
// failures the ways components do (an exception filled in at once or
// deferred, an error code, an error object), which Wine's own objects
// never do with texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "platform/automation.h"
#include "platform/win32/windows_support.h"
#include "support/automation_contract.h"

namespace sondalink::platform::automation {
namespace {

using testing::Parts;

// {5D0B7E2A-6C1F-4E43-9A58-2B7F0C3D9E11}
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

enum : DISPID {
  kRecord = 1, kDeferred, kWithCode, kErrorObject, kPlainFailure, kByRef, kItself,
  kErrorValue, kProp, kStale, kUnsigned64, kAnswer
};

// The members' names, in the order of their ids.
const wchar_t* const kMembers[] = {L"Record", L"Deferred", L"WithCode", L"ErrorObject", L"PlainFailure", L"ByRef",
                                   L"Itself", L"ErrorValue", L"Prop",   L"Stale",       L"Unsigned64",   L"Answer"};
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

class Recorder : public IDispatch, public ISupportErrorInfo {
 public:
  Recorder() { ++liveObjects; }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
  virtual ~Recorder() { --liveObjects; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
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
      case kByRef:
        result->vt = VT_BYREF | VT_I4;
        result->plVal = &byRef_;
        return S_OK;
      case kItself:
        result->vt = VT_UNKNOWN;
        result->punkVal = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
      case kUnsigned64:
        result->vt = VT_UI8;
        result->ullVal = 0xFEDCBA9876543210ull;
        return S_OK;
      case kAnswer:
        return ::VariantCopy(result, &answer);
      case kErrorValue:
        result->vt = VT_ERROR;
        result->scode = DISP_E_PARAMNOTFOUND;
        return S_OK;
      default:
        return DISP_E_MEMBERNOTFOUND;
    }
  }

 private:
  ULONG refs_ = 1;
  LONG byRef_ = 42;
  win32::unique_variant prop_;
};

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* made = new Recorder;
    HRESULT hr = made->QueryInterface(iid, out);
    made->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory factory;

class AutomationDispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Initialize().failed());
    ASSERT_EQ(::CoRegisterClassObject(kRecorderClass, &factory, CLSCTX_INPROC_SERVER,
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
    Uninitialize();
  }

  DWORD cookie_ = 0;
  Object object_;
};

TEST_F(AutomationDispatch, ArgumentsGoInReverseOrderWithTheirTypes) {
  Outcome<Object> other = CreateFromClassId(kRecorderId, "ADODB.Recordset");
  const Value args[] = {std::string("SELECT @@VERSION"), other.value, int32_t{3}, int16_t{1},
                        true, Currency{10000}, Date{1.0}, uint8_t{7}, Null{}, uint32_t{5}};
  Outcome<Value> r = Call(object_, "record", args);
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
  EXPECT_EQ(Get(object_, "ByRef").value, Value{int32_t{42}});
  Outcome<Value> itself = Get(object_, "Itself");
  ASSERT_TRUE(itself.ok());
  EXPECT_EQ(itself.value, Value{object_}) << "the same COM identity";
  EXPECT_EQ(Parts(Get(object_, "ErrorValue").error),  // DISP_E_PARAMNOTFOUND
            Parts({-2147352572, "Parameter not found.", "DAO.DBEngine.35"}));
  // An 8-byte unsigned count comes back as the decimal oleaut32 makes of it.
  DECIMAL d{};
  ASSERT_EQ(::VarDecFromUI8(0xFEDCBA9876543210ull, &d), S_OK);
  const Decimal expected{d.scale, d.sign != 0, d.Hi32, d.Lo64};
  EXPECT_EQ(Get(object_, "Unsigned64").value, Value{expected});
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
