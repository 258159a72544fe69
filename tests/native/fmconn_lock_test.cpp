#include <ostream>

#include "fmconn_fixture.h"
#include "support/row_name.h"
#include "support/temp_folder.h"

namespace sondalink {
namespace {

using fake::ui::Click;
using fake::ui::RequestClose;
using fake::ui::Type;
using platform::ui::SysColor;
using platform::ui::kCritical;
using platform::ui::kExclamation;

TEST_F(FmConnTest, LockDisablesInputsAndTestButtonsButNotTheLogFolderOrTheLogBox) {
  EXPECT_TRUE(ControlliBlocca());
  EXPECT_TRUE(TestInCorso());
  ExpectEnabled(kInputsAndTestButtons, false);
  ExpectBack({kEdServer, kEdLogin, kEdPassword}, SysColor::ButtonFace);
  ExpectEnabled({kCmdOpenLog, kEdLog}, true);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(FmConnTest, UnlockEnablesEverythingIncludingRdoAndOdbc) {
  Type(kEdLogin, "sa");
  ASSERT_TRUE(ControlliBlocca());
  EXPECT_TRUE(ControlliSblocca());
  EXPECT_FALSE(TestInCorso());
  ExpectEnabled(kInputsAndTestButtons, true);
  ExpectBack({kEdServer, kEdLogin, kEdPassword}, SysColor::Window);
  EXPECT_EQ(At(kEdLogin).text, "sa");  // texts are not touched
}

TEST_F(FmConnTest, UnlockUnderWindowsAuthenticationLeavesLoginAndPasswordDisabled) {
  Click(kOptTrusted);
  ASSERT_TRUE(ControlliBlocca());
  ASSERT_TRUE(ControlliSblocca());
  EXPECT_TRUE(At(kEdServer).enabled);
  ExpectEnabled({kEdLogin, kEdPassword}, false);
  ExpectBack({kEdLogin, kEdPassword}, SysColor::ButtonFace);
}

class AnyTestButton : public FmConnTest, public ::testing::WithParamInterface<int> {};

TEST_P(AnyTestButton, EnablesRdoAndOdbcEvenWhenValidationStopsIt) {
  Click(GetParam());  // empty server: stops at the validation
  ExpectOneBox("Inserire il nome del Server/Istanza.", kExclamation, "Messaggio di Collaudino");
  EXPECT_EQ(Ui().focus, kEdServer);
  ExpectEnabled({kCmdRDO, kCmdODBC}, true);
  EXPECT_FALSE(TestInCorso());
}

INSTANTIATE_TEST_SUITE_P(FmConn, AnyTestButton, ::testing::Values(kCmdADO, kCmdDAODirect, kCmdSQLDMO),
                         [](const auto& info) { return Find(info.param)->name; });

// A control that cannot be reached makes the routine fail where it is met:
// what came before it stays done, the busy flag is left alone, and the
// routine error box tells which routine failed.
struct HalfwayCase {
  const char* name;
  bool lock;  // ControlliBlocca from unlocked, else ControlliSblocca from locked
  int missing;
  std::vector<int> changedBefore, untouched;
};

void PrintTo(const HalfwayCase& c, std::ostream* os) { *os << c.name; }

class HalfwayLockOrUnlock : public FmConnTest, public ::testing::WithParamInterface<HalfwayCase> {};

TEST_P(HalfwayLockOrUnlock, KeepsWhatItChangedAndReportsTheRoutine) {
  const HalfwayCase& c = GetParam();
  ASSERT_TRUE(c.lock ? ControlliSblocca() : ControlliBlocca());  // RDO and ODBC enabled too
  Ui().controls.erase(c.missing);
  EXPECT_FALSE(c.lock ? ControlliBlocca() : ControlliSblocca());
  EXPECT_EQ(TestInCorso(), !c.lock);
  ExpectEnabled(c.changedBefore, !c.lock);
  ExpectEnabled(c.untouched, c.lock);
  ExpectOneBox(std::string("Routine fmConn:") + (c.lock ? "ControlliBlocca" : "ControlliSblocca") +
                   ", linea 0, errore 9, descrizione: Subscript out of range",
               kCritical);
}

INSTANTIATE_TEST_SUITE_P(
    FmConn, HalfwayLockOrUnlock,
    ::testing::Values(
        HalfwayCase{"LockWithoutTheTrustedOption", true, kOptTrusted, {kEdServer, kOptSQL}, {kEdLogin, kCmdADO}},
        HalfwayCase{"LockWithoutThePasswordBox", true, kEdPassword, {kEdServer, kOptSQL, kOptTrusted, kEdLogin},
                    {kCmdADO}},
        HalfwayCase{"LockWithoutTheRdoButton", true, kCmdRDO, {kEdPassword, kCmdADO, kCmdSQLDMO, kCmdDAODirect},
                    {kCmdODBC}},
        HalfwayCase{"UnlockWithoutTheDaoButton", false, kCmdDAODirect, {kCmdSQLDMO}, {kCmdRDO}}),
    testing::kRowName);

TEST_F(FmConnTest, AFailureWhileATestLogIsOpenIsAlsoAnErrorLineOfTheLog) {
  testing::TempFolder tmp;
  gstrCartellaLog = tmp.path() + "\\";
  gstrFileLog = "SondalinkADO.log";
  ASSERT_TRUE(LogStart());
  Ui().controls.erase(kCmdODBC);
  EXPECT_FALSE(ControlliSblocca());
  EXPECT_EQ(glngNumErrori, 1);
  LogStop();
  const std::string text = "Routine fmConn:ControlliSblocca, linea 0, errore 9, descrizione: Subscript out of range";
  EXPECT_NE(testing::TempFolder::ReadFile(tmp / "SondalinkADO.log").find(text), std::string::npos);
  ExpectOneBox(text, kCritical);
}

TEST_F(FmConnTest, AValidationThatFailsReportsTheRoutine) {
  Ui().controls.erase(kEdLogin);
  Type(kEdServer, "srv");
  EXPECT_FALSE(ValidaParametriConnessione());
  ExpectOneBox("Routine fmConn:ValidaParametriConnessione, linea 0, errore ...", kCritical);
  EXPECT_EQ(mstrServer, "");
}

TEST_F(FmConnTest, CloseByTheUserIsRefusedOnlyWhileATestRuns) {
  ASSERT_TRUE(ControlliBlocca());
  EXPECT_FALSE(RequestClose(platform::ui::kCloseByUser));
  EXPECT_TRUE(Ui().open);
  ExpectOneBox("Impossibile uscire dal programma quando è in corso il test.", kExclamation);
  ASSERT_TRUE(ControlliSblocca());
  EXPECT_TRUE(RequestClose(platform::ui::kCloseByUser));
  EXPECT_FALSE(Ui().open);
  EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(FmConnTest, OtherCloseReasonsAreNeverHeldBack) {
  using namespace platform::ui;
  for (int reason : {kCloseByProgram, kCloseByWindows, kCloseByTaskManager}) {
    SCOPED_TRACE(reason);
    SetUp();
    ASSERT_TRUE(ControlliBlocca());
    bool cancel = false;
    Form_QueryUnload(reason, cancel);
    EXPECT_FALSE(cancel);
    // Ending the Windows session unloads the window at once, test or not.
    EXPECT_EQ(Ui().open, reason != kCloseByWindows);
    EXPECT_TRUE(Boxes().empty());
  }
}

TEST_F(FmConnTest, RdoAndOdbcOnlySayTheyAreNotSupported) {
  ASSERT_TRUE(ControlliSblocca());
  Type(kEdServer, "srv");
  for (int button : {kCmdRDO, kCmdODBC}) {
    SCOPED_TRACE(button);
    Boxes().clear();
    Click(button);
    ExpectOneBox("Funzionalità non supportata.", kExclamation);
    EXPECT_EQ(mstrServer, "");
    EXPECT_EQ(At(kEdServer).text, "srv");
    EXPECT_TRUE(At(kCmdRDO).enabled);
  }
}

// The shell gets the folder quoted when it holds a blank or a comma, during
// a test too; a shell it cannot reach is the routine's error.
TEST_F(FmConnTest, LogFolderButtonHandsTheShellTheFolderQuotedWhenItHoldsABlankOrAComma) {
  const std::string cases[][2] = {
      {"C:\\Users\\mario\\AppData\\Local\\Ardenza\\Sondalink\\",
       "C:\\Users\\mario\\AppData\\Local\\Ardenza\\Sondalink\\"},
      {"C:\\Documents and Settings\\mario\\Dati applicazioni\\Ardenza\\Sondalink\\",
       "\"C:\\Documents and Settings\\mario\\Dati applicazioni\\Ardenza\\Sondalink\\\""},
      {"C:\\Users\\rossi,mario\\Ardenza\\Sondalink\\", "\"C:\\Users\\rossi,mario\\Ardenza\\Sondalink\\\""},
  };
  for (const auto& [folder, passed] : cases) {
    SCOPED_TRACE(folder);
    fake::shell::Reset();
    gstrCartellaLog = folder;
    Click(kCmdOpenLog);
    EXPECT_EQ(fake::shell::Get().shellCalls, (std::vector<fake::shell::ShellCall>{{"Open", passed, "", passed, 1}}));
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(FmConnTest, LogFolderButtonWorksDuringATestAndReportsAShellItCannotReach) {
  ASSERT_TRUE(ControlliBlocca());
  fake::shell::Get().shellError = {-2147024894, "Impossibile trovare il file specificato.", "ShellExecuteA"};
  Click(kCmdOpenLog);
  EXPECT_EQ(fake::shell::Get().shellCalls.size(), 1u);
  ExpectOneBox("Routine fmConn:cmdOpenLog_Click, linea 0, errore -2147024894, descrizione: "
               "Impossibile trovare il file specificato.", kCritical);
  EXPECT_TRUE(TestInCorso());
}

}  // namespace
}  // namespace sondalink
