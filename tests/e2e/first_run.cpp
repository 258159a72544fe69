// The first run of ./sondalink on a machine without a display: plays the
// user once through the UI driver. Types the server, chooses Windows
// authentication, presses the three test buttons in turn, reads and closes
// every box (and the Notepad that a failed test opens), takes a picture of
// the window after the last test, and closes the program.
//
//   sondalink_first_run <server> <screenshot, a host path>
#include <cstdio>
#include <string>

#include "driver.h"

namespace e2e = sondalink::e2e;

namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// Notepad windows that show one of the program's logs.
void CloseLogWindows(const e2e::App& app) {
  for (HWND w : e2e::WindowsTitled(L".log", app.processId())) ::PostMessageW(w, WM_CLOSE, 0, 0);
  e2e::WaitFor([&] { return e2e::WindowsTitled(L".log", app.processId()).empty(); }, 10000);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sondalink_first_run <server> <screenshot.png>\n");
    return 2;
  }
  const std::wstring server = argv[1];
  std::string shot = Utf8(argv[2]);

  e2e::App app;
  if (!app.window()) {
    std::optional<e2e::Box> box = app.OpenBox();
    std::printf("Sondalink.exe showed no window%s%s\n", box ? ": " : ".", box ? Utf8(box->text).c_str() : "");
    return 1;
  }
  app.Type(app.Control(3), server);  // edServer
  app.Click(app.Find(L"Button", L"Utilizza autenticazione &Windows integrata"));
  app.Settle();

  int status = 0;
  for (const wchar_t* caption :
       {L"Test connessione &ADO", L"Test connessione D&AO ODBCDirect", L"Test connessione SQL&DMO"}) {
    HWND button = app.Find(L"Button", caption);
    std::wstring name = caption;
    name.erase(name.find(L'&'), 1);
    std::printf("== %s\n", Utf8(name).c_str());
    std::fflush(stdout);
    app.Click(button);
    // The run ends with a box; a test against a server that does not answer
    // may wait for the provider's time-out first.
    std::optional<e2e::Box> box = app.WaitBox(L"Messaggio di Sondalink", 180000);
    while (box) {
      std::string text = Utf8(box->text);
      for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) text.erase(at, 1);
      std::printf("The box \"%s\" says: %s\n", Utf8(box->title).c_str(), text.c_str());
      std::fflush(stdout);
      if (!app.PressOk(*box)) break;
      app.Settle();
      box = app.OpenBox();
    }
    if (!e2e::WaitFor([&] { return ::IsWindowEnabled(button) != FALSE; }, 180000)) {
      std::printf("the test did not end within three minutes\n");
      status = 1;
      break;
    }
    CloseLogWindows(app);
  }

  app.Settle();
  if (!e2e::Screenshot(shot)) {
    std::printf("no screenshot taken\n");
    status = 1;
  }
  app.Close();
  if (!app.WaitExit()) status = 1;
  return status;
}
