// One late-bound object type for every stand-in class: a table of members
// (properties, child objects, collections, methods) looked up by name, with
// failures raised the ways real components raise them. Test code only.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/win32/windows_support.h"

namespace sondalink::standin {

// Component texts are UTF-8 in the sources and UTF-16 on the wire.
using win32::Narrow;
using win32::Widen;

class Node;
using NodeRef = win32::com_ptr<Node>;

struct Null {};
struct Empty {};

enum class FaultMode {
  kExcepInfo,  // DISP_E_EXCEPTION with a filled EXCEPINFO
  kDeferred,   // DISP_E_EXCEPTION, texts only through pfnDeferredFillIn
  kErrorInfo,  // the code itself as Invoke's result, texts through IErrorInfo
};

struct Fault {
  HRESULT code = E_FAIL;
  std::wstring description;
  std::wstring source;
  FaultMode mode = FaultMode::kExcepInfo;
};

// What a member gives, with the integer widths kept (the real components
// answer with 16-bit or 32-bit integers member by member). A Fault is a
// value whose read fails, as a scenario's @fail values are.
using Val = std::variant<Empty, Null, bool, int16_t, int32_t, double, std::wstring, NodeRef, Fault>;

// Not a component's error but COM's (unknown member, wrong argument count
// or type): returned as a plain HRESULT.
struct ProtocolError {
  HRESULT code;
  UINT argument = 0;  // for DISP_E_TYPEMISMATCH and DISP_E_PARAMNOTFOUND
};

// The arguments of one call in the caller's order (rgvarg is reversed),
// by-reference values already followed.
class Args {
 public:
  explicit Args(std::vector<const VARIANT*> values) : values_(std::move(values)) {}
  size_t size() const { return values_.size(); }
  // A missing optional argument is absent or VT_ERROR/DISP_E_PARAMNOTFOUND.
  bool present(size_t i) const;
  const VARIANT& raw(size_t i) const { return *values_.at(i); }
  std::wstring text(size_t i) const;
  int32_t integer(size_t i) const;
  bool boolean(size_t i) const;
  Node* node(size_t i) const;  // null for a foreign object
  // Coerces each present argument from `first` on to its type in `types`,
  // as a component checks the optional arguments it ignores.
  void check(size_t first, std::initializer_list<VARTYPE> types) const;

 private:
  const VARIANT& coerced(size_t i, VARTYPE type) const;
  std::vector<const VARIANT*> values_;
  mutable std::vector<std::unique_ptr<win32::unique_variant>> temps_;
};

using Getter = std::function<Val(const Args&)>;
using Putter = std::function<void(const VARIANT&)>;

struct Member {
  std::wstring name = {};
  Getter get = {};                   // property read (may take arguments, e.g. Item)
  Putter put = {};                   // property write
  Getter call = {};                  // method
  size_t minArgs = 0;                // of a read or a call; others fail with DISP_E_BADPARAMCOUNT
  size_t maxArgs = 0;
  std::function<void()> guard = {};  // runs first, once the argument count is right
  bool startsRun = false;            // reads the scenario afresh before it runs
};

// Journal and failure rules address a member as "<type>.<member>" or, for
// named items of a collection, "<type>[<label>].<member>".
class Node final : public IDispatch, public ISupportErrorInfo {
 public:
  // A new node with one reference, owned by the returned NodeRef.
  static NodeRef Create(std::wstring type, std::wstring label = {});

  const std::wstring& type() const { return type_; }
  const std::wstring& label() const { return label_; }
  Node& add(Member member);
  // A read without arguments, and its write when given.
  Node& get(std::wstring name, std::function<Val()> read, Putter put = {});
  Node& method(std::wstring name, size_t minArgs, size_t maxArgs, Getter call);
  // A method without arguments or result.
  Node& act(std::wstring name, std::function<void()> run);
  // A property read and written straight through to *target (a text, a
  // 32-bit integer or a boolean), the write coerced as the component does.
  template <class T>
  Node& field(std::wstring name, T* target) {
    return get(std::move(name), [target] { return Val(*target); }, [target](const VARIANT& value) {
      Args args({&value});
      if constexpr (std::is_same_v<T, bool>) {
        *target = args.boolean(0);
      } else if constexpr (std::is_same_v<T, int32_t>) {
        *target = args.integer(0);
      } else {
        *target = args.text(0);
      }
    });
  }
  // The last member added answers DISPID_VALUE.
  Node& byDefault() {
    default_ = members_.size();
    return *this;
  }
  // Members added from now on run `check` first (a closed object's refusal).
  Node& guard(std::function<void()> check) {
    guard_ = std::move(check);
    return *this;
  }
  // The state of an object that the program creates (not a collection's
  // item), shared with the closures of its members; other objects reach it
  // through state() after checking type(). Such an object writes
  // "release <type>" to the journal when the last reference goes.
  template <class T>
  Node& attach(std::shared_ptr<T> state) {
    state_ = std::move(state);
    return *this;
  }
  template <class T>
  T* state() const {
    return static_cast<T*>(state_.get());
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* excepInfo,
                                   UINT* argError) override;
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == IID_IDispatch ? S_OK : S_FALSE;
  }

  // Invoke's work, journalled and under the scenario's rules, with `values`
  // in the caller's order; throws a Fault or a ProtocolError. Also for a
  // member that hands its argument on to another node's.
  Val Dispatch(DISPID id, WORD flags, std::vector<const VARIANT*> values);

  // The stand-in node behind an interface pointer, or null for a foreign one.
  static Node* From(IUnknown* unknown);

 private:
  Node(std::wstring type, std::wstring label);
  ~Node();

  std::atomic<ULONG> refs_{1};
  std::wstring type_;
  std::wstring label_;
  std::vector<Member> members_;
  size_t default_ = 0;  // 1-based; 0: none
  std::function<void()> guard_;
  std::shared_ptr<void> state_;
};

// Live stand-in objects and server locks, for DllCanUnloadNow.
extern std::atomic<long> gLiveObjects;
extern std::atomic<long> gServerLocks;

// Hands the fault's texts over through IErrorInfo; returns its code.
HRESULT PostErrorInfo(const Fault& fault, REFGUID guid);

// BeginRun for a member or a class that begins a run; a malformed scenario
// is journalled and returned as a failure, which must not pass for a
// component's own.
std::optional<Fault> StartRun();

// One line (UTF-8, LF) to the run's journal, if any: what actually reached
// the component, for the end-to-end tests (line formats in standin_control.h).
void Journal(const std::wstring& line);
// "VT_I2 60", "VT_BSTR \"text\"", "VT_BSTR|VT_BYREF \"text\"", "VT_DISPATCH <ado.Connection>".
std::wstring Describe(const VARIANT& value);
// "0x800A0C4A": a code as the journal writes it.
std::wstring Hex(HRESULT code);

}  // namespace sondalink::standin
