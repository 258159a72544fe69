// The user's folders, the shell's "Open" and starting a program, through the
// wide functions of shfolder, shell32 and kernel32, so that a profile path
// outside the ANSI code page works too. Win32-specific code only.
#include "platform/win32/windows_support.h"

#include <shellapi.h>
#include <shlobj.h>
// <shellapi.h> maps ShellExecute to ShellExecuteA/W; this file defines its own.
#undef ShellExecute

#include <vector>

#include "platform/shell.h"

namespace sondalink::platform::shell {

Outcome<FolderPath> GetFolderPath(int folder) {
  wchar_t buffer[MAX_PATH + 1] = {};
  HRESULT hr = ::SHGetFolderPathW(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, buffer);
  buffer[MAX_PATH] = L'\0';
  FolderPath result;
  result.result = static_cast<long>(hr);
  result.buffer = win32::Narrow(buffer);  // up to the first NUL
  return result;
}

ErrorRecord ShellExecute(const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show) {
  ::ShellExecuteW(nullptr, win32::Widen(operation).c_str(), win32::Widen(file).c_str(),
                  win32::Widen(parameters).c_str(), win32::Widen(directory).c_str(), show);
  return {};
}

ErrorRecord StartProgram(const std::string& commandLine, int show) {
  std::wstring wide = win32::Widen(commandLine);
  std::vector<wchar_t> line(wide.begin(), wide.end());  // CreateProcessW may write into it
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return win32::ErrorFromLastError("CreateProcessW");
  }
  // Not waited for: the program lives on by itself.
  win32::unique_handle process(info.hProcess);
  win32::unique_handle thread(info.hThread);
  return {};
}

}  // namespace sondalink::platform::shell
