// The path helpers, the file layer and the test log over it, against the
// real Windows API. The test log's shared cases are
// support/testlog_contract.cpp; here the same bytes as on the native build
// with the stamps from the local clock, and the failures Windows can be made
// to meet.
#include "platform/win32/windows_support.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "environment/cartella_dati.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/win32/file_calls.h"
#include "support/log_box_form.h"
#include "support/log_cases.h"
#include "support/shared_cases.h"
#include "support/windows.h"

namespace sondalink {
namespace {

using testing::TempFolder;

// Makes one of the file layer's kernel32 calls fail, through the table of
// file_calls.h, for the life of the object, with `code` as its last error.
enum class FileCall { CreateFileW, WriteFile, CloseHandle, DeleteFileW, FindFirstFileW, CreateDirectoryW };

class FailingFileCall {
 public:
  FailingFileCall(FileCall call, DWORD code) {
    code_ = code;
    failures_ = 0;
    win32::FileCalls& t = win32::Files();
    switch (call) {
      case FileCall::CreateFileW: t.CreateFileW = Fail; break;
      case FileCall::WriteFile: t.WriteFile = Fail; break;
      case FileCall::CloseHandle: t.CloseHandle = Fail; break;
      case FileCall::DeleteFileW: t.DeleteFileW = Fail; break;
      case FileCall::FindFirstFileW: t.FindFirstFileW = Fail; break;
      case FileCall::CreateDirectoryW: t.CreateDirectoryW = Fail; break;
    }
  }
  ~FailingFileCall() { win32::Files() = win32::FileCalls{}; }
  FailingFileCall(const FailingFileCall&) = delete;
  FailingFileCall& operator=(const FailingFileCall&) = delete;

  // How many calls have failed so far.
  static int failures() { return failures_; }

 private:
  static inline DWORD code_ = 0;
  static inline int failures_ = 0;

