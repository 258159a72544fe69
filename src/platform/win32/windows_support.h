// The only way code in this folder includes <windows.h>: the owners of handles, BSTRs, VARIANTs and COM pointers, and the helpers
// that turn a failing call into an error record. Win32-specific code only.
#pragma once

// WIN32_LEAN_AND_MEAN, NOMINMAX and the target version come from the build
// (sondalink_windows_prelude), the same for every Windows file of ours.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <ocidl.h>
// The seam has its own DeleteFile; Windows code here calls the A/W functions
// by their full names.
#undef DeleteFile

#include <string>
#include <utility>

#include "platform/error.h"

namespace sondalink::win32 {

// One move-only owner for every kind of handle, in the manner of WIL's
// unique_any: Traits give the handle type, its empty value and its close.
template <class Traits>
class unique_any {
 public:
  using pointer = typename Traits::type;

  unique_any() = default;
  explicit unique_any(pointer value) : value_(value) {}
  unique_any(const unique_any&) = delete;
  unique_any& operator=(const unique_any&) = delete;
  unique_any(unique_any&& other) noexcept : value_(other.release()) {}
  unique_any& operator=(unique_any&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~unique_any() { reset(); }

  pointer get() const { return value_; }
  // Releases the old value and hands out its address for an out-parameter.
  pointer* put() {
    reset();
    return &value_;
  }
  pointer release() { return std::exchange(value_, Traits::empty()); }
  void reset(pointer value = Traits::empty()) {
    pointer old = std::exchange(value_, value);
    if (old != Traits::empty()) Traits::close(old);
  }
  explicit operator bool() const { return value_ != Traits::empty(); }

 private:
  pointer value_ = Traits::empty();
};

template <class T, T Empty, auto Close>
struct handle_traits {
  using type = T;
  static constexpr T empty() { return Empty; }
  static void close(T value) { Close(value); }
};

inline void close_handle(HANDLE h) { ::CloseHandle(h); }
inline void close_hkey(HKEY h) { ::RegCloseKey(h); }
inline void close_sc(SC_HANDLE h) { ::CloseServiceHandle(h); }
inline void free_bstr(BSTR s) { ::SysFreeString(s); }
inline void delete_object(HGDIOBJ h) { ::DeleteObject(h); }
inline void delete_dc(HDC h) { ::DeleteDC(h); }
inline void local_free_string(wchar_t* s) { ::LocalFree(s); }
inline void free_library(HMODULE h) { ::FreeLibrary(h); }

// Null is the empty value.
using unique_handle = unique_any<handle_traits<HANDLE, nullptr, close_handle>>;
// INVALID_HANDLE_VALUE is the empty value.
struct hfile_traits {
  using type = HANDLE;
  static type empty() { return INVALID_HANDLE_VALUE; }
  static void close(type h) { ::CloseHandle(h); }
};
using unique_hfile = unique_any<hfile_traits>;
struct hfind_traits {
  using type = HANDLE;
  static type empty() { return INVALID_HANDLE_VALUE; }
  static void close(type h) { ::FindClose(h); }
};
using unique_hfind = unique_any<hfind_traits>;
using unique_hkey = unique_any<handle_traits<HKEY, nullptr, close_hkey>>;
using unique_schandle = unique_any<handle_traits<SC_HANDLE, nullptr, close_sc>>;
using unique_bstr = unique_any<handle_traits<BSTR, nullptr, free_bstr>>;
using unique_hgdiobj = unique_any<handle_traits<HGDIOBJ, nullptr, delete_object>>;
// A device context of CreateCompatibleDC and the like, deleted.
using unique_hdc = unique_any<handle_traits<HDC, nullptr, delete_dc>>;
// A DLL of LoadLibrary's, freed.
using unique_hmodule = unique_any<handle_traits<HMODULE, nullptr, free_library>>;
// A text that FormatMessage allocated (FORMAT_MESSAGE_ALLOCATE_BUFFER).
using unique_hlocal_string = unique_any<handle_traits<wchar_t*, nullptr, local_free_string>>;

// A window's device context from GetDC, released to the window it came from.
struct window_dc {
  HWND hwnd = nullptr;
  HDC dc = nullptr;
  bool operator==(const window_dc&) const = default;
};
struct window_dc_traits {
  using type = window_dc;
  static constexpr type empty() { return {}; }
  static void close(type v) { ::ReleaseDC(v.hwnd, v.dc); }
};
using unique_hdc_window = unique_any<window_dc_traits>;

// GetDC(hwnd), null for the screen; empty when the call fails.
inline unique_hdc_window GetWindowDc(HWND hwnd) {
  HDC dc = ::GetDC(hwnd);
  return dc ? unique_hdc_window(window_dc{hwnd, dc}) : unique_hdc_window();
}

// A VARIANT that clears itself.
class unique_variant {
 public:
  unique_variant() { ::VariantInit(&v_); }
  unique_variant(const unique_variant&) = delete;
  unique_variant& operator=(const unique_variant&) = delete;
  unique_variant(unique_variant&& other) noexcept : v_(other.v_) { ::VariantInit(&other.v_); }
  unique_variant& operator=(unique_variant&& other) noexcept {
    if (this != &other) {
      reset();
      v_ = other.v_;
      ::VariantInit(&other.v_);
    }
    return *this;
  }
  ~unique_variant() { reset(); }
  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }
  VARIANT* put() {
    reset();
    return &v_;
  }
  void reset() { ::VariantClear(&v_); }

 private:
  VARIANT v_;
};

// A COM interface pointer that releases itself.
template <class T>
class com_ptr {
 public:
  com_ptr() = default;
  explicit com_ptr(T* p, bool addRef = false) : p_(p) {
    if (p_ && addRef) p_->AddRef();
  }
  com_ptr(const com_ptr& other) : p_(other.p_) {
    if (p_) p_->AddRef();
  }
  com_ptr& operator=(const com_ptr& other) {
    com_ptr(other).swap(*this);
    return *this;
  }
  com_ptr(com_ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  com_ptr& operator=(com_ptr&& other) noexcept {
    com_ptr(std::move(other)).swap(*this);
    return *this;
  }
  ~com_ptr() { reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() {
    reset();
    return &p_;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  void swap(com_ptr& other) noexcept { std::swap(p_, other.p_); }
  explicit operator bool() const { return p_ != nullptr; }

  template <class U>
  com_ptr<U> query() const {
    com_ptr<U> result;
    if (p_) p_->QueryInterface(__uuidof(U), result.put_void());
    return result;
  }

 private:
  T* p_ = nullptr;
};

// Text conversions at the edge.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const wchar_t* wide, int length = -1);
inline std::string Narrow(const std::wstring& wide) {
  return Narrow(wide.c_str(), static_cast<int>(wide.size()));
}

// The system's text for a code, without its trailing line break.
std::string SystemMessage(DWORD code);

// A failing HRESULT, or the last Win32 error of the named call, as a record.
ErrorRecord ErrorFromHresult(HRESULT hr, const char* source);
ErrorRecord ErrorFromLastError(const char* source);
ErrorRecord ErrorFromWin32(DWORD code, const char* source);

}  // namespace sondalink::win32
