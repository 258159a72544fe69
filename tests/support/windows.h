// One way for every Windows test to find windows: the top-level ones by
// title, class and process, a window's controls, and the message boxes of
// the test's own thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sondalink::testing {

// Under Wine a test may use what only Wine has (its per-program settings) and
// knows what a fresh prefix holds.
inline bool UnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

inline std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  ::GetClassNameW(hwnd, name, 256);
  return name;
}

inline DWORD ProcessOfWindow(HWND hwnd) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  return pid;
}

struct WindowQuery {
  std::wstring title = {};             // a part of the title; "" for any
  const wchar_t* className = nullptr;  // the whole class name; nullptr for any
  DWORD process = 0;                   // only this process's windows (0: any)
  DWORD notProcess = 0;                // none of this process's
  bool exactTitle = false;
  bool hiddenToo = false;
};

namespace detail {
inline BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}
}  // namespace detail

// The top-level windows that answer the query, in Z order.
inline std::vector<HWND> FindWindows(const WindowQuery& q) {
  std::vector<HWND> all, found;
  ::EnumWindows(detail::Collect, reinterpret_cast<LPARAM>(&all));
  for (HWND hwnd : all) {
    const DWORD pid = ProcessOfWindow(hwnd);
    if ((!q.hiddenToo && !::IsWindowVisible(hwnd)) || (q.process && pid != q.process) ||
        (q.notProcess && pid == q.notProcess) || (q.className && ClassOf(hwnd) != q.className)) {
      continue;
    }
    wchar_t title[512] = {};
    ::GetWindowTextW(hwnd, title, 512);
    if (q.exactTitle ? q.title == title : std::wstring(title).find(q.title) != std::wstring::npos) {
      found.push_back(hwnd);
    }
  }
  return found;
}
inline HWND FirstWindow(const WindowQuery& query) {
  std::vector<HWND> found = FindWindows(query);
  return found.empty() ? nullptr : found.front();
}

// Every window below `parent`, depth first in creation order: a form's
// controls come in the order of its table.
inline std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> all;
  ::EnumChildWindows(parent, detail::Collect, reinterpret_cast<LPARAM>(&all));
  return all;
}

// Each message box this thread shows while it lives, answered with OK
// unless told otherwise. One at a time.
class MessageBoxes {
 public:
  struct Seen {
    HWND box, owner;
    std::wstring text, title;
  };
  explicit MessageBoxes(bool answer = true) : answer_(answer) {
    current_ = this;
    hook_ = ::SetWindowsHookExW(WH_CBT, Hook, nullptr, ::GetCurrentThreadId());
  }
  ~MessageBoxes() {
    ::UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  MessageBoxes(const MessageBoxes&) = delete;
  MessageBoxes& operator=(const MessageBoxes&) = delete;
  const std::vector<Seen>& seen() const { return seen_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && current_ && ClassOf(box) == L"#32770") {
      wchar_t text[1024] = {}, title[256] = {};
      ::GetDlgItemTextW(box, 0xFFFF, text, 1024);
      ::GetWindowTextW(box, title, 256);
      current_->seen_.push_back({box, ::GetWindow(box, GW_OWNER), text, title});
      if (current_->answer_) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static inline MessageBoxes* current_ = nullptr;
  bool answer_;
  HHOOK hook_ = nullptr;
  std::vector<Seen> seen_;
};

// Takes the quit that closing a shown window queued: it is for the
// program's own loop, not this test's.
inline void DropQuit() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace sondalink::testing
