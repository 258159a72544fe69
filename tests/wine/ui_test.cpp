// The user-interface services on the real Windows controls, in process:
// texts in UTF-16 units, the option group, clicks and focus as events, a
// disabled button, the wait pointer, the close reasons, the message box's
// owner and the background colours. And the main window's own control
// table: every caption, drawn in its control's font, fits the room that its
// control leaves, also when the user's message font is 9 points (Segoe UI's
// size from Vista on); tests/wine/at-every-dpi runs that again at 120, 144
// and 192 DPI.
#include "platform/win32/windows_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/fmconn.h"
#include "platform/ui.h"
#include "support/windows.h"

namespace sondalink {
namespace {

namespace ui = platform::ui;

enum : int { kPanel = 1, kEdit, kOptA, kOptB, kLog, kButton };

constexpr ui::ControlDef kControls[] = {
    {kPanel, "panel", ui::ControlKind::Panel, 0, "", {0, 0, 4000, 1500}, ui::kStyleNone},
    {kEdit, "edit", ui::ControlKind::TextBox, kPanel, "", {100, 100, 2000, 315}, ui::kStyleNone},
    {kOptA, "optA", ui::ControlKind::OptionButton, kPanel, "&Uno", {100, 500, 2000, 285}, ui::kStyleNone},
    {kOptB, "optB", ui::ControlKind::OptionButton, kPanel, "&Due", {100, 900, 2000, 285}, ui::kStyleNone},
    {kLog, "log", ui::ControlKind::TextBox, 0, "", {100, 1600, 4000, 1500},
     ui::kStyleMultiLine | ui::kStyleReadOnly | ui::kStyleScrollBars | ui::kStyleButtonFace},
    {kButton, "button", ui::ControlKind::CommandButton, 0, "&Prova", {4200, 100, 1500, 330}, ui::kStyleNone},
};

using Fired = std::pair<int, ui::Event>;

struct Recorded {
  std::vector<Fired> events;
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
  HWND Hwnd(int id) const { return testing::ChildrenOf(form).at(static_cast<size_t>(id - 1)); }
  std::vector<Fired>& events() { return g_recorded.events; }
  // The system's question for the cursor over a control, as a mouse move asks it.
  void Hover(int id) const {
    ::SendMessageW(Hwnd(id), WM_SETCURSOR, reinterpret_cast<WPARAM>(Hwnd(id)), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  }

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
  EXPECT_EQ(events(), (std::vector<Fired>{{kOptA, ui::Event::Click}, {kOptB, ui::Event::Click}}));

  // The user's click on the option already chosen is no event; on the other
  // one it is, and it moves the choice.
  events().clear();
  ::SendMessageW(Hwnd(kOptB), BM_CLICK, 0, 0);
  ::SendMessageW(Hwnd(kOptA), BM_CLICK, 0, 0);
  std::erase_if(events(), [](const Fired& e) { return e.second != ui::Event::Click; });
  EXPECT_EQ(events(), (std::vector<Fired>{{kOptA, ui::Event::Click}}));
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
  EXPECT_EQ(events().back(), Fired(kButton, ui::Event::Click));
}

TEST_F(UiWin32, FocusRaisesGotFocusAndAPendingClickRunsInsideDoEvents) {
  ::SetFocus(Hwnd(kButton));  // the box has the focus from the start
  events().clear();
  ui::SetFocus(kEdit);
  EXPECT_EQ(::GetFocus(), Hwnd(kEdit));
  ASSERT_FALSE(events().empty());
  EXPECT_EQ(events().back(), Fired(kEdit, ui::Event::GotFocus));

  events().clear();
  ::PostMessageW(Hwnd(kButton), BM_CLICK, 0, 0);
  EXPECT_TRUE(events().empty());
  ui::DoEvents();
  EXPECT_THAT(events(), ::testing::Contains(Fired(kButton, ui::Event::Click)));
}

TEST_F(UiWin32, TheHourglassIsTheCursorOverEveryControlWhileItIsSet) {
  HCURSOR wait = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT));
  ui::SetMousePointer(ui::kPointerHourglass);
  EXPECT_EQ(::GetCursor(), wait);
  for (int id : {kEdit, kLog, kOptA, kButton}) {
    ::SetCursor(nullptr);
    Hover(id);
    EXPECT_EQ(::GetCursor(), wait) << id;
  }
  ui::SetMousePointer(ui::kPointerDefault);
  Hover(kEdit);
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
  ui::ControlDef broken[] = {kControls[0], kControls[1]};
  broken[1].parent = 42;  // no such control
  ErrorRecord error = ui::ShowForm({"Prova incompleta", 6000, 3300, broken, std::size(broken)},
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

int ScreenDpi() {
  win32::unique_hdc_window screen = win32::GetWindowDc(nullptr);
  return ::GetDeviceCaps(screen.get().dc, LOGPIXELSY);
}

// The width of what the caption puts on paper, as a control draws it on
// one line ("&" taken as the access-key marker), in `font`: the right-most
// column that is not background, plus one. Wine's advances run about a
// tenth wider than its glyphs, so the extent would overstate it.
int InkWidth(const std::wstring& caption, HFONT font) {
  win32::unique_hdc_window screen = win32::GetWindowDc(nullptr);
  win32::unique_hdc dc(::CreateCompatibleDC(screen.get().dc));
  const int w = 2000, h = 200;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win32::unique_hgdiobj bitmap(
      ::CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return -1;
  HGDIOBJ oldBitmap = ::SelectObject(dc.get(), bitmap.get());
  HGDIOBJ oldFont = ::SelectObject(dc.get(), font);
  RECT all{0, 0, w, h};
  ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SetBkMode(dc.get(), TRANSPARENT);
  ::SetTextColor(dc.get(), RGB(0, 0, 0));
  ::DrawTextW(dc.get(), caption.c_str(), -1, &all, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOCLIP);
  ::GdiFlush();
  const auto* pixels = static_cast<const DWORD*>(bits);
  int right = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = w - 1; x >= right; --x) {
      if ((pixels[y * w + x] & 0xFFFFFF) != 0xFFFFFF) {
        right = x + 1;
        break;
      }
    }
  }
  ::SelectObject(dc.get(), oldFont);
  ::SelectObject(dc.get(), oldBitmap);
  return right;
}

// The family that a font resolves to.
std::wstring FamilyOf(HFONT font) {
  win32::unique_hdc_window screen = win32::GetWindowDc(nullptr);
  HGDIOBJ old = ::SelectObject(screen.get().dc, font);
  std::wstring family;
  UINT size = ::GetOutlineTextMetricsW(screen.get().dc, 0, nullptr);
  if (size > 0) {
    std::vector<char> buffer(size);
    auto* metrics = reinterpret_cast<OUTLINETEXTMETRICW*>(buffer.data());
    if (::GetOutlineTextMetricsW(screen.get().dc, size, metrics)) {
      family = reinterpret_cast<const wchar_t*>(
          buffer.data() + reinterpret_cast<UINT_PTR>(metrics->otmpFamilyName));
    }
  }
  ::SelectObject(screen.get().dc, old);
  return family;
}

// The room that a control leaves its caption, in pixels at `dpi`: an option
// button loses its check glyph and the gap after it, a push button its
// borders, a frame the indent of its title on both sides.
int RoomFor(ui::ControlKind kind, HWND hwnd, int dpi) {
  RECT client;
  ::GetClientRect(hwnd, &client);
  const int width = client.right - client.left;
  switch (kind) {
    case ui::ControlKind::OptionButton:
      return width - ::GetSystemMetrics(SM_CXMENUCHECK) - ::MulDiv(4, dpi, 96);
    case ui::ControlKind::CommandButton:
      return width - 2 * ::MulDiv(4, dpi, 96);
    case ui::ControlKind::Frame:
      return width - 2 * ::MulDiv(8, dpi, 96);
    default:
      return width;
  }
}

// The message font of this session at 9 points for the test, and back after
// it with the window closed. Not written to the registry: the prefix keeps
// its own.
class MainWindowCaptions : public ::testing::Test {
 protected:
  void SetUp() override {
    // As the program's manifest declares: laid out at the system's DPI.
    ::SetProcessDPIAware();
    saved_.cbSize = sizeof saved_;
    ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof saved_, &saved_, 0));
    NONCLIENTMETRICSW nine = saved_;
    nine.lfMessageFont.lfHeight = -::MulDiv(9, ScreenDpi(), 72);
    ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof nine, &nine, SPIF_SENDCHANGE);
  }
  void TearDown() override {
    ui::UnloadForm();
    testing::DropQuit();
    ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof saved_, &saved_, SPIF_SENDCHANGE);
  }

  NONCLIENTMETRICSW saved_{};
};

