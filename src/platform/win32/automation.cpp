// Late-bound automation over IDispatch, the way a late-binding client of
// the components calls them. Win32-specific code only.
#include "platform/automation.h"

#include <vector>

#include "platform/win32/windows_support.h"

namespace sondalink::platform::automation {

using win32::com_ptr;
using win32::unique_bstr;
using win32::unique_variant;

struct Object::Impl {
  com_ptr<IDispatch> dispatch;
  // The class name the object, or the object it came from, was created
  // from: the source of failures whose component names none.
  std::string source;
};

namespace {

// The system's texts for the codes that a late-bound call meets, as Windows
// words them; Wine's message table has none of them.
const char* KnownText(HRESULT hr) {
  switch (static_cast<uint32_t>(hr)) {
    case 0x80004001: return "Not implemented";
    case 0x80004002: return "No such interface supported";
    case 0x80004005: return "Unspecified error";
    case 0x80020003: return "Member not found.";
    case 0x80020004: return "Parameter not found.";
    case 0x80020005: return "Type mismatch.";
    case 0x80020006: return "Unknown name.";
    case 0x80020007: return "No named arguments.";
    case 0x80020008: return "Bad variable type.";
    case 0x80020009: return "Exception occurred.";
    case 0x8002000A: return "Out of present range.";
    case 0x8002000B: return "Invalid index.";
    case 0x8002000E: return "Invalid number of parameters.";
    case 0x8002000F: return "Parameter not optional.";
    case 0x80020012: return "Division by zero.";
    case 0x8002801D: return "Library not registered.";
    case 0x80040112: return "Class is not licensed for use";
    case 0x80040154: return "Class not registered";
    case 0x800401F0: return "CoInitialize has not been called.";
    case 0x800401F3: return "Invalid class string";
    default: return nullptr;
  }
}

std::string Describe(HRESULT hr) {
  std::string text = win32::SystemMessage(static_cast<DWORD>(hr));
  if (text.empty())
    if (const char* known = KnownText(hr)) text = known;
  return text;
}

// A code of the control facility carries the component's own error number
// in its low word, the number its documentation and its users know.
int32_t NumberOf(HRESULT hr) {
  if ((static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u)
    return static_cast<int32_t>(static_cast<uint32_t>(hr) & 0xFFFFu);
  return static_cast<int32_t>(hr);
}

ErrorRecord Failure(HRESULT hr, const std::string& source) {
  return ErrorRecord{NumberOf(hr), Describe(hr), source};
}

std::string FromBstr(BSTR text) {
  return text ? win32::Narrow(text, static_cast<int>(::SysStringLen(text))) : std::string();
}

unique_bstr ToBstr(const std::string& text) {
  std::wstring wide = win32::Widen(text);
  return unique_bstr(::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size())));
}

// An EXCEPINFO that starts zeroed and frees its three strings, whoever
// filled them (Invoke or the deferred fill-in).
struct ExcepInfo : EXCEPINFO {
  ExcepInfo() : EXCEPINFO{} {}
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
  ~ExcepInfo() {
    ::SysFreeString(bstrSource);
    ::SysFreeString(bstrDescription);
    ::SysFreeString(bstrHelpFile);
  }
};

// The VARIANTs of one call's arguments, cleared together.
class VariantArray {
 public:
  explicit VariantArray(size_t n) : items_(n) {
    for (VARIANT& v : items_) ::VariantInit(&v);
  }
  VariantArray(const VariantArray&) = delete;
  VariantArray& operator=(const VariantArray&) = delete;
  ~VariantArray() {
    for (VARIANT& v : items_) ::VariantClear(&v);
  }
  VARIANT* data() { return items_.empty() ? nullptr : items_.data(); }
  VARIANT& operator[](size_t i) { return items_[i]; }

