#include "driver.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <memory>

#include "../support/host_path.h"
#include "app/fmconn.h"

namespace sondalink::e2e {

namespace {

// The pixels, top-down as 0x00RRGGBB, of a w x h bitmap that `paint` draws.
template <class Paint>
std::vector<DWORD> Drawn(int w, int h, Paint paint) {
  win32::unique_hdc_window screen = win32::GetWindowDc(nullptr);
  win32::unique_hdc memory(::CreateCompatibleDC(screen.get().dc));
  win32::unique_hgdiobj bitmap(::CreateCompatibleBitmap(screen.get().dc, w, h));
  HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
  paint(memory.get(), screen.get().dc);
  ::SelectObject(memory.get(), old);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
  ::GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, static_cast<UINT>(h), pixels.data(), &info,
              DIB_RGB_COLORS);
  for (DWORD& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

COLORREF Colour(DWORD pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }

// The pixels of a screen rectangle.
std::vector<DWORD> Capture(int x, int y, int w, int h) {
  return Drawn(w, h, [&](HDC memory, HDC screen) { ::BitBlt(memory, 0, 0, w, h, screen, x, y, SRCCOPY); });
}

// The standard icon drawn by this process over `background`, as a message
// box draws it.
std::vector<DWORD> Render(LPCSTR iconId, int w, int h, COLORREF background) {
  return Drawn(w, h, [&](HDC memory, HDC) {
    win32::unique_hgdiobj brush(::CreateSolidBrush(background));
    RECT all{0, 0, w, h};
    ::FillRect(memory, &all, static_cast<HBRUSH>(brush.get()));
    ::DrawIconEx(memory, 0, 0, ::LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(iconId)), 0, 0, 0, nullptr,
                 DI_NORMAL);
  });
}

Icon ReadIcon(HWND box) {
  const std::vector<HWND> children = ChildrenOf(box);
  const auto control = std::ranges::find_if(children, [](HWND child) {
    return ClassOf(child) == L"Static" && (StyleOf(child) & SS_TYPEMASK) == SS_ICON;
  });
  if (control == children.end()) return Icon::None;
  RECT r;
  ::GetWindowRect(*control, &r);
  int w = std::min<int>(r.right - r.left, ::GetSystemMetrics(SM_CXICON));
  int h = std::min<int>(r.bottom - r.top, ::GetSystemMetrics(SM_CYICON));
  if (w <= 0 || h <= 0) return Icon::Unknown;
  std::vector<DWORD> shown = Capture(r.left, r.top, w, h);
  // The corners of the standard icons are transparent: the corner shows the
  // background the box drew the icon on.
  const COLORREF background = Colour(shown[0]);
  const std::pair<Icon, LPCSTR> candidates[] = {
      {Icon::Error, IDI_HAND}, {Icon::Warning, IDI_EXCLAMATION}, {Icon::Information, IDI_ASTERISK}};
  Icon best = Icon::Unknown;
  size_t bestSame = 0;
  for (const auto& [icon, id] : candidates) {
    std::vector<DWORD> drawn = Render(id, w, h, background);
    size_t same = 0;
    for (size_t i = 0; i < shown.size(); ++i) same += shown[i] == drawn[i];
    if (same > bestSame) {
      bestSame = same;
      best = icon;
    }
  }
  // Nearly every pixel must agree; a box still being drawn does not.
  if (bestSame * 100 >= shown.size() * 97) return best;
  // Under Xvfb no window manager keeps a box above the other windows, and
  // what lies over it is what the screen shows: lift the box (not
  // activating it) and have it repaint for the next reading.
  ::SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  return Icon::Unknown;
}

Box ReadBox(HWND hwnd) {
  HWND text = ::GetDlgItem(hwnd, 0xFFFF);
  return {hwnd, TextOf(hwnd), text ? TextOf(text) : L"", ReadIcon(hwnd)};
}

// A PNG file up to its IEND chunk, or a P6 picture ("P6 <w> <h> <max>" and
// one blank) with all its samples, of one byte or, past 255, of two.
bool Whole(const std::string& bytes) {
  if (bytes.starts_with("\x89PNG")) return bytes.ends_with(std::string("IEND\xAE\x42\x60\x82", 8));
  int width = 0, height = 0, max = 0, header = 0;
  return std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &width, &height, &max, &header) == 3 &&
         bytes.size() == size_t(header) + 1 + size_t(width) * height * 3 * (max > 255 ? 2 : 1);
}

void SendKey(WORD vk, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  ::SendInput(1, &input, sizeof input);
}

}  // namespace

