// Conversion between the program's UTF-8 texts and the ANSI code page that
// the A functions and the log file use. Only the back ends convert: every
// other seam function takes and returns UTF-8.
#pragma once

#include <string>

namespace sondalink::platform {

// UTF-8 to the ANSI code page; characters it cannot hold become '?'.
std::string ToAnsi(const std::string& utf8);

// ANSI code page bytes to UTF-8.
std::string FromAnsi(const std::string& ansi);

}  // namespace sondalink::platform
