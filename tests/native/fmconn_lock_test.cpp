#include <string>
#include <vector>

#include "environment/cartella_dati.h"
#include "fakes/fake_shell.h"
#include "fmconn_fixture.h"
#include "support/temp_folder.h"
#include "testlog/testlog.h"

namespace sondalink {
namespace {

using fake::ui::Click;
using fake::ui::RequestClose;
using fake::ui::Type;
using platform::ui::SysColor;

constexpr int kInputs[] = {kEdServer, kOptSQL, kOptTrusted, kEdLogin, kEdPassword};
constexpr int kTestButtons[] = {kCmdADO, kCmdSQLDMO, kCmdDAODirect, kCmdRDO, kCmdODBC};

TEST_F(FmConnTest, LockDisablesInputsAndTestButtonsButNotTheLogFolderOrTheLogBox) {
  EXPECT_TRUE(ControlliBlocca());
  EXPECT_TRUE(TestInCorso());
  for (int id : kInputs) EXPECT_FALSE(At(id).enabled) << id;
  for (int id : kTestButtons) EXPECT_FALSE(At(id).enabled) << id;
  for (int box : {kEdServer, kEdLogin, kEdPassword}) EXPECT_EQ(At(box).back, SysColor::ButtonFace);
  EXPECT_TRUE(At(kCmdOpenLog).enabled);
  EXPECT_TRUE(At(kEdLog).enabled);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(FmConnTest, UnlockEnablesEverythingIncludingRdoAndOdbc) {
  Type(kEdLogin, "sa");
  ASSERT_TRUE(ControlliBlocca());
  EXPECT_TRUE(ControlliSblocca());
  EXPECT_FALSE(TestInCorso());
  for (int id : kInputs) EXPECT_TRUE(At(id).enabled) << id;
  for (int id : kTestButtons) EXPECT_TRUE(At(id).enabled) << id;
  for (int box : {kEdServer, kEdLogin, kEdPassword}) EXPECT_EQ(At(box).back, SysColor::Window);
  EXPECT_EQ(At(kEdLogin).text, "sa");  // texts are not touched
}

TEST_F(FmConnTest, UnlockUnderWindowsAuthenticationLeavesLoginAndPasswordDisabled) {
  Click(kOptTrusted);
  ASSERT_TRUE(ControlliBlocca());
  ASSERT_TRUE(ControlliSblocca());
  EXPECT_TRUE(At(kEdServer).enabled);
  for (int box : {kEdLogin, kEdPassword}) {
    EXPECT_FALSE(At(box).enabled);
    EXPECT_EQ(At(box).back, SysColor::ButtonFace);
  }
}

TEST_F(FmConnTest, AnyTestButtonEnablesRdoAndOdbcEvenWhenValidationStopsIt) {
  for (int button : {kCmdADO, kCmdDAODirect, kCmdSQLDMO}) {
    SCOPED_TRACE(button);
    SetUp();
    Click(button);  // empty server: stops at the validation
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Inserire il nome del Server/Istanza.");
    EXPECT_EQ(Ui().focus, kEdServer);
    EXPECT_TRUE(At(kCmdRDO).enabled);
    EXPECT_TRUE(At(kCmdODBC).enabled);
    EXPECT_FALSE(TestInCorso());
  }
}

// A control that cannot be reached makes the routine fail where it is met:
// what came before it stays done, the busy flag is left alone, and the
// routine error box tells which routine failed.
struct BrokenLock {
  int missing;
  std::vector<int> changedBefore;
  std::vector<int> untouched;
};

TEST_F(FmConnTest, ALockThatFailsHalfwayKeepsWhatItChangedAndReportsTheRoutine) {
  const BrokenLock cases[] = {
      {kOptTrusted, {kEdServer, kOptSQL}, {kEdLogin, kCmdADO}},
      {kEdPassword, {kEdServer, kOptSQL, kOptTrusted, kEdLogin}, {kCmdADO}},
      {kCmdRDO, {kEdPassword, kCmdADO, kCmdSQLDMO, kCmdDAODirect}, {kCmdODBC}},
  };
  for (const BrokenLock& c : cases) {
    SCOPED_TRACE(c.missing);
    SetUp();
    ASSERT_TRUE(ControlliSblocca());  // RDO and ODBC enabled too
    Ui().controls.erase(c.missing);
    EXPECT_FALSE(ControlliBlocca());
    EXPECT_FALSE(TestInCorso());
    for (int id : c.changedBefore) EXPECT_FALSE(At(id).enabled) << id;
    for (int id : c.untouched) EXPECT_TRUE(At(id).enabled) << id;
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text,
              "Routine fmConn:ControlliBlocca, linea 0, errore 9, descrizione: Subscript out of "
              "range");
    EXPECT_EQ(Boxes()[0].flags, 16);
    EXPECT_EQ(Boxes()[0].title, "Messaggio di Sondalink");
  }
}

TEST_F(FmConnTest, AnUnlockThatFailsLeavesTheWindowBusy) {
  ASSERT_TRUE(ControlliBlocca());
  Ui().controls.erase(kCmdDAODirect);
  EXPECT_FALSE(ControlliSblocca());
  EXPECT_TRUE(TestInCorso());
  EXPECT_TRUE(At(kCmdSQLDMO).enabled);
  EXPECT_FALSE(At(kCmdRDO).enabled);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text.rfind("Routine fmConn:ControlliSblocca, linea 0, errore 9, ", 0), 0u);
}

TEST_F(FmConnTest, AFailureWhileATestLogIsOpenIsAlsoAnErrorLineOfTheLog) {
  testing::TempFolder tmp;
  gstrCartellaLog = tmp.path() + "\\";
  gstrFileLog = "SondalinkADO.log";
  ASSERT_TRUE(LogStart());
  Ui().controls.erase(kCmdODBC);
  EXPECT_FALSE(ControlliSblocca());
  EXPECT_EQ(glngNumErrori, 1);
  LogStop();
  const std::string text =
      "Routine fmConn:ControlliSblocca, linea 0, errore 9, descrizione: Subscript out of range";
  EXPECT_NE(testing::TempFolder::ReadFile(tmp / "SondalinkADO.log").find(text),
            std::string::npos);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, text);
  gstrCartellaLog.clear();
  gstrFileLog.clear();
}