std::optional<DWORD_PTR> Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)) return std::nullopt;
  return result;
}

std::wstring TextOf(HWND hwnd) {
  std::wstring text(Send(hwnd, WM_GETTEXTLENGTH).value_or(0) + 1, L'\0');
  text.resize(Send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())).value_or(0));
  return text;
}

std::ostream& operator<<(std::ostream& os, Icon icon) {
  static const char* const kNames[] = {"none", "error", "warning", "information", "unknown"};
  return os << kNames[static_cast<int>(icon)];
}

void PrintTo(const Box& box, std::ostream* os) {
  *os << "[" << Narrow(box.title) << "] " << box.icon << " \"" << Narrow(box.text) << "\"";
}

std::wstring BuiltProgram() { return sondalink::testing::FromHost(SONDALINK_EXE); }

App::App(const std::wstring& exe) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_)) {
    return;
  }
  WaitFor([&] {
    window_ = FirstWindow({.title = Widen(kFormConn.caption), .process = process_.dwProcessId, .exactTitle = true});
    // A box before any window is the start-up's failure: no window follows.
    return window_ != nullptr || OpenBox() || !Running();
  });
  if (window_) Settle();
}

App::~App() {
  if (!process_.hProcess) return;
  // What the program started (Notepad on a log, a folder window) goes too.
  for (DWORD id : ProcessesStartedBy(process_.dwProcessId)) EndProcess(id);
  EndProcess(process_.dwProcessId);
  ::CloseHandle(process_.hThread);
  ::CloseHandle(process_.hProcess);
}

HWND App::Control(ControlId id) const {
  const std::vector<HWND> all = Controls();
  for (size_t i = 0; i < kFormConn.count && i < all.size(); ++i) {
    if (kFormConn.controls[i].id == id) return all[i];
  }
  return nullptr;
}

HWND App::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

COLORREF App::BackgroundOf(HWND box) const {
  RECT client;
  ::GetClientRect(box, &client);
  const std::map<COLORREF, int> shown = ColoursOf(box, client.right - 3);
  const auto most = std::ranges::max_element(shown, {}, &std::map<COLORREF, int>::value_type::second);
  return most == shown.end() ? CLR_INVALID : most->first;
}

std::map<COLORREF, int> App::ColoursOf(HWND control, int fromX) const {
  ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Settle();
  RECT client;
  ::GetClientRect(control, &client);
  POINT at{fromX, 0};
  ::ClientToScreen(control, &at);
  const int w = client.right - fromX, h = client.bottom;
  if (w <= 0 || h <= 0) return {};
  // Under Wine a repaint reaches the display a little after the program has
  // handled it: read until two pictures agree.
  auto read = [&] { return Capture(at.x, at.y, w, h); };
  std::vector<DWORD> shown = read();
  WaitFor(
      [&] {
        std::vector<DWORD> again = read();
        bool still = again == shown;
        shown = std::move(again);
        return still;
      },
      2000);
  std::map<COLORREF, int> counts;
  for (DWORD p : shown) ++counts[Colour(p)];
  return counts;
}

std::pair<int, int> App::Selection(HWND edit) const {
  const DWORD_PTR both = Send(edit, EM_GETSEL).value_or(0);
  return {static_cast<int>(LOWORD(both)), static_cast<int>(HIWORD(both))};
}

void App::Activate() const {
  if (!window_ || ::GetForegroundWindow() == window_) return;
  ::SetForegroundWindow(window_);
  WaitFor([&] { return ::GetForegroundWindow() == window_; }, 2000);
}

