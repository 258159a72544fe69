// The real Sondalink.exe under Wine, driven from outside as its user drives
// it: the window and its controls, the keyboard, the validation, the
// authentication options, the close guard, the buttons that run no test and
// the window around a run.
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
#include "../support/row_name.h"
#include "driver.h"
#include "standin_control.h"

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

TEST_F(Window, EveryControlHasItsKindParentCaptionStateAndTwipsAtTheScreenDpi) {
  EXPECT_EQ(TextOf(app.window()), W(kFormConn.caption));
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
    EXPECT_EQ(TextOf(hwnd), W(want.caption ? want.caption : ""));
    EXPECT_EQ(app.Enabled(Id(want)), !(want.style & platform::ui::kStyleDisabled));
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(RectInParent(hwnd), (std::array{TwipsToPixels(want.rect.left), TwipsToPixels(want.rect.top),
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
  Focus, Checked, Unchecked, Enabled, Disabled, Text, AllSelected, OnFace, OnWindow, LogHas,
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
const char* const kRefused = "Impossibile uscire dal programma quando è in corso il test.";

// What holds a run in its slow part (WindowDuringATest's scenario).
std::optional<standin::Release> release;

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

class WindowScript : public Window, public ::testing::WithParamInterface<Script> {
 protected:
  void Play(const Step& s) {
    HWND at = s.id ? At(s.id) : nullptr;
    switch (s.what) {
      case Do::Type: return app.Type(at, W(s.text));
      case Do::Click: return app.Click(at);
      case Do::Press: return app.Keys({s.key});
      case Do::Alt: return app.Keys({VK_MENU, s.key});
      case Do::Close: return app.Close();
      case Do::EndSession:
        EXPECT_EQ(Send(app.window(), WM_QUERYENDSESSION), DWORD_PTR{TRUE});  // never held back
        Send(app.window(), WM_ENDSESSION, TRUE);
        return;
      case Do::Run:
        app.Click(At(kCmdADO));
        ASSERT_TRUE(WaitFor([&] { return !app.Enabled(kCmdADO); })) << "the run did not start";
        return;
      case Do::Release: return release->Set();
      case Do::Focus: EXPECT_EQ(app.Focus(), at); return;
      case Do::Checked: EXPECT_TRUE(app.Checked(s.id)); return;
      case Do::Unchecked: EXPECT_FALSE(app.Checked(s.id)); return;
      case Do::Enabled: EXPECT_TRUE(app.Enabled(s.id)); return;
      case Do::Disabled: EXPECT_FALSE(app.Enabled(s.id)); return;
      case Do::Text: EXPECT_EQ(TextOf(at), W(s.text)); return;
      case Do::AllSelected: EXPECT_EQ(app.Selection(at), std::make_pair(0, int(TextOf(at).size()))); return;
      case Do::OnFace: EXPECT_EQ(app.BackgroundOf(at), ::GetSysColor(COLOR_BTNFACE)); return;
      case Do::OnWindow: EXPECT_EQ(app.BackgroundOf(at), ::GetSysColor(COLOR_WINDOW)); return;
      case Do::LogHas: EXPECT_NE(TextOf(At(kEdLog)).find(W(s.text)), std::wstring::npos); return;
      case Do::Collaudino:
      case Do::Sondalink: {
        std::optional<Box> box = app.WaitBox(s.what == Do::Collaudino ? kCollaudino : kBoxTitle);
        ASSERT_TRUE(box) << "no box";
        EXPECT_EQ(box->text, W(s.text));
        EXPECT_EQ(box->icon, Icon::Warning);
        ASSERT_TRUE(app.PressOk(*box));
        EXPECT_FALSE(app.OpenBox()) << "a second box";
        return;
      }
      case Do::NoBox: EXPECT_FALSE(app.OpenBox()); return;
      case Do::NotRefused: {
        std::optional<Box> box = app.OpenBox();
        EXPECT_TRUE(!box || box->text != W(kRefused));
        return;
      }
      case Do::Success: return EndOfTheRun();
      case Do::Gone: EXPECT_TRUE(WaitFor([&] { return !::IsWindow(app.window()); })); return;
      case Do::Exits: EXPECT_TRUE(app.WaitExit(30000)); return;
    }
  }

  // The success box of the run, closed; the window unlocked, its log box at
  // its left edge with the last line in view, the caret after the last
  // character, as a user who reads the beginnings of the lines wants it.
  void EndOfTheRun() {
    std::optional<Box> done = app.WaitBox(kBoxTitle, 30000);
    ASSERT_TRUE(done);
    EXPECT_EQ(done->text.rfind(L"Test Connessione ADO eseguita con SUCCESSO.", 0), 0u) << Utf8(done->text);
    EXPECT_EQ(done->icon, Icon::Information);
    ASSERT_TRUE(app.PressOk(*done));
    ASSERT_TRUE(WaitFor([&] { return app.Enabled(kCmdADO); }));
    EXPECT_TRUE(app.Running());
    EXPECT_TRUE(::IsWindow(app.window()));
    auto send = [&](UINT msg, WPARAM wParam) { return Send(At(kEdLog), msg, wParam).value_or(0); };
    const auto length = static_cast<int>(send(WM_GETTEXTLENGTH, 0));
    EXPECT_EQ(app.Selection(At(kEdLog)), std::make_pair(length, length));
    const DWORD_PTR at = send(EM_POSFROMCHAR, send(EM_LINEINDEX, send(EM_GETLINECOUNT, 0) - 1));
    RECT client;
    ::GetClientRect(At(kEdLog), &client);
    // From another process Wine's GetScrollPos gives 0 whatever the box
    // shows; where the box draws a line's first character tells.
    EXPECT_GE(static_cast<short>(LOWORD(at)), 0) << "scrolled to the right";
    EXPECT_GE(static_cast<short>(HIWORD(at)), 0);
    EXPECT_LT(static_cast<short>(HIWORD(at)), client.bottom) << "the last line is out of view";
  }

  void PlayAll() {
    const std::vector<Step>& steps = GetParam().steps;
    for (size_t i = 0; i < steps.size() && !HasFatalFailure(); ++i) {
      SCOPED_TRACE("step " + std::to_string(i + 1) + (steps[i].id ? std::string(" on ") + Def(steps[i].id).name : ""));
      Play(steps[i]);
    }
  }
};

TEST_P(WindowScript, AsTheUserMeetsIt) { PlayAll(); }

INSTANTIATE_TEST_SUITE_P(Scripts, WindowScript, ::testing::ValuesIn(kScripts), testing::kRowName);

// The window around a real test run, with the stand-in components answering
// for ADO: the window locked and its close guard while the run goes on, the
// inputs that the validation keeps for the next run.
class WindowDuringATest : public WindowScript {
 protected:
  static void SetUpTestSuite() {
    // A data folder whose path is wider than the log box: the last line of
    // every run, which names the log file, is.
    dataFolder.emplace(L"C:\\users\\Public\\Dati locali della postazione di prova, con un percorso piuttosto lungo");
    ASSERT_EQ(standin::RegisterStandin(), S_OK);
    // Every property of the listing takes 100 ms, each followed by a log
    // line that lets the window handle its events: at most 3 s of a run,
    // which a test that has seen what it needed of it cuts short.
    release.emplace();
    ASSERT_TRUE(standin::UseScenario(standin::StandinFolder() + L"e2e-window.txt",
                                     standin::SlowListing("ado", 30, 100) + release->Line()));
  }
  static void TearDownTestSuite() {
    standin::ForgetScenario();
    standin::UnregisterStandin();
    release.reset();
    dataFolder.reset();
  }
  void SetUp() override {
    release->Hold();
    Window::SetUp();
  }

  static inline std::optional<LocalAppDataMovedTo> dataFolder;
};

const Script kDuringATest[] = {
    {"TheCloseButtonIsRefusedWhileATestRunsWithAnEmptyPassword",
     {{Do::Type, kEdServer, "srv"}, {Do::Type, kEdLogin, "sa"}, {Do::Run},  // no password: accepted
      {Do::Disabled, kCmdSQLDMO}, {Do::Disabled, kCmdDAODirect}, {Do::Disabled, kCmdRDO}, {Do::Disabled, kCmdODBC},
      {Do::Disabled, kEdServer}, {Do::Disabled, kOptTrusted}, {Do::Disabled, kOptSQL}, {Do::Disabled, kEdLogin},
      {Do::Disabled, kEdPassword}, {Do::Enabled, kCmdOpenLog},
      {Do::Close}, {Do::Sondalink, {}, kRefused}, {Do::Release}, {Do::Success},
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

TEST_P(WindowDuringATest, AsTheUserMeetsIt) { PlayAll(); }

INSTANTIATE_TEST_SUITE_P(Runs, WindowDuringATest, ::testing::ValuesIn(kDuringATest), testing::kRowName);

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

// A local application data folder with a blank and a comma in its path.
const std::wstring kCommaFolder = L"C:\\users\\Public\\Dati locali, prova";

// Wine opens the data folder in a folder window of its explorer, started
// with the folder as its argument: between quotes, so that a blank and a
// comma in it still open it.
TEST(LogFolderButton, OpensTheDataFolderInTheShellAlsoWithABlankAndAComma) {
  for (bool move : {false, true}) {
    SCOPED_TRACE(move ? "moved" : "default");
    std::optional<LocalAppDataMovedTo> movedAppData;
    if (move) movedAppData.emplace(kCommaFolder);
    EXPECT_EQ(DataFolder().starts_with(kCommaFolder), move);
    App app;
    ASSERT_TRUE(app.window());
    EXPECT_NE(::GetFileAttributesW(DataFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    const std::wstring shown = FolderOpenedBy(app, app.Control(kCmdOpenLog));
    EXPECT_NE(shown.find(L"\"" + DataFolder() + L"\""), std::wstring::npos) << Utf8(shown);
    EXPECT_FALSE(app.OpenBox());
    app.Close();
    EXPECT_TRUE(app.WaitExit());
  }
}

// The end of the file: URL that the host's file manager gets for a folder
// of the prefix's drive C.
std::string HostUrlTail(const std::wstring& folder) {
  std::string tail = "/dosdevices/";
  for (wchar_t c : folder) {
    // A blank is the one character of these paths that a URL escapes.
    tail += c == L'\\' ? "/" : c == L' ' ? "%20" : std::string(1, static_cast<char>(c));
  }
  tail[12] = static_cast<char>(::tolower(tail[12]));
  while (tail.back() == '/') tail.pop_back();
  return tail;
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
  LocalAppDataMovedTo movedAppData(kCommaFolder);
  // "Open" on a folder sent to the host's file manager, as in the prefixes
  // of ./sondalink (tools/wine-prefix --host-folder); winebrowser hands it to
  // the first program of its list, here a script that writes down what it got.
  RegistryValueFor onTheHost(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\explorer",
                             L"", REG_SZ, L"C:\\windows\\open-folder-on-host.cmd");
  RegistryValueFor browsers(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", L"Browsers", REG_SZ,
                            W(SONDALINK_FOLDER_RECORDER));
  const wchar_t* const record = L"Z:" SONDALINK_FOLDER_RECORD_DOS;
  ::DeleteFileW(record);
  auto opened = [&] { return FileBytes(record).find('\n') != std::string::npos; };
  App app;
  ASSERT_TRUE(app.window());
  DWORD desktopProcess = 0;
  ::GetWindowThreadProcessId(::GetDesktopWindow(), &desktopProcess);
  win32::unique_handle desktop(::OpenProcess(SYNCHRONIZE, FALSE, desktopProcess));
  ASSERT_TRUE(desktop) << "no desktop process";

  app.Click(app.Control(kCmdOpenLog));
  ASSERT_TRUE(WaitFor([&] { return opened() || !FolderWindows(app).empty(); }, 20000)) << "the folder was not opened";
  EXPECT_TRUE(FolderWindows(app).empty()) << "Wine's own folder window opened";
  for (HWND hwnd : FolderWindows(app)) CloseAndWait(hwnd);
  if (opened()) {
    const std::string url = FileBytes(record).substr(0, FileBytes(record).find('\n'));
    EXPECT_EQ(url.rfind("file://", 0), 0u) << url;
    EXPECT_TRUE(url.ends_with(HostUrlTail(kCommaFolder + L"\\Ardenza\\Sondalink\\"))) << url;
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
  app.TypeCredentials(L"SRVDATI\\SQLEXPRESS", L"sa", L"segreta");
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
