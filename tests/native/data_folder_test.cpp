#include <gtest/gtest.h>

#include "environment/cartella_dati.h"
#include "fakes/fake_shell.h"
#include "support/temp_folder.h"

namespace sondalink {
namespace {

using testing::TempFolder;

class DataFolder : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    fake::shell::Reset();
    gstrCartellaLog.clear();
  }
  // The data folder read, with LocalAppData at `localAppData`.
  void Reads(const std::string& localAppData) {
    fake::shell::SetFolder(localAppData);
    std::string strErrore;
    ASSERT_TRUE(LeggiCartellaLog(strErrore)) << strErrore;
    EXPECT_EQ(strErrore, "");
    EXPECT_EQ(gstrCartellaLog, tmp / "Ardenza\\Sondalink\\");
  }
  TempFolder tmp;
};

TEST_F(DataFolder, CreatesBothLevelsUnderLocalAppData) {
  Reads(tmp.path());
  EXPECT_TRUE(TempFolder::IsFolder(tmp / "Ardenza\\Sondalink"));
  EXPECT_EQ(fake::shell::Get().folderRequests, std::vector<int>{0x801C});
}

TEST_F(DataFolder, TrailingBackslashOfLocalAppDataIsNotDoubled) { Reads(tmp.path() + "\\"); }

TEST_F(DataFolder, ExistingLevelsAreUsedAsTheyAre) {
  tmp.MakeFolder("Ardenza\\Sondalink");
  tmp.MakeFile("Ardenza\\Sondalink\\SondalinkADO.log", "run");
  Reads(tmp.path());
  EXPECT_EQ(TempFolder::ReadFile(tmp / "Ardenza\\Sondalink\\SondalinkADO.log"), "run");
}

TEST_F(DataFolder, MissingInnerLevelIsCreatedInTheExistingOuter) {
  tmp.MakeFolder("Ardenza");
  tmp.MakeFile("Ardenza\\altro.txt");
  Reads(tmp.path());
  EXPECT_TRUE(TempFolder::IsFolder(tmp / "Ardenza\\Sondalink"));
  EXPECT_EQ(TempFolder::ReadFile(tmp / "Ardenza\\altro.txt"), "x");
}

TEST_F(DataFolder, FolderFunctionFailuresGiveTheirFixedTexts) {
  struct Case {
    long result;
    const char* text;
  } cases[] = {
      {1, "The folder does not exist"},
      {static_cast<long>(kErrInvalidArg), "An invalid folder ID was specified"},
      {2, "An invalid folder ID was specified"},
  };
  for (const Case& c : cases) {
    fake::shell::Get().folder = platform::shell::FolderPath{c.result, tmp.path()};
    std::string strErrore;
    EXPECT_FALSE(LeggiCartellaLog(strErrore));
    EXPECT_EQ(strErrore, c.text);
    EXPECT_EQ(gstrCartellaLog, "");
    EXPECT_FALSE(TempFolder::IsFolder(tmp / "Ardenza"));
  }
}

TEST_F(DataFolder, TrappedErrorsReadNumberDescriptionAndLine) {
  fake::shell::Get().folder = ErrorRecord{-2147024770, "The specified module could not be found.", "shfolder"};
  std::string strErrore;
  EXPECT_FALSE(LeggiCartellaLog(strErrore));
  EXPECT_EQ(strErrore, "-2147024770: The specified module could not be found. (linea 0)");

  // A level that cannot be created: its parent does not exist.
  fake::shell::SetFolder(tmp / "manca");
  strErrore.clear();
  EXPECT_FALSE(LeggiCartellaLog(strErrore));
  EXPECT_EQ(strErrore.rfind("-2147024894: ", 0), 0u) << strErrore;  // path not found
  EXPECT_TRUE(strErrore.ends_with(" (linea 0)")) << strErrore;
  EXPECT_EQ(gstrCartellaLog, "");
}

}  // namespace
}  // namespace sondalink
