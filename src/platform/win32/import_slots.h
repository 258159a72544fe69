// The stand-ins behind the program's own import slots (import_slots.cpp),
// for the Windows versions whose kernel32 lacks the real function.
// Win32-specific code only.
#pragma once

#include "platform/win32/windows_support.h"

namespace sondalink::win32 {

// GetTickCount64 where kernel32 has none (before Vista): milliseconds from
// the performance counter, which does not wrap after 49.7 days as
// GetTickCount does.
ULONGLONG WINAPI TickCount64FromCounter();

}  // namespace sondalink::win32
