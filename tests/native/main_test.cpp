#include <gtest/gtest.h>

#include "app/basconn.h"
#include "app/controls.h"
#include "environment/cartella_dati.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_ui.h"
#include "support/temp_folder.h"

namespace sondalink {
namespace {

using testing::TempFolder;

class MainTest : public ::testing::Test {
 protected:
  void SetUp() override { TearDown(); }
  void TearDown() override {
    fake::ui::Reset();
    fake::shell::Reset();
    gstrCartellaLog.clear();
  }
  static const std::vector<fake::ui::Box>& boxes() { return fake::ui::Get().boxes; }
  static void ExpectOneCriticalBox(const std::string& text) {
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, text);
    EXPECT_EQ(boxes()[0].flags, platform::ui::kCritical);
    EXPECT_EQ(boxes()[0].title, "Messaggio di Sondalink");
  }
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
    ExpectOneCriticalBox(c.text);
    EXPECT_FALSE(platform::ui::FormIsOpen());
    EXPECT_EQ(gstrCartellaLog, "");
  }
}

TEST_F(MainTest, WithTheDataFolderTheWindowIsShown) {
  fake::shell::SetFolder(tmp.path());
  Main();
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(gstrCartellaLog, tmp / "Ardenza\\Sondalink\\");
  EXPECT_TRUE(TempFolder::IsFolder(gstrCartellaLog));
  EXPECT_TRUE(platform::ui::FormIsOpen());
  EXPECT_TRUE(platform::ui::GetValue(kOptSQL));  // Form_Load has run
}

TEST_F(MainTest, AWindowThatCannotBeShownIsReportedAsMainsError) {
  fake::shell::SetFolder(tmp.path());
  fake::ui::Get().showFormError = ErrorRecord{kErrFail, "Errore non specificato", "ShowForm"};
  Main();
  ExpectOneCriticalBox(
      "Routine busConn:Main, linea 0, errore -2147467259, descrizione: Errore non specificato");
  EXPECT_FALSE(platform::ui::FormIsOpen());
}

}  // namespace
}  // namespace sondalink
