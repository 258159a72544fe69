#include "environment_support.h"

#include <gtest/gtest.h>

#include "support/log_lines.h"
#include "support/temp_folder.h"

namespace sondalink::wine_test {

std::wstring CartellaAmbiente() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  dir.erase(dir.find_last_of(L"\\/") + 1);
  return dir + L"environment\\";
}

// Through a file rather than a pipe: nothing to drain while the program runs.
std::string Esegui(const std::wstring& program, DWORD timeoutMs) {
  testing::TempFolder tmp;
  const std::string output = tmp / "uscita.txt";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  win32::unique_hfile file(::CreateFileW(win32::Widen(output).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = file.get();
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + program + L"\"";
  if (!::CreateProcessW(program.c_str(), cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi)) {
    return {};
  }
  win32::unique_handle process(pi.hProcess), thread(pi.hThread);
  if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    return {};
  }
  file.reset();
  return testing::TempFolder::ReadFile(output);
}

std::map<std::string, std::string> Chiavi(const std::string& output) {
  std::map<std::string, std::string> result;
  for (const std::string& line : testing::LinesOf(output)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) result[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return result;
}

ClassiDiProva::ClassiDiProva() {
  Crea(L"Sondalink.Prova.Visibile");
  win32::unique_hkey visibile;
  if (::RegOpenKeyW(HKEY_CLASSES_ROOT, L"Sondalink.Prova.Visibile", visibile.put()) !=
      ERROR_SUCCESS) {
    radice_ = HKEY_LOCAL_MACHINE;
  }
}

ClassiDiProva::~ClassiDiProva() {
  for (const std::wstring& k : creati_) {
    for (HKEY radice : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      ::RegDeleteTreeW(radice, (L"Software\\Classes\\" + k).c_str());
      ::RegDeleteKeyW(radice, (L"Software\\Classes\\" + k).c_str());
    }
  }
}

win32::unique_hkey ClassiDiProva::Crea(const std::wstring& path, const std::wstring& top) {
  creati_.push_back(top.empty() ? path.substr(0, path.find(L'\\')) : top);
  win32::unique_hkey key;
  EXPECT_EQ(::RegCreateKeyExW(radice_, (L"Software\\Classes\\" + path).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  return key;
}

}  // namespace sondalink::wine_test
