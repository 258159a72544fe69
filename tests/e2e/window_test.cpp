// The real Sondalink.exe under Wine, driven from outside as its user drives
// it: the window and its controls, the keyboard, the validation, the
// authentication options, the close guard, the buttons that run no test and
// the window around a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/fmconn.h"
#include "../support/host_path.h"
#include "../support/row_name.h"
#include "standin_run.h"

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

// Each kind, in ControlKind's order, as its Windows class and the BS_/SS_
// type bits that tell it (-1: a class of one kind).
const struct {
  const wchar_t* className;
  LONG kindStyle;
} kRealized[] = {{L"Button", BS_GROUPBOX}, {L"SondalinkPanel", -1}, {L"Static", SS_LEFT},
                 {L"Edit", -1},           {L"Button", BS_AUTORADIOBUTTON}, {L"Button", BS_PUSHBUTTON}};

// Each text box style of the table as the edit style it stands for.
const std::pair<unsigned, LONG> kEditStyles[] = {{platform::ui::kStylePassword, ES_PASSWORD},
                                                 {platform::ui::kStyleMultiLine, ES_MULTILINE},
                                                 {platform::ui::kStyleReadOnly, ES_READONLY},
                                                 {platform::ui::kStyleScrollBars, WS_HSCROLL | WS_VSCROLL}};

const std::wstring kCollaudino = L"Messaggio di Collaudino";

class Window : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(app.window()) << "Sondalink.exe showed no window";
    ASSERT_EQ(app.Controls().size(), kFormConn.count);
  }

  HWND At(ControlId id) const { return app.Control(id); }

  App app;
};

// At the screen's DPI, as the program converts them.
int TwipsToPixels(int twips) {
  return ::MulDiv(twips, ::GetDeviceCaps(win32::GetWindowDc(nullptr).get().dc, LOGPIXELSY), 1440);
}

TEST_F(Window, EveryControlHasItsKindParentCaptionStateAndTwipsAtTheScreenDpi) {
  EXPECT_EQ(TextOf(app.window()), Widen(kFormConn.caption));
  RECT client;
  ::GetClientRect(app.window(), &client);
  EXPECT_EQ(client.right, TwipsToPixels(kFormConn.clientWidth));
  EXPECT_EQ(client.bottom, TwipsToPixels(kFormConn.clientHeight));

  for (const platform::ui::ControlDef& want : Table()) {
    SCOPED_TRACE(want.name);
    HWND hwnd = At(Id(want));
    const auto& kind = kRealized[static_cast<int>(want.kind)];
    EXPECT_EQ(ClassOf(hwnd), kind.className);
    if (kind.kindStyle >= 0) {
      EXPECT_EQ(StyleOf(hwnd) & 0x0F, kind.kindStyle);
    }
    EXPECT_EQ(::GetParent(hwnd), want.parent ? At(static_cast<ControlId>(want.parent)) : app.window());
    EXPECT_EQ(TextOf(hwnd), Widen(want.caption ? want.caption : ""));
    EXPECT_EQ(app.Enabled(Id(want)), !(want.style & platform::ui::kStyleDisabled));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    RECT r;
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
              (std::array<LONG, 4>{TwipsToPixels(want.rect.left), TwipsToPixels(want.rect.top),
                                   TwipsToPixels(want.rect.width), TwipsToPixels(want.rect.height)}));
  }
  EXPECT_TRUE(app.Checked(kOptSQL));
  EXPECT_FALSE(app.Checked(kOptTrusted));
  EXPECT_TRUE(StyleOf(At(kPcFrame), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
}

// Every text box as the table describes it: the password one shows stars,
// the log box is a read-only multi-line box with scroll bars on the face.
TEST_F(Window, PasswordShowsStarsAndTheLogBoxIsAReadOnlyMultiLineBoxWithScrollBars) {
  for (const platform::ui::ControlDef& def : Table()) {
    if (def.kind != platform::ui::ControlKind::TextBox) continue;
    SCOPED_TRACE(def.name);
    HWND box = At(Id(def));
    for (const auto& [style, bits] : kEditStyles) {
      EXPECT_EQ((StyleOf(box) & bits) == bits, (def.style & style) != 0) << std::hex << bits;
    }
    EXPECT_EQ(Send(box, EM_GETPASSWORDCHAR), def.style & platform::ui::kStylePassword ? L'*' : 0);
    if (!(def.style & platform::ui::kStyleMultiLine)) {
      EXPECT_EQ(Send(box, EM_GETLIMITTEXT), 0x7FFFFFFE);
    }
    const bool face = def.style & platform::ui::kStyleButtonFace;
    EXPECT_EQ(app.BackgroundOf(box), ::GetSysColor(face ? COLOR_BTNFACE : COLOR_WINDOW));
  }
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
    app.Keys({VK_TAB});
    EXPECT_EQ(app.Focus(), At(forward[i])) << "after " << Def(forward[i - 1]).name;
  }
  for (size_t i = std::size(forward) - 1; i > 0; --i) {
    app.Keys({VK_SHIFT, VK_TAB});
    EXPECT_EQ(app.Focus(), At(forward[i - 1])) << "Shift+Tab from " << Def(forward[i]).name;
  }
}

