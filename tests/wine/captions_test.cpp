// The main window's own control table, realized in process: every caption,
// drawn in its control's font, fits the room that its control leaves, also
// when the user's message font is 9 points (Segoe UI's size from Vista on).
// tests/wine/at-every-dpi runs it again at 120, 144 and 192 DPI.
#include "platform/win32/windows_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/fmconn.h"
#include "platform/ui.h"
#include "support/windows.h"

namespace sondalink {
namespace {

namespace ui = platform::ui;

int ScreenDpi() {
  win32::unique_hdc_window screen = win32::GetWindowDc(nullptr);
  return ::GetDeviceCaps(screen.get().dc, LOGPIXELSY);
}

// The message font of this session at `points` for the life of the object,
// and back. Not written to the registry: the prefix keeps its own.
class MessageFontOf {
 public:
  explicit MessageFontOf(int points) {
    saved_.cbSize = sizeof saved_;
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof saved_, &saved_, 0)) return;
    had_ = true;
    NONCLIENTMETRICSW changed = saved_;
    changed.lfMessageFont.lfHeight = -::MulDiv(points, ScreenDpi(), 72);
    ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof changed, &changed, SPIF_SENDCHANGE);
  }
  ~MessageFontOf() {
    if (had_) {
      ::SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof saved_, &saved_, SPIF_SENDCHANGE);
    }
  }
  MessageFontOf(const MessageFontOf&) = delete;
  MessageFontOf& operator=(const MessageFontOf&) = delete;

 private:
  NONCLIENTMETRICSW saved_{};
  bool had_ = false;
};

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

// Closes the window at the end of the scope, however the test ends.
struct Unloaded {
  Unloaded() = default;
  Unloaded(const Unloaded&) = delete;
  Unloaded& operator=(const Unloaded&) = delete;
  ~Unloaded() {
    ui::UnloadForm();
    testing::DropQuit();
  }
};

TEST(MainWindowCaptions, EachIsDrawnWholeInTheDialogFontWhateverTheMessageFont) {
  // As the program's manifest declares: laid out at the system's DPI.
  ::SetProcessDPIAware();
  const int dpi = ScreenDpi();
  if (const char* wanted = std::getenv("SONDALINK_DPI")) {
    ASSERT_EQ(dpi, std::atoi(wanted)) << "the display scale was not applied";
  }
  MessageFontOf nine(9);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  ASSERT_EQ(metrics.lfMessageFont.lfHeight, -::MulDiv(9, dpi, 72)) << "not changed";

  ASSERT_FALSE(ui::ShowForm(kFormConn, {nullptr, nullptr, nullptr}).failed());
  Unloaded unloaded;
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
