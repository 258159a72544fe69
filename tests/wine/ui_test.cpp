// The user-interface services on the real Windows controls, in process:
// texts in UTF-16 units, the option group, clicks and focus as events, a
// disabled button, the wait pointer, the close reasons, the message box's
// owner and the background colours.
#include "platform/win32/windows_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui.h"
#include "support/windows.h"

namespace sondalink {
namespace {

namespace ui = platform::ui;

enum : int { kPanel = 1, kEdit, kOptA, kOptB, kLog, kButton };

constexpr ui::ControlDef kControls[] = {
    {kPanel, "panel", ui::ControlKind::Panel, 0, "", {0, 0, 4000, 1500}, ui::kStyleNone},
    {kEdit, "edit", ui::ControlKind::TextBox, kPanel, "", {100, 100, 2000, 315}, ui::kStyleNone},
    {kOptA, "optA", ui::ControlKind::OptionButton, kPanel, "&Uno", {100, 500, 2000, 285},
     ui::kStyleNone},
    {kOptB, "optB", ui::ControlKind::OptionButton, kPanel, "&Due", {100, 900, 2000, 285},
     ui::kStyleNone},
    {kLog, "log", ui::ControlKind::TextBox, 0, "", {100, 1600, 4000, 1500},
     ui::kStyleMultiLine | ui::kStyleReadOnly | ui::kStyleScrollBars | ui::kStyleButtonFace},
    {kButton, "button", ui::ControlKind::CommandButton, 0, "&Prova", {4200, 100, 1500, 330},
     ui::kStyleNone},
};

struct Recorded {
  std::vector<std::pair<int, ui::Event>> events;
  std::vector<int> closeReasons;
  bool cancelClose = false;
};
Recorded g_recorded;

void OnEvent(int control, ui::Event what) { g_recorded.events.push_back({control, what}); }
void OnQueryUnload(int reason, bool& cancel) {
  g_recorded.closeReasons.push_back(reason);
  cancel = g_recorded.cancelClose;
}

class UiWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    g_recorded = {};
    ASSERT_FALSE(ui::ShowForm({"Prova servizi", 6000, 3300, kControls, std::size(kControls)},
                              {nullptr, OnEvent, OnQueryUnload})
                     .failed());
    form = testing::FirstWindow({.title = L"Prova servizi", .className = L"SondalinkForm", .exactTitle = true});
    ASSERT_TRUE(form);
    g_recorded.events.clear();
  }
  void TearDown() override {
    ui::SetMousePointer(ui::kPointerDefault);
    ui::UnloadForm();
    testing::DropQuit();
  }

  // The real control of a table entry: children come in table order.
  HWND Hwnd(int id) const {
    return testing::ChildrenOf(form).at(static_cast<size_t>(id - 1));
  }
  std::vector<std::pair<int, ui::Event>>& events() { return g_recorded.events; }

  HWND form = nullptr;
};

TEST_F(UiWin32, TextsRoundTripAndCountInUtf16Units) {
  ui::SetText(kEdit, "proprietà è già 😀");
  EXPECT_EQ(ui::GetText(kEdit), "proprietà è già 😀");
  EXPECT_EQ(ui::TextLength(kEdit), 18u);  // the emoji is two units
  ui::SetSelection(kEdit, 2, 16);
  DWORD start = 0, end = 0;
  ::SendMessageW(Hwnd(kEdit), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 18u);
}

TEST_F(UiWin32, AppendingToTheLogBoxHasNoLengthLimit) {
  std::string line(1000, 'x');
  for (int i = 0; i < 40; ++i) ui::AppendText(kLog, line + "\r\n");
  ui::AppendText(kLog, "fine");
  EXPECT_EQ(ui::TextLength(kLog), 40u * 1002u + 4u);
  std::string all = ui::GetText(kLog);
  EXPECT_EQ(all.substr(all.size() - 6), "\r\nfine");
}

TEST_F(UiWin32, SelectingAnOptionDeselectsTheGroupAndRaisesItsClickOnce) {
  ui::SetValue(kOptA, true);
  ui::SetValue(kOptB, true);
  EXPECT_FALSE(ui::GetValue(kOptA));
  EXPECT_TRUE(ui::GetValue(kOptB));
  using P = std::pair<int, ui::Event>;
  EXPECT_EQ(events(), (std::vector<P>{{kOptA, ui::Event::Click}, {kOptB, ui::Event::Click}}));

  // The user's click on the option already chosen is no event; on the other
  // one it is, and it moves the choice.
  events().clear();
  ::SendMessageW(Hwnd(kOptB), BM_CLICK, 0, 0);
  ::SendMessageW(Hwnd(kOptA), BM_CLICK, 0, 0);
  std::vector<P> clicks;
  for (const P& e : events()) {
    if (e.second == ui::Event::Click) clicks.push_back(e);
  }
  EXPECT_EQ(clicks, (std::vector<P>{{kOptA, ui::Event::Click}}));
  EXPECT_TRUE(ui::GetValue(kOptA));
  EXPECT_FALSE(ui::GetValue(kOptB));
}

