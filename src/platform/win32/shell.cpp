// The user's folders, the shell's "Open" and starting a program, through the
// ANSI functions of shell32 and kernel32. Win32-specific code only.
#include "platform/win32/windows_support.h"

#include <shellapi.h>
#include <shlobj.h>
// <shellapi.h> maps ShellExecute to ShellExecuteA/W; this file defines its own.
#undef ShellExecute

#include <vector>

#include "platform/shell.h"
#include "platform/text.h"

namespace sondalink::platform::shell {

Outcome<FolderPath> GetFolderPath(int folder) {
  char buffer[MAX_PATH + 1] = {};
  HRESULT hr = ::SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, buffer);
  buffer[MAX_PATH] = '\0';
  FolderPath result;
  result.result = static_cast<long>(hr);
  result.buffer = FromAnsi(buffer);  // up to the first NUL
  return result;
}

ErrorRecord ShellExecute(const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show) {
  ::ShellExecuteA(nullptr, ToAnsi(operation).c_str(), ToAnsi(file).c_str(),
                  ToAnsi(parameters).c_str(), ToAnsi(directory).c_str(), show);
  return {};
}

ErrorRecord StartProgram(const std::string& commandLine, int show) {
  std::string ansi = ToAnsi(commandLine);
  std::vector<char> line(ansi.begin(), ansi.end());  // CreateProcessA may write into it
  line.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return win32::ErrorFromLastError("CreateProcessA");
  }
  // Not waited for: the program lives on by itself.
  win32::unique_handle process(info.hProcess);
  win32::unique_handle thread(info.hThread);
  return {};
}

}  // namespace sondalink::platform::shell
