#include "node.h"

#include "scenario.h"

namespace sondalink::standin {

std::atomic<long> gLiveObjects{0};
std::atomic<long> gServerLocks{0};

namespace {

// Lets a stand-in recognise its own objects among the arguments it gets
// (a workspace handed to Append, a connection handed to Recordset.Open).
const IID kIidStandinNode = {0x6f1b2c3d, 0x4e5f, 0x4a6b, {0x8c, 0x7d, 0x9e, 0x0f, 0x1a, 0x2b, 0x3c, 0x4d}};

BSTR AllocBstr(const std::wstring& text) {
  return ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

// Texts of a deferred fault, filled in only when the caller asks.
thread_local Fault tDeferred;

HRESULT __stdcall FillDeferred(EXCEPINFO* info) {
  info->bstrDescription = AllocBstr(tDeferred.description);
  info->bstrSource = AllocBstr(tDeferred.source);
  info->pfnDeferredFillIn = nullptr;
  return S_OK;
}

HRESULT RaiseFault(const Fault& fault, EXCEPINFO* excepInfo) {
  if (fault.mode == FaultMode::kErrorInfo || !excepInfo) return PostErrorInfo(fault, IID_IDispatch);
  *excepInfo = EXCEPINFO{};
  excepInfo->scode = fault.code;
  if (fault.mode == FaultMode::kDeferred) {
    tDeferred = fault;
    excepInfo->pfnDeferredFillIn = FillDeferred;
  } else {
    excepInfo->bstrDescription = AllocBstr(fault.description);
    excepInfo->bstrSource = AllocBstr(fault.source);
  }
  return DISP_E_EXCEPTION;
}

void ToVariant(const Val& value, VARIANT* out) {
  ::VariantInit(out);
  struct Visitor {
    VARIANT* out;
    void operator()(const Empty&) const {}
    void operator()(const Null&) const { V_VT(out) = VT_NULL; }
    void operator()(bool b) const {
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = b ? VARIANT_TRUE : VARIANT_FALSE;
    }
    void operator()(int16_t i) const {
      V_VT(out) = VT_I2;
      V_I2(out) = i;
    }
    void operator()(int32_t i) const {
      V_VT(out) = VT_I4;
      V_I4(out) = i;
    }
    void operator()(double d) const {
      V_VT(out) = VT_R8;
      V_R8(out) = d;
    }
    void operator()(const std::wstring& s) const {
      V_VT(out) = VT_BSTR;
      V_BSTR(out) = AllocBstr(s);
    }
    void operator()(const NodeRef& n) const {
      V_VT(out) = VT_DISPATCH;
      V_DISPATCH(out) = n.get();
      if (n) n->AddRef();
    }
    void operator()(const Fault&) const {}  // thrown before
  };
  std::visit(Visitor{out}, value);
}

}  // namespace

bool Args::present(size_t i) const {
  if (i >= values_.size()) return false;
  const VARIANT& v = *values_[i];
  return !(V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND);
}

const VARIANT& Args::coerced(size_t i, VARTYPE type) const {
  if (!present(i)) throw ProtocolError{DISP_E_PARAMNOTFOUND, static_cast<UINT>(values_.size() - 1 - i)};
  const VARIANT& v = *values_[i];
  if (V_VT(&v) == type) return v;
  auto temp = std::make_unique<win32::unique_variant>();
  if (FAILED(::VariantChangeType(temp->get(), const_cast<VARIANT*>(&v), 0, type))) {
    throw ProtocolError{DISP_E_TYPEMISMATCH, static_cast<UINT>(values_.size() - 1 - i)};
  }
  temps_.push_back(std::move(temp));
  return *temps_.back()->get();
}

std::wstring Args::text(size_t i) const {
  const VARIANT& v = coerced(i, VT_BSTR);
  return std::wstring(V_BSTR(&v), ::SysStringLen(V_BSTR(&v)));
}

int32_t Args::integer(size_t i) const { return V_I4(&coerced(i, VT_I4)); }

bool Args::boolean(size_t i) const { return V_BOOL(&coerced(i, VT_BOOL)) != VARIANT_FALSE; }

Node* Args::node(size_t i) const {
  if (!present(i)) return nullptr;
  const VARIANT& v = *values_[i];
  if (V_VT(&v) != VT_DISPATCH && V_VT(&v) != VT_UNKNOWN) return nullptr;
  return Node::From(V_UNKNOWN(&v));
}

void Args::check(size_t first, std::initializer_list<VARTYPE> types) const {
  for (VARTYPE type : types) {
    if (present(first)) coerced(first, type);
    ++first;
  }
}

NodeRef Node::Create(std::wstring type, std::wstring label) {
  return NodeRef(new Node(std::move(type), std::move(label)), false);
}

Node::Node(std::wstring type, std::wstring label) : type_(std::move(type)), label_(std::move(label)) {
  ++gLiveObjects;
}

Node::~Node() {
  if (state_) Journal(L"release " + type_);
  --gLiveObjects;
}

Node* Node::From(IUnknown* unknown) {
  if (!unknown) return nullptr;
  IDispatch* ours = nullptr;
  if (FAILED(unknown->QueryInterface(kIidStandinNode, reinterpret_cast<void**>(&ours)))) return nullptr;
  Node* node = static_cast<Node*>(ours);
  node->Release();  // the caller's argument keeps it alive
  return node;
}

Node& Node::add(Member member) {
  if (!member.guard) member.guard = guard_;
  members_.push_back(std::move(member));
  return *this;
}

Node& Node::get(std::wstring name, std::function<Val()> read, Putter put) {
  Getter get = [read = std::move(read)](const Args&) { return read(); };
  return add(Member{.name = std::move(name), .get = std::move(get), .put = std::move(put)});
}

Node& Node::method(std::wstring name, size_t minArgs, size_t maxArgs, Getter call) {
  return add(Member{.name = std::move(name), .call = std::move(call), .minArgs = minArgs, .maxArgs = maxArgs});
}

Node& Node::act(std::wstring name, std::function<void()> run) {
  return method(std::move(name), 0, 0, [run = std::move(run)](const Args&) -> Val {
    run();
    return Empty{};
  });
}

HRESULT Node::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIidStandinNode) {
    *object = static_cast<IDispatch*>(this);
  } else if (riid == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG Node::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Node::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT Node::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT Node::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids || count == 0) return E_POINTER;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (size_t m = 1; m <= members_.size(); ++m) {
    if (_wcsicmp(members_[m - 1].name.c_str(), names[0]) == 0) {
      ids[0] = m == default_ ? DISPID_VALUE : static_cast<DISPID>(m);
      break;
    }
  }
  // No member has named parameters.
  return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

HRESULT PostErrorInfo(const Fault& fault, REFGUID guid) {
  win32::com_ptr<ICreateErrorInfo> create;
  if (SUCCEEDED(::CreateErrorInfo(create.put()))) {
    create->SetGUID(guid);
    create->SetDescription(const_cast<LPOLESTR>(fault.description.c_str()));
    create->SetSource(const_cast<LPOLESTR>(fault.source.c_str()));
    if (auto info = create.query<IErrorInfo>()) ::SetErrorInfo(0, info.get());
  }
  return fault.code;
}

Val Node::Dispatch(DISPID id, WORD flags, std::vector<const VARIANT*> values) {
  const size_t index = id == DISPID_VALUE ? default_ : id > 0 ? static_cast<size_t>(id) : 0;
  if (index == 0 || index > members_.size()) throw ProtocolError{DISP_E_MEMBERNOTFOUND};
  const Member& member = members_[index - 1];
  // Keeps this node alive while a member (e.g. Close) drops other references.
  NodeRef self(this, true);

  const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
  const bool isCall = !isPut && (flags & DISPATCH_METHOD) && member.call;
  std::wstring line = std::wstring(isPut ? L"put " : isCall ? L"call " : L"get ") + type_;
  if (!label_.empty()) line += L"[" + label_ + L"]";
  line += L"." + member.name;
  if (isPut) {
    line += L" = " + Describe(*values[0]);
  } else if (!values.empty() || member.call) {
    line += L"(";
    for (size_t i = 0; i < values.size(); ++i) line += (i ? L", " : L"") + Describe(*values[i]);
    line += L")";
  }

  if (member.startsRun) {
    if (std::optional<Fault> refusal = StartRun()) throw *refusal;
  }
  Scenario& scenario = Current();
  const bool quiet = !scenario.journalReads && !isPut && !isCall;
  auto journal = [&](const std::wstring& outcome) {
    if (!quiet || !outcome.empty()) Journal(line + outcome);
  };

  if (int delay = scenario.DelayFor(type_, label_, member.name); delay > 0) scenario.Delay(delay);
  try {
    if (std::optional<Fault> fault = scenario.FaultFor(type_, label_, member.name)) throw *fault;
    Args args(std::move(values));
    const bool isGet = !isPut && !isCall && (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) && member.get;
    if (isPut ? !member.put : !isCall && !isGet) throw ProtocolError{DISP_E_MEMBERNOTFOUND};
    if (!isPut && (args.size() < member.minArgs || args.size() > member.maxArgs)) {
      throw ProtocolError{DISP_E_BADPARAMCOUNT};
    }
    if (member.guard) member.guard();
    Val value;
    if (isPut) {
      member.put(args.raw(0));
    } else {
      value = (isCall ? member.call : member.get)(args);
      if (const Fault* fault = std::get_if<Fault>(&value)) throw *fault;
    }
    journal(L"");
    return value;
  } catch (const Fault& fault) {
    journal(L" -> fault " + Hex(fault.code));
    throw;
  } catch (const ProtocolError& error) {
    journal(L" -> " + Hex(error.code));
    throw;
  }
}

HRESULT Node::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                     EXCEPINFO* excepInfo, UINT* argError) {
  DISPPARAMS none{};
  if (!params) params = &none;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs ||
        params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
      return DISP_E_PARAMNOTOPTIONAL;
    }
    if (params->cArgs != 1) return DISP_E_BADPARAMCOUNT;
  } else if (params->cNamedArgs != 0) {
    return DISP_E_NONAMEDARGS;
  }

  std::vector<const VARIANT*> values;
  for (UINT i = params->cArgs; i > 0; --i) {
    const VARIANT* v = &params->rgvarg[i - 1];
    if (V_VT(v) == (VT_VARIANT | VT_BYREF)) v = V_VARIANTREF(v);
    values.push_back(v);
  }
  try {
    Val value = Dispatch(id, flags, std::move(values));
    if (result) ToVariant(value, result);
    return S_OK;
  } catch (const Fault& fault) {
    return RaiseFault(fault, excepInfo);
  } catch (const ProtocolError& error) {
    if (argError && (error.code == DISP_E_TYPEMISMATCH || error.code == DISP_E_PARAMNOTFOUND)) {
      *argError = error.argument;
    }
    return error.code;
  }
}

}  // namespace sondalink::standin
