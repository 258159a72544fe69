// The program's window realized from its control table with the Windows
// API: standard controls, the dialog manager for the keyboard, system
// colours and the dialog font. Win32-specific code only.
#include "platform/ui.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "platform/win32/ui_win32.h"
#include "platform/win32/windows_support.h"

#include <commctrl.h>

namespace sondalink::platform::ui {

namespace {

using win32::Narrow;
using win32::Widen;

// Window ids are the table's ids moved away from IDOK and IDCANCEL, which
// the dialog manager sends on its own for Enter and Esc.
constexpr int kIdBase = 1000;
constexpr wchar_t kFormClass[] = L"SondalinkForm";
constexpr wchar_t kPanelClass[] = L"SondalinkPanel";

struct Control {
  const ControlDef* def;
  HWND hwnd;
  SysColor back;
  bool selected;  // option buttons: the value that the handlers last saw
};

struct FormState {
  HWND hwnd = nullptr;
  FormHandlers handlers{};
  std::vector<Control> controls;  // in table order
  win32::unique_hgdiobj font;
  HWND savedFocus = nullptr;
  // Shown to the user. Only the end of such a window ends the program's
  // message loop: a quit queued for a half-built one would end the modal
  // loop of the error box shown next at once, before the user could read it.
  bool shown = false;
};

FormState& Form() {
  static FormState state;
  return state;
}

int g_pointer = kPointerDefault;

// IDC_* are narrow resource ids unless UNICODE is defined.
HCURSOR SystemCursor(LPCSTR id) { return ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(id)); }

Control* Find(int id) {
  for (Control& c : Form().controls) {
    if (c.def->id == id) return &c;
  }
  return nullptr;
}

Control* FindByHwnd(HWND hwnd) {
  for (Control& c : Form().controls) {
    if (c.hwnd == hwnd) return &c;
  }
  return nullptr;
}

HWND Hwnd(int id) {
  Control* c = Find(id);
  return c ? c->hwnd : nullptr;
}

void Raise(int id, Event what) {
  if (Form().handlers.event) Form().handlers.event(id, what);
}

// The DPI that the window is laid out for: its own where the system can
// tell (per-monitor awareness), else the system's.
int WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"),
                                                    "GetDpiForWindow")));
  if (getDpiForWindow && hwnd) {
    if (UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
  }
  win32::unique_hdc_window screen = win32::GetWindowDc(nullptr);
  int dpi = screen ? ::GetDeviceCaps(screen.get().dc, LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

int ToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

// The positions in the table are laid out for the 8-point dialog font, so
// the controls take that font at the window's DPI rather than the user's
// message font: Segoe UI 9 pt (Vista and later) would cut the long captions.
// "MS Shell Dlg 2" is the system's name for it (Tahoma from 2000 on).
HFONT CreateDialogFont(int dpi) {
  LOGFONTW font{};
  font.lfHeight = -::MulDiv(8, dpi, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  // Where the name is unknown (before 2000) the mapper picks a sans serif.
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  static constexpr wchar_t kFace[] = L"MS Shell Dlg 2";
  static_assert(std::size(kFace) <= LF_FACESIZE);
  std::copy(std::begin(kFace), std::end(kFace), font.lfFaceName);
  return ::CreateFontIndirectW(&font);
}

bool IsOption(const Control& c) { return c.def->kind == ControlKind::OptionButton; }

// Only the selected option of a group is a tab stop, so that Tab enters the
// group at its choice and the arrow keys move within it.
void UpdateTabStops(int parent) {
  Control* first = nullptr;
  bool anySelected = false;
  for (Control& c : Form().controls) {
    if (!IsOption(c) || c.def->parent != parent) continue;
    if (!first) first = &c;
    anySelected = anySelected || c.selected;
  }
  for (Control& c : Form().controls) {
    if (!IsOption(c) || c.def->parent != parent) continue;
    bool stop = c.selected || (!anySelected && &c == first);
    LONG_PTR style = ::GetWindowLongPtrW(c.hwnd, GWL_STYLE);
    style = stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    ::SetWindowLongPtrW(c.hwnd, GWL_STYLE, style);
  }
}

void MarkSelected(Control& chosen) {
  for (Control& c : Form().controls) {
    if (IsOption(c) && c.def->parent == chosen.def->parent) c.selected = (&c == &chosen);
  }
  UpdateTabStops(chosen.def->parent);
}

int ColorIndex(SysColor color) { return color == SysColor::Window ? COLOR_WINDOW : COLOR_BTNFACE; }

// Text boxes: window text on their background; captions: button text on the
// button face. Disabled controls draw their gray text themselves, whatever
// colour is set here.
LRESULT OnCtlColor(HDC dc, HWND hwnd) {
  Control* c = FindByHwnd(hwnd);
  int back = COLOR_BTNFACE, text = COLOR_BTNTEXT;
  if (c && c->def->kind == ControlKind::TextBox) {
    // Read-only and disabled boxes ask through WM_CTLCOLORSTATIC as well.
    back = ColorIndex(c->back);
    text = COLOR_WINDOWTEXT;
  }
  ::SetTextColor(dc, ::GetSysColor(text));
  ::SetBkColor(dc, ::GetSysColor(back));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(back));
}

bool OnCommand(WPARAM wParam, LPARAM lParam) {
  HWND hwnd = reinterpret_cast<HWND>(lParam);
  Control* c = Find(static_cast<int>(LOWORD(wParam)) - kIdBase);
  if (!c || c->hwnd != hwnd || !hwnd) return false;
  int id = c->def->id;
  WORD code = HIWORD(wParam);
  switch (c->def->kind) {
    case ControlKind::TextBox:
      if (code == EN_SETFOCUS) Raise(id, Event::GotFocus);
      return true;
    case ControlKind::CommandButton:
      // A BM_CLICK reaches a disabled button too (under Wine at least): a
      // disabled button never runs its handler.
      if (code == BN_CLICKED && ::IsWindowEnabled(hwnd)) Raise(id, Event::Click);
      return true;
    case ControlKind::OptionButton:
      if (code == BN_SETFOCUS) {
        Raise(id, Event::GotFocus);
      } else if (code == BN_CLICKED && ::IsWindowEnabled(hwnd)) {
        // The click event belongs to the option becoming selected, not to a
        // click on the one already selected.
        bool checked = ::SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
        if (checked && !c->selected) {
          MarkSelected(*c);
          Raise(id, Event::Click);
        }
      }
      return true;
    default:
      return false;
  }
}

HWND FirstTabStop(HWND form) { return ::GetNextDlgTabItem(form, nullptr, FALSE); }

// What DefDlgProc does for WM_NEXTDLGCTL: the access key of a label moves
// here, and so does Tab out of a multi-line box.
void OnNextDlgCtl(HWND form, WPARAM wParam, LPARAM lParam) {
  HWND target;
  if (LOWORD(lParam)) {
    target = reinterpret_cast<HWND>(wParam);
  } else {
    HWND focus = ::GetFocus();
    if (!focus || !::IsChild(form, focus)) focus = nullptr;
    target = ::GetNextDlgTabItem(form, focus, wParam != 0);
  }
  if (!target) return;
  if (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
    ::SendMessageW(target, EM_SETSEL, 0, -1);
  }
  ::SetFocus(target);
}

void RestoreFocus(HWND form) {
  HWND saved = Form().savedFocus;
  if (saved && ::IsWindow(saved) && ::IsChild(form, saved) && ::IsWindowEnabled(saved)) {
    ::SetFocus(saved);
  } else if (HWND first = FirstTabStop(form)) {
    ::SetFocus(first);
  } else {
    ::SetFocus(form);
  }
}

// The close request: the handler may keep the window open, except when
// Windows ends the session.
void RequestClose(int reason) {
  bool cancel = false;
  if (Form().handlers.queryUnload) Form().handlers.queryUnload(reason, cancel);
  if (reason == kCloseByWindows) cancel = false;
  if (!cancel && Form().hwnd) ::DestroyWindow(Form().hwnd);
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) return 0;
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SETCURSOR:
      if (g_pointer == kPointerHourglass) {
        ::SetCursor(SystemCursor(IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_NEXTDLGCTL:
      OnNextDlgCtl(hwnd, wParam, lParam);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(hwnd, focus)) Form().savedFocus = focus;
      } else if (!HIWORD(wParam)) {
        RestoreFocus(hwnd);
      }
      return 0;
    case WM_CLOSE:
      RequestClose(kCloseByUser);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;  // never held back
    case WM_ENDSESSION:
      if (wParam) RequestClose(kCloseByWindows);
      return 0;
    case WM_DESTROY:
      if (Form().shown) ::PostQuitMessage(0);
      break;
    case WM_NCDESTROY: {
      FormState& s = Form();
      s.hwnd = nullptr;
      s.controls.clear();
      s.savedFocus = nullptr;
      s.font.reset();
      s.shown = false;
      break;
    }
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The container inside the frame hands its children's notifications to the
// window, where the handlers and colours are decided.
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_NEXTDLGCTL:
      if (Form().hwnd) return ::SendMessageW(Form().hwnd, msg, wParam, lParam);
      break;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterClasses(HINSTANCE instance) {
  static bool registered = false;
  if (registered) return true;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);

  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  form.lpfnWndProc = FormProc;
  form.hInstance = instance;
  form.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  form.hCursor = SystemCursor(IDC_ARROW);
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = kFormClass;
  if (!::RegisterClassExW(&form)) return false;

  WNDCLASSEXW panel{};
  panel.cbSize = sizeof panel;
  panel.lpfnWndProc = PanelProc;
  panel.hInstance = instance;
  panel.hCursor = SystemCursor(IDC_ARROW);
  panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  panel.lpszClassName = kPanelClass;
  if (!::RegisterClassExW(&panel)) return false;
  registered = true;
  return true;
}

// Window class, style and extended style of one kind of control.
struct Realization {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

Realization Realize(const ControlDef& def) {
  switch (def.kind) {
    case ControlKind::Frame:
      // The dialog manager walks into it for Tab and the access keys.
      return {L"BUTTON", BS_GROUPBOX | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Panel:
      return {kPanelClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case ControlKind::Label:
      return {L"STATIC", SS_LEFT, 0};
    case ControlKind::TextBox: {
      DWORD style = WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT;
      if (def.style & kStylePassword) style |= ES_PASSWORD;
      if (def.style & kStyleMultiLine) style |= ES_MULTILINE | ES_AUTOVSCROLL;
      if (def.style & kStyleReadOnly) style |= ES_READONLY;
      if (def.style & kStyleScrollBars) style |= WS_HSCROLL | WS_VSCROLL;
      return {L"EDIT", style, WS_EX_CLIENTEDGE};
    }
    case ControlKind::OptionButton:
      // BS_NOTIFY for BN_SETFOCUS; tab stops follow the selection.
      return {L"BUTTON", BS_AUTORADIOBUTTON | BS_NOTIFY, 0};
    case ControlKind::CommandButton:
      // No BS_NOTIFY: with it a double click would be one click only.
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
  }
  return {L"STATIC", 0, 0};
}

// The first option of a run of options among the children of one parent,
// and the first control after such a run, start a group.
bool StartsGroup(const FormDef& form, size_t index) {
  const ControlDef& def = form.controls[index];
  bool option = def.kind == ControlKind::OptionButton;
  for (size_t i = index; i-- > 0;) {
    const ControlDef& before = form.controls[i];
    if (before.parent != def.parent) continue;
    return (before.kind == ControlKind::OptionButton) != option;
  }
  return option;
}

ErrorRecord CreateControl(const FormDef& form, size_t index, int dpi, HINSTANCE instance) {
  const ControlDef& def = form.controls[index];
  HWND parent = def.parent ? Hwnd(def.parent) : Form().hwnd;
  if (!parent) return {kErrInvalidArg, "Parent control not found", "ShowForm"};
  Realization r = Realize(def);
  DWORD style = WS_CHILD | WS_VISIBLE | r.style;
  if (def.style & kStyleDisabled) style |= WS_DISABLED;
  if (StartsGroup(form, index)) style |= WS_GROUP;
  std::wstring caption =
      def.kind == ControlKind::TextBox || !def.caption ? std::wstring() : Widen(def.caption);
  HWND hwnd = ::CreateWindowExW(
      r.exStyle, r.className, caption.c_str(), style, ToPixels(def.rect.left, dpi),
      ToPixels(def.rect.top, dpi), ToPixels(def.rect.width, dpi),
      ToPixels(def.rect.height, dpi), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBase + def.id)), instance, nullptr);
  if (!hwnd) return win32::ErrorFromLastError("CreateWindowExW");
  Form().controls.push_back(Control{
      &def, hwnd, (def.style & kStyleButtonFace) ? SysColor::ButtonFace : SysColor::Window,
      false});
  if (Form().font) ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(Form().font.get()), FALSE);
  if (def.kind == ControlKind::TextBox) {
    ::SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);  // no length limit
    if (def.style & kStylePassword) ::SendMessageW(hwnd, EM_SETPASSWORDCHAR, L'*', 0);
  }
  return {};
}

}  // namespace

