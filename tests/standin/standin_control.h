// For Windows test programs (UI driver, the stand-in's own tests): register
// and unregister the stand-in data-access components in the test prefix,
// choose what they do by writing a scenario, and read back what the program
// passed to them. Link the CMake target sondalink_standin_control; tests that
// register the stand-in take a session of tools/ctest-wine (CTest property
// RESOURCE_GROUPS session:1), whose prefix is theirs alone.
//
//   standin::RegisterStandin();                       // in SetUpTestSuite
//   standin::UseScenario(dir + L"\\scenario.txt",     // this run's behaviour
//       standin::JournalTo(dir + L"\\journal.txt") +
//       standin::Fail("ado.Connection.Open", 0x800A0C4A, "Login failed", "ADO"));
//   ... run Sondalink.exe (it inherits SONDALINK_STANDIN_SCENARIO) ...
//   auto calls = standin::ReadJournal(dir + L"\\journal.txt");
//   standin::UnregisterStandin();                     // in TearDownTestSuite
//
// The scenario keys (failing members, Null or failing values, rows, delays,
// the design-time licence) are described at the top of
// tests/standin/scenario.cpp. Without a scenario every call succeeds, the
// version text has a CR LF inside and sp_server_info gives five rows.
//
// Journal lines (UTF-8, LF; texts in double quotes with \r \n \t \\ \"):
//   create <type>                                  the class factory made an object
//   create <type> -> fault 0x80004005              ... or failed to, as the scenario said
//   create dao.DBEngine -> fault 0x80040112        ... or refused it: no licence, or a wrong key
//   get <type>[<label>].<member>                   a property read (no arguments)
//   get <type>.<member>(<arg>, ...)                a read with arguments (Item)
//   put <type>.<member> = <arg>                    a property write
//   call <type>.<member>(<arg>, ...)               a method call
//   ... -> fault 0x800A0C4A                        appended when the call failed
//   ... -> 0x8002000E                              appended for a protocol error
//   release <type>                                 the last reference went
//   scenario-error <text>                          the scenario file is malformed
// <arg> is the variant type and the value: VT_I2 60, VT_I4 -1,
// VT_BSTR "text", VT_BSTR|VT_BYREF "text", VT_BOOL True, VT_DISPATCH
// <ado.Connection>, VT_ERROR 0x80020004 (an omitted optional argument).
#pragma once

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "../support/host_path.h"
#include "lines.h"
#include "platform/win32/windows_support.h"

namespace sondalink::standin {

// The DLL's path as Windows sees it (the build gives a Unix path under Wine,
// where drive Z: is the Unix root).
inline std::wstring StandinDllPath() { return sondalink::testing::FromHost(SONDALINK_STANDIN_DLL); }

// The folder of the DLL, ending in a backslash; the default scenario file
// (standin-scenario.txt) and journal (standin-journal.txt) live there.
inline std::wstring StandinFolder() {
  std::wstring path = StandinDllPath();
  return path.substr(0, path.find_last_of(L'\\') + 1);
}

namespace detail {
inline HRESULT CallExport(const char* name) {
  HMODULE dll = ::LoadLibraryW(StandinDllPath().c_str());
  if (!dll) return HRESULT_FROM_WIN32(::GetLastError());
  using Export = HRESULT(__stdcall*)();
  auto fn = reinterpret_cast<Export>(reinterpret_cast<void*>(::GetProcAddress(dll, name)));
  HRESULT hr = fn ? fn() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  ::FreeLibrary(dll);
  return hr;
}
}  // namespace detail

// What "regsvr32 sondalink_standin.dll" and "regsvr32 /u ..." do.
inline HRESULT RegisterStandin() { return detail::CallExport("DllRegisterServer"); }
inline HRESULT UnregisterStandin() { return detail::CallExport("DllUnregisterServer"); }

using win32::Narrow;

// One scenario line each.
inline std::string JournalTo(const std::wstring& path) { return "journal=" + EscapeScenario(Narrow(path)) + "\n"; }
inline std::string Fail(const std::string& target, uint32_t code, const std::string& description,
                        const std::string& source, const std::string& mode = "") {
  return "fail." + target + "=" + Hex(code) + "|" + EscapeScenario(description) + "|" + EscapeScenario(source) +
         (mode.empty() ? "" : "|" + mode) + "\n";
}
inline std::string Delay(const std::string& target, int milliseconds) {
  return "delay." + target + "=" + std::to_string(milliseconds) + "\n";
}
// `items` more properties in the listing of `owner` ("ado", "dao.engine" or
// "dao.workspace"), each Value read taking `millisecondsEach`: the program
// logs (and lets its window run) at that pace.
inline std::string SlowListing(const std::string& owner, int items, int millisecondsEach) {
  const std::string component = owner.substr(0, 3);
  return "property." + owner + ".extra=" + std::to_string(items) + "\n" +
         Delay(component + ".Property.Value", millisecondsEach);
}

// A named event of this process that ends the scenario's delays once set.
class Release {
 public:
  Release()
      : name_(L"sondalink-release-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
              std::to_wstring(++count_)),
        event_(::CreateEventW(nullptr, TRUE, FALSE, name_.c_str())) {}
  ~Release() { ::CloseHandle(event_); }
  Release(const Release&) = delete;
  Release& operator=(const Release&) = delete;
  std::string Line() const { return "release=" + Narrow(name_) + "\n"; }
  void Set() const { ::SetEvent(event_); }
  void Hold() const { ::ResetEvent(event_); }

 private:
  static inline int count_ = 0;
  std::wstring name_;
  HANDLE event_;
};

// Writes the scenario file (UTF-8) and points SONDALINK_STANDIN_SCENARIO at
// it, for this process and the programs it starts from now on.
inline bool UseScenario(const std::wstring& path, const std::string& text) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return out.good() && ::SetEnvironmentVariableW(L"SONDALINK_STANDIN_SCENARIO", path.c_str()) != 0;
}

// Back to the file beside the DLL, or to the built-in successful run.
inline void ForgetScenario() { ::SetEnvironmentVariableW(L"SONDALINK_STANDIN_SCENARIO", nullptr); }

// The journal's lines, without line ends; none when it does not exist.
inline std::vector<std::string> ReadJournal(const std::wstring& path) {
  std::vector<std::string> lines;
  std::ifstream in(path.c_str(), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

inline void ClearJournal(const std::wstring& path) { ::DeleteFileW(path.c_str()); }

}  // namespace sondalink::standin
