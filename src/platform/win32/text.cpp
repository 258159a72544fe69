// The ANSI code page of the running system, through UTF-16.
#include "platform/text.h"

#include "platform/win32/windows_support.h"

namespace sondalink::platform {

std::string ToAnsi(const std::string& utf8) {
  std::wstring wide = win32::Widen(utf8);
  if (wide.empty()) return {};
  // No best fit: a character the code page lacks becomes '?', never a
  // look-alike ('ţ' as 't', a full-width semicolon as ';').
  int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        out.data(), n, nullptr, nullptr);
  return out;
}

std::string FromAnsi(const std::string& ansi) {
  if (ansi.empty()) return {};
  int n = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return win32::Narrow(wide);
}

}  // namespace sondalink::platform
