#include "environment_support.h"

#include <gtest/gtest.h>

#include <sstream>

namespace sondalink::wine_test {

std::wstring CartellaAmbiente() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  dir.erase(dir.find_last_of(L"\\/") + 1);
  return dir + L"environment\\";
}

std::string Esegui(const std::wstring& program, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  win32::unique_handle read, write;
  if (!::CreatePipe(read.put(), write.put(), &sa, 0)) return {};
  ::SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write.get();
  si.hStdError = write.get();
  si.hStdInput = nullptr;
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + program + L"\"";
  if (!::CreateProcessW(program.c_str(), cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &si, &pi)) {
    return {};
  }
  win32::unique_handle process(pi.hProcess), thread(pi.hThread);
  write.reset();  // the child holds the only write end now

  // Drains the pipe while the program runs, up to the deadline.
  std::string out;
  auto drain = [&] {
    DWORD available = 0;
    while (::PeekNamedPipe(read.get(), nullptr, 0, nullptr, &available, nullptr) &&
           available > 0) {
      char buffer[512];
      DWORD got = 0;
      if (!::ReadFile(read.get(), buffer, sizeof buffer, &got, nullptr) || got == 0) break;
      out.append(buffer, got);
    }
  };
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    DWORD wait = ::WaitForSingleObject(process.get(), 20);
    drain();
    if (wait == WAIT_OBJECT_0) break;
    if (::GetTickCount64() > deadline) {
      ::TerminateProcess(process.get(), 1);
      return {};
    }
  }
  return out;
}

std::map<std::string, std::string> Chiavi(const std::string& output) {
  std::map<std::string, std::string> result;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    size_t eq = line.find('=');
    if (eq != std::string::npos) result[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return result;
}

bool SottoWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
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