void App::Type(HWND control, const std::wstring& text) const {
  Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void App::TypeCredentials(const std::wstring& server, const std::wstring& login, const std::wstring& password) const {
  Type(Control(kEdServer), server);
  Type(Control(kEdLogin), login);
  Type(Control(kEdPassword), password);
  Settle();
}

void App::Click(HWND control) const {
  // A button takes its click only while its window is active: under Wine the
  // activation that BM_CLICK's focus change sets off in a window still in
  // the background takes the pressed state away before the button-up.
  Activate();
  ::PostMessageW(control, BM_CLICK, 0, 0);
  Settle();
  if ((StyleOf(control) & BS_TYPEMASK) == BS_AUTORADIOBUTTON && ::IsWindowEnabled(control)) {
    WaitFor([&] { return ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 2000);
  }
}

void App::Keys(std::initializer_list<WORD> chord) const {
  Activate();
  HWND before = Focus();
  for (WORD vk : chord) SendKey(vk, false);
  for (auto it = std::rbegin(chord); it != std::rend(chord); ++it) SendKey(*it, true);
  // Typed keys reach the program through the display, later than messages:
  // wait for the focus to move, as every key the tests press moves it.
  WaitFor([&] { return Focus() != before; }, 3000);
  Settle();
}

void App::Close() const {
  ::PostMessageW(window_, WM_CLOSE, 0, 0);
  Settle();
}

void App::Settle() const {
  // A message sent to the program is handled the next time it looks at its
  // queue, before the posted and input messages waiting there; the second
  // one comes back only after those have been taken and dispatched.
  if (!window_ || !::IsWindow(window_)) return;
  for (int round = 0; round < 2; ++round) Send(window_, WM_NULL);
}

std::optional<Box> App::WaitBox(const std::wstring& title, DWORD timeoutMs) const {
  const testing::WindowQuery query{
      .title = title, .className = L"#32770", .process = process_.dwProcessId, .exactTitle = true};
  HWND found = nullptr;
  if (!WaitFor([&] { return (found = FirstWindow(query)) != nullptr; }, timeoutMs)) return std::nullopt;
  // The icon is read from the screen: wait until the box has drawn it (on a
  // loaded machine Wine may take seconds to paint it).
  Box box = ReadBox(found);
  WaitFor([&] { return (box = ReadBox(found)).icon != Icon::Unknown; }, 10000);
  return box;
}

std::optional<Box> App::OpenBox() const {
  HWND box = FirstWindow({.className = L"#32770", .process = process_.dwProcessId});
  return box ? std::optional(ReadBox(box)) : std::nullopt;
}

bool App::PressOk(const Box& box) const {
  ::PostMessageW(box.hwnd, WM_COMMAND, IDOK, 0);
  bool gone = WaitFor([&] { return !::IsWindow(box.hwnd); });
  Settle();
  return gone;
}

std::vector<DWORD> NotepadsOf(const App& app) { return ProcessesStartedBy(app.processId(), L"notepad.exe"); }

HWND WaitForNotepad(const App& app, const std::wstring& logFile, const std::function<bool()>& stop) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (DWORD id : NotepadsOf(app)) {
          if ((found = FirstWindow({.title = logFile, .className = L"Notepad", .process = id}))) return true;
        }
        return stop && stop();
      },
      20000);
  return found;
}

std::vector<HWND> FolderWindows(const App& app) {
  return FindWindows({.title = L"Sondalink", .className = L"ExplorerWClass", .notProcess = app.processId()});
}

std::wstring FolderOpenedBy(const App& app, HWND button) {
  app.Click(button);
  std::vector<HWND> found;
  if (!WaitFor([&] { return !(found = FolderWindows(app)).empty(); }, 20000)) return {};
  const std::wstring commandLine = CommandLineOf(ProcessOfWindow(found.front()));
  return CloseAndWait(found.front()) ? commandLine : L"";
}

std::string FileBytes(const std::wstring& path) {
  win32::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  return bytes;
}

bool CloseAndWait(HWND window, DWORD timeoutMs) {
  win32::unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, ProcessOfWindow(window)));
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  const bool gone = WaitFor([&] { return !::IsWindow(window); }, timeoutMs);
  return gone && (!process || ::WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0);
}

bool EndProcess(DWORD processId) {
  win32::unique_handle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
  if (!process) return false;
  ::TerminateProcess(process.get(), 1);
  return ::WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
}

std::vector<DWORD> ProcessesStartedBy(DWORD parent, const wchar_t* exeName) {
  std::vector<DWORD> children;
  win32::unique_hfile snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ParentProcessID == parent && (!exeName || _wcsicmp(entry.szExeFile, exeName) == 0)) {
      children.push_back(entry.th32ProcessID);
    }
  }
  return children;
}