// What the user does to the window, and what the user then sees. A run is
// the ADO test over the stand-in, held in its slow part until released.
enum class Do {
  Type, Click, Press, Alt, Close, EndSession, Run, Release,
  Focus, Checked, Unchecked, Enabled, Disabled, Locked, Text, AllSelected, OnFace, OnWindow, LogHas,
  Collaudino, Sondalink, NoBox, NotRefused, Success, Gone, Exits,  // Collaudino, Sondalink: a warning box
};
struct Step {
  Do what;
  ControlId id = {};
  const char* text = "";  // typed, shown, or the box's
  WORD key = 0;
};
struct Script {
  const char* name;
  std::vector<Step> steps;
  friend void PrintTo(const Script& s, std::ostream* os) { *os << s.name; }
};

const char* const kNoServer = "Inserire il nome del Server/Istanza.";
const char* const kNoLogin = "Inserire il Login ID.";
const char* const kUnsupported = "Funzionalità non supportata.";

const Script kScripts[] = {
    {"TheArrowKeysMoveWithinTheOptionGroupAndChooseAsTheyGo",
     {{Do::Type, kEdLogin, "sa"}, {Do::Press, {}, "", VK_TAB}, {Do::Focus, kOptSQL},
      {Do::Press, {}, "", VK_UP}, {Do::Focus, kOptTrusted}, {Do::Checked, kOptTrusted}, {Do::Disabled, kEdLogin},
      // The group wraps round, and Tab leaves it.
      {Do::Press, {}, "", VK_UP}, {Do::Focus, kOptSQL}, {Do::Checked, kOptSQL}, {Do::Enabled, kEdLogin},
      {Do::Press, {}, "", VK_TAB}, {Do::Focus, kEdLogin}}},
    {"AccessKeysFocusTheBoxAfterTheirLabelSelectingAllAndChooseOptions",
     {{Do::Type, kEdPassword, "segreta"}, {Do::Alt, {}, "", 'P'}, {Do::Focus, kEdPassword},
      {Do::AllSelected, kEdPassword},
      {Do::Type, kEdServer, "SRV\\ISTANZA"}, {Do::Alt, {}, "", 'S'}, {Do::Focus, kEdServer},
      {Do::AllSelected, kEdServer},
      // The label before the login box comes first after the server box.
      {Do::Alt, {}, "", 'L'}, {Do::Focus, kEdLogin},
      {Do::Alt, {}, "", 'W'}, {Do::Checked, kOptTrusted}, {Do::Disabled, kEdLogin},
      // A button's access key presses it.
      {Do::Type, kEdServer, ""}, {Do::Alt, {}, "", 'D'}, {Do::Collaudino, {}, kNoServer}, {Do::Focus, kEdServer}}},
    // Under Wine a BM_CLICK reaches a disabled button's parent as a click:
    // the program itself must not run the handler.
    {"RdoAndOdbcStartDisabledAndAnyTestButtonEnablesThemEvenWhenValidationStops",
     {{Do::Click, kCmdRDO}, {Do::NoBox}, {Do::Click, kCmdDAODirect}, {Do::Collaudino, {}, kNoServer},
      {Do::Enabled, kCmdRDO}, {Do::Enabled, kCmdODBC}}},
    {"RdoAndOdbcOnlySayTheyAreNotSupported",
     {{Do::Click, kCmdSQLDMO}, {Do::Collaudino, {}, kNoServer}, {Do::Type, kEdServer, "srv"},
      {Do::Type, kEdLogin, "sa"},
      {Do::Click, kCmdRDO}, {Do::Sondalink, {}, kUnsupported}, {Do::Text, kEdLog, ""}, {Do::Text, kEdServer, "srv"},
      {Do::Text, kEdLogin, "sa"}, {Do::Enabled, kCmdADO},
      {Do::Click, kCmdODBC}, {Do::Sondalink, {}, kUnsupported}, {Do::Text, kEdLog, ""}, {Do::Text, kEdServer, "srv"},
      {Do::Text, kEdLogin, "sa"}, {Do::Enabled, kCmdADO}}},
    {"AnEmptyServerIsRefusedAndTheFocusGoesToItsBox",
     {{Do::Type, kEdLogin, "sa"}, {Do::Click, kCmdADO}, {Do::Collaudino, {}, kNoServer}, {Do::Focus, kEdServer}}},
    {"AnEmptyLoginIsRefusedUnderSqlAuthenticationAndBlanksAreAServer",
     {{Do::Type, kEdServer, "   "}, {Do::Click, kCmdADO}, {Do::Collaudino, {}, kNoLogin}, {Do::Focus, kEdLogin}}},
    {"WindowsAuthenticationDisablesAndEmptiesLoginAndPassword",
     {{Do::Type, kEdLogin, "sa"}, {Do::Type, kEdPassword, "pw"}, {Do::Click, kOptTrusted},
      {Do::Checked, kOptTrusted}, {Do::Unchecked, kOptSQL},
      {Do::Disabled, kEdLogin}, {Do::Text, kEdLogin, ""}, {Do::OnFace, kEdLogin},
      {Do::Disabled, kEdPassword}, {Do::Text, kEdPassword, ""}, {Do::OnFace, kEdPassword},
      // Back to SQL Server authentication: the last validated login, none yet.
      {Do::Type, kEdServer, "srv"}, {Do::Click, kOptSQL},
      {Do::Enabled, kEdLogin}, {Do::Text, kEdLogin, ""}, {Do::OnWindow, kEdLogin}}},
    {"FocusIntoABoxWithTextSelectsAllOfItByTabAndByValidation",
     {{Do::Type, kEdLogin, "utente"}, {Do::Press, {}, "", VK_TAB}, {Do::Press, {}, "", VK_TAB},
      {Do::Focus, kEdLogin}, {Do::AllSelected, kEdLogin},
      {Do::Type, kEdServer, ""}, {Do::Type, kEdLogin, ""}, {Do::Type, kEdServer, "srv"},
      {Do::Click, kCmdSQLDMO}, {Do::Collaudino, {}, kNoLogin}, {Do::Focus, kEdLogin}}},
    {"TheCloseButtonClosesTheWindowAndEndsTheProgram", {{Do::Close}, {Do::NoBox}, {Do::Exits}}},
    {"AltF4IsTheCloseButton", {{Do::Alt, {}, "", VK_F4}, {Do::Exits}}},
    {"TheEndOfTheWindowsSessionClosesTheWindowAndEndsTheProgram", {{Do::EndSession}, {Do::Exits}}},
};

