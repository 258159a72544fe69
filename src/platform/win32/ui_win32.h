// What the program's message loop needs of the window beyond the portable
// user-interface services. Win32-specific code only.
#pragma once

#include "platform/win32/windows_support.h"

namespace sondalink::win32 {

// Gives a message to the window's dialog manager first (Tab and Shift+Tab,
// access keys, arrow keys in the option group); true when it was used there
// and must not be dispatched again.
bool PreTranslateFormMessage(MSG& msg);

}  // namespace sondalink::win32