TEST_F(MainWindowCaptions, EachIsDrawnWholeInTheDialogFontWhateverTheMessageFont) {
  const int dpi = ScreenDpi();
  if (const char* wanted = std::getenv("SONDALINK_DPI")) {
    ASSERT_EQ(dpi, std::atoi(wanted)) << "the display scale was not applied";
  }
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  ASSERT_EQ(metrics.lfMessageFont.lfHeight, -::MulDiv(9, dpi, 72)) << "not changed";

  ASSERT_FALSE(ui::ShowForm(kFormConn, {nullptr, nullptr, nullptr}).failed());
  HWND form = testing::FirstWindow({.className = L"SondalinkForm", .process = ::GetCurrentProcessId()});
  ASSERT_TRUE(form);
  const std::vector<HWND> controls = testing::ChildrenOf(form);
  ASSERT_EQ(controls.size(), kFormConn.count);

  int measured = 0;
  for (size_t i = 0; i < kFormConn.count; ++i) {
    const ui::ControlDef& def = kFormConn.controls[i];
    if (def.kind == ui::ControlKind::TextBox || !def.caption || !*def.caption) continue;
    SCOPED_TRACE(def.name);
    auto font = reinterpret_cast<HFONT>(::SendMessageW(controls[i], WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    // A fresh prefix lacks Wine's Tahoma; a stand-in would be measured instead.
    EXPECT_EQ(FamilyOf(font), L"Tahoma");
    const int ink = InkWidth(win32::Widen(def.caption), font);
    const int room = RoomFor(def.kind, controls[i], dpi);
    EXPECT_GT(ink, 0);
    EXPECT_LE(ink, room) << "at " << dpi << " DPI";
    ++measured;
  }
  EXPECT_EQ(measured, 12);
}

}  // namespace
}  // namespace sondalink