// The success box of the run, closed; the window unlocked, its log box at
// its left edge with the last line in view, the caret after the last
// character, as a user who reads the beginnings of the lines wants it.
void EndOfTheRun(const App& app) {
  EXPECT_EQ(CloseBox(app, Icon::Information), Widen(SuccessBox(testing::golden::Component::Ado).text));
  ASSERT_TRUE(WaitFor([&] { return app.Enabled(kCmdADO); }));
  EXPECT_TRUE(app.Running());
  EXPECT_TRUE(::IsWindow(app.window()));
  HWND log = app.Control(kEdLog);
  auto send = [&](UINT msg, WPARAM wParam) { return Send(log, msg, wParam).value_or(0); };
  const auto length = static_cast<int>(send(WM_GETTEXTLENGTH, 0));
  EXPECT_EQ(app.Selection(log), std::make_pair(length, length));
  const DWORD_PTR at = send(EM_POSFROMCHAR, send(EM_LINEINDEX, send(EM_GETLINECOUNT, 0) - 1));
  RECT client;
  ::GetClientRect(log, &client);
  // From another process Wine's GetScrollPos gives 0 whatever the box
  // shows; where the box draws a line's first character tells.
  EXPECT_GE(static_cast<short>(LOWORD(at)), 0) << "scrolled to the right";
  EXPECT_GE(static_cast<short>(HIWORD(at)), 0);
  EXPECT_LT(static_cast<short>(HIWORD(at)), client.bottom) << "the last line is out of view";
}

