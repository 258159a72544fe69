// Starting a program through the real shell layer.
#include <gtest/gtest.h>

#include "platform/shell.h"
#include "platform/win32/windows_support.h"
#include "support/temp_folder.h"
#include "support/wait_for.h"
#include "support/windows.h"

namespace sondalink {
namespace {

using testing::FirstWindow;
using testing::TempFolder;
using testing::WaitFor;

TEST(ShellWin32, StartProgramReturnsWhileTheProgramRuns) {
  TempFolder tmp;
  tmp.MakeFile("Sondalink prova.log", "riga\r\n");
  const std::string command = "notepad.exe \"" + tmp / "Sondalink prova.log" + "\"";
  DWORD before = ::GetTickCount();
  ASSERT_FALSE(platform::shell::StartProgram(command, SW_SHOWNORMAL).failed());
  EXPECT_LT(::GetTickCount() - before, 10000u);

  // Notepad comes up with the file while this test goes on.
  HWND notepad = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (notepad = FirstWindow({.title = L"Sondalink prova"})) != nullptr; }, 20000));
  win32::unique_handle process(::OpenProcess(SYNCHRONIZE, FALSE, testing::ProcessOfWindow(notepad)));
  ASSERT_TRUE(process);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  ::PostMessageW(notepad, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(process.get(), 20000), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(ShellWin32, ShellExecuteOpensAFolderWithBlanksInItsName) {
  TempFolder tmp;
  tmp.MakeFolder("Cartella Sondalink");
  const std::string folder = "\"" + tmp / "Cartella Sondalink" + "\\\"";
  ASSERT_FALSE(platform::shell::ShellExecute("Open", folder, "", folder, SW_SHOWNORMAL).failed());
  HWND shell = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (shell = FirstWindow({.title = L"Cartella Sondalink"})) != nullptr; }, 20000));
  ::PostMessageW(shell, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !::IsWindow(shell); }, 20000));
}

TEST(ShellWin32, StartProgramReportsAMissingProgram) {
  ErrorRecord e = platform::shell::StartProgram("non-esiste-sondalink.exe", SW_SHOWNORMAL);
  EXPECT_EQ(e.number, static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)));
  EXPECT_EQ(e.source, "CreateProcessW");
}

TEST(ShellWin32, LocalAppDataFolderIsAnAbsolutePath) {
  Outcome<platform::shell::FolderPath> folder = platform::shell::GetFolderPath(0x801C);
  ASSERT_TRUE(folder.ok());
  EXPECT_EQ(folder.value.result, 0);
  ASSERT_GE(folder.value.buffer.size(), 3u);
  EXPECT_EQ(folder.value.buffer.substr(1, 2), ":\\");
  EXPECT_EQ(folder.value.buffer.find('\0'), std::string::npos);
}

}  // namespace
}  // namespace sondalink
