// A copy of the program in a folder where someone has left a shfolder.dll
// and a notepad.exe of their own, as a download folder or a share may hold:
// neither may run with the user's rights.
#include <gtest/gtest.h>

#include <string>

#include "../support/host_path.h"
#include "../support/temp_folder.h"
#include "expected_log.h"

namespace sondalink::e2e {
namespace {

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The file that a process runs, by its full path.
std::wstring ImageOf(DWORD processId) {
  win32::unique_handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  if (!process || !::QueryFullProcessImageNameW(process.get(), 0, path, &size)) return {};
  return std::wstring(path, size);
}

TEST(PlantedFiles, NeitherAPlantedShfolderNorAPlantedNotepadRuns) {
  testing::TempFolder folder;
  const std::wstring dir = win32::Widen(folder.path());
  const std::wstring exe = dir + L"\\Sondalink.exe";
  ASSERT_TRUE(::CopyFileW(BuiltProgram().c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(::CopyFileW(testing::FromHost(SONDALINK_PLANTED_SHFOLDER).c_str(), (dir + L"\\shfolder.dll").c_str(), 0));
  ASSERT_TRUE(::CopyFileW(testing::FromHost(SONDALINK_PLANTED_NOTEPAD).c_str(), (dir + L"\\notepad.exe").c_str(), 0));
  // What each leaves beside itself when it runs.
  const std::wstring dllLoaded = dir + L"\\shfolder.dll.loaded";
  const std::wstring dllData = dir + L"\\shfolder.dll.data";
  const std::wstring notepadRan = dir + L"\\notepad.exe.ran";

  // Wine takes its own shfolder.dll whatever lies beside the program;
  // Windows looks in the program's folder first for a DLL that is no
  // KnownDLL, and so does Wine for this program with this setting (ignored
  // by Windows).
  const Undo programFolderFirst = SetRegistryValue(
      HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Sondalink.exe\\DllOverrides", L"shfolder", REG_SZ, L"native,builtin");
  App app(exe);
  ASSERT_TRUE(app.window()) << "no window; box: " << (app.OpenBox() ? Narrow(app.OpenBox()->text) : "none");
  EXPECT_FALSE(Exists(dllLoaded)) << "the planted shfolder.dll was loaded";

  // A failed test opens its log in Notepad: SQL-DMO fails at once here.
  app.TypeCredentials(L"SRVDATI", L"sa");
  app.Click(app.Control(kCmdSQLDMO));
  EXPECT_EQ(CloseBox(app, Icon::Warning), L"Connessione SQLDMO fallita.");

  HWND notepad = WaitForNotepad(app, L"SondalinkSQLDMO.log", [&] { return Exists(notepadRan); });
  EXPECT_FALSE(Exists(notepadRan)) << "the planted notepad.exe ran";
  ASSERT_TRUE(notepad) << "Windows's own Notepad did not show the log";
  const DWORD notepadProcess = ProcessOfWindow(notepad);
  const std::wstring image = ImageOf(notepadProcess);
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_EQ(::lstrcmpiW(image.c_str(), (std::wstring(system) + L"\\notepad.exe").c_str()), 0) << Narrow(image);
  // The command line is the program's own, whichever file runs it.
  EXPECT_EQ(CommandLineOf(notepadProcess).rfind(L"notepad.exe ", 0), 0u) << Narrow(CommandLineOf(notepadProcess));
  EXPECT_TRUE(CloseAndWait(notepad));

  // The log went to the user's real data folder, not to the planted one.
  const std::wstring log = DataFolder() + L"SondalinkSQLDMO.log";
  EXPECT_NE(TextOf(app.Control(kEdLog)).find(L"Creazione file di log " + log + L"."), std::wstring::npos)
      << Narrow(TextOf(app.Control(kEdLog)));
  EXPECT_FALSE(Exists(dllData));
  EXPECT_FALSE(Exists(dllLoaded)) << "the planted shfolder.dll was loaded";
  EXPECT_TRUE(app.Quit());
}

// Wine lets a program's shfolder.dll be switched off (an empty DllOverrides
// value): the system folder's copy then cannot be loaded, as on a damaged
// Windows. The start-up box says why and the program ends by itself, where
// one that imported shfolder.dll would not start at all.
TEST(SystemDlls, AShfolderThatCannotBeLoadedEndsTheProgramWithItsBox) {
  if (!UnderWine()) GTEST_SKIP() << "switches the DLL off through Wine's AppDefaults";
  const Undo off = SetRegistryValue(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\Sondalink.exe\\DllOverrides",
                                    L"shfolder", REG_SZ, L"");
  App app;
  // HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND), with the system's text for it.
  const std::string said = StartupFailure(app);
  EXPECT_TRUE(said.starts_with("-2147024770: ")) << said;
  EXPECT_TRUE(said.ends_with(" (linea 0)")) << said;
}

}  // namespace
}  // namespace sondalink::e2e