std::wstring CommandLineOf(DWORD processId) {
  // Read out of the other process's environment block, as debuggers do: its
  // PEB, the process parameters, their CommandLine (32-bit layouts).
  using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  win32::unique_handle owner(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
  if (!owner) return {};
  HANDLE process = owner.get();
  std::wstring text;
  struct {
    LONG exitStatus;
    void* peb;
    ULONG_PTR affinity, priority, id, parent;
  } basic{};
  auto read = [&](const void* at, void* into, size_t size) {
    SIZE_T got = 0;
    return ::ReadProcessMemory(process, at, into, size, &got) && got == size;
  };
  // A process just started may still be filling in its parameters (a Wine
  // process writes its own at start-up): the line is read until it is whole.
  WaitFor(
      [&] {
        void* parameters = nullptr;
        struct {
          USHORT length, maximum;
          wchar_t* chars;
        } line{};
        text.clear();
        if (query && query(process, 0, &basic, sizeof basic, nullptr) >= 0 &&
            read(static_cast<BYTE*>(basic.peb) + 0x10, &parameters, sizeof parameters) &&
            read(static_cast<BYTE*>(parameters) + 0x40, &line, sizeof line)) {
          text.resize(line.length / sizeof(wchar_t));
          if (!read(line.chars, text.data(), line.length)) text.clear();
        }
        return !text.empty() && text.find(L'\0') == std::wstring::npos;
      },
      2000);
  return text;
}

std::wstring LocalAppData() {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

bool Screenshot(const std::string& unixPath, HWND window) {
  // Wine runs a host program handed to CreateProcess.
  const std::wstring target = sondalink::testing::FromHost(unixPath);
  ::DeleteFileW(target.c_str());
  std::wstring commandLine = L"Z:\\usr\\bin\\import -window root ";
  if (window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    wchar_t crop[64];
    std::swprintf(crop, 64, L"-crop %ldx%ld+%ld+%ld +repage ", r.right - r.left, r.bottom - r.top,
                  r.left, r.top);
    commandLine += crop;
  }
  commandLine += Widen(unixPath);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
    return false;
  }
  win32::unique_handle thread(info.hThread);
  win32::unique_handle process(info.hProcess);
  // The end of a host program does not come back through Wine: the picture
  // is there once its file ends as its format does.
  return WaitFor([&] { return Whole(FileBytes(target)); }, 30000);
}

Undo SetRegistryValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const std::wstring& value) {
  win32::unique_hkey opened;
  DWORD disposition = 0, savedType = REG_SZ, size = 0;
  ::RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, opened.put(), &disposition);
  bool had = ::RegQueryValueExW(opened.get(), name, nullptr, &savedType, nullptr, &size) == ERROR_SUCCESS;
  std::vector<BYTE> saved(size);
  had = had && ::RegQueryValueExW(opened.get(), name, nullptr, &savedType, saved.data(), &size) == ERROR_SUCCESS;
  ::RegSetValueExW(opened.get(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  const bool made = disposition == REG_CREATED_NEW_KEY;
  return Undo([=, key = std::wstring(key), name = std::wstring(name)] {
    win32::unique_hkey back;
    ::RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, back.put());
    if (had) {
      ::RegSetValueExW(back.get(), name.c_str(), 0, savedType, saved.data(), static_cast<DWORD>(saved.size()));
    } else {
      ::RegDeleteValueW(back.get(), name.c_str());
    }
    back.reset();
    if (made) ::RegDeleteKeyW(root, key.c_str());
  });
}

Undo SetSystemColours(std::initializer_list<std::pair<int, COLORREF>> colours) {
  std::vector<int> indexes;
  std::vector<COLORREF> saved, wanted;
  for (const auto& [index, colour] : colours) {
    indexes.push_back(index);
    saved.push_back(::GetSysColor(index));
    wanted.push_back(colour);
  }
  ::SetSysColors(static_cast<int>(indexes.size()), indexes.data(), wanted.data());
  return Undo([=] { ::SetSysColors(static_cast<int>(indexes.size()), indexes.data(), saved.data()); });
}

Undo MoveLocalAppData(const std::wstring& path) {
  auto value = std::make_shared<Undo>(
      SetRegistryValue(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders",
                       L"Local AppData", REG_EXPAND_SZ, path));
  return Undo([=]() mutable {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
    value.reset();
  });
}

}  // namespace sondalink::e2e