void Play(const App& app, const Step& s, const standin::Release* release) {
  HWND at = s.id ? app.Control(s.id) : nullptr;
  switch (s.what) {
    case Do::Type: return app.Type(at, Widen(s.text));
    case Do::Click: return app.Click(at);
    case Do::Press: return app.Keys({s.key});
    case Do::Alt: return app.Keys({VK_MENU, s.key});
    case Do::Close: return app.Close();
    case Do::EndSession:
      EXPECT_EQ(Send(app.window(), WM_QUERYENDSESSION), DWORD_PTR{TRUE});  // never held back
      Send(app.window(), WM_ENDSESSION, TRUE);
      return;
    case Do::Run:
      app.Click(app.Control(kCmdADO));
      ASSERT_TRUE(WaitFor([&] { return !app.Enabled(kCmdADO); })) << "the run did not start";
      return;
    case Do::Release: return release->Set();
    case Do::Focus: EXPECT_EQ(app.Focus(), at); return;
    case Do::Checked: EXPECT_TRUE(app.Checked(s.id)); return;
    case Do::Unchecked: EXPECT_FALSE(app.Checked(s.id)); return;
    case Do::Enabled: EXPECT_TRUE(app.Enabled(s.id)); return;
    case Do::Disabled: EXPECT_FALSE(app.Enabled(s.id)); return;
    case Do::Locked:
      for (ControlId c : kLockedByARun) EXPECT_FALSE(app.Enabled(c)) << Def(c).name;
      EXPECT_TRUE(app.Enabled(kCmdOpenLog));
      return;
    case Do::Text: EXPECT_EQ(TextOf(at), Widen(s.text)); return;
    case Do::AllSelected: EXPECT_EQ(app.Selection(at), std::make_pair(0, int(TextOf(at).size()))); return;
    case Do::OnFace:
    case Do::OnWindow: {
      // A box enabled or disabled a moment ago may not be drawn anew on the
      // display yet: two equal pictures can both be the old one.
      const COLORREF want = ::GetSysColor(s.what == Do::OnFace ? COLOR_BTNFACE : COLOR_WINDOW);
      COLORREF shown = CLR_INVALID;
      WaitFor([&] { return (shown = app.BackgroundOf(at)) == want; }, 3000);
      EXPECT_EQ(shown, want);
      return;
    }
    case Do::LogHas: EXPECT_NE(TextOf(app.Control(kEdLog)).find(Widen(s.text)), std::wstring::npos); return;
    case Do::Collaudino:
    case Do::Sondalink:
      EXPECT_EQ(CloseBox(app, Icon::Warning, 10000, s.what == Do::Collaudino ? kCollaudino : kBoxTitle),
                Widen(s.text));
      EXPECT_FALSE(app.OpenBox()) << "a second box";
      return;
    case Do::NoBox: EXPECT_FALSE(app.OpenBox()); return;
    case Do::NotRefused: {
      std::optional<Box> box = app.OpenBox();
      EXPECT_TRUE(!box || box->text != Widen(kRefusedClose));
      return;
    }
    case Do::Success: return EndOfTheRun(app);
    case Do::Gone: EXPECT_TRUE(WaitFor([&] { return !::IsWindow(app.window()); })); return;
    case Do::Exits: EXPECT_TRUE(app.WaitExit(30000)); return;
  }
}

