// The data folder under LocalAppData, and Main(), which needs it before the
// window.
#include <gtest/gtest.h>

#include "app/basconn.h"
#include "environment/cartella_dati.h"
#include "fmconn_fixture.h"
#include "support/temp_folder.h"

namespace sondalink {
namespace {

using platform::shell::FolderPath;
using testing::TempFolder;

class DataFolder : public ::testing::Test {
 protected:
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

// Answers of the folder function that give no folder (a buffer with the
// test's folder all the same), and the text LeggiCartellaLog has for each.
struct NoFolder {
  Outcome<FolderPath> folder;
  const char* text;
} const kNoFolder[] = {
    {FolderPath{1, ""}, "The folder does not exist"},
    {FolderPath{kErrInvalidArg, ""}, "An invalid folder ID was specified"},
    {FolderPath{2, ""}, "An invalid folder ID was specified"},
    {ErrorRecord{-2147024770, "The specified module could not be found.", "shfolder"},
     "-2147024770: The specified module could not be found. (linea 0)"},
};

void AnswerWith(const NoFolder& c, const TempFolder& tmp) {
  fake::shell::Get().folder = c.folder;
  fake::shell::Get().folder.value.buffer = tmp.path();
}

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
  for (const NoFolder& c : kNoFolder) {
    AnswerWith(c, tmp);
    std::string strErrore;
    EXPECT_FALSE(LeggiCartellaLog(strErrore));
    EXPECT_EQ(strErrore, c.text);
    EXPECT_EQ(gstrCartellaLog, "");
    EXPECT_FALSE(TempFolder::IsFolder(tmp / "Ardenza"));
  }
}

// A level that cannot be created (its parent does not exist) is a trapped
// error: number, description and line.
TEST_F(DataFolder, TrappedErrorsReadNumberDescriptionAndLine) {
  fake::shell::SetFolder(tmp / "manca");
  std::string strErrore;
  EXPECT_FALSE(LeggiCartellaLog(strErrore));
  EXPECT_EQ(strErrore.rfind("-2147024894: ", 0), 0u) << strErrore;  // path not found
  EXPECT_TRUE(strErrore.ends_with(" (linea 0)")) << strErrore;
  EXPECT_EQ(gstrCartellaLog, "");
}

// Main() starts before the window: the fixture's fresh fakes, no window yet.
class MainTest : public FmConnTest {
 protected:
  void SetUp() override {}
  TempFolder tmp;
};

TEST_F(MainTest, NoDataFolderMeansAMessageAndNoWindow) {
  for (const NoFolder& c : kNoFolder) {
    fake::ui::Reset();
    AnswerWith(c, tmp);
    Main();
    ExpectOneBox("Errore durante la rilevazione della cartella che conterrà i file di LOG dei test di connessione " +
                     std::string(c.text),
                 platform::ui::kCritical);
    EXPECT_FALSE(platform::ui::FormIsOpen());
    EXPECT_EQ(gstrCartellaLog, "");
  }
}

TEST_F(MainTest, WithTheDataFolderTheWindowIsShown) {
  fake::shell::SetFolder(tmp.path());
  Main();
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(gstrCartellaLog, tmp / "Ardenza\\Sondalink\\");
  EXPECT_TRUE(TempFolder::IsFolder(gstrCartellaLog));
  EXPECT_TRUE(platform::ui::FormIsOpen());
  EXPECT_TRUE(platform::ui::GetValue(kOptSQL));  // Form_Load has run
}

TEST_F(MainTest, AWindowThatCannotBeShownIsReportedAsMainsError) {
  fake::shell::SetFolder(tmp.path());
  fake::ui::Get().showFormError = ErrorRecord{kErrFail, "Errore non specificato", "ShowForm"};
  Main();
  ExpectOneBox("Routine busConn:Main, linea 0, errore -2147467259, descrizione: Errore non specificato",
               platform::ui::kCritical);
  EXPECT_FALSE(platform::ui::FormIsOpen());
}

}  // namespace
}  // namespace sondalink
