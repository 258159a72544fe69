// The benchmark driver: starts the real Sondalink.exe under Wine, acts as its
// user through window messages, and times what the user waits for, each
// figure beside a baseline measured in the same run (machines are noisy, a
// ratio much less so). Prints Markdown table rows on standard output.
//
//   sondalink_bench <Sondalink.exe> <work folder>
//
// Every wait is a bounded poll; a figure that cannot be taken is reported as
// such and makes the exit code non-zero.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "standin_control.h"

namespace {

double Seconds() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls every millisecond, at most `timeoutMs`.
bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = ::GetTickCount();
  while (!done()) {
    if (::GetTickCount() - start > timeoutMs) return false;
    ::Sleep(1);
  }
  return true;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  return name;
}

std::wstring TextOf(HWND hwnd) {
  auto n = static_cast<size_t>(::SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(n + 1, L'\0');
  n = static_cast<size_t>(::SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(n);
  return text;
}

struct WindowQuery {
  std::wstring cls;
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM lp) {
  auto* q = reinterpret_cast<WindowQuery*>(lp);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  if ((q->pid == 0 || owner == q->pid) && ::IsWindowVisible(hwnd) &&
      (q->cls.empty() || ClassOf(hwnd) == q->cls)) {
    q->found.push_back(hwnd);
  }
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

// Visible top-level windows of class `cls` (any class when empty), of the
// process `pid` (any process when 0).
std::vector<HWND> TopWindows(const std::wstring& cls, DWORD pid) {
  WindowQuery q{cls, pid, {}};
  ::EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> all;
  ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
  return all;
}

// One started program, ended by the destructor if it still runs.
class Program {
 public:
  explicit Program(const std::wstring& commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring line = commandLine;
    started_ = Seconds();
    ok_ = ::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                           &info_) != 0;
  }
  ~Program() {
    if (!ok_) return;
    if (::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      for (HWND w : TopWindows(L"", info_.dwProcessId)) ::PostMessageW(w, WM_CLOSE, 0, 0);
      if (::WaitForSingleObject(info_.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(info_.hProcess, 1);
    }
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  bool ok() const { return ok_; }
  DWORD pid() const { return info_.dwProcessId; }
  double started() const { return started_; }

  // Start-up as the user sees it: the process idle and its main window shown.
  HWND WaitMainWindow(const std::wstring& cls) {
    if (!ok_) {
      std::fprintf(stderr, "CreateProcess failed: %lu\n", ::GetLastError());
      return nullptr;
    }
    if (DWORD r = ::WaitForInputIdle(info_.hProcess, 20000); r != 0) {
      std::fprintf(stderr, "WaitForInputIdle: %lu\n", r);
      return nullptr;
    }
    HWND found = nullptr;
    WaitFor(
        [&] {
          std::vector<HWND> w = TopWindows(cls, pid());
          found = w.empty() ? nullptr : w.front();
          return found != nullptr;
        },
        20000);
    if (!found) {
      std::fprintf(stderr, "no window of process %lu; exit code %lu; top windows:\n", pid(),
                   [&] { DWORD c = 0; ::GetExitCodeProcess(info_.hProcess, &c); return c; }());
      for (HWND w : TopWindows(L"", 0)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(w, &owner);
        std::fprintf(stderr, "  %lu %ls\n", owner, ClassOf(w).c_str());
      }
    }
    return found;
  }

  bool Close(HWND window) {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    return ::WaitForSingleObject(info_.hProcess, 10000) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION info_{};
  double started_ = 0;
  bool ok_ = false;
};

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

// The controls the runs use, found as the user finds them: buttons by their
// caption, the boxes by their order in the window (server, login, password,
// then the multi-line log).
struct Controls {
  HWND server = nullptr, login = nullptr, log = nullptr, ado = nullptr, dao = nullptr;
  bool ok() const { return server && login && log && ado && dao; }
};

Controls FindControls(HWND window) {
  Controls c;
  std::vector<HWND> edits;
  for (HWND h : Descendants(window)) {
    const std::wstring cls = ClassOf(h);
    if (cls == L"Edit") {
      if (::GetWindowLongW(h, GWL_STYLE) & ES_MULTILINE) {
        c.log = h;
      } else {
        edits.push_back(h);
      }
    } else if (cls == L"Button") {
      const std::wstring caption = TextOf(h);
      if (caption == L"Test connessione &ADO") c.ado = h;
      if (caption == L"Test connessione D&AO ODBCDirect") c.dao = h;
    }
  }
  if (edits.size() >= 2) {
    c.server = edits[0];
    c.login = edits[1];
  }
  return c;
}

// The program's message box, once it is shown.
HWND WaitBox(DWORD pid, DWORD timeoutMs) {
  HWND box = nullptr;
  WaitFor(
      [&] {
        std::vector<HWND> w = TopWindows(L"#32770", pid);
        box = w.empty() ? nullptr : w.front();
        return box != nullptr;
      },
      timeoutMs);
  return box;
}

bool PressOk(HWND box) {
  ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  return WaitFor([&] { return !::IsWindow(box) || !::IsWindowVisible(box); }, 10000);
}

// Notepad windows opened by a failed test; closed so that none piles up.
void CloseNotepads() {
  WaitFor([] { return !TopWindows(L"Notepad", 0).empty(); }, 5000);
  for (HWND w : TopWindows(L"Notepad", 0)) ::PostMessageW(w, WM_CLOSE, 0, 0);
  WaitFor([] { return TopWindows(L"Notepad", 0).empty(); }, 10000);
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

std::string Ms(double seconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.0f ms", seconds * 1000);
  return buf;
}

std::string Ratio(double a, double b) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", b > 0 ? a / b : 0.0);
  return buf;
}

std::wstring g_exe;
std::wstring g_work;
bool g_failed = false;

void Fail(const char* what) {
  std::printf("| %s | not measured | | |\n", what);
  std::fflush(stdout);
  g_failed = true;
}

// Process start to the main window shown and the process idle.
std::optional<double> StartUp(const std::wstring& commandLine, const std::wstring& cls) {
  Program p(commandLine);
  HWND w = p.WaitMainWindow(cls);
  if (!w) return std::nullopt;
  const double elapsed = Seconds() - p.started();
  if (!p.Close(w)) return std::nullopt;
  return elapsed;
}

// A started Sondalink with the server and login typed in.
struct Session {
  Program program;
  HWND window = nullptr;
  Controls controls;
  explicit Session(const std::wstring& exe) : program(Quoted(exe)) {
    window = program.WaitMainWindow(L"");
    if (!window) return;
    controls = FindControls(window);
    if (!controls.ok()) return;
    ::SendMessageW(controls.server, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"localhost"));
    ::SendMessageW(controls.login, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"sa"));
  }
  bool ok() const { return window && controls.ok(); }
};

// Click on a test button to the box that ends the test.
std::optional<double> ClickToBox(Session& s, HWND button, DWORD timeoutMs) {
  const double t0 = Seconds();
  ::PostMessageW(button, BM_CLICK, 0, 0);
  HWND box = WaitBox(s.program.pid(), timeoutMs);
  if (!box) return std::nullopt;
  const double elapsed = Seconds() - t0;
  if (!PressOk(box)) return std::nullopt;
  return elapsed;
}

// The program's log box as this process can copy it: its styles and size.
struct BoxLike {
  DWORD style = 0, exStyle = 0;
  SIZE size{};
};

// What the program does for each line it echoes (a line break and the text
// appended to the log box in one piece, as the selection at the end
// replaced, the box scrolled back to its left edge; then the window updated
// and the pending messages handled), done here to a box
// of this process shown like `like`. Seconds a line, over the lines from
// `from` to `to`, so that the box holds as much text as the program's.
std::optional<double> Echo(const BoxLike& like, int from, int to) {
  HWND frame = ::CreateWindowExW(0, L"#32770", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 like.size.cx + 40, like.size.cy + 60, nullptr, nullptr, nullptr, nullptr);
  if (!frame) return std::nullopt;
  HWND box = ::CreateWindowExW(like.exStyle, L"Edit", L"", (like.style & ~WS_DISABLED) | WS_CHILD | WS_VISIBLE,
                               8, 8, like.size.cx, like.size.cy, frame, nullptr, nullptr, nullptr);
  auto append = [box](const wchar_t* text) {
    LRESULT end = ::SendMessageW(box, WM_GETTEXTLENGTH, 0, 0);
    ::SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
    ::SendMessageW(box, WM_HSCROLL, SB_LEFT, 0);
  };
  auto pump = [frame] {
    ::UpdateWindow(frame);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  };
  pump();
  double t0 = Seconds();
  for (int i = 0; i < to; ++i) {
    if (i == from) t0 = Seconds();
    const std::wstring line = L"Proprieta' " + std::to_wstring(i) + L" del server: valore di esempio per la misura";
    append(((::SendMessageW(box, WM_GETTEXTLENGTH, 0, 0) > 0 ? L"\r\n" : L"") + line).c_str());
    pump();
  }
  const double elapsed = Seconds() - t0;
  ::DestroyWindow(frame);
  pump();
  return elapsed / (to - from);
}

std::string MsPerLine(double seconds) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f ms", seconds * 1000);
  return buf;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: sondalink_bench <Sondalink.exe> <work folder>\n");
    return 2;
  }
  g_exe = argv[1];
  g_work = argv[2];
  const int kStartRuns = 7, kFailRuns = 5;

  // Start-up against Wine's own Notepad started the same way, alternated so
  // that drift in the machine's load hits both alike; one warm-up each.
  std::vector<double> ours, notepad;
  for (int i = 0; i <= kStartRuns; ++i) {
    std::optional<double> a = StartUp(Quoted(g_exe), L"");
    std::optional<double> b = StartUp(L"notepad.exe", L"Notepad");
    if (!a || !b) {
      std::fprintf(stderr, "start-up: %s did not show an idle window\n", a ? "notepad.exe" : "Sondalink.exe");
      break;
    }
    if (i > 0) {
      ours.push_back(*a);
      notepad.push_back(*b);
    }
  }
  const double startUp = Median(ours);
  if (ours.size() != static_cast<size_t>(kStartRuns)) {
    Fail("start-up");
  } else {
    std::printf("| start-up to an idle window (median of %d) | %s | notepad.exe: %s | **%s** (goal <= 1.2) |\n",
                kStartRuns, Ms(startUp).c_str(), Ms(Median(notepad)).c_str(),
                Ratio(startUp, Median(notepad)).c_str());
  }
  std::fflush(stdout);

  // A test that fails at once: DAO's engine is not registered in a fresh
  // prefix, so the run fails at its first step with "class not registered".
  std::vector<double> failing;
  for (int i = 0; i <= kFailRuns; ++i) {
    Session s(g_exe);
    if (!s.ok()) break;
    std::optional<double> t = ClickToBox(s, s.controls.dao, 20000);
    CloseNotepads();
    if (!t) break;
    if (i > 0) failing.push_back(*t);
  }
  if (failing.size() != static_cast<size_t>(kFailRuns) || startUp == 0) {
    Fail("failing test");
  } else {
    std::printf("| click to the failure box, class not registered (median of %d) | %s | start-up: %s | **%s** (goal <= 1.0) |\n",
                kFailRuns, Ms(Median(failing)).c_str(), Ms(startUp).c_str(),
                Ratio(Median(failing), startUp).c_str());
  }
  std::fflush(stdout);

  // The log box under load: the stand-in's sp_server_info answers with many
  // rows, one LogWrite (file line, edLog line, repaint, pending events) each.
  if (FAILED(sondalink::standin::RegisterStandin())) {
    Fail("log under load (stand-in not registered)");
    return 1;
  }
  const std::wstring scenario = g_work + L"\\bench-scenario.txt";
  BoxLike logBox;
  auto loaded = [&](int rows, int runs) -> std::optional<double> {
    if (!sondalink::standin::UseScenario(
            scenario, "journal=\njournal.reads=no\ninfo.rows=" + std::to_string(rows) + "\n")) {
      return std::nullopt;
    }
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
      Session s(g_exe);
      if (!s.ok()) return std::nullopt;
      std::optional<double> t = ClickToBox(s, s.controls.ado, 600000);
      if (!t) return std::nullopt;
      // Every line reached the window, not only the file.
      LRESULT lines = ::SendMessageW(s.controls.log, EM_GETLINECOUNT, 0, 0);
      if (lines < rows) return std::nullopt;
      RECT frame{};
      ::GetWindowRect(s.controls.log, &frame);
      logBox.style = static_cast<DWORD>(::GetWindowLongW(s.controls.log, GWL_STYLE));
      logBox.exStyle = static_cast<DWORD>(::GetWindowLongW(s.controls.log, GWL_EXSTYLE));
      logBox.size = {frame.right - frame.left, frame.bottom - frame.top};
      times.push_back(*t);
    }
    return Median(times);
  };
  // A line echoed to a box like the log box, both scroll bars and all,
  // against the same echo to the same box without scroll bars, alternated;
  // then the program's own cost of a line (read from the stand-in, written
  // to the file, echoed): the 1,000 more lines of a run of 2,000.
  const int kLoadRuns = 3;
  std::optional<double> small = loaded(1000, kLoadRuns);
  std::optional<double> twice = small ? loaded(2000, kLoadRuns) : std::nullopt;
  BoxLike bare = logBox;
  bare.style &= ~static_cast<DWORD>(WS_HSCROLL | WS_VSCROLL);
  std::vector<double> scrolled, plain;
  for (int i = 0; twice && i < kLoadRuns; ++i) {
    std::optional<double> a = Echo(logBox, 1000, 2000);
    std::optional<double> b = Echo(bare, 1000, 2000);
    if (!a || !b) break;
    scrolled.push_back(*a);
    plain.push_back(*b);
  }
  if (!small || !twice || plain.size() != static_cast<size_t>(kLoadRuns)) {
    Fail("a line echoed");
  } else {
    std::printf("| a line echoed to a box like the log box, both scroll bars (lines 1,000 to 2,000, median of %d) "
                "| %s | the same echo without scroll bars: %s | **%s** (goal <= 3) |\n",
                kLoadRuns, MsPerLine(Median(scrolled)).c_str(), MsPerLine(Median(plain)).c_str(),
                Ratio(Median(scrolled), Median(plain)).c_str());
    const double perLine = (*twice - *small) / 1000;
    std::printf("| a line of the ADO test: read, written to the file, echoed (2,000 less 1,000 lines, medians of "
                "%d) | %s | the echo alone: %s | **%s** |\n",
                kLoadRuns, MsPerLine(perLine).c_str(), MsPerLine(Median(scrolled)).c_str(),
                Ratio(perLine, Median(scrolled)).c_str());
    std::printf("| ADO test with 1,000 attribute lines, click to the success box (median of %d) | %s | goal: under "
                "2900 ms | **%s** |\n",
                kLoadRuns, Ms(*small).c_str(), *small < 2.9 ? "met" : "MISSED");
  }
  std::fflush(stdout);
  // One run: the run is long beside the machine's noise.
  std::optional<double> large = small ? loaded(10000, 1) : std::nullopt;
  sondalink::standin::UnregisterStandin();
  if (!small || !large) {
    Fail("log under load");
  } else {
    std::printf("| ADO test with 10,000 attribute lines, click to the success box (one run) | %s | 1,000 lines: %s "
                "| **%s** (goal <= 12) |\n",
                Ms(*large).c_str(), Ms(*small).c_str(), Ratio(*large, *small).c_str());
  }
  std::fflush(stdout);
  return g_failed ? 1 : 0;
}
