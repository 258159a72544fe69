// Helpers of the environment probe's Windows tests: the folder of the files
// built for them, running a program and reading what it prints, and keys
// written for one test and removed after it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win32/windows_support.h"
#include "support/windows.h"

namespace sondalink::wine_test {

// The folder "environment\" beside this test program, with its backslash.
std::wstring CartellaAmbiente();

// Runs `program` with no arguments, waits at most `timeoutMs` for it to end
// and returns what it wrote to its standard output, or "" on failure.
std::string Esegui(const std::wstring& program, DWORD timeoutMs = 60000);

// The "key=value" lines of a program's output.
std::map<std::string, std::string> Chiavi(const std::string& output);

// COM classes registered for one test and removed with this object. Windows
// merges HKCU\Software\Classes into HKEY_CLASSES_ROOT; Wine 8 does not, so
// there they go to HKLM\Software\Classes, which backs HKEY_CLASSES_ROOT.
class ClassiDiProva {
 public:
  ClassiDiProva();
  ~ClassiDiProva();
  ClassiDiProva(const ClassiDiProva&) = delete;
  ClassiDiProva& operator=(const ClassiDiProva&) = delete;

  // Creates the key below the classes (with its parents); `top` is what to
  // remove afterwards, by default the first part of the path.
  win32::unique_hkey Crea(const std::wstring& path, const std::wstring& top = L"");

 private:
  HKEY radice_ = HKEY_CURRENT_USER;
  std::vector<std::wstring> creati_;
};

}  // namespace sondalink::wine_test