  // The stand-in of each call, which fails at once; a close that reports a
  // failure has still let the handle go.
  template <class R, class... A>
  static R WINAPI Fail(A... args) {
    if constexpr (std::is_same_v<void(A...), void(HANDLE)>) ::CloseHandle(args...);
    ++failures_;
    ::SetLastError(code_);
    if constexpr (std::is_same_v<R, HANDLE>) {
      return INVALID_HANDLE_VALUE;
    } else {
      return FALSE;
    }
  }
};

// The file opened from outside the file layer, as another program would,
// sharing it for reading and writing.
win32::unique_hfile OpenShared(const std::string& path, DWORD access) {
  return win32::unique_hfile(::CreateFileW(win32::Widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

constexpr int32_t Hr(DWORD code) { return static_cast<int32_t>(HRESULT_FROM_WIN32(code)); }

TEST(DataFolderWin32, CreatedUnderLocalAppDataEndingWithBackslash) {
  char local[MAX_PATH] = {};
  ASSERT_EQ(::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local), S_OK);
  std::string outer = platform::FromAnsi(local) + "\\Ardenza";
  std::string inner = outer + "\\Sondalink";
  // Start from nothing where nothing else lives there yet: removing a folder
  // fails, harmlessly, while it holds files.
  ::RemoveDirectoryA(platform::ToAnsi(inner).c_str());
  ::RemoveDirectoryA(platform::ToAnsi(outer).c_str());

  std::string strErrore;
  gstrCartellaLog.clear();
  ASSERT_TRUE(LeggiCartellaLog(strErrore)) << strErrore;
  EXPECT_EQ(gstrCartellaLog, inner + "\\");
  EXPECT_TRUE(TempFolder::IsFolder(outer));
  EXPECT_TRUE(TempFolder::IsFolder(inner));
  EXPECT_TRUE(EsisteCartella(gstrCartellaLog));

  // A second start finds both levels and gives the same path.
  gstrCartellaLog.clear();
  ASSERT_TRUE(LeggiCartellaLog(strErrore)) << strErrore;
  EXPECT_EQ(gstrCartellaLog, inner + "\\");
}

TEST(PathHelpersWin32, EsisteCartellaOnRealFolders) { testing::ExpectFolderCases(); }

TEST(PathHelpersWin32, EsisteFileOnRealFiles) { testing::ExpectFileCases(); }

TEST(FilesWin32, FindFirstEntrySkipsHiddenAndSystemFilesButNotFolders) {
  TempFolder tmp;
  tmp.MakeFile("nascosto.txt", "x", FILE_ATTRIBUTE_HIDDEN);
  tmp.MakeFile("sistema.txt", "x", FILE_ATTRIBUTE_SYSTEM);
  tmp.MakeFile("visibile.txt");
  tmp.MakeFolder("nascosta", FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(platform::files::FindFirstEntry(tmp / "nascosto.txt"), "");
  EXPECT_EQ(platform::files::FindFirstEntry(tmp / "sistema.txt"), "");
  EXPECT_EQ(platform::files::FindFirstEntry(tmp / "*.txt"), "visibile.txt");
  EXPECT_EQ(platform::files::FindFirstEntry(tmp / "nascosta"), "nascosta");
  EXPECT_EQ(platform::files::FindFirstEntry(tmp / "manca\\*.*"), "");
}

TEST(FilesWin32, CreateAndDeleteReportTheSystemsErrors) {
  TempFolder tmp;
  EXPECT_FALSE(platform::files::CreateFolder(tmp / "nuova").failed());
  ErrorRecord again = platform::files::CreateFolder(tmp / "nuova");
  EXPECT_EQ(again.number, Hr(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(again.description.empty());
  EXPECT_EQ(again.source, "CreateDirectoryW");
  EXPECT_EQ(platform::files::CreateFolder(tmp / "manca\\nuova").number, Hr(ERROR_PATH_NOT_FOUND));

  tmp.MakeFile("via.txt");
  EXPECT_FALSE(platform::files::DeleteFile(tmp / "via.txt").failed());
  EXPECT_FALSE(EsisteFile(tmp / "via.txt"));
  EXPECT_EQ(platform::files::DeleteFile(tmp / "via.txt").number, Hr(ERROR_FILE_NOT_FOUND));
}

// Names the ANSI code page cannot hold: found, created, written, deleted as
// they are. Through the ANSI functions each such character turned into '?',
// a wildcard, and the folder below was "found" in a look-alike one.
TEST(FilesWin32, NamesOutsideTheCodePageAreUsedAsTheyAre) {
  TempFolder tmp;
  tmp.MakeFolder("abcdefg 12");  // as long as the name below
  const std::string folder = tmp / "Профиль 用户";
  EXPECT_FALSE(EsisteCartella(folder));
  ASSERT_FALSE(platform::files::CreateFolder(folder).failed());
  EXPECT_TRUE(EsisteCartella(folder));
  EXPECT_TRUE(TempFolder::IsFolder(folder));

  const std::string log = folder + "\\Журнал 日志.log";
  EXPECT_FALSE(EsisteFile(log));
  platform::files::AppendFile file;
  ASSERT_FALSE(file.Open(log).failed());
  ASSERT_FALSE(file.WriteLine("è già, Журнал").failed());
  ASSERT_FALSE(file.Close().failed());
  // The contents stay in the ANSI code page, as ever.
  EXPECT_EQ(TempFolder::ReadFile(log), "\xE8 gi\xE0, ??????\r\n");
  EXPECT_TRUE(EsisteFile("\"" + log + "\""));
  EXPECT_EQ(platform::files::FindFirstEntry(folder + "\\*.log"), "Журнал 日志.log");
  EXPECT_FALSE(platform::files::DeleteFile(log).failed());
  EXPECT_FALSE(EsisteFile(log));
}

// Every kernel32 call of the file layer can be made to fail through its
// table, and each failure comes back as that call's error record.
TEST(FilesWin32, AFailingSystemCallBecomesItsErrorRecord) {
  TempFolder tmp;
  tmp.MakeFile("c'è.log", "prima\r\n");
  const std::string existing = tmp / "c'è.log";
  struct Case {
    FileCall call;
    DWORD code;
    const char* source;
    std::function<ErrorRecord()> operation;
  } cases[] = {
      {FileCall::CreateFileW, ERROR_ACCESS_DENIED, "CreateFileW",
       [&] { return platform::files::AppendFile().Open(existing); }},
      {FileCall::CreateFileW, ERROR_SHARING_VIOLATION, "CreateFileW",
       [&] { return platform::files::ProbeOpenForReading(existing); }},
      {FileCall::WriteFile, ERROR_DISK_FULL, "WriteFile",
       [&] {
         platform::files::AppendFile f;
         ErrorRecord e = f.Open(existing);
         return e.failed() ? e : f.WriteLine("riga");
       }},
      {FileCall::CloseHandle, ERROR_INVALID_HANDLE, "CloseHandle",
       [&] {
         platform::files::AppendFile f;
         ErrorRecord e = f.Open(existing);
         if (e.failed()) return e;
         e = f.Close();
         EXPECT_FALSE(f.is_open());
         return e;
       }},
      {FileCall::DeleteFileW, ERROR_ACCESS_DENIED, "DeleteFileW",
       [&] { return platform::files::DeleteFile(existing); }},
      {FileCall::CreateDirectoryW, ERROR_DISK_FULL, "CreateDirectoryW",
       [&] { return platform::files::CreateFolder(tmp / "nuova"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    FailingFileCall failing(c.call, c.code);
    ErrorRecord e = c.operation();
    EXPECT_EQ(e.number, Hr(c.code));
    EXPECT_EQ(e.source, c.source);
    EXPECT_FALSE(e.description.empty());
    EXPECT_EQ(FailingFileCall::failures(), 1);
  }
  // The table is the system's again: the file is there, untouched.
  EXPECT_EQ(TempFolder::ReadFile(existing), "prima\r\n");
  EXPECT_FALSE(TempFolder::IsFolder(tmp / "nuova"));

  // A search that fails finds nothing: no folder, no file.
  FailingFileCall failing(FileCall::FindFirstFileW, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(EsisteCartella(tmp.path()));
  EXPECT_EQ(platform::files::FindFirstEntry(tmp / "*.*"), "");
}

// A second writer is refused while the file is open, a reader is not; the
// file cannot be deleted meanwhile. Lines always land at the end.
TEST(FilesWin32, AppendFileLetsOthersReadButNotWriteOrDelete) {
  TempFolder tmp;
  const std::string path = tmp / "log.txt";
  tmp.MakeFile("log.txt", "prima\r\n");
  platform::files::AppendFile log;
  ASSERT_FALSE(log.Open(path).failed());
  ASSERT_FALSE(log.WriteLine("è già").failed());
  // The line is the system's as soon as WriteLine returns.
  EXPECT_EQ(TempFolder::ReadFile(path), "prima\r\n\xE8 gi\xE0\r\n");

  win32::unique_hfile reader = OpenShared(path, GENERIC_READ);
  EXPECT_TRUE(reader) << ::GetLastError();
  win32::unique_hfile writer = OpenShared(path, GENERIC_WRITE);
  EXPECT_FALSE(writer);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  platform::files::AppendFile second;
  EXPECT_EQ(second.Open(path).number, Hr(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(platform::files::DeleteFile(path).number, Hr(ERROR_SHARING_VIOLATION));

  ASSERT_FALSE(log.WriteLine("dopo").failed());
  EXPECT_FALSE(log.Close().failed());
  EXPECT_FALSE(log.is_open());
  EXPECT_EQ(TempFolder::ReadFile(path), "prima\r\n\xE8 gi\xE0\r\ndopo\r\n");
  reader.reset();
  EXPECT_FALSE(second.Open(path).failed());
}

std::string LocalStamp() {
  SYSTEMTIME t{};
  ::GetLocalTime(&t);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return text;
}

class TestLogWin32 : public testing::TestLog {};

TEST_F(TestLogWin32, FileBytesMatchTheNativeBuild) {
  tmp.MakeFile("SondalinkADO.log", "run precedente\r\n");
  std::string before = LocalStamp();
  ASSERT_TRUE(LogStart());
  testing::WriteLogLines();
  ASSERT_TRUE(LogStop());
  std::string after = LocalStamp();
  EXPECT_EQ(glngNumWarning, testing::kLogLinesWarnings);
  EXPECT_EQ(glngNumErrori, testing::kLogLinesErrors);

  const std::string bytes = file();
  // Every stamp is the local time of the run, in one form.
  for (std::sregex_iterator it(bytes.begin(), bytes.end(), testing::kLogStamp), end; it != end; ++it) {
    EXPECT_GE(it->str(), before);
    EXPECT_LE(it->str(), after);
  }
  EXPECT_EQ(testing::Unstamped(bytes), testing::LogFile("<stamp>", testing::LogLinesAsWritten("<stamp>"), "<stamp>"));
}

// A previous log that cannot be deleted (a reader holds it, or the system
// refuses) is appended to, and nobody is told.
TEST_F(TestLogWin32, APreviousLogThatCannotBeDeletedIsAppendedToSilently) {
  for (bool held : {true, false}) {
    SCOPED_TRACE(held ? "held by a reader" : "deletion refused");
    tmp.MakeFile("SondalinkADO.log", "run precedente\r\n");
    win32::unique_hfile reader;
    std::optional<FailingFileCall> refused;
    if (held) {
      reader = OpenShared(path(), GENERIC_READ);
      ASSERT_TRUE(reader);
    } else {
      refused.emplace(FileCall::DeleteFileW, ERROR_ACCESS_DENIED);
    }
    ASSERT_TRUE(LogStart());
    LogWrite("nuovo");
    ASSERT_TRUE(LogStop());
    EXPECT_TRUE(boxes().empty());
    if (refused) {
      EXPECT_EQ(FailingFileCall::failures(), 1);
    }
    const std::string bytes = file();
    EXPECT_EQ(bytes.rfind("run precedente\r\n" + testing::kLongRule, 0), 0u) << bytes;
    EXPECT_TRUE(bytes.ends_with(testing::kShortRule + " \r\n"));
    reader.reset();
    refused.reset();
    ASSERT_TRUE(::DeleteFileW(win32::Widen(path()).c_str()));
  }
}

}  // namespace

// A real window with the log box, and the message boxes caught meanwhile.
struct testing::LogWatch::Impl {
  MessageBoxes boxes;
};
testing::LogWatch::LogWatch() : impl_(std::make_unique<Impl>()) {
  EXPECT_FALSE(ShowOnlyTheLogBox().failed());
}
testing::LogWatch::~LogWatch() { platform::ui::UnloadForm(); }
// The icon is not told apart here: the flags are the native build's to check.
std::vector<testing::LogWatch::Box> testing::LogWatch::Boxes() const {
  std::vector<Box> boxes;
  for (const MessageBoxes::Seen& box : impl_->boxes.seen()) {
    boxes.push_back({win32::Narrow(box.text), win32::Narrow(box.title), -1});
  }
  return boxes;
}
// The real window's events are its own business: not counted here.
std::optional<int> testing::LogWatch::EventRounds() const { return std::nullopt; }

// The next write fails with ERROR_DISK_FULL, whatever its size; the system's
// description is Wine's own, so only the number is checked.
struct testing::WritesFail::Impl {
  FailingFileCall full{FileCall::WriteFile, ERROR_DISK_FULL};
};
testing::WritesFail::WritesFail(size_t) : impl_(std::make_unique<Impl>()) {}
testing::WritesFail::~WritesFail() = default;
std::string testing::WritesFail::Error() { return "errore -2147024784, descrizione: "; }

}  // namespace sondalink