void PlayAll(const App& app, const Script& script, const standin::Release* release = nullptr) {
  for (size_t i = 0; i < script.steps.size() && !::testing::Test::HasFatalFailure(); ++i) {
    const Step& step = script.steps[i];
    SCOPED_TRACE("step " + std::to_string(i + 1) + (step.id ? std::string(" on ") + Def(step.id).name : ""));
    Play(app, step, release);
  }
}

class WindowScript : public Window, public ::testing::WithParamInterface<Script> {};

TEST_P(WindowScript, AsTheUserMeetsIt) { PlayAll(app, GetParam()); }

INSTANTIATE_TEST_SUITE_P(Scripts, WindowScript, ::testing::ValuesIn(kScripts), testing::kRowName);

// The window around a real test run, with the stand-in components answering
// for ADO: the window locked and its close guard while the run goes on, the
// inputs that the validation keeps for the next run.
class WindowDuringATest : public StandinRun, public ::testing::WithParamInterface<Script> {
 protected:
  // A data folder whose path is wider than the log box: the last line of
  // every run, which names the log file, is.
  const Undo dataFolder =
      MoveLocalAppData(L"C:\\users\\Public\\Dati locali della postazione di prova, con un percorso piuttosto lungo");
  standin::Release release;
};

const Script kDuringATest[] = {
    {"TheCloseButtonIsRefusedWhileATestRunsWithAnEmptyPassword",
     {{Do::Type, kEdServer, "srv"}, {Do::Type, kEdLogin, "sa"}, {Do::Run},  // no password: accepted
      {Do::Locked}, {Do::Close}, {Do::Sondalink, {}, kRefusedClose}, {Do::Release}, {Do::Success},
      {Do::LogHas, {}, "Inizio test connessione ADO..."},
      // After the run the close button closes.
      {Do::Close}, {Do::Exits}}},
    {"TheEndOfTheWindowsSessionIsNeverHeldBackEvenDuringATest",
     {{Do::Type, kEdServer, "srv"}, {Do::Type, kEdLogin, "sa"}, {Do::Run}, {Do::EndSession}, {Do::Gone},
      {Do::Release}, {Do::NotRefused}, {Do::Exits}}},
    {"BackToSqlAuthenticationBringsTheLastValidatedLoginAndNoPassword",
     {{Do::Type, kEdServer, "srv"}, {Do::Type, kEdLogin, "validato"}, {Do::Type, kEdPassword, "pw"},
      {Do::Release}, {Do::Click, kCmdADO}, {Do::Success},
      {Do::Type, kEdLogin, "digitato"}, {Do::Type, kEdPassword, "altra"}, {Do::Click, kOptTrusted},
      {Do::Text, kEdLogin, ""}, {Do::Click, kOptSQL}, {Do::Text, kEdLogin, "validato"}, {Do::Text, kEdPassword, ""},
      {Do::Enabled, kEdLogin}, {Do::Enabled, kEdPassword}}},
    {"AfterARunUnderWindowsAuthenticationLoginAndPasswordStayDisabled",
     {{Do::Type, kEdServer, "srv"}, {Do::Click, kOptTrusted}, {Do::Release}, {Do::Click, kCmdADO}, {Do::Success},
      {Do::Enabled, kEdServer}, {Do::Disabled, kEdLogin}, {Do::Disabled, kEdPassword}, {Do::OnFace, kEdLogin},
      {Do::OnWindow, kEdServer}}},
};

