// The local date and time. Win32-specific code only.
#include "platform/win32/windows_support.h"

#include "platform/clock.h"

namespace sondalink::platform::clock {

LocalTime Now() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

}  // namespace sondalink::platform::clock
