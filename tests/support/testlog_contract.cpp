// What the test log does whichever file layer and window stand behind it:
// run by the native tests (posix twins, the fake window) and the Windows
// tests (the Win32 file layer, a real log box and message boxes).
#include "support/log_cases.h"

namespace sondalink::testing {
namespace {

namespace ui = platform::ui;

TEST_F(TestLog, EchoHoldsTheMessagesBareInTheProgramsText) {
  ASSERT_TRUE(LogStart());
  WriteLogLines();
  ASSERT_TRUE(LogStop());
  EXPECT_EQ(echo(), LogEcho(path(), "senza livello\r\ninfo\r\nattenzione\r\nproprietà è già\r\ntre\r\nmeno uno\r\n"
                                    "prima riga\r\nseconda riga\r\n"));
  EXPECT_TRUE(boxes().empty());
}

TEST_F(TestLog, EchoFollowsWhatTheBoxAlreadyHolds) {
  ui::SetText(kEdLog, "precedente");
  ASSERT_TRUE(LogStart());
  EXPECT_EQ(echo(), "precedente\r\nCreazione file di log " + path() + ".");
}

// The log echoes into the box its window handed over, and into none before.
TEST_F(TestLog, EchoGoesOnlyIntoTheBoxHandedOver) {
  LogEchoInto(0);
  ASSERT_TRUE(LogStart());
  LogWrite("solo nel file", kLogWarning);
  ASSERT_TRUE(LogStop());
  LogEchoInto(kEdLog);
  EXPECT_EQ(echo(), "");
  EXPECT_NE(file().find(", WARNING: solo nel file\r\n"), std::string::npos);
  EXPECT_EQ(glngNumWarning, 1);
}

TEST_F(TestLog, SecondRunReplacesTheFirst) {
  ASSERT_TRUE(LogStart());
  LogWrite("primo giro", kLogError);
  ASSERT_TRUE(LogStop());
  ASSERT_TRUE(LogStart());
  EXPECT_EQ(glngNumErrori, 0);
  LogWrite("secondo giro");
  ASSERT_TRUE(LogStop());
  EXPECT_EQ(Unstamped(file()), LogFile("<stamp>", "<stamp>, INFO: secondo giro\r\n", "<stamp>"));
}

TEST_F(TestLog, SkippingTheHeaderAppendsToThePreviousRun) {
  ASSERT_TRUE(LogStart());
  ASSERT_TRUE(LogStop());
  const std::string first = file();
  ASSERT_TRUE(LogStart(true));
  LogWrite("ancora");
  ASSERT_TRUE(LogStop());
  ASSERT_EQ(file().substr(0, first.size()), first);
  EXPECT_EQ(Unstamped(file().substr(first.size())),
            "<stamp>, INFO: ancora\r\nOperazione terminata il <stamp>\r\n" + kShortRule + " \r\n");
}

TEST_F(TestLog, LogWriteOutsideARunChangesNothing) {
  LogWrite("prima di LogStart", kLogError);
  EXPECT_EQ(echo(), "");
  EXPECT_FALSE(EsisteFile(path()));
  EXPECT_EQ(glngNumErrori, 0);

  ASSERT_TRUE(LogStart());
  LogWrite("dentro", kLogWarning);
  ASSERT_TRUE(LogStop());
  const auto closed = State();
  LogWrite("dopo LogStop", kLogWarning);
  EXPECT_EQ(State(), closed);
  EXPECT_EQ(glngNumWarning, 1);
}

TEST_F(TestLog, SecondLogStopDoesNothing) {
  ASSERT_TRUE(LogStart());
  ASSERT_TRUE(LogStop());
  const auto closed = State();
  EXPECT_TRUE(LogStop());
  EXPECT_EQ(State(), closed);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(TestLog, EmptyFileNameIsRefusedWithAMessage) {
  tmp.MakeFile("SondalinkADO.log", "vecchio");
  ui::SetText(kEdLog, "testo");
  glngNumWarning = 4;
  glngNumErrori = 7;
  gstrFileLog.clear();
  EXPECT_FALSE(LogStart());
  const std::vector<LogWatch::Box> shown = boxes();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "Impostare il nome del file log prima di aprire il file di log.");
  EXPECT_EQ(shown[0].title, "Messaggio di Sondalink");
  if (shown[0].flags != -1) {
    EXPECT_EQ(shown[0].flags, 48);
  }
  EXPECT_FALSE(gbLogAperto);
  EXPECT_EQ(echo(), "testo");
  EXPECT_EQ(glngNumWarning, 4);
  EXPECT_EQ(glngNumErrori, 7);
  EXPECT_EQ(file(), "vecchio");
}

// Another program may read the log while it is written (an editor, a viewer
// following it), but neither open it for writing (a second Sondalink) nor
// delete it; once closed, both can.
TEST_F(TestLog, OthersMayReadTheOpenLogButNotWriteOrDeleteIt) {
  constexpr int32_t kSharingViolation = static_cast<int32_t>(0x80070020);
  ASSERT_TRUE(LogStart());
  LogWrite("prima");
  EXPECT_TRUE(file().ends_with(", INFO: prima\r\n"));
  platform::files::AppendFile second;
  EXPECT_EQ(second.Open(path()).number, kSharingViolation);
  EXPECT_FALSE(second.is_open());
  EXPECT_EQ(platform::files::DeleteFile(path()).number, kSharingViolation);
  LogWrite("dopo");
  ASSERT_TRUE(LogStop());
  EXPECT_NE(Unstamped(file()).find(", INFO: prima\r\n<stamp>, INFO: dopo\r\nOperazione terminata il "),
            std::string::npos);
  EXPECT_FALSE(second.Open(path()).failed());
}

// The box of a routine whose write failed: its text, and the critical icon
// where the build can tell.
void ExpectFailureBox(const LogWatch::Box& box, const std::string& routine) {
  const std::string start = "Routine basConn:" + routine + ", linea 0, " + WritesFail::Error();
  EXPECT_EQ(box.text.substr(0, start.size()), start);
  EXPECT_TRUE(box.text.ends_with("\r\n\r\nImpossibile continuare.")) << box.text;
  EXPECT_EQ(box.title, "Messaggio di Sondalink");
  if (box.flags != -1) {
    EXPECT_EQ(box.flags, 16);
  }
}

// A failing write closes the file and shows its box once; the run's echo and
// counters go on, LogStop adds neither footer nor box, and the log is closed.
TEST_F(TestLog, AFailedWriteShowsOneBoxAndClosesTheFileForTheRestOfTheRun) {
  ASSERT_TRUE(LogStart());
  LogWrite("scritta");
  const std::string before = file();
  {
    WritesFail full(before.size() + 10);
    LogWrite("una riga troppo lunga per il limite");
  }
  LogWrite("ancora", kLogWarning);
  LogWrite("e ancora", kLogError);
  EXPECT_FALSE(HeldByAWriter(path()));
  EXPECT_TRUE(LogStop());

  const std::vector<LogWatch::Box> shown = boxes();
  ASSERT_EQ(shown.size(), 1u);
  ExpectFailureBox(shown[0], "LogWrite");
  EXPECT_FALSE(gbLogAperto);
  EXPECT_EQ(glngNumWarning, 1);
  EXPECT_EQ(glngNumErrori, 1);
  EXPECT_EQ(echo(), LogEcho(path(), "scritta\r\nuna riga troppo lunga per il limite\r\nancora\r\ne ancora\r\n"));
  EXPECT_EQ(file().substr(0, before.size()), before);
  EXPECT_LE(file().size(), before.size() + 10);

  // The next run has its file again.
  ASSERT_TRUE(LogStart());
  LogWrite("di nuovo");
  ASSERT_TRUE(LogStop());
  EXPECT_NE(file().find(", INFO: di nuovo\r\nOperazione terminata il "), std::string::npos);
}

// Whatever fails, no routine returns with the log marked open or its file
// held: a header that cannot be written, a footer that cannot, and a
// LogStart over a log that is still open.
TEST_F(TestLog, NoFailureLeavesTheLogOpenOrItsFileHeld) {
  {
    SCOPED_TRACE("header");
    WritesFail full(10);
    EXPECT_FALSE(LogStart());
    EXPECT_FALSE(gbLogAperto);
    EXPECT_FALSE(HeldByAWriter(path()));
  }
  {
    SCOPED_TRACE("footer");
    ASSERT_TRUE(LogStart());
    {
      WritesFail full(file().size() + 10);
      EXPECT_FALSE(LogStop());
    }
    EXPECT_FALSE(gbLogAperto);
    EXPECT_FALSE(HeldByAWriter(path()));
    EXPECT_TRUE(LogStop());  // nothing left to report
  }
  std::vector<LogWatch::Box> shown = boxes();
  ASSERT_EQ(shown.size(), 2u);
  ExpectFailureBox(shown[0], "LogStart");
  ExpectFailureBox(shown[1], "LogStop");
  {
    SCOPED_TRACE("LogStart over an open log");
    ASSERT_TRUE(LogStart());
    LogWrite("primo giro");
    gstrFileLog = "SondalinkSQLDMO.log";
    ASSERT_TRUE(LogStart());
    EXPECT_FALSE(HeldByAWriter(path()));
    // The same file again: its previous run is deleted, not appended to.
    ASSERT_TRUE(LogStart());
    LogWrite("secondo giro");
    ASSERT_TRUE(LogStop());
    const std::string dmo = TempFolder::ReadFile(tmp / "SondalinkSQLDMO.log");
    EXPECT_EQ(dmo.find("Operazione avviata il "), dmo.rfind("Operazione avviata il "));
    EXPECT_NE(dmo.find(", INFO: secondo giro\r\n"), std::string::npos);
  }
  EXPECT_EQ(boxes().size(), 2u);
}

}  // namespace
}  // namespace sondalink::testing
