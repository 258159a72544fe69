// The user's folders, the shell's "Open" and starting a program, through the
// wide functions of shfolder, shell32 and kernel32, so that a profile path
// outside the ANSI code page works too. Win32-specific code only.
#include "platform/win32/system_library.h"
#include "platform/win32/windows_support.h"

#include <shellapi.h>
#include <shlobj.h>
// <shellapi.h> maps ShellExecute to ShellExecuteA/W; this file defines its own.
#undef ShellExecute

#include <vector>

#include "platform/shell.h"

namespace sondalink::platform::shell {

namespace {

// shfolder.dll is no KnownDLL: imported, it would be loaded from the
// program's folder first. Loaded on first use, kept for the program's life.
struct Shfolder {
  win32::unique_hmodule module = win32::LoadSystemLibrary(L"shfolder.dll");
  decltype(&::SHGetFolderPathW) getFolderPath =
      win32::ProcAddress<decltype(&::SHGetFolderPathW)>(module.get(), "SHGetFolderPathW");
  DWORD error = getFolderPath ? 0 : ::GetLastError();  // why it cannot be reached
};

// The file that CreateProcessW is to run for a command line. A program
// named without a folder ("notepad.exe <log>") is the system folder's:
// CreateProcessW would look in the program's own folder first. Empty, so
// that CreateProcessW goes by the command line, when it names a folder.
Outcome<std::wstring> ApplicationOf(const std::wstring& commandLine) {
  const bool quoted = !commandLine.empty() && commandLine[0] == L'"';
  // An unclosed quote runs to the end.
  const std::wstring program = quoted ? commandLine.substr(1, commandLine.find(L'"', 1) - 1)
                                      : commandLine.substr(0, commandLine.find_first_of(L" \t"));
  if (program.find_first_of(L"\\/:") != std::wstring::npos) return std::wstring();
  const std::wstring system = win32::SystemDirectory();
  if (system.empty()) return win32::ErrorFromLastError("GetSystemDirectoryW");
  return system + L"\\" + program;
}

}  // namespace

Outcome<FolderPath> GetFolderPath(int folder) {
  static const Shfolder shfolder;
  if (!shfolder.getFolderPath) return win32::ErrorFromWin32(shfolder.error, "SHGetFolderPathW");
  wchar_t buffer[MAX_PATH + 1] = {};
  HRESULT hr = shfolder.getFolderPath(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, buffer);
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
  Outcome<std::wstring> application = ApplicationOf(wide);
  if (!application.ok()) return application.error;
  std::vector<wchar_t> line(wide.begin(), wide.end());  // CreateProcessW may write into it
  line.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(show);
  PROCESS_INFORMATION info{};
  const wchar_t* file = application.value.empty() ? nullptr : application.value.c_str();
  if (!::CreateProcessW(file, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return win32::ErrorFromLastError("CreateProcessW");
  }
  // Not waited for: the program lives on by itself.
  win32::unique_handle process(info.hProcess);
  win32::unique_handle thread(info.hThread);
  return {};
}

}  // namespace sondalink::platform::shell
