// The first run of ./sondalink on a machine without a display: plays the
// user once through the UI driver. Types the server, chooses Windows
// authentication, presses the three test buttons in turn, reads and closes
// every box and the Notepad that each failed test opens, takes a picture of
// the program's window alone after the last test, and closes the program.
//
//   sondalink_first_run <server> <screenshot, a host path>
#include "driver.h"

#include <cstdio>
#include <string>
#include <vector>

#include "../support/host_path.h"

namespace e2e = sondalink::e2e;
namespace win32 = sondalink::win32;

namespace {

// What the last test started: Notepad on its log after a failure (or a
// warning). It is started once the box is closed, so its process is there
// by now but its window, titled "Untitled" at first, may still be coming:
// each one is closed as its user would, again until its process ends.
void CloseWhatTheTestOpened(const e2e::App& app) {
  for (DWORD id : e2e::ProcessesStartedBy(app.processId())) {
    win32::unique_handle child(::OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!child) continue;
    bool ended = e2e::WaitFor(
        [&] {
          for (HWND hwnd : e2e::FindWindows({.process = id})) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
          return ::WaitForSingleObject(child.get(), 100) == WAIT_OBJECT_0;
        },
        15000);
    if (!ended) {
      std::printf("(a program that the test started did not close: ended)\n");
      e2e::EndProcess(id);
    }
  }
}

// A window of another program over the program's own, if any: its title.
std::wstring WindowOver(HWND window) {
  RECT area{}, r{}, both{};
  ::GetWindowRect(window, &area);
  for (HWND hwnd : e2e::FindWindows({.notProcess = e2e::ProcessOfWindow(window)})) {
    if (::GetWindowRect(hwnd, &r) && ::IntersectRect(&both, &r, &area)) {
      return e2e::TextOf(hwnd) + L" (" + e2e::ClassOf(hwnd) + L")";
    }
  }
  return {};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sondalink_first_run <server> <screenshot.png>\n");
    return 2;
  }
  // Each line as it comes: ./sondalink shows them while the tests run.
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  e2e::App app;
  if (!app.window()) {
    std::optional<e2e::Box> box = app.OpenBox();
    std::printf("Sondalink.exe showed no window%s%s\n", box ? ": " : ".", box ? e2e::Narrow(box->text).c_str() : "");
    return 1;
  }
  app.Type(app.Control(sondalink::kEdServer), argv[1]);
  app.Click(app.Control(sondalink::kOptTrusted));

  int status = 0;
  for (sondalink::ControlId id : e2e::kTestButton) {
    HWND button = app.Control(id);
    std::wstring name = e2e::TextOf(button);
    name.erase(name.find(L'&'), 1);
    std::printf("== %s\n", e2e::Narrow(name).c_str());
    app.Click(button);
    // The run ends with a box; a test against a server that does not answer
    // may wait for the provider's time-out first.
    std::optional<e2e::Box> box = app.WaitBox(e2e::kBoxTitle, 180000);
    while (box) {
      std::string text = e2e::Narrow(box->text);
      for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
      std::printf("The box \"%s\" says: %s\n", e2e::Narrow(box->title).c_str(), text.c_str());
        if (!app.PressOk(*box)) break;
      box = app.OpenBox();
    }
    if (!e2e::WaitFor([&] { return ::IsWindowEnabled(button) != FALSE; }, 180000)) {
      std::printf("the test did not end within three minutes\n");
      status = 1;
      break;
    }
    app.Settle();
    CloseWhatTheTestOpened(app);
  }

  // Nothing over the window (what the last test opened could still be on
  // its way), and the window repainted where Notepad was.
  e2e::WaitFor(
      [&] {
        CloseWhatTheTestOpened(app);
        return WindowOver(app.window()).empty();
      },
      5000);
  ::RedrawWindow(app.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  app.Settle();
  std::wstring over = WindowOver(app.window());
  if (!over.empty()) {
    std::printf("not taken: a window of another program is over the window: %s\n", e2e::Narrow(over).c_str());
    status = 1;
  } else if (!e2e::Screenshot(e2e::Narrow(argv[2]), app.window())) {
    std::printf("no picture of the window taken\n");
    status = 1;
  } else if (!(over = WindowOver(app.window())).empty()) {
    std::printf("a window of another program came over the window while its picture was taken: %s\n",
                e2e::Narrow(over).c_str());
    status = 1;
  } else {
    RECT r{};
    ::GetWindowRect(app.window(), &r);
    std::printf("The picture of the window after the last test: %ldx%ld pixels.\n", r.right - r.left, r.bottom - r.top);
  }
  if (!app.Quit()) status = 1;
  return status;
}
