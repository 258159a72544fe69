#include <gtest/gtest.h>

#include "platform/win32/import_slots.h"

// The slots as winpthreads and this program see them (linked in here too).
extern ULONGLONG(WINAPI* importGetTickCount64)() __asm__("__imp__GetTickCount64@0");
extern PVOID(WINAPI* importAddVectoredExceptionHandler)(ULONG, PVECTORED_EXCEPTION_HANDLER)
    __asm__("__imp__AddVectoredExceptionHandler@8");

namespace sondalink {
namespace {

void* Kernel32(const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name));
}

TEST(ImportSlots, TakeKernel32sOwnFunctionsWhereItHasThem) {
  ::GetTickCount64();
  EXPECT_EQ(reinterpret_cast<void*>(importGetTickCount64), Kernel32("GetTickCount64"));
  // winpthreads added its handler as the process started.
  EXPECT_EQ(reinterpret_cast<void*>(importAddVectoredExceptionHandler),
            Kernel32("AddVectoredExceptionHandler"));
}

TEST(ImportSlots, CounterStandInCountsMilliseconds) {
  const ULONGLONG realStart = ::GetTickCount64();
  const ULONGLONG standInStart = win32::TickCount64FromCounter();
  ULONGLONG real = realStart, standIn = standInStart;
  // Until a third of a second has passed, at most ten seconds.
  for (int i = 0; i < 1000 && real - realStart < 300; ++i) {
    ::Sleep(10);
    real = ::GetTickCount64();
    standIn = win32::TickCount64FromCounter();
  }
  ASSERT_GE(real - realStart, 300u);
  const auto gap = static_cast<long long>(standIn - standInStart) -
                   static_cast<long long>(real - realStart);
  EXPECT_LT(gap < 0 ? -gap : gap, 50) << "the two clocks drift apart";
}

}  // namespace
}  // namespace sondalink
