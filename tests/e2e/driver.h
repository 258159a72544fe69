// A small library that drives the real Sondalink.exe from another process,
// as its user does: typing and clicking through window messages, the
// keyboard through SendInput, message boxes read from their own controls.
// Every wait is a bounded poll.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "../support/log_lines.h"
#include "../support/wait_for.h"
#include "../support/windows.h"
#include "app/controls.h"
#include "platform/win32/windows_support.h"

namespace sondalink::e2e {

using sondalink::testing::WaitFor, sondalink::testing::ChildrenOf, sondalink::testing::ClassOf,
    sondalink::testing::FindWindows, sondalink::testing::FirstWindow, sondalink::testing::ProcessOfWindow,
    sondalink::testing::UnderWine, sondalink::testing::SplitCrLf;

// A message sent with a time-out of 5 s: its answer, none if it timed out.
std::optional<DWORD_PTR> Send(HWND hwnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
std::wstring TextOf(HWND hwnd);  // WM_GETTEXT, so edit boxes give their content
inline LONG StyleOf(HWND hwnd, int which = GWL_STYLE) { return ::GetWindowLongW(hwnd, which); }

// A message box's icon, told by its picture on the screen: icon handles are
// private to the process that loaded them (under Wine at least).
enum class Icon { None, Error, Warning, Information, Unknown };
std::ostream& operator<<(std::ostream& os, Icon icon);

// The title of the program's own message boxes.
inline const std::wstring kBoxTitle = L"Messaggio di Sondalink";

struct Box {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring text;
  Icon icon = Icon::None;
};
void PrintTo(const Box& box, std::ostream* os);

using win32::Narrow, win32::Widen;  // UTF-8 and UTF-16, as the program converts them

std::wstring BuiltProgram();

// The button of each test, in testing::golden::Component's order.
inline constexpr ControlId kTestButton[] = {kCmdADO, kCmdDAODirect, kCmdSQLDMO};
// What a run disables until it ends: all the user could change it with, or
// start another with; the log-folder button stays.
inline constexpr ControlId kLockedByARun[] = {kEdServer, kOptTrusted, kOptSQL,       kEdLogin, kEdPassword,
                                              kCmdSQLDMO, kCmdADO,    kCmdDAODirect, kCmdRDO,  kCmdODBC};

// One run of Sondalink.exe (the one built, or a copy of it elsewhere):
// started by the constructor, which waits for its window (or for the box of a
// start-up that fails); ended, with what it started, by the destructor.
class App {
 public:
  explicit App(const std::wstring& exe = BuiltProgram());
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  HWND window() const { return window_; }
  DWORD processId() const { return process_.dwProcessId; }

  std::vector<HWND> Controls() const { return window_ ? ChildrenOf(window_) : std::vector<HWND>{}; }
  HWND Control(ControlId id) const;  // where the program's table puts it
  bool Enabled(ControlId id) const { return ::IsWindowEnabled(Control(id)) != FALSE; }
  bool Checked(ControlId id) const { return Send(Control(id), BM_GETCHECK) == BST_CHECKED; }
  HWND Focus() const;
  // The colour the box's background shows on the screen: the most of a
  // strip at the right end of its client area, where no text is.
  COLORREF BackgroundOf(HWND box) const;
  // How many pixels of each colour the control's client area shows on the
  // screen from `fromX` rightwards, repainted and held still.
  std::map<COLORREF, int> ColoursOf(HWND control, int fromX = 0) const;
  std::pair<int, int> Selection(HWND edit) const;

  void Activate() const;  // the window in the foreground
  void Type(HWND control, const std::wstring& text) const;  // WM_SETTEXT
  void Click(HWND control) const;                           // posted BM_CLICK
  // Types the server, the login and the password into their boxes, and settles.
  void TypeCredentials(const std::wstring& server, const std::wstring& login, const std::wstring& password = L"") const;
  // Presses the keys in order and releases them in reverse, with the window
  // in the foreground; returns once the focus has moved (at most 3 s).
  void Keys(std::initializer_list<WORD> chord) const;
  void Close() const;  // posted WM_CLOSE, as the close button does
  void Settle() const;  // until the program has dispatched what it was sent so far

  // The program's message box with this title, once it is up and drawn.
  std::optional<Box> WaitBox(const std::wstring& title, DWORD timeoutMs = 10000) const;
  std::optional<Box> OpenBox() const;  // any box of the program up now
  bool PressOk(const Box& box) const;  // and waits for the box to go
  bool WaitExit(DWORD timeoutMs = 10000) const {
    return ::WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
  }
  bool Quit() const {  // the close button, and whether the program then ended
    Close();
    return WaitExit();
  }
  bool Running() const { return process_.hProcess && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// The Notepads that the program started, and the window of one of them once
// its title names `logFile`: waited for at most 20 s, or until `stop` holds.
std::vector<DWORD> NotepadsOf(const App& app);
HWND WaitForNotepad(const App& app, const std::wstring& logFile, const std::function<bool()>& stop = {});

// Folder windows of Wine's own explorer showing the program's data folder
// (titled after its last part).
std::vector<HWND> FolderWindows(const App& app);
// Clicks `button` and gives the command line of the folder window the shell
// opened, once that has closed on WM_CLOSE ("" if it did not come or stayed).
std::wstring FolderOpenedBy(const App& app, HWND button);

// Closes a window of another program as its user does (WM_CLOSE) and waits
// for the window to go and its process to end: whether both did.
bool CloseAndWait(HWND window, DWORD timeoutMs = 10000);
// Ends a running process at once (TerminateProcess) and waits for it to go:
// whether it did.
bool EndProcess(DWORD processId);

// The processes that `parent` started (of `exeName` only, if given).
std::vector<DWORD> ProcessesStartedBy(DWORD parent, const wchar_t* exeName = nullptr);
std::wstring CommandLineOf(DWORD processId);

// The bytes of a file that may be open for writing elsewhere ("<missing>"
// when there is none).
std::string FileBytes(const std::wstring& path);

// The prefix user's local application data folder (no trailing slash), and
// the program's data folder in it, with one.
std::wstring LocalAppData();
inline std::wstring DataFolder() { return LocalAppData() + L"\\Ardenza\\Sondalink\\"; }

// A picture of the virtual display in a PNG file, taken by ImageMagick's
// import on $DISPLAY; `unixPath` is where it goes. Given a window, only its
// rectangle, frame included (Wine draws the frame where there is no window
// manager).
bool Screenshot(const std::string& unixPath, HWND window = nullptr);

// What a test changed in the prefix or the session, undone when this goes,
// also when an assertion fails.
class Undo {
 public:
  Undo() = default;  // nothing to undo
  explicit Undo(std::function<void()> undo) : undo_(std::move(undo)) {}
  Undo(Undo&& other) noexcept : undo_(std::exchange(other.undo_, nullptr)) {}
  ~Undo() {
    if (undo_) undo_();
  }
  Undo(const Undo&) = delete;
  Undo& operator=(const Undo&) = delete;

 private:
  std::function<void()> undo_;
};

// A registry value of the prefix, put back as it was (or removed) after; a
// key made for it goes too, once empty of subkeys (RegDeleteKeyW), so that
// another test's RegDeleteKeyW of its parent still succeeds.
Undo SetRegistryValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const std::wstring& value);
// System colours of the session; programs started meanwhile draw with them.
Undo SetSystemColours(std::initializer_list<std::pair<int, COLORREF>> colours);
// The prefix user's local application data folder moved to `path` (Wine
// reads it from the registry at every request), which goes after, with the
// program's data folder made there.
Undo MoveLocalAppData(const std::wstring& path);

}  // namespace sondalink::e2e
