// The path helpers and the file layer against the real Windows API.
#include "platform/win32/windows_support.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "app/basconn.h"
#include "platform/files.h"
#include "platform/text.h"
#include "wine/temp_folder.h"

namespace sondalink {
namespace {

using testing::TempFolder;

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

TEST(PathHelpersWin32, EsisteCartellaOnRealFolders) {
  TempFolder tmp;
  tmp.MakeFolder("vuota");
  tmp.MakeFolder("nascosta", FILE_ATTRIBUTE_HIDDEN);
  tmp.MakeFolder("perché");
  tmp.MakeFile("file.txt");
  struct Case {
    std::string path;
    bool exists;
  } cases[] = {
      {tmp / "vuota", true},  // empty: its "." entry matches
      {tmp / "vuota\\", true},
      {tmp / "vuota/", true},
      {tmp / "vuota  ", true},
      {tmp / "nascosta", true},
      {tmp / "perché", true},  // through the ANSI code page
      {tmp / "manca", false},
      {tmp / "manca\\sotto", false},
      {tmp / "file.txt", false},
  };
  for (const Case& c : cases) EXPECT_EQ(EsisteCartella(c.path), c.exists) << c.path;
}

TEST(PathHelpersWin32, EsisteFileOnRealFiles) {
  TempFolder tmp;
  tmp.MakeFile("file.txt");
  tmp.MakeFile("con spazi.txt");
  tmp.MakeFile("città.txt");
  tmp.MakeFile("nascosto.txt", "x", FILE_ATTRIBUTE_HIDDEN);
  tmp.MakeFolder("cartella");
  const std::string file = tmp / "file.txt";
  struct Case {
    std::string path;
    bool exists;
  } cases[] = {
      {file, true},
      {"\"" + file + "\"", true},
      {"  \"" + file + "\"  ", true},
      {file + "\\", true},  // one stray backslash
      {"\"" + tmp / "con spazi.txt" + "\"", true},
      {tmp / "città.txt", true},
      {tmp / "nascosto.txt", true},  // hidden, yet readable
      {tmp / "manca.txt", false},
      {tmp / "cartella", false},
      {tmp / "cartella\\", false},
      {"", false},
      {"\"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(EsisteFile(c.path), c.exists) << "[" << c.path << "]";
}

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
  EXPECT_EQ(again.number, static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)));
  EXPECT_FALSE(again.description.empty());
  EXPECT_EQ(again.source, "CreateDirectoryA");
  EXPECT_EQ(platform::files::CreateFolder(tmp / "manca\\nuova").number,
            static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND)));

  tmp.MakeFile("via.txt");
  EXPECT_FALSE(platform::files::DeleteFile(tmp / "via.txt").failed());
  EXPECT_FALSE(EsisteFile(tmp / "via.txt"));
  EXPECT_EQ(platform::files::DeleteFile(tmp / "via.txt").number,
            static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
}

TEST(FilesWin32, AppendFileIsSharedAndAlwaysWritesAtTheEnd) {
  TempFolder tmp;
  const std::string path = tmp / "log.txt";
  tmp.MakeFile("log.txt", "prima\r\n");
  platform::files::AppendFile log;
  ASSERT_FALSE(log.Open(path).failed());
  ASSERT_FALSE(log.WriteLine("è già").failed());
  // The line is the system's as soon as WriteLine returns.
  EXPECT_EQ(TempFolder::ReadFile(path), "prima\r\n\xE8 gi\xE0\r\n");

  // Another program opens it for reading and writing meanwhile.
  win32::unique_hfile other(::CreateFileA(platform::ToAnsi(path).c_str(),
                                          GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(other) << ::GetLastError();
  char buffer[64] = {};
  DWORD n = 0;
  ASSERT_TRUE(::ReadFile(other.get(), buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "prima\r\n\xE8 gi\xE0\r\n");
  ASSERT_TRUE(::WriteFile(other.get(), "altro\r\n", 7, &n, nullptr));

  ASSERT_FALSE(log.WriteLine("dopo").failed());
  EXPECT_FALSE(log.Close().failed());
  EXPECT_FALSE(log.is_open());
  EXPECT_EQ(TempFolder::ReadFile(path), "prima\r\n\xE8 gi\xE0\r\naltro\r\ndopo\r\n");
}

}  // namespace
}  // namespace sondalink
