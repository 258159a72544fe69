// The COM server: class factories and the four exports of an in-process
// server.
#include <ocidl.h>

#include "components.h"

namespace sondalink::standin {

namespace {

// Every class's factory; a licensed class's also answers as IClassFactory2
// and, like DAO's engine, creates without a key only where the scenario
// says the machine holds the design-time licence.
class ClassFactory final : public IClassFactory2 {
 public:
  explicit ClassFactory(const ClassInfo& info) : info_(info) { ++gLiveObjects; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory ||
        (riid == IID_IClassFactory2 && info_.runtimeKey)) {
      *object = static_cast<IClassFactory2*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    return CreateInstanceLic(outer, nullptr, riid, nullptr, object);
  }

  HRESULT STDMETHODCALLTYPE GetLicInfo(LICINFO* info) override {
    if (!info) return E_POINTER;
    info->cbLicInfo = sizeof(LICINFO);
    info->fRuntimeKeyAvail = TRUE;
    info->fLicVerified = DesignLicenceInstalled() ? TRUE : FALSE;
    return S_OK;
  }

  // The run-time key is handed out only where the design-time licence is.
  HRESULT STDMETHODCALLTYPE RequestLicKey(DWORD, BSTR* key) override {
    if (!key) return E_POINTER;
    *key = nullptr;
    if (!DesignLicenceInstalled()) return CLASS_E_NOTLICENSED;
    *key = ::SysAllocString(info_.runtimeKey);
    return *key ? S_OK : E_OUTOFMEMORY;
  }

  // A key must be the class's own; without one the machine's licence decides.
  HRESULT STDMETHODCALLTYPE CreateInstanceLic(IUnknown* outer, IUnknown*, REFIID riid, BSTR key,
                                              void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (info_.runtimeKey &&
        (key ? std::wstring(key, ::SysStringLen(key)) != info_.runtimeKey : !DesignLicenceInstalled())) {
      Journal(std::wstring(L"create ") + info_.type + L" -> fault 0x80040112");
      return CLASS_E_NOTLICENSED;
    }
    if (info_.startsRun && StartRun()) return E_FAIL;
    // "fail.<type>.create" makes the creation itself fail, as an
    // unregistered or broken component does.
    if (std::optional<Fault> fault = Current().FaultFor(info_.type, L"", L"create")) {
      Journal(std::wstring(L"create ") + info_.type + L" -> fault " + Hex(fault->code));
      return PostErrorInfo(*fault, GUID_NULL);
    }
    NodeRef node = info_.create();
    Journal(L"create " + node->type());
    return node->QueryInterface(riid, object);
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    gServerLocks += lock ? 1 : -1;
    return S_OK;
  }

 private:
  ~ClassFactory() { --gLiveObjects; }

  std::atomic<ULONG> refs_{1};
  const ClassInfo& info_;
};

}  // namespace

}  // namespace sondalink::standin

using namespace sondalink::standin;

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  for (const ClassInfo& info : kClasses) {
    CLSID own;
    if (SUCCEEDED(::CLSIDFromString(info.clsid, &own)) && clsid == own) {
      auto* factory = new ClassFactory(info);
      HRESULT hr = factory->QueryInterface(riid, object);
      factory->Release();
      return hr;
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return gLiveObjects == 0 && gServerLocks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return RegisterServer(ModulePath()); }

STDAPI DllUnregisterServer() { return UnregisterServer(); }

}  // extern "C"