 private:
  std::vector<VARIANT> items_;
};

// Fills an empty VARIANT with `value`; the VARIANT then owns what it holds.
ErrorRecord ToVariant(const Value& value, VARIANT& v) {
  struct Visitor {
    VARIANT& v;
    ErrorRecord operator()(std::monostate) const { v.vt = VT_EMPTY; return {}; }
    ErrorRecord operator()(Null) const { v.vt = VT_NULL; return {}; }
    ErrorRecord operator()(bool b) const {
      v.vt = VT_BOOL;
      v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
      return {};
    }
    ErrorRecord operator()(uint8_t n) const { v.vt = VT_UI1; v.bVal = n; return {}; }
    ErrorRecord operator()(int16_t n) const { v.vt = VT_I2; v.iVal = n; return {}; }
    ErrorRecord operator()(int32_t n) const { v.vt = VT_I4; v.lVal = n; return {}; }
    ErrorRecord operator()(uint32_t n) const { v.vt = VT_UI4; v.ulVal = n; return {}; }
    ErrorRecord operator()(int64_t n) const { v.vt = VT_I8; v.llVal = n; return {}; }
    ErrorRecord operator()(float n) const { v.vt = VT_R4; v.fltVal = n; return {}; }
    ErrorRecord operator()(double n) const { v.vt = VT_R8; v.dblVal = n; return {}; }
    ErrorRecord operator()(Currency c) const {
      v.vt = VT_CY;
      v.cyVal.int64 = c.scaled;
      return {};
    }
    ErrorRecord operator()(const Decimal& d) const {
      // The decimal overlays the whole VARIANT: its type goes in last.
      v.decVal.scale = d.scale;
      v.decVal.sign = d.negative ? DECIMAL_NEG : 0;
      v.decVal.Hi32 = d.hi32;
      v.decVal.Lo64 = d.lo64;
      v.vt = VT_DECIMAL;
      return {};
    }
    ErrorRecord operator()(Date d) const { v.vt = VT_DATE; v.date = d.serial; return {}; }
    ErrorRecord operator()(const std::string& s) const {
      unique_bstr text = ToBstr(s);
      if (!text) return Failure(E_OUTOFMEMORY, "");
      v.vt = VT_BSTR;
      v.bstrVal = text.release();
      return {};
    }
    ErrorRecord operator()(const Object& o) const {
      v.vt = VT_DISPATCH;
      v.pdispVal = o ? o.impl()->dispatch.get() : nullptr;
      if (v.pdispVal) v.pdispVal->AddRef();
      return {};
    }
  };
  return std::visit(Visitor{v}, value);
}

Object Wrap(IDispatch* dispatch, const std::string& source) {
  if (!dispatch) return Object{};  // Nothing
  auto impl = std::make_shared<Object::Impl>();
  impl->dispatch = com_ptr<IDispatch>(dispatch, true);
  impl->source = source;
  return Object(std::move(impl));
}

// What a member gave back, by reference or not, as a value; objects keep
// the source of the object they came from.
Outcome<Value> FromVariant(const VARIANT& in, const std::string& source) {
  unique_variant direct;
  const VARIANT* v = &in;
  if (in.vt & VT_BYREF) {
    HRESULT hr = ::VariantCopyInd(direct.get(), const_cast<VARIANT*>(&in));
    if (FAILED(hr)) return Failure(hr, source);
    v = direct.get();
  }
  switch (v->vt) {
    case VT_EMPTY: return Value{};
    case VT_NULL: return Value{Null{}};
    case VT_BOOL: return Value{v->boolVal != VARIANT_FALSE};
    case VT_UI1: return Value{static_cast<uint8_t>(v->bVal)};
    case VT_I1: return Value{static_cast<int16_t>(v->cVal)};
    case VT_I2: return Value{static_cast<int16_t>(v->iVal)};
    case VT_UI2: return Value{static_cast<int32_t>(v->uiVal)};
    case VT_I4: return Value{static_cast<int32_t>(v->lVal)};
    case VT_INT: return Value{static_cast<int32_t>(v->intVal)};
    case VT_UI4: return Value{static_cast<uint32_t>(v->ulVal)};
    case VT_UINT: return Value{static_cast<uint32_t>(v->uintVal)};
    case VT_I8: return Value{static_cast<int64_t>(v->llVal)};
    case VT_R4: return Value{v->fltVal};
    case VT_R8: return Value{v->dblVal};
    case VT_CY: return Value{Currency{v->cyVal.int64}};
    case VT_DATE: return Value{Date{v->date}};
    case VT_DECIMAL:
      return Value{Decimal{v->decVal.scale, (v->decVal.sign & DECIMAL_NEG) != 0, v->decVal.Hi32,
                           v->decVal.Lo64}};
    // As VarDecFromUI8 would give it, without that XP-only import.
    case VT_UI8: return Value{Decimal{0, false, 0, v->ullVal}};
    case VT_BSTR: return Value{FromBstr(v->bstrVal)};
    case VT_DISPATCH: return Value{Wrap(v->pdispVal, source)};
    case VT_UNKNOWN: {
      if (!v->punkVal) return Value{Object{}};
      com_ptr<IDispatch> dispatch;
      HRESULT hr = v->punkVal->QueryInterface(IID_IDispatch, dispatch.put_void());
      if (FAILED(hr)) return Failure(hr, source);
      return Value{Wrap(dispatch.get(), source)};
    }
    case VT_ERROR: return Failure(v->scode, source);
    default: return Failure(DISP_E_BADVARTYPE, source);
  }
}

// Whether the object stands behind the thread's error object for a call
// through IDispatch, or through the interface its type information names.
bool OffersErrorInfo(IDispatch* dispatch) {
  com_ptr<ISupportErrorInfo> support;
  if (FAILED(dispatch->QueryInterface(IID_ISupportErrorInfo, support.put_void()))) return false;
  if (support->InterfaceSupportsErrorInfo(IID_IDispatch) == S_OK) return true;
  com_ptr<ITypeInfo> info;
  if (FAILED(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put())) || !info) return false;
  TYPEATTR* attr = nullptr;
  if (FAILED(info->GetTypeAttr(&attr)) || !attr) return false;
  const IID iid = attr->guid;
  info->ReleaseTypeAttr(attr);
  return support->InterfaceSupportsErrorInfo(iid) == S_OK;
}