TEST_P(WindowDuringATest, AsTheUserMeetsIt) {
  // Every property of the listing takes 100 ms, each followed by a log line
  // that lets the window handle its events: at most 3 s of a run, which a
  // test that has seen what it needed of it cuts short.
  Start(ServerScenario() + standin::SlowListing("ado", 30, 100) + release.Line());
  PlayAll(*app, GetParam(), &release);
}

INSTANTIATE_TEST_SUITE_P(Runs, WindowDuringATest, ::testing::ValuesIn(kDuringATest), testing::kRowName);

// A scheme whose four colours all differ, as High Contrast's may (there the
// window and the button face are both black): what the user types must be
// in the window's text colour, the captions in the buttons' one. The scheme
// reaches the programs started after it is set.
TEST(WindowColours, BoxesDrawWindowTextOnTheirBackgroundAndCaptionsButtonTextOnTheFace) {
  const COLORREF window = RGB(255, 255, 200), windowText = RGB(200, 0, 0),
                 face = RGB(170, 200, 240), buttonText = RGB(0, 110, 0);
  const Undo scheme = SetSystemColours(
      {{COLOR_WINDOW, window}, {COLOR_WINDOWTEXT, windowText}, {COLOR_BTNFACE, face}, {COLOR_BTNTEXT, buttonText}});
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

// A local application data folder with a blank and a comma in its path.
const std::wstring kCommaFolder = L"C:\\users\\Public\\Dati locali, prova";

// Wine opens the data folder in a folder window of its explorer, started
// with the folder as its argument: between quotes, so that a blank and a
// comma in it still open it.
TEST(LogFolderButton, OpensTheDataFolderInTheShellAlsoWithABlankAndAComma) {
  for (bool move : {false, true}) {
    SCOPED_TRACE(move ? "moved" : "default");
    const Undo movedAppData = move ? MoveLocalAppData(kCommaFolder) : Undo();
    EXPECT_EQ(DataFolder().starts_with(kCommaFolder), move);
    App app;
    ASSERT_TRUE(app.window());
    EXPECT_NE(::GetFileAttributesW(DataFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring shown = FolderOpenedBy(app, app.Control(kCmdOpenLog));
    EXPECT_NE(shown.find(L"\"" + DataFolder() + L"\""), std::wstring::npos) << Narrow(shown);
    EXPECT_FALSE(app.OpenBox());
    EXPECT_TRUE(app.Quit());
  }
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
  const Undo movedAppData = MoveLocalAppData(kCommaFolder);
  // "Open" on a folder sent to the host's file manager, as in the prefixes
  // of ./sondalink (tools/wine-prefix --host-folder); winebrowser hands it to
  // the first program of its list, here a script that writes down what it got.
  const Undo onTheHost =
      SetRegistryValue(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\explorer", L"",
                       REG_SZ, L"C:\\windows\\open-folder-on-host.cmd");
  const Undo browsers = SetRegistryValue(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers", REG_SZ,
                                         Widen(SONDALINK_FOLDER_RECORDER));
  const wchar_t* const record = L"Z:" SONDALINK_FOLDER_RECORD_DOS;
  ::DeleteFileW(record);
  auto opened = [&] { return FileBytes(record).find('\n') != std::string::npos; };
  App app;
  ASSERT_TRUE(app.window());
  win32::unique_handle desktop(::OpenProcess(SYNCHRONIZE, FALSE, ProcessOfWindow(::GetDesktopWindow())));
  ASSERT_TRUE(desktop) << "no desktop process";

  app.Click(app.Control(kCmdOpenLog));
  ASSERT_TRUE(WaitFor([&] { return opened() || !FolderWindows(app).empty(); }, 20000)) << "the folder was not opened";
  EXPECT_TRUE(FolderWindows(app).empty()) << "Wine's own folder window opened";
  for (HWND hwnd : FolderWindows(app)) CloseAndWait(hwnd);
  if (opened()) {
    const std::string url = FileBytes(record).substr(0, FileBytes(record).find('\n'));
    EXPECT_EQ(url.rfind("file://", 0), 0u) << url;
    // A blank is the one character of this path that a URL escapes.
    EXPECT_TRUE(url.ends_with("/dosdevices/c:/users/Public/Dati%20locali,%20prova/Ardenza/Sondalink")) << url;
  }
  ::DeleteFileW(record);
  // The wineserver ends a desktop it takes for unused after one second:
  // watched for twice that.
  EXPECT_EQ(::WaitForSingleObject(desktop.get(), 2000), static_cast<DWORD>(WAIT_TIMEOUT))
      << "the desktop process ended under the program";

  RECT frame{};
  ::GetWindowRect(app.window(), &frame);
  app.Activate();
  ::SetCursorPos((frame.left + frame.right) / 2,
                 frame.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2);
  INPUT press[2] = {};
  press[0].type = press[1].type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, press, sizeof(INPUT));
  app.Settle();

  ASSERT_TRUE(app.Running()) << "the program ended after a press on its title bar";
  EXPECT_TRUE(Send(app.window(), WM_NULL));
  app.Type(app.Control(kEdServer), L"SRVDATI");
  EXPECT_EQ(TextOf(app.Control(kEdServer)), L"SRVDATI");
  EXPECT_TRUE(app.Quit());
}

// The picture is of the window, frame included: its size, and the faces of
// the log box and the password box in their own colours where the window
// shows them. The PNG one stays in the build tree; the same without
// compression is read: a P6 picture ("P6 <w> <h> <max>", then RGB samples
// of one byte, or of two, high first, past 255).
TEST_F(Window, Screenshot) {
  app.TypeCredentials(L"SRVDATI\\SQLEXPRESS", L"sa", L"segreta");
  ASSERT_TRUE(e2e::Screenshot(SONDALINK_SCREENSHOT, app.window()));
  const std::string path = std::string(SONDALINK_SCREENSHOT) + ".ppm";
  ASSERT_TRUE(e2e::Screenshot(path, app.window()));
  const std::string ppm = FileBytes(testing::FromHost(path));
  ::DeleteFileW(testing::FromHost(path).c_str());
  int width = 0, height = 0, max = 0;
  ASSERT_EQ(std::sscanf(ppm.c_str(), "P6 %d %d %d", &width, &height, &max), 3);
  RECT frame{};
  ::GetWindowRect(app.window(), &frame);
  EXPECT_EQ(width, frame.right - frame.left);
  EXPECT_EQ(height, frame.bottom - frame.top);
  const size_t sample = max > 255 ? 2 : 1, pixel = 3 * sample, data = size_t(width) * height * pixel;
  ASSERT_GE(ppm.size(), data);
  // The colour at `across` of the control's width, half way down.
  auto inside = [&](ControlId control, double across) {
    RECT r{};
    ::GetWindowRect(At(control), &r);
    const size_t x = r.left - frame.left + LONG((r.right - r.left) * across);
    const size_t y = r.top - frame.top + (r.bottom - r.top) / 2;
    const size_t at = ppm.size() - data + (y * width + x) * pixel;
    return RGB(BYTE(ppm[at]), BYTE(ppm[at + sample]), BYTE(ppm[at + 2 * sample]));
  };
  EXPECT_EQ(inside(kEdLog, 0.5), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(inside(kEdPassword, 0.9), ::GetSysColor(COLOR_WINDOW));
}

}  // namespace
}  // namespace sondalink::e2e
