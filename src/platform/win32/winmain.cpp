// The program's entry: COM for the user-interface thread, the start-up
// routine, and the message loop that lasts as long as the window.
#include "platform/win32/windows_support.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return 0;
}