void MsgBox(const std::string& text, int flags, const std::string& title) {
  ::MessageBoxW(Form().hwnd, Widen(text).c_str(), Widen(title).c_str(),
                static_cast<UINT>(flags) | MB_OK);
}

ErrorRecord ShowForm(const FormDef& form, const FormHandlers& handlers) {
  FormState& s = Form();
  if (s.hwnd) return {kErrFail, "The window is already shown", "ShowForm"};
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (!RegisterClasses(instance)) return win32::ErrorFromLastError("RegisterClassExW");

  // No WS_CLIPCHILDREN: the frame paints no background of its own, the
  // window paints it beneath.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  const DWORD exStyle = WS_EX_CONTROLPARENT;
  HWND hwnd = ::CreateWindowExW(exStyle, kFormClass, Widen(form.caption).c_str(), style,
                                CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance,
                                nullptr);
  if (!hwnd) return win32::ErrorFromLastError("CreateWindowExW");
  s.hwnd = hwnd;
  s.handlers = handlers;

  // The client area in twips at the window's DPI, centred on the work area.
  int dpi = WindowDpi(hwnd);
  s.font.reset(CreateDialogFont(dpi));
  RECT frame{0, 0, ToPixels(form.clientWidth, dpi), ToPixels(form.clientHeight, dpi)};
  ::AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  int x = work.left + ((work.right - work.left) - width) / 2;
  int y = work.top + ((work.bottom - work.top) - height) / 2;
  ::SetWindowPos(hwnd, nullptr, x < work.left ? work.left : x, y < work.top ? work.top : y,
                 width, height, SWP_NOZORDER | SWP_NOACTIVATE);

  for (size_t i = 0; i < form.count; ++i) {
    ErrorRecord error = CreateControl(form, i, dpi, instance);
    if (error.failed()) {
      ::DestroyWindow(hwnd);
      return error;
    }
  }
  for (const Control& c : s.controls) {
    if (IsOption(c)) UpdateTabStops(c.def->parent);
  }

  if (handlers.load) handlers.load();
  if (!s.hwnd) return {};  // unloaded while loading
  s.shown = true;
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  ::UpdateWindow(hwnd);
  HWND focus = ::GetFocus();
  if (!focus || !::IsChild(hwnd, focus)) RestoreFocus(hwnd);
  return {};
}

