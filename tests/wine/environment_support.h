// Helpers of the environment probe's Windows tests: the folder of the files
// built for them, running a program and reading what it prints, and keys
// written for one test and removed after it.
#pragma once

#include <map>
#include <string>

#include "platform/win32/windows_support.h"

namespace sondalink::wine_test {

// The folder "environment\" beside this test program, with its backslash.
std::wstring CartellaAmbiente();

// Runs `program` with no arguments, waits at most `timeoutMs` for it to end
// and returns what it wrote to its standard output, or "" on failure.
std::string Esegui(const std::wstring& program, DWORD timeoutMs = 60000);

// The "key=value" lines of a program's output.
std::map<std::string, std::string> Chiavi(const std::string& output);

// True when the process runs under Wine.
bool SottoWine();

}  // namespace sondalink::wine_test
