// Import slots of the program's own for three kernel32 functions that the
// statically linked winpthreads calls: GetTickCount64 (Vista and later) and
// the vectored exception handler pair (XP and later). Imported the usual way
// they keep Windows 2000 from loading the program at all. Linked into the
// executable itself, these definitions come before kernel32's import
// library, so its entries are never pulled in; each slot resolves on first
// use to the real function where kernel32 exports it, else to a stand-in.
// winpthreads adds its handler from a TLS callback, before any constructor
// runs: the slots are therefore constant-initialized data.
// Win32-specific code only.
#include "platform/win32/import_slots.h"

namespace sondalink::win32 {

ULONGLONG WINAPI TickCount64FromCounter() {
  LARGE_INTEGER frequency, counter;
  if (!::QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
      !::QueryPerformanceCounter(&counter)) {
    return ::GetTickCount();  // hardware without the counter: the old clock
  }
  const auto f = static_cast<ULONGLONG>(frequency.QuadPart);
  const auto c = static_cast<ULONGLONG>(counter.QuadPart);
  // In two parts, so that counts of a fast counter do not overflow.
  return c / f * 1000 + c % f * 1000 / f;
}

namespace {

// Windows 2000 has no vectored handlers: winpthreads only uses one to
// swallow the exception that names a thread for a debugger.
PVOID WINAPI NoVectoredHandler(ULONG, PVECTORED_EXCEPTION_HANDLER) { return nullptr; }
ULONG WINAPI NoVectoredHandlerToRemove(PVOID) { return 0; }

template <class Fn>
Fn FromKernel32(const char* name, Fn standIn) {
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  FARPROC proc = kernel32 ? ::GetProcAddress(kernel32, name) : nullptr;
  return proc ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc)) : standIn;
}

}  // namespace
}  // namespace sondalink::win32

using GetTickCount64Fn = ULONGLONG(WINAPI*)();
using AddVectoredExceptionHandlerFn = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveVectoredExceptionHandlerFn = ULONG(WINAPI*)(PVOID);

namespace {
ULONGLONG WINAPI FirstGetTickCount64();
PVOID WINAPI FirstAddVectoredExceptionHandler(ULONG, PVECTORED_EXCEPTION_HANDLER);
ULONG WINAPI FirstRemoveVectoredExceptionHandler(PVOID);
}  // namespace

// Named exactly as the import library names kernel32's slots (stdcall, i686).
GetTickCount64Fn slotGetTickCount64 __asm__("__imp__GetTickCount64@0") = FirstGetTickCount64;
AddVectoredExceptionHandlerFn slotAddVectoredExceptionHandler __asm__(
    "__imp__AddVectoredExceptionHandler@8") = FirstAddVectoredExceptionHandler;
RemoveVectoredExceptionHandlerFn slotRemoveVectoredExceptionHandler __asm__(
    "__imp__RemoveVectoredExceptionHandler@4") = FirstRemoveVectoredExceptionHandler;

namespace {

// Two threads resolving at once store the same value.
ULONGLONG WINAPI FirstGetTickCount64() {
  slotGetTickCount64 = sondalink::win32::FromKernel32<GetTickCount64Fn>(
      "GetTickCount64", sondalink::win32::TickCount64FromCounter);
  return slotGetTickCount64();
}

PVOID WINAPI FirstAddVectoredExceptionHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
  slotAddVectoredExceptionHandler = sondalink::win32::FromKernel32<AddVectoredExceptionHandlerFn>(
      "AddVectoredExceptionHandler", sondalink::win32::NoVectoredHandler);
  return slotAddVectoredExceptionHandler(first, handler);
}

ULONG WINAPI FirstRemoveVectoredExceptionHandler(PVOID handle) {
  slotRemoveVectoredExceptionHandler =
      sondalink::win32::FromKernel32<RemoveVectoredExceptionHandlerFn>(
          "RemoveVectoredExceptionHandler", sondalink::win32::NoVectoredHandlerToRemove);
  return slotRemoveVectoredExceptionHandler(handle);
}

}  // namespace
