// The real Sondalink.exe under Wine, driven from outside as its user drives
// it: the window and its controls, the keyboard, the validation, the
// authentication options, the close guard and the buttons that run no test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/fmconn.h"
#include "../support/host_path.h"
#include "driver.h"

namespace sondalink::e2e {
namespace {

// The expectations come from the program's own control table: what it must
// satisfy is checked natively (FmConnTable); here, that the real window is
// built from it, each kind as the Windows class and type it stands for.
std::span<const platform::ui::ControlDef> Table() { return {kFormConn.controls, kFormConn.count}; }
ControlId Id(const platform::ui::ControlDef& def) { return static_cast<ControlId>(def.id); }
const platform::ui::ControlDef& Def(ControlId id) {
  return *std::ranges::find(Table(), int{id}, &platform::ui::ControlDef::id);
}

struct Realized {
  const wchar_t* className;
  LONG kindStyle;  // the BS_/SS_ type bits that tell the kind
};

Realized RealizedAs(platform::ui::ControlKind kind) {
  using platform::ui::ControlKind;
  switch (kind) {
    case ControlKind::Frame: return {L"Button", BS_GROUPBOX};
    case ControlKind::Panel: return {L"SondalinkPanel", 0};
    case ControlKind::Label: return {L"Static", SS_LEFT};
    case ControlKind::TextBox: return {L"Edit", 0};
    case ControlKind::OptionButton: return {L"Button", BS_AUTORADIOBUTTON};
    case ControlKind::CommandButton: return {L"Button", BS_PUSHBUTTON};
  }
  return {L"?", 0};
}

const std::wstring kSondalink = L"Messaggio di Sondalink";
const std::wstring kCollaudino = L"Messaggio di Collaudino";

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.window()) << "Sondalink.exe showed no window";
    ASSERT_EQ(app.Controls().size(), kFormConn.count);
  }

  HWND At(ControlId id) const { return app.Control(id); }
  bool Enabled(ControlId id) const { return ::IsWindowEnabled(At(id)) != FALSE; }
  bool Checked(ControlId id) const {
    return ::SendMessageW(At(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }

  // Clicks and expects exactly this box; presses its OK.
  void ExpectBox(ControlId button, const std::wstring& title, const char* text, Icon icon) {
    app.Click(At(button));
    std::optional<Box> box = app.WaitBox(title);
    ASSERT_TRUE(box) << "no box titled " << std::string(title.begin(), title.end());
    EXPECT_EQ(box->text, W(text));
    EXPECT_EQ(box->icon, icon) << IconName(box->icon);
    ASSERT_TRUE(app.PressOk(*box));
    EXPECT_FALSE(app.OpenBox()) << "a second box";
  }

  App app;
};

TEST_F(Window, EveryControlHasItsKindParentCaptionStateAndTwipsAtTheScreenDpi) {
  wchar_t caption[128] = {};
  ::GetWindowTextW(app.window(), caption, 128);
  EXPECT_EQ(std::wstring(caption), W(kFormConn.caption));
  SIZE client = ClientSize(app.window());
  EXPECT_EQ(client.cx, TwipsToPixels(kFormConn.clientWidth));
  EXPECT_EQ(client.cy, TwipsToPixels(kFormConn.clientHeight));

  for (const platform::ui::ControlDef& want : Table()) {
    SCOPED_TRACE(want.name);
    HWND hwnd = At(Id(want));
    const Realized kind = RealizedAs(want.kind);
    EXPECT_EQ(ClassOf(hwnd), kind.className);
    if (kind.kindStyle) {
      EXPECT_EQ(StyleOf(hwnd) & 0x0F, kind.kindStyle);
    }
    EXPECT_EQ(::GetParent(hwnd), want.parent ? At(static_cast<ControlId>(want.parent)) : app.window());
    EXPECT_EQ(TextOf(hwnd), W(want.caption ? want.caption : ""));
    EXPECT_EQ(Enabled(Id(want)), !(want.style & platform::ui::kStyleDisabled));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    PixelRect expected{TwipsToPixels(want.rect.left), TwipsToPixels(want.rect.top),
                       TwipsToPixels(want.rect.width), TwipsToPixels(want.rect.height)};
    EXPECT_EQ(RectInParent(hwnd), expected)
        << RectInParent(hwnd).left << "," << RectInParent(hwnd).top << " "
        << RectInParent(hwnd).width << "x" << RectInParent(hwnd).height;
  }
  EXPECT_TRUE(Checked(kOptSQL));
  EXPECT_FALSE(Checked(kOptTrusted));
  EXPECT_TRUE(ExStyleOf(At(kPcFrame)) & WS_EX_CONTROLPARENT);
}

TEST_F(Window, PasswordShowsStarsAndTheLogBoxIsAReadOnlyMultiLineBoxWithScrollBars) {
  EXPECT_TRUE(StyleOf(At(kEdPassword)) & ES_PASSWORD);
  EXPECT_EQ(::SendMessageW(At(kEdPassword), EM_GETPASSWORDCHAR, 0, 0), L'*');
  LONG log = StyleOf(At(kEdLog));
  for (LONG bit : {ES_MULTILINE, ES_READONLY, WS_HSCROLL, WS_VSCROLL}) {
    EXPECT_EQ(log & bit, bit) << std::hex << bit;
  }
  for (ControlId box : {kEdServer, kEdLogin, kEdPassword}) {
    EXPECT_FALSE(StyleOf(At(box)) & (ES_READONLY | ES_MULTILINE)) << Def(box).name;
    EXPECT_EQ(::SendMessageW(At(box), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << Def(box).name;
  }
  EXPECT_EQ(app.BackgroundOf(At(kEdLog)), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(app.BackgroundOf(At(kEdServer)), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(Window, TabAndShiftTabFollowTheTableAndEnterTheOptionGroupAtItsChoice) {
  // The table's order, through the boxes, the buttons it enables and the
  // chosen option (SQL Server authentication at start), and round again.
  std::vector<ControlId> forward;
  for (const platform::ui::ControlDef& def : Table()) {
    using platform::ui::ControlKind;
    const bool enabled = !(def.style & platform::ui::kStyleDisabled);
    if (((def.kind == ControlKind::TextBox || def.kind == ControlKind::CommandButton) && enabled) ||
        def.id == kOptSQL) {
      forward.push_back(Id(def));
    }
  }
  ASSERT_EQ(forward.size(), 9u);
  forward.push_back(forward.front());
  ASSERT_EQ(app.Focus(), At(kEdServer));
  for (size_t i = 1; i < std::size(forward); ++i) {
    app.Tab();
    EXPECT_EQ(app.Focus(), At(forward[i])) << "after " << Def(forward[i - 1]).name;
  }
  for (size_t i = std::size(forward) - 1; i > 0; --i) {
    app.Tab(true);
    EXPECT_EQ(app.Focus(), At(forward[i - 1])) << "Shift+Tab from " << Def(forward[i]).name;
  }
}

TEST_F(Window, TheArrowKeysMoveWithinTheOptionGroupAndChooseAsTheyGo) {
  app.Type(At(kEdLogin), L"sa");
  app.Tab();
  ASSERT_EQ(app.Focus(), At(kOptSQL));
  app.Keys({VK_UP});
  EXPECT_EQ(app.Focus(), At(kOptTrusted));
  EXPECT_TRUE(Checked(kOptTrusted));
  EXPECT_FALSE(Enabled(kEdLogin));
  app.Keys({VK_UP});  // the group wraps round
  EXPECT_EQ(app.Focus(), At(kOptSQL));
  EXPECT_TRUE(Checked(kOptSQL));
  EXPECT_TRUE(Enabled(kEdLogin));
  app.Tab();  // out of the group
  EXPECT_EQ(app.Focus(), At(kEdLogin));
}

TEST_F(Window, AccessKeysFocusTheBoxAfterTheirLabelSelectingAllAndChooseOptions) {
  app.Type(At(kEdPassword), L"segreta");
  app.AccessKey(L'p');
  EXPECT_EQ(app.Focus(), At(kEdPassword));
  EXPECT_EQ(app.Selection(At(kEdPassword)), std::make_pair(0, 7));

  app.Type(At(kEdServer), L"SRV\\ISTANZA");
  app.AccessKey(L's');
  EXPECT_EQ(app.Focus(), At(kEdServer));
  EXPECT_EQ(app.Selection(At(kEdServer)), std::make_pair(0, 11));

  app.AccessKey(L'l');  // the label before the login box comes first after the server box
  EXPECT_EQ(app.Focus(), At(kEdLogin));

  app.AccessKey(L'w');
  EXPECT_TRUE(Checked(kOptTrusted));
  EXPECT_FALSE(Enabled(kEdLogin));

  // A button's access key presses it.
  app.Type(At(kEdServer), L"");
  app.AccessKey(L'd');
  std::optional<Box> box = app.WaitBox(kCollaudino);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text, L"Inserire il nome del Server/Istanza.");
  ASSERT_TRUE(app.PressOk(*box));
  EXPECT_EQ(app.Focus(), At(kEdServer));
}

TEST_F(Window, RdoAndOdbcStartDisabledAndAnyTestButtonEnablesThemEvenWhenValidationStops) {
  // Under Wine a BM_CLICK reaches a disabled button's parent as a click: the
  // program itself must not run the handler.
  app.Click(At(kCmdRDO));
  EXPECT_FALSE(app.OpenBox());
  ExpectBox(kCmdDAODirect, kCollaudino, "Inserire il nome del Server/Istanza.", Icon::Warning);
  EXPECT_TRUE(Enabled(kCmdRDO));
  EXPECT_TRUE(Enabled(kCmdODBC));
}

TEST_F(Window, RdoAndOdbcOnlySayTheyAreNotSupported) {
  ExpectBox(kCmdSQLDMO, kCollaudino, "Inserire il nome del Server/Istanza.", Icon::Warning);
  app.Type(At(kEdServer), L"srv");
  app.Type(At(kEdLogin), L"sa");
  std::wstring log = TextOf(At(kEdLog));
  for (ControlId button : {kCmdRDO, kCmdODBC}) {
    SCOPED_TRACE(Def(button).name);
    ExpectBox(button, kSondalink, "Funzionalità non supportata.", Icon::Warning);
    EXPECT_EQ(TextOf(At(kEdLog)), log);
    EXPECT_EQ(TextOf(At(kEdServer)), L"srv");
    EXPECT_EQ(TextOf(At(kEdLogin)), L"sa");
    EXPECT_TRUE(Enabled(kCmdADO));
  }
}

TEST_F(Window, AnEmptyServerIsRefusedAndTheFocusGoesToItsBox) {
  app.Type(At(kEdLogin), L"sa");
  ExpectBox(kCmdADO, kCollaudino, "Inserire il nome del Server/Istanza.", Icon::Warning);
  EXPECT_EQ(app.Focus(), At(kEdServer));
}

TEST_F(Window, AnEmptyLoginIsRefusedUnderSqlAuthenticationAndBlanksAreAServer) {
  app.Type(At(kEdServer), L"   ");
  ExpectBox(kCmdADO, kCollaudino, "Inserire il Login ID.", Icon::Warning);
  EXPECT_EQ(app.Focus(), At(kEdLogin));
}

TEST_F(Window, WindowsAuthenticationDisablesAndEmptiesLoginAndPassword) {
  app.Type(At(kEdLogin), L"sa");
  app.Type(At(kEdPassword), L"pw");
  app.Click(At(kOptTrusted));
  EXPECT_TRUE(Checked(kOptTrusted));
  EXPECT_FALSE(Checked(kOptSQL));
  for (ControlId box : {kEdLogin, kEdPassword}) {
    SCOPED_TRACE(Def(box).name);
    EXPECT_FALSE(Enabled(box));
    EXPECT_EQ(TextOf(At(box)), L"");
    EXPECT_EQ(app.BackgroundOf(At(box)), ::GetSysColor(COLOR_BTNFACE));
  }
  // Back to SQL Server authentication: the last validated login, none yet.
  app.Type(At(kEdServer), L"srv");
  app.Click(At(kOptSQL));
  EXPECT_TRUE(Enabled(kEdLogin));
  EXPECT_EQ(TextOf(At(kEdLogin)), L"");
  EXPECT_EQ(app.BackgroundOf(At(kEdLogin)), ::GetSysColor(COLOR_WINDOW));
}

// A scheme whose four colours all differ, as High Contrast's may (there the
// window and the button face are both black): what the user types must be
// in the window's text colour, the captions in the buttons' one. The scheme
// reaches the programs started after it is set.
TEST(WindowColours, BoxesDrawWindowTextOnTheirBackgroundAndCaptionsButtonTextOnTheFace) {
  const COLORREF window = RGB(255, 255, 200), windowText = RGB(200, 0, 0),
                 face = RGB(170, 200, 240), buttonText = RGB(0, 110, 0);
  SystemColoursFor scheme({{COLOR_WINDOW, window}, {COLOR_WINDOWTEXT, windowText},
                           {COLOR_BTNFACE, face}, {COLOR_BTNTEXT, buttonText}});
  App app;
  ASSERT_TRUE(app.window());
  ASSERT_EQ(app.Controls().size(), kFormConn.count);
  app.Type(app.Control(kEdServer), L"SERVER\\ISTANZA");

  // An option's glyph is drawn in the scheme's colours too: only its caption.
  const int glyph = ::GetSystemMetrics(SM_CXMENUCHECK) + 4;
  struct Case {
    ControlId control;
    int fromX;
    COLORREF text, back;
  };
  const Case cases[] = {
      {kEdServer, 0, windowText, window},
      {kLabel6, 0, buttonText, face},
      {kOptSQL, glyph, buttonText, face},
      {kCmdADO, 0, buttonText, face},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Def(c.control).name);
    std::map<COLORREF, int> shown = app.ColoursOf(app.Control(c.control), c.fromX);
    EXPECT_GT(shown[c.back], 100);
    EXPECT_GT(shown[c.text], 8) << "no text in its colour";
    for (COLORREF other : {windowText, buttonText, RGB(0, 0, 0)}) {
      if (other == c.text) continue;
      EXPECT_EQ(shown[other], 0) << "text in " << std::hex << other;
    }
  }
}

TEST_F(Window, FocusIntoABoxWithTextSelectsAllOfItByTabAndByValidation) {
  app.Type(At(kEdLogin), L"utente");
  app.Tab();  // edServer -> optSQL
  app.Tab();  // -> edLogin
  ASSERT_EQ(app.Focus(), At(kEdLogin));
  EXPECT_EQ(app.Selection(At(kEdLogin)), std::make_pair(0, 6));

  app.Type(At(kEdServer), L"");
  app.Type(At(kEdLogin), L"");
  app.Type(At(kEdServer), L"srv");
  ExpectBox(kCmdSQLDMO, kCollaudino, "Inserire il Login ID.", Icon::Warning);
  EXPECT_EQ(app.Focus(), At(kEdLogin));
}

TEST_F(Window, TheCloseButtonClosesTheWindowAndEndsTheProgram) {
  app.Close();
  EXPECT_FALSE(app.OpenBox());
  EXPECT_TRUE(app.WaitExit());
}

TEST_F(Window, AltF4IsTheCloseButton) {
  app.Keys({VK_MENU, VK_F4});
  EXPECT_TRUE(app.WaitExit());
}

TEST_F(Window, TheEndOfTheWindowsSessionClosesTheWindowAndEndsTheProgram) {
  DWORD_PTR answer = 0;
  ASSERT_TRUE(::SendMessageTimeoutW(app.window(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG,
                                    5000, &answer));
  EXPECT_EQ(answer, TRUE);  // never held back
  ::SendMessageTimeoutW(app.window(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  EXPECT_TRUE(app.WaitExit());
}

// The shell gets the data folder; Wine opens it in a folder window of its
// explorer, started with the folder as its argument. A folder with a blank
// and a comma goes to the shell between quotes and still opens.
TEST(LogFolderButton, OpensTheDataFolderInTheShellAlsoWithABlankAndAComma) {
  const std::wstring moved = L"C:\\users\\Public\\Dati locali, prova";
  for (bool move : {false, true}) {
    SCOPED_TRACE(move ? "moved" : "default");
    std::optional<LocalAppDataMovedTo> movedAppData;
    if (move) movedAppData.emplace(moved);
    const std::wstring folder = (move ? moved : LocalAppData()) + L"\\Ardenza\\Sondalink\\";
    App app;
    ASSERT_TRUE(app.window());
    EXPECT_NE(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring shown = FolderOpenedBy(app, app.Find(L"Button", L"Apri cartella file di &LOG"));
    EXPECT_NE(shown.find(L"\"" + folder + L"\""), std::wstring::npos) << Utf8(shown);
    EXPECT_FALSE(app.OpenBox());
    app.Close();
    EXPECT_TRUE(app.WaitExit());
  }
}

// A profile whose local application data folder holds Cyrillic and Chinese
// characters, which no ANSI code page of the prefix can name: the program
// starts, its test writes the log there (contents still in the code page),
// Notepad opens that very file, and the log-folder button opens the folder.
// The SQL-DMO test ends quickly here: the prefix has no SQL-DMO.
TEST(ProfilePath, OutsideTheCodePageStartsLogsAndOpensNotepadAndTheFolder) {
  const std::wstring moved = L"C:\\users\\Public\\Профиль 用户";
  const std::wstring folder = moved + L"\\Ardenza\\Sondalink\\";
  const std::wstring log = folder + L"SondalinkSQLDMO.log";
  {
    LocalAppDataMovedTo movedAppData(moved);
    App app;
    ASSERT_TRUE(app.window()) << "no window; box: " << (app.OpenBox() ? Utf8(app.OpenBox()->text) : "none");
    EXPECT_NE(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES);

    app.Type(app.Control(kEdServer), L"SRVDATI");
    app.Type(app.Control(kEdLogin), L"sa");
    app.Click(app.Control(kCmdSQLDMO));
    std::optional<Box> box = app.WaitBox(L"Messaggio di Sondalink", 30000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text, L"Connessione SQLDMO fallita.");
    ASSERT_TRUE(app.PressOk(*box));
    HWND notepad = WaitForNotepad(app, L"SondalinkSQLDMO.log");
    EXPECT_TRUE(notepad) << "Notepad did not open the log";
    if (notepad) {
      // Wine's Notepad overwrites the closing quote of its own command line
      // with a NUL as it reads it, so the quote cannot be seen from outside.
      EXPECT_EQ(CommandLineOf(ProcessOfWindow(notepad)).rfind(L"notepad.exe \"" + log, 0), 0u)
          << Utf8(CommandLineOf(ProcessOfWindow(notepad)));
      ::PostMessageW(notepad, WM_CLOSE, 0, 0);
    }
    EXPECT_NE(TextOf(app.Control(kEdLog)).find(L"Creazione file di log " + log + L"."), std::wstring::npos);
    const std::string bytes = FileBytes(log);
    EXPECT_EQ(bytes.rfind(std::string(91, '-') + "\r\n", 0), 0u) << bytes;
    EXPECT_NE(bytes.find(", INFO: Inizio test connessione SQLDMO...\r\n"), std::string::npos);
    EXPECT_TRUE(bytes.ends_with(std::string(68, '-') + "\r\n \r\n"));

    const std::wstring shown = FolderOpenedBy(app, app.Find(L"Button", L"Apri cartella file di &LOG"));
    EXPECT_NE(shown.find(L"\"" + folder + L"\""), std::wstring::npos) << Utf8(shown);
    EXPECT_FALSE(app.OpenBox());
    app.Close();
    EXPECT_TRUE(app.WaitExit());
  }
}

// The host's file manager, as "Open" on a folder reaches it through the
// script of ./sondalink's prefixes:
// winebrowser hands the folder to the first program of its list, here a
// script that writes what it got into a file. The list is the user's own
// setting and comes back afterwards.
class HostFileManager {
 public:
  HostFileManager() { ::DeleteFileW(kRecord); }
  ~HostFileManager() { ::DeleteFileW(kRecord); }
  HostFileManager(const HostFileManager&) = delete;
  HostFileManager& operator=(const HostFileManager&) = delete;

  // What the file manager was given (a file: URL), if it was given something.
  std::optional<std::string> Opened() const {
    const std::string got = FileBytes(kRecord);
    if (got.find('\n') == std::string::npos) return std::nullopt;
    return got.substr(0, got.find('\n'));
  }
  std::optional<std::string> WaitOpened() const {
    std::optional<std::string> got;
    WaitFor([&] { return (got = Opened()).has_value(); }, 20000);
    return got;
  }

 private:
  static constexpr const wchar_t* kRecord = L"Z:" SONDALINK_FOLDER_RECORD_DOS;
  RegistryValueFor browsers_{HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers", REG_SZ,
                             W(SONDALINK_FOLDER_RECORDER)};
};

// The end of the file: URL that the host's file manager gets for a folder
// of the prefix's drive C.
std::string HostUrlTail(const std::wstring& folder) {
  std::string tail;
  for (wchar_t c : folder) {
    if (c == L'\\') {
      tail += '/';
    } else if (c == L' ') {
      tail += "%20";  // the one character of these paths that a URL escapes
    } else {
      tail += static_cast<char>(c);
    }
  }
  if (tail.size() > 1 && tail[1] == ':') tail[0] = static_cast<char>(::tolower(tail[0]));
  while (!tail.empty() && tail.back() == '/') tail.pop_back();
  return "/dosdevices/" + tail;
}

// Once Wine's own folder window closed, the wineserver could take the
// desktop process for unused and end it under the running program, whose
// next pointer grab (Wine's own move loop on a press on the title bar)
// failed with BadWindow and ended it. ./sondalink's prefixes hand the folder
// to the host's file manager: it gets the folder whole (a blank and a comma
// in it), the desktop stays, and the program still answers after a press on
// its title bar. (Here this test's own process keeps the desktop in use, so
// Wine's window alone would not end it: outlives-folder-window drives the
// program from outside Wine and shows the difference.)
TEST(LogFolderButton, OnTheHostTheProgramOutlivesTheFolderAndStillAnswers) {
  const std::wstring moved = L"C:\\users\\Public\\Dati locali, prova";
  LocalAppDataMovedTo movedAppData(moved);
  // "Open" on a folder sent to the host's file manager, as in the prefixes
  // of ./sondalink (tools/wine-prefix --host-folder).
  RegistryValueFor onTheHost(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\explorer",
                             L"", REG_SZ, L"C:\\windows\\open-folder-on-host.cmd");
  HostFileManager host;
  App app;
  ASSERT_TRUE(app.window());
  DWORD desktopProcess = 0;
  ::GetWindowThreadProcessId(::GetDesktopWindow(), &desktopProcess);
  win32::unique_handle desktop(::OpenProcess(SYNCHRONIZE, FALSE, desktopProcess));
  ASSERT_TRUE(desktop) << "no desktop process";

  app.Click(app.Find(L"Button", L"Apri cartella file di &LOG"));
  ASSERT_TRUE(WaitFor([&] { return host.Opened() || !FolderWindows(app).empty(); }, 20000))
      << "the folder was not opened";
  EXPECT_TRUE(FolderWindows(app).empty()) << "Wine's own folder window opened";
  for (HWND hwnd : FolderWindows(app)) CloseAndWait(hwnd);
  if (std::optional<std::string> opened = host.Opened()) {
    const std::string tail = HostUrlTail(moved + L"\\Ardenza\\Sondalink\\");
    EXPECT_EQ(opened->rfind("file://", 0), 0u) << *opened;
    EXPECT_TRUE(opened->size() >= tail.size() &&
                opened->compare(opened->size() - tail.size(), tail.size(), tail) == 0)
        << *opened << " does not end in " << tail;
  }
  // The wineserver ends a desktop it takes for unused after one second:
  // watched for twice that.
  EXPECT_EQ(::WaitForSingleObject(desktop.get(), 2000), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the desktop process ended under the program";

  RECT frame{};
  ::GetWindowRect(app.window(), &frame);
  const POINT caption{(frame.left + frame.right) / 2, frame.top + ::GetSystemMetrics(SM_CYFRAME) +
                                                          ::GetSystemMetrics(SM_CYCAPTION) / 2};
  ::SetForegroundWindow(app.window());
  WaitFor([&] { return ::GetForegroundWindow() == app.window(); }, 2000);
  ::SetCursorPos(caption.x, caption.y);
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, press, sizeof(INPUT));
  app.Settle();

  ASSERT_TRUE(app.Running()) << "the program ended after a press on its title bar";
  DWORD_PTR answer = 0;
  EXPECT_TRUE(::SendMessageTimeoutW(app.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
  app.Type(app.Control(kEdServer), L"SRVDATI");
  EXPECT_EQ(TextOf(app.Control(kEdServer)), L"SRVDATI");
  app.Close();
  EXPECT_TRUE(app.WaitExit());
}

// The colour at `p` of a P6 picture ("P6 <w> <h> <max>", then RGB samples of
// one byte, or of two, high first, past 255); CLR_INVALID outside it.
COLORREF PixelOf(const std::string& ppm, POINT p) {
  int width = 0, height = 0, max = 0;
  if (std::sscanf(ppm.c_str(), "P6 %d %d %d", &width, &height, &max) != 3) return CLR_INVALID;
  const size_t sample = max > 255 ? 2 : 1, pixel = 3 * sample;
  const size_t data = size_t(width) * height * pixel;
  if (ppm.size() < data || p.x < 0 || p.y < 0 || p.x >= width || p.y >= height) return CLR_INVALID;
  const size_t at = ppm.size() - data + (size_t(p.y) * width + p.x) * pixel;
  return RGB(BYTE(ppm[at]), BYTE(ppm[at + sample]), BYTE(ppm[at + 2 * sample]));
}

// The picture is of the window, frame included: its size, and the faces of
// the log box and the password box in their own colours where the window
// shows them.
TEST_F(Window, Screenshot) {
  app.Type(At(kEdServer), L"SRVDATI\\SQLEXPRESS");
  app.Type(At(kEdLogin), L"sa");
  app.Type(At(kEdPassword), L"segreta");
  app.Settle();
  ASSERT_TRUE(e2e::Screenshot(SONDALINK_SCREENSHOT, app.window()));
  const std::string bytes = FileBytes(sondalink::testing::FromHost(SONDALINK_SCREENSHOT));
  ASSERT_GE(bytes.size(), 24u);
  ASSERT_EQ(bytes.compare(1, 3, "PNG"), 0);
  auto bigEndian = [&](size_t at) {
    return (BYTE(bytes[at]) << 24) | (BYTE(bytes[at + 1]) << 16) | (BYTE(bytes[at + 2]) << 8) |
           BYTE(bytes[at + 3]);
  };
  RECT frame{};
  ::GetWindowRect(app.window(), &frame);
  EXPECT_EQ(bigEndian(16), frame.right - frame.left);  // IHDR: width, then height
  EXPECT_EQ(bigEndian(20), frame.bottom - frame.top);

  // The same picture without compression, to read its pixels.
  const std::string raw = std::string(SONDALINK_SCREENSHOT) + ".ppm";
  ASSERT_TRUE(e2e::Screenshot(raw, app.window()));
  const std::string picture = FileBytes(sondalink::testing::FromHost(raw));
  auto inside = [&](ControlId control, double across) {
    RECT r{};
    ::GetWindowRect(At(control), &r);
    return POINT{r.left - frame.left + LONG((r.right - r.left) * across),
                 r.top - frame.top + (r.bottom - r.top) / 2};
  };
  EXPECT_EQ(PixelOf(picture, inside(kEdLog, 0.5)), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(PixelOf(picture, inside(kEdPassword, 0.9)), ::GetSysColor(COLOR_WINDOW));
  ::DeleteFileW(sondalink::testing::FromHost(raw).c_str());
}

}  // namespace
}  // namespace sondalink::e2e