// The record of a failed Invoke: the exception the component raised, else
// its error object, else the system's text for the code.
ErrorRecord InvokeFailure(HRESULT hr, ExcepInfo& info, const Object::Impl& object) {
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    ErrorRecord e;
    if (info.wCode != 0) {
      e.number = info.wCode;
    } else if (FAILED(info.scode)) {
      e.number = NumberOf(info.scode);
      hr = info.scode;
    } else {
      e.number = NumberOf(hr);
    }
    e.description = FromBstr(info.bstrDescription);
    if (e.description.empty() && info.wCode == 0) e.description = Describe(hr);
    e.source = FromBstr(info.bstrSource);
    if (e.source.empty()) e.source = object.source;
    return e;
  }
  ErrorRecord e = Failure(hr, object.source);
  if (OffersErrorInfo(object.dispatch.get())) {
    com_ptr<IErrorInfo> error;
    if (::GetErrorInfo(0, error.put()) == S_OK && error) {
      unique_bstr description, source;
      if (SUCCEEDED(error->GetDescription(description.put())) && description)
        if (std::string text = FromBstr(description.get()); !text.empty()) e.description = text;
      if (SUCCEEDED(error->GetSource(source.put())) && source)
        if (std::string text = FromBstr(source.get()); !text.empty()) e.source = text;
    }
  }
  return e;
}

ErrorRecord NoObject() {
  return ErrorRecord{91, "Object variable or With block variable not set", ""};
}

Outcome<DISPID> LookUp(const Object::Impl& object, const std::string& member) {
  std::wstring wide = win32::Widen(member);
  LPOLESTR names[] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  HRESULT hr = object.dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return Failure(hr, object.source);
  return id;
}

// One Invoke with the arguments in reverse order, as DISPPARAMS wants them;
// a property put names its one argument DISPID_PROPERTYPUT.
Outcome<Value> Invoke(const Object::Impl& object, DISPID id, WORD flags,
                      std::span<const Value> arguments) {
  const size_t n = arguments.size();
  VariantArray args(n);
  for (size_t i = 0; i < n; ++i)
    if (ErrorRecord e = ToVariant(arguments[i], args[n - 1 - i]); e.failed()) {
      e.source = object.source;
      return e;
    }
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS params{};
  params.rgvarg = args.data();
  params.cArgs = static_cast<UINT>(n);
  if (flags == DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &named;
    params.cNamedArgs = 1;
  }
  unique_variant result;
  ExcepInfo info;
  UINT argError = 0;
  ::SetErrorInfo(0, nullptr);  // nothing stale for InvokeFailure to find
  HRESULT hr = object.dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                       flags == DISPATCH_PROPERTYPUT ? nullptr : result.get(),
                                       &info, &argError);
  if (FAILED(hr)) return InvokeFailure(hr, info, object);
  return FromVariant(*result.get(), object.source);
}

Outcome<Value> InvokeByName(const Object& object, const std::string& member, WORD flags,
                            std::span<const Value> arguments) {
  if (!object) return NoObject();
  Outcome<DISPID> id = LookUp(*object.impl(), member);
  if (!id.ok()) return id.error;
  return Invoke(*object.impl(), id.value, flags, arguments);
}

constexpr DWORD kServers = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

