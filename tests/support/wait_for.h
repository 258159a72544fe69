// The one bounded wait of the Windows tests: what a test waits for under
// Wine comes at no fixed time, so it polls instead of sleeping a guess.
#pragma once

#include <functional>

#include "platform/win32/windows_support.h"

namespace sondalink::testing {

// Polls `done` every 10 ms for at most `timeoutMs`; whether it came true.
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 10000) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(10);
  }
  return true;
}

}  // namespace sondalink::testing
