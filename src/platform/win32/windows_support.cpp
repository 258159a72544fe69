// Text conversion and error records for the Windows back end.
#include "platform/win32/windows_support.h"

namespace sondalink::win32 {

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

std::string Narrow(const wchar_t* wide, int length) {
  if (!wide) return {};
  if (length < 0) length = static_cast<int>(wcslen(wide));
  if (length == 0) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string SystemMessage(DWORD code) {
  unique_hlocal_string buffer;
  // With FORMAT_MESSAGE_ALLOCATE_BUFFER the buffer argument receives the
  // address of the text the system allocated.
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0,
                             nullptr);
  if (n == 0 || !buffer) return {};
  const wchar_t* text = buffer.get();
  while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n')) --n;
  return Narrow(text, static_cast<int>(n));
}

ErrorRecord ErrorFromHresult(HRESULT hr, const char* source) {
  ErrorRecord e;
  e.number = static_cast<int32_t>(hr);
  e.description = SystemMessage(static_cast<DWORD>(hr));
  e.source = source ? source : "";
  return e;
}

ErrorRecord ErrorFromWin32(DWORD code, const char* source) {
  if (code == 0) code = ERROR_GEN_FAILURE;  // a failure must never read as success
  return ErrorFromHresult(HRESULT_FROM_WIN32(code), source);
}

ErrorRecord ErrorFromLastError(const char* source) {
  return ErrorFromWin32(::GetLastError(), source);
}

}  // namespace sondalink::win32