// A licensed class's factory refuses plain creation (CLASS_E_NOTLICENSED)
// where no design-time licence is installed, as on a user's machine; with
// the class's run-time key it creates anywhere.
HRESULT CreateLicensed(const CLSID& clsid, const std::string& licenceKey,
                       com_ptr<IDispatch>& dispatch) {
  com_ptr<IClassFactory> factory;
  HRESULT hr = ::CoGetClassObject(clsid, kServers, nullptr, IID_IClassFactory, factory.put_void());
  if (FAILED(hr)) return hr;
  if (!factory) return E_NOINTERFACE;
  com_ptr<IClassFactory2> licensed;
  if (FAILED(factory->QueryInterface(IID_IClassFactory2, licensed.put_void())) || !licensed)
    return factory->CreateInstance(nullptr, IID_IDispatch, dispatch.put_void());
  unique_bstr key = ToBstr(licenceKey);
  if (!key) return E_OUTOFMEMORY;
  return licensed->CreateInstanceLic(nullptr, nullptr, IID_IDispatch, key.get(),
                                     dispatch.put_void());
}

Outcome<Object> CreateFromClsid(const CLSID& clsid, const std::string& source,
                                const std::string& licenceKey = {}) {
  com_ptr<IDispatch> dispatch;
  HRESULT hr = licenceKey.empty()
                   ? ::CoCreateInstance(clsid, nullptr, kServers, IID_IDispatch, dispatch.put_void())
                   : CreateLicensed(clsid, licenceKey, dispatch);
  if (FAILED(hr)) return Failure(hr, source);
  if (!dispatch) return Failure(E_NOINTERFACE, source);
  return Wrap(dispatch.get(), source);
}

// Successful initialisations of this thread still to be balanced.
thread_local int initialized = 0;

}  // namespace

bool operator==(const Object& a, const Object& b) {
  if (a.impl() == b.impl()) return true;
  if (!a || !b) return false;
  // COM identity: the same IUnknown, whichever interface each one holds.
  com_ptr<IUnknown> left, right;
  a.impl()->dispatch->QueryInterface(IID_IUnknown, left.put_void());
  b.impl()->dispatch->QueryInterface(IID_IUnknown, right.put_void());
  return left && left.get() == right.get();
}

ErrorRecord Initialize() {
  // No OLE 1.0 DDE, as the shell asks of a program that calls ShellExecute.
  HRESULT hr = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (FAILED(hr)) return Failure(hr, "");
  ++initialized;
  return {};
}

void Uninitialize() {
  if (initialized == 0) return;
  --initialized;
  ::CoUninitialize();
}

Outcome<Object> CreateFromClassId(const std::string& classId, const std::string& sourceName,
                                  const std::string& licenceKey) {
  std::wstring wide = win32::Widen(classId);
  CLSID clsid{};
  HRESULT hr = ::CLSIDFromString(wide.c_str(), &clsid);
  if (FAILED(hr)) return Failure(hr, sourceName);
  return CreateFromClsid(clsid, sourceName, licenceKey);
}

Outcome<Object> CreateFromName(const std::string& className) {
  std::wstring wide = win32::Widen(className);
  CLSID clsid{};
  HRESULT hr = ::CLSIDFromProgID(wide.c_str(), &clsid);
  if (FAILED(hr)) return Failure(hr, className);
  return CreateFromClsid(clsid, className);
}

Outcome<Value> Get(const Object& object, const std::string& member) {
  return InvokeByName(object, member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, {});
}

ErrorRecord Put(const Object& object, const std::string& member, const Value& value) {
  return InvokeByName(object, member, DISPATCH_PROPERTYPUT, std::span<const Value>(&value, 1))
      .error;
}

Outcome<Value> Call(const Object& object, const std::string& method,
                    std::span<const Value> arguments) {
  return InvokeByName(object, method, DISPATCH_METHOD, arguments);
}

Outcome<Value> Item(const Object& collection, const Value& key) {
  if (!collection) return NoObject();
  return Invoke(*collection.impl(), DISPID_VALUE, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                std::span<const Value>(&key, 1));
}

Outcome<std::string> ToText(const Value& value) {
  if (std::holds_alternative<std::monostate>(value) || std::holds_alternative<Null>(value))
    return std::string();
  if (auto* b = std::get_if<bool>(&value)) return std::string(*b ? "True" : "False");
  if (auto* s = std::get_if<std::string>(&value)) return *s;
  // Written out here: a VT_I8 is unknown to Windows 2000's oleaut32.
  if (auto* n = std::get_if<int64_t>(&value)) return std::to_string(*n);
  VariantArray in(1);
  if (ErrorRecord e = ToVariant(value, in[0]); e.failed()) return e;
  unique_variant out;
  HRESULT hr = ::VariantChangeTypeEx(out.get(), &in[0], LOCALE_USER_DEFAULT, 0, VT_BSTR);
  if (FAILED(hr)) return Failure(hr, "");
  return FromBstr(out.get()->bstrVal);
}

}  // namespace sondalink::platform::automation
