// The program's entry: COM for the user-interface thread, the start-up
// routine, and the message loop that lasts as long as the window.
#include "app/basconn.h"
#include "connection/dao.h"
#include "platform/automation.h"
#include "platform/ui.h"
#include "platform/win32/system_library.h"
#include "platform/win32/ui_win32.h"
#include "platform/win32/windows_support.h"

namespace {

// Before anything else is loaded: a DLL loaded later by its name alone is
// looked for in the program's folder, the system folder and folders added
// for it, never in the current folder or the PATH. Windows 7 SP1 with
// KB2533623 and later have the call; older ones keep their search order (the
// program loads its own system DLLs by full path anyway).
void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (auto setDefault = sondalink::win32::ProcAddress<SetDefaultDllDirectoriesFn>(
          ::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")) {
    setDefault(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  namespace platform = sondalink::platform;
  // A failed COM start shows itself where a test creates its component,
  // with that component's error record.
  bool com = !platform::automation::Initialize().failed();
  sondalink::Main();
  MSG msg;
  while (platform::ui::FormIsOpen() && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!sondalink::win32::PreTranslateFormMessage(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  // The DAO engine lives as long as the program, and goes before COM does.
  sondalink::RilasciaMotoreDAO();
  if (com) platform::automation::Uninitialize();
  return 0;
}
