// The Windows shell: the per-user data folder, opening a folder, starting a
// program.
#pragma once

#include <string>

#include "platform/error.h"

namespace sondalink::platform::shell {

// SHGetFolderPath(0, folder, 0, 0, buffer of 260): its return value (0 when
// the path was written) and the buffer up to its first NUL, in UTF-8, whatever
// characters the path holds. A failure to reach the function at all is an
// error record.
struct FolderPath {
  long result = 0;
  std::string buffer;
};
Outcome<FolderPath> GetFolderPath(int folder);

// ShellExecute(0, operation, file, parameters, directory, show). The
// shell's result is not examined; an error record only when the function
// cannot be reached.
ErrorRecord ShellExecute(const std::string& operation, const std::string& file,
                         const std::string& parameters, const std::string& directory,
                         int show);

// Starts a program from a command line with the given window style and
// returns at once, without waiting for it. A program named without a folder
// ("notepad.exe <log>") is the one in Windows's system folder, never a file
// of that name in the program's own folder, the current folder or the PATH;
// the command line the program gets is the one given.
ErrorRecord StartProgram(const std::string& commandLine, int show);

}  // namespace sondalink::platform::shell