TEST_F(FmConnTest, AValidationThatFailsReportsTheRoutine) {
  Ui().controls.erase(kEdLogin);
  Type(kEdServer, "srv");
  EXPECT_FALSE(ValidaParametriConnessione());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text.rfind("Routine fmConn:ValidaParametriConnessione, linea 0, errore ", 0),
            0u);
  EXPECT_EQ(Boxes()[0].flags, 16);
  EXPECT_EQ(mstrServer, "");
}

TEST_F(FmConnTest, CloseByTheUserIsRefusedOnlyWhileATestRuns) {
  ASSERT_TRUE(ControlliBlocca());
  EXPECT_FALSE(RequestClose(platform::ui::kCloseByUser));
  EXPECT_TRUE(Ui().open);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Impossibile uscire dal programma quando è in corso il test.");
  EXPECT_EQ(Boxes()[0].flags, 48);
  EXPECT_EQ(Boxes()[0].title, "Messaggio di Sondalink");
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
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, "Funzionalità non supportata.");
    EXPECT_EQ(Boxes()[0].flags, 48);
    EXPECT_EQ(Boxes()[0].title, "Messaggio di Sondalink");
    EXPECT_EQ(mstrServer, "");
    EXPECT_EQ(At(kEdServer).text, "srv");
    EXPECT_TRUE(At(kCmdRDO).enabled);
  }
}

TEST_F(FmConnTest, LogFolderButtonHandsTheShellTheFolderQuotedWhenItHoldsABlankOrAComma) {
  struct Case {
    const char* folder;
    const char* passed;
  };
  const Case cases[] = {
      {"C:\\Users\\mario\\AppData\\Local\\Ardenza\\Sondalink\\",
       "C:\\Users\\mario\\AppData\\Local\\Ardenza\\Sondalink\\"},
      {"C:\\Documents and Settings\\mario\\Dati applicazioni\\Ardenza\\Sondalink\\",
       "\"C:\\Documents and Settings\\mario\\Dati applicazioni\\Ardenza\\Sondalink\\\""},
      {"C:\\Users\\rossi,mario\\Ardenza\\Sondalink\\",
       "\"C:\\Users\\rossi,mario\\Ardenza\\Sondalink\\\""},
  };
  std::string saved = gstrCartellaLog;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    fake::shell::Reset();
    gstrCartellaLog = c.folder;
    Click(kCmdOpenLog);
    ASSERT_EQ(fake::shell::Get().shellCalls.size(), 1u);
    const auto& call = fake::shell::Get().shellCalls[0];
    EXPECT_EQ(call.operation, "Open");
    EXPECT_EQ(call.file, c.passed);
    EXPECT_EQ(call.parameters, "");
    EXPECT_EQ(call.directory, c.passed);
    EXPECT_EQ(call.show, 1);
  }
  gstrCartellaLog = saved;
  fake::shell::Reset();
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(FmConnTest, LogFolderButtonWorksDuringATestAndReportsAShellItCannotReach) {
  ASSERT_TRUE(ControlliBlocca());
  fake::shell::Reset();
  fake::shell::Get().shellError = {-2147024894, "Impossibile trovare il file specificato.",
                                   "ShellExecuteA"};
  Click(kCmdOpenLog);
  EXPECT_EQ(fake::shell::Get().shellCalls.size(), 1u);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "Routine fmConn:cmdOpenLog_Click, linea 0, errore -2147024894, descrizione: "
            "Impossibile trovare il file specificato.");
  EXPECT_EQ(Boxes()[0].flags, 16);
  EXPECT_EQ(Boxes()[0].title, "Messaggio di Sondalink");
  EXPECT_TRUE(TestInCorso());
  fake::shell::Reset();
}

}  // namespace
}  // namespace sondalink