void UnloadForm() {
  if (Form().hwnd) ::DestroyWindow(Form().hwnd);
}

bool FormIsOpen() { return Form().hwnd != nullptr; }

void SetEnabled(int control, bool enabled) {
  if (HWND hwnd = Hwnd(control)) ::EnableWindow(hwnd, enabled ? TRUE : FALSE);
}

bool IsEnabled(int control) {
  HWND hwnd = Hwnd(control);
  return hwnd && ::IsWindowEnabled(hwnd);
}

void SetBackColor(int control, SysColor color) {
  Control* c = Find(control);
  if (!c) return;
  c->back = color;
  ::InvalidateRect(c->hwnd, nullptr, TRUE);
}

bool GetValue(int control) {
  HWND hwnd = Hwnd(control);
  return hwnd && ::SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetValue(int control, bool selected) {
  Control* c = Find(control);
  if (!c || !IsOption(*c)) return;
  if (!selected) {
    ::SendMessageW(c->hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
    c->selected = false;
    UpdateTabStops(c->def->parent);
    return;
  }
  for (Control& other : Form().controls) {
    if (IsOption(other) && other.def->parent == c->def->parent && &other != c) {
      ::SendMessageW(other.hwnd, BM_SETCHECK, BST_UNCHECKED, 0);
    }
  }
  ::SendMessageW(c->hwnd, BM_SETCHECK, BST_CHECKED, 0);
  MarkSelected(*c);
  Raise(control, Event::Click);
}

std::string GetText(int control) {
  HWND hwnd = Hwnd(control);
  if (!hwnd) return {};
  auto length = static_cast<size_t>(::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring buffer(length + 1, L'\0');
  LRESULT copied = ::SendMessageW(hwnd, WM_GETTEXT, buffer.size(),
                                  reinterpret_cast<LPARAM>(buffer.data()));
  return Narrow(buffer.data(), static_cast<int>(copied));
}

void SetText(int control, const std::string& text) {
  if (HWND hwnd = Hwnd(control)) {
    ::SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  }
}

void AppendText(int control, const std::string& text) {
  HWND hwnd = Hwnd(control);
  if (!hwnd) return;
  LRESULT end = ::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  ::SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(end), end);
  ::SendMessageW(hwnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(text).c_str()));
  // The caret stays at the end, but the box shows where the lines begin:
  // the replacement scrolled it to the caret, right for a long last line.
  ::SendMessageW(hwnd, WM_HSCROLL, SB_LEFT, 0);
}

size_t TextLength(int control) {
  HWND hwnd = Hwnd(control);
  return hwnd ? static_cast<size_t>(::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) : 0;
}

void SetSelection(int control, size_t start, size_t length) {
  if (HWND hwnd = Hwnd(control)) {
    ::SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(start),
                   static_cast<LPARAM>(start + length));
  }
}

void SetFocus(int control) {
  if (HWND hwnd = Hwnd(control)) ::SetFocus(hwnd);
}

void SetMousePointer(int pointer) {
  g_pointer = pointer;
  if (pointer == kPointerHourglass) {
    ::SetCursor(SystemCursor(IDC_WAIT));
    return;
  }
  // Let the window under the mouse choose its own cursor again at once.
  POINT at;
  HWND under = ::GetCursorPos(&at) ? ::WindowFromPoint(at) : nullptr;
  if (under && ::GetWindowThreadProcessId(under, nullptr) == ::GetCurrentThreadId()) {
    LRESULT hit = ::SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    ::SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                   MAKELPARAM(hit, WM_MOUSEMOVE));
  } else {
    ::SetCursor(SystemCursor(IDC_ARROW));
  }
}

void DoEvents() {
  if (Form().hwnd) ::UpdateWindow(Form().hwnd);
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Keep it for the program's own message loop.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!win32::PreTranslateFormMessage(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

}  // namespace sondalink::platform::ui

namespace sondalink::win32 {

bool PreTranslateFormMessage(MSG& msg) {
  HWND form = platform::ui::Form().hwnd;
  return form && ::IsDialogMessageW(form, &msg);
}

}  // namespace sondalink::win32
