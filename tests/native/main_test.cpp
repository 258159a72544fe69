#include <gtest/gtest.h>

#include "app/basconn.h"
#include "app/controls.h"
#include "fmconn_fixture.h"
#include "support/temp_folder.h"

namespace sondalink {
namespace {

using testing::TempFolder;

// Main() starts before the window: the fixture's fresh fakes, no window yet.
class MainTest : public FmConnTest {
 protected:
  void SetUp() override { TearDown(); }
  TempFolder tmp;
};

TEST_F(MainTest, NoDataFolderMeansAMessageAndNoWindow) {
  const std::string head =
      "Errore durante la rilevazione della cartella che conterrà i file di LOG dei test di "
      "connessione ";
  struct Case {
    Outcome<platform::shell::FolderPath> folder;
    std::string text;
  } cases[] = {
      {platform::shell::FolderPath{1, ""}, head + "The folder does not exist"},
      {platform::shell::FolderPath{static_cast<long>(kErrInvalidArg), ""},
       head + "An invalid folder ID was specified"},
      {ErrorRecord{-2147024770, "Modulo non trovato.", "shfolder"},
       head + "-2147024770: Modulo non trovato. (linea 0)"},
  };
  for (const Case& c : cases) {
    fake::ui::Reset();
    fake::shell::Get().folder = c.folder;
    Main();
    ExpectOneBox(c.text, platform::ui::kCritical);
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
