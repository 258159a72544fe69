// Conversion between the program's UTF-8 texts and the ANSI code page that
// the A functions and the log file use.
#pragma once

#include <string>

namespace sondalink::platform {

// UTF-8 to the ANSI code page; characters it cannot hold become '?'.
std::string ToAnsi(const std::string& utf8);

// ANSI code page bytes to UTF-8.
std::string FromAnsi(const std::string& ansi);

}  // namespace sondalink::platform