TEST_F(UiWin32, ADisabledButtonRunsNoHandlerEvenWhenWineDeliversItsClick) {
  ui::SetEnabled(kButton, false);
  EXPECT_FALSE(ui::IsEnabled(kButton));
  ::SendMessageW(Hwnd(kButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(events().empty());
  ui::SetEnabled(kButton, true);
  ::SendMessageW(Hwnd(kButton), BM_CLICK, 0, 0);
  ASSERT_FALSE(events().empty());
  EXPECT_EQ(events().back(), std::make_pair(int{kButton}, ui::Event::Click));
}

TEST_F(UiWin32, FocusRaisesGotFocusAndAPendingClickRunsInsideDoEvents) {
  ::SetFocus(Hwnd(kButton));  // the box has the focus from the start
  events().clear();
  ui::SetFocus(kEdit);
  EXPECT_EQ(::GetFocus(), Hwnd(kEdit));
  ASSERT_FALSE(events().empty());
  EXPECT_EQ(events().back(), std::make_pair(int{kEdit}, ui::Event::GotFocus));

  events().clear();
  ::PostMessageW(Hwnd(kButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(events().empty());
  ui::DoEvents();
  EXPECT_THAT(events(), ::testing::Contains(std::make_pair(int{kButton}, ui::Event::Click)));
}

TEST_F(UiWin32, TheHourglassIsTheCursorOverEveryControlWhileItIsSet) {
  HCURSOR wait = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  ui::SetMousePointer(ui::kPointerHourglass);
  EXPECT_EQ(::GetCursor(), wait);
  for (int id : {kEdit, kLog, kOptA, kButton}) {
    ::SetCursor(nullptr);
    ::SendMessageW(Hwnd(id), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd(id)),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(::GetCursor(), wait) << id;
  }
  ui::SetMousePointer(ui::kPointerDefault);
  ::SendMessageW(Hwnd(kEdit), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd(kEdit)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_NE(::GetCursor(), wait);
}

TEST_F(UiWin32, BackgroundsAreTheSystemColoursAskedForAlsoForReadOnlyBoxes) {
  win32::unique_hdc_window dc = win32::GetWindowDc(form);
  auto brush = [&](UINT msg, int id) {
    return reinterpret_cast<HBRUSH>(
        ::SendMessageW(form, msg, reinterpret_cast<WPARAM>(dc.get().dc),
                       reinterpret_cast<LPARAM>(Hwnd(id))));
  };
  EXPECT_EQ(brush(WM_CTLCOLOREDIT, kEdit), ::GetSysColorBrush(COLOR_WINDOW));
  EXPECT_EQ(brush(WM_CTLCOLORSTATIC, kLog), ::GetSysColorBrush(COLOR_BTNFACE));
  ui::SetBackColor(kEdit, ui::SysColor::ButtonFace);
  ui::SetEnabled(kEdit, false);
  EXPECT_EQ(brush(WM_CTLCOLORSTATIC, kEdit), ::GetSysColorBrush(COLOR_BTNFACE));
  ui::SetBackColor(kLog, ui::SysColor::Window);
  EXPECT_EQ(brush(WM_CTLCOLORSTATIC, kLog), ::GetSysColorBrush(COLOR_WINDOW));
}

// The colours of the pixels that a control paints into a bitmap.
std::vector<COLORREF> Painted(HWND control) {
  RECT client;
  ::GetClientRect(control, &client);
  win32::unique_hdc_window screen = win32::GetWindowDc(nullptr);
  win32::unique_hdc dc(::CreateCompatibleDC(screen.get().dc));
  win32::unique_hgdiobj bitmap(
      ::CreateCompatibleBitmap(screen.get().dc, client.right, client.bottom));
  HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
  ::SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()),
                 PRF_CLIENT | PRF_ERASEBKGND);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y) {
    for (int x = 0; x < client.right; ++x) pixels.push_back(::GetPixel(dc.get(), x, y));
  }
  ::SelectObject(dc.get(), old);
  return pixels;
}

TEST_F(UiWin32, ADisabledBoxDrawsItsTextInGrayNotInTheWindowTextColour) {
  ui::SetText(kEdit, "MMMM WWWW");
  auto count = [](const std::vector<COLORREF>& pixels, int index) {
    return std::count(pixels.begin(), pixels.end(), ::GetSysColor(index));
  };
  std::vector<COLORREF> enabled = Painted(Hwnd(kEdit));
  EXPECT_GT(count(enabled, COLOR_WINDOWTEXT), 10);
  ui::SetEnabled(kEdit, false);
  ui::SetBackColor(kEdit, ui::SysColor::ButtonFace);
  std::vector<COLORREF> disabled = Painted(Hwnd(kEdit));
  EXPECT_EQ(count(disabled, COLOR_WINDOWTEXT), 0);
  EXPECT_GT(count(disabled, COLOR_GRAYTEXT), 10);
}

TEST_F(UiWin32, AMessageBoxIsOwnedByTheWindow) {
  testing::MessageBoxes boxes;
  ui::MsgBox("Funzionalità non supportata.", ui::kExclamation, "Messaggio di Sondalink");
  ASSERT_FALSE(boxes.seen().empty());
  EXPECT_EQ(boxes.seen().back().owner, form);
}

TEST_F(UiWin32, TheCloseButtonAsksAndMayBeRefusedTheSessionEndIsNot) {
  g_recorded.cancelClose = true;
  ::SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_TRUE(ui::FormIsOpen());
  EXPECT_EQ(::SendMessageW(form, WM_QUERYENDSESSION, 0, 0), TRUE);
  ::SendMessageW(form, WM_ENDSESSION, TRUE, 0);
  EXPECT_FALSE(ui::FormIsOpen());
  EXPECT_FALSE(::IsWindow(form));
  EXPECT_EQ(g_recorded.closeReasons, (std::vector<int>{ui::kCloseByUser, ui::kCloseByWindows}));
}

TEST_F(UiWin32, TheCloseButtonClosesWhenNotRefused) {
  ::SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_FALSE(ui::FormIsOpen());
  EXPECT_EQ(g_recorded.closeReasons, std::vector<int>{ui::kCloseByUser});
}

// A control that cannot be made ends ShowForm with the half-built window
// destroyed, and Main then shows why in a box. That box must wait for OK: a
// quit queued by the destruction would end its modal loop at once. The box
// here closes only from a timer of its own modal loop, and Windows hands out
// a queued quit before any timer, so the order decides, not the time.
const testing::MessageBoxes* g_errorBoxes = nullptr;
bool g_pressedOk = false;
VOID CALLBACK PressOk(HWND, UINT, UINT_PTR, DWORD) {
  if (g_errorBoxes->seen().empty() || g_pressedOk) return;
  g_pressedOk = true;
  ::PostMessageW(g_errorBoxes->seen().back().box, WM_COMMAND, IDOK, 0);
}

TEST(UiWin32Start, TheBoxAfterAWindowThatCouldNotBeBuiltWaitsForOk) {
  constexpr ui::ControlDef kBroken[] = {
      {kPanel, "panel", ui::ControlKind::Panel, 0, "", {0, 0, 4000, 1500}, ui::kStyleNone},
      {kEdit, "edit", ui::ControlKind::TextBox, 42, "", {100, 100, 2000, 315}, ui::kStyleNone},
  };
  ErrorRecord error = ui::ShowForm({"Prova incompleta", 6000, 3300, kBroken, std::size(kBroken)},
                                   {nullptr, OnEvent, OnQueryUnload});
  ASSERT_TRUE(error.failed());
  EXPECT_FALSE(ui::FormIsOpen());
  EXPECT_FALSE(testing::FirstWindow(
      {.title = L"Prova incompleta", .className = L"SondalinkForm", .exactTitle = true, .hiddenToo = true}));

  const testing::MessageBoxes boxes(false);
  g_errorBoxes = &boxes;
  g_pressedOk = false;
  UINT_PTR timer = ::SetTimer(nullptr, 0, 0, PressOk);
  ui::MsgBox("Routine busConn:Main, linea 0, errore 1, descrizione: prova", ui::kCritical,
             "Messaggio di Sondalink");
  ::KillTimer(nullptr, timer);
  EXPECT_FALSE(boxes.seen().empty());
  EXPECT_TRUE(g_pressedOk) << "the box closed before the user pressed OK";

  MSG msg;
  EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The window that was shown still ends the program's loop when it closes.
TEST_F(UiWin32, ClosingTheShownWindowQueuesTheQuit) {
  ::SendMessageW(form, WM_CLOSE, 0, 0);
  MSG msg;
  EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace sondalink
