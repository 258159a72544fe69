#include <gtest/gtest.h>

#include <fstream>
#include <limits>

#include "app/controls.h"
#include "environment/cartella_dati.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_ui.h"
#include "native/file_size_limit.h"
#include "platform/files.h"
#include "support/log_box_form.h"
#include "support/temp_folder.h"
#include "support/version_line.h"
#include "testlog/testlog.h"

namespace sondalink {
namespace {

namespace ui = platform::ui;
using testing::FileSizeLimit;
using testing::TempFolder;

const std::string kHead =
    std::string(91, '-') + "\r\n" +
    "Sondalink.exe - Utility per testare le connessioni VB6 ai database SQL Server/MSDE\r\n" +
    testing::VersionLine() + "\r\n" +
    "Nome file di log: 'SondalinkADO.log'\r\n";
const std::string kLongRule = std::string(91, '-') + "\r\n";
const std::string kShortRule = std::string(68, '-') + "\r\n";

// ERROR_SHARING_VIOLATION as an HRESULT.
constexpr int32_t kSharingViolation = static_cast<int32_t>(0x80070020);
const std::string kTooLarge =
    ", linea 0, errore -2147024673, descrizione: File too large\r\n\r\nImpossibile continuare.";

// Whether a program holds the file open for writing: a second writer is
// refused then.
bool HeldByAWriter(const std::string& path) {
  platform::files::AppendFile probe;
  return probe.Open(path).failed();
}

class TestLog : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::ui::Reset();
    fake::clock::Reset();
    testing::ShowOnlyTheLogBox();
    gstrCartellaLog = tmp.path() + "\\";
    gstrFileLog = "SondalinkADO.log";
    glngNumWarning = glngNumErrori = 0;
  }
  void TearDown() override {
    LogStop();
    gbLogAperto = false;
    gstrCartellaLog.clear();
    gstrFileLog.clear();
    fake::ui::Reset();
    fake::clock::Reset();
  }
  std::string path() const { return tmp / "SondalinkADO.log"; }
  std::string file() const { return TempFolder::ReadFile(path()); }
  static std::string echo() { return ui::GetText(kEdLog); }
  static const std::vector<fake::ui::Box>& boxes() { return fake::ui::Get().boxes; }

  TempFolder tmp;
};

TEST_F(TestLog, RunWithoutLinesHasNineLines) {
  ASSERT_TRUE(LogStart());
  EXPECT_TRUE(gbLogAperto);
  fake::clock::Set({2026, 12, 31, 23, 59, 58});
  ASSERT_TRUE(LogStop());
  EXPECT_FALSE(gbLogAperto);
  EXPECT_EQ(file(), kHead + "Operazione avviata il 2026-03-07 09:05:04\r\n" + kLongRule +
                        "Operazione terminata il 2026-12-31 23:59:58\r\n" + kShortRule + " \r\n");
  EXPECT_EQ(echo(), "Creazione file di log " + path() + ".\r\nChiusura file di log " + path() + ".");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(TestLog, LinesCarryTheirStampLevelAndMessage) {
  ASSERT_TRUE(LogStart());
  fake::clock::Set({2026, 11, 10, 14, 7, 9});
  LogWrite("senza livello");
  LogWrite("info", kLogInfo);
  LogWrite("attenzione", kLogWarning);
  LogWrite("proprietà è già", kLogError);
  LogWrite("tre", 3);
  LogWrite("meno uno", -1);
  LogWrite("prima riga\r\nseconda riga", kLogWarning);
  ASSERT_TRUE(LogStop());

  const std::string stamp = "2026-11-10 14:07:09";
  EXPECT_EQ(file(), kHead + "Operazione avviata il 2026-03-07 09:05:04\r\n" + kLongRule +
                        stamp + ", INFO: senza livello\r\n" +
                        stamp + ", INFO: info\r\n" +
                        stamp + ", WARNING: attenzione\r\n" +
                        stamp + ", ERROR: propriet\xE0 \xE8 gi\xE0\r\n" +
                        stamp + ", INFO: tre\r\n" +
                        stamp + ", INFO: meno uno\r\n" +
                        stamp + ", WARNING: prima riga\r\nseconda riga\r\n" +
                        "Operazione terminata il " + stamp + "\r\n" + kShortRule + " \r\n");
  // Counted until the next LogStart, readable after LogStop.
  EXPECT_EQ(glngNumWarning, 2);
  EXPECT_EQ(glngNumErrori, 1);
  // The box shows the messages bare, in the program's own text.
  EXPECT_EQ(echo(), "Creazione file di log " + path() + ".\r\n"
                    "senza livello\r\ninfo\r\nattenzione\r\nproprietà è già\r\ntre\r\nmeno uno\r\n"
                    "prima riga\r\nseconda riga\r\n"
                    "Chiusura file di log " + path() + ".");
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
  fake::clock::Set({2027, 1, 2, 3, 4, 5});
  ASSERT_TRUE(LogStart());
  EXPECT_EQ(glngNumErrori, 0);
  LogWrite("secondo giro");
  ASSERT_TRUE(LogStop());
  EXPECT_EQ(file(), kHead + "Operazione avviata il 2027-01-02 03:04:05\r\n" + kLongRule +
                        "2027-01-02 03:04:05, INFO: secondo giro\r\n"
                        "Operazione terminata il 2027-01-02 03:04:05\r\n" + kShortRule + " \r\n");
}

TEST_F(TestLog, SkippingTheHeaderAppendsToThePreviousRun) {
  ASSERT_TRUE(LogStart());
  ASSERT_TRUE(LogStop());
  const std::string first = file();
  ASSERT_TRUE(LogStart(true));
  LogWrite("ancora");
  ASSERT_TRUE(LogStop());
  EXPECT_EQ(file(), first + "2026-03-07 09:05:04, INFO: ancora\r\n"
                            "Operazione terminata il 2026-03-07 09:05:04\r\n" + kShortRule + " \r\n");
}

TEST_F(TestLog, LogWriteOutsideARunChangesNothing) {
  LogWrite("prima di LogStart", kLogError);
  EXPECT_EQ(echo(), "");
  EXPECT_FALSE(EsisteFile(path()));
  EXPECT_EQ(glngNumErrori, 0);

  ASSERT_TRUE(LogStart());
  LogWrite("dentro", kLogWarning);
  ASSERT_TRUE(LogStop());
  const std::string closedFile = file();
  const std::string closedEcho = echo();
  const int events = fake::ui::Get().doEventsCalls;

  LogWrite("dopo LogStop", kLogWarning);
  EXPECT_EQ(file(), closedFile);
  EXPECT_EQ(echo(), closedEcho);
  EXPECT_EQ(glngNumWarning, 1);
  EXPECT_EQ(fake::ui::Get().doEventsCalls, events);
}

TEST_F(TestLog, SecondLogStopDoesNothing) {
  ASSERT_TRUE(LogStart());
  ASSERT_TRUE(LogStop());
  const std::string closedFile = file();
  const std::string closedEcho = echo();
  EXPECT_TRUE(LogStop());
  EXPECT_EQ(file(), closedFile);
  EXPECT_EQ(echo(), closedEcho);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(TestLog, EmptyFileNameIsRefusedWithAMessage) {
  tmp.MakeFile("SondalinkADO.log", "vecchio");
  ui::SetText(kEdLog, "testo");
  glngNumWarning = 4;
  glngNumErrori = 7;
  gstrFileLog.clear();
  EXPECT_FALSE(LogStart());
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Impostare il nome del file log prima di aprire il file di log.");
  EXPECT_EQ(boxes()[0].flags, 48);
  EXPECT_EQ(boxes()[0].title, "Messaggio di Sondalink");
  EXPECT_FALSE(gbLogAperto);
  EXPECT_EQ(echo(), "testo");
  EXPECT_EQ(glngNumWarning, 4);
  EXPECT_EQ(glngNumErrori, 7);
  EXPECT_EQ(file(), "vecchio");
}

TEST_F(TestLog, EachLineIsInTheFileBeforeEventsRun) {
  ASSERT_TRUE(LogStart());
  std::string seen;
  fake::ui::Queue([&] { seen = file(); });
  const int events = fake::ui::Get().doEventsCalls;
  LogWrite("visibile subito");
  EXPECT_EQ(fake::ui::Get().doEventsCalls, events + 1);
  EXPECT_TRUE(seen.ends_with(", INFO: visibile subito\r\n")) << seen;
}

// Another program may read the log while it is written, but neither open it
// for writing (a second Sondalink) nor delete it; once closed, both can.
TEST_F(TestLog, OthersMayReadTheOpenLogButNotWriteOrDeleteIt) {
  ASSERT_TRUE(LogStart());
  std::ifstream reader(testing::Host(path()), std::ios::binary);
  std::string head(kHead.size(), '\0');
  reader.read(head.data(), static_cast<std::streamsize>(head.size()));
  EXPECT_EQ(head, kHead);

  platform::files::AppendFile second;
  EXPECT_EQ(second.Open(path()).number, kSharingViolation);
  EXPECT_FALSE(second.is_open());
  EXPECT_EQ(platform::files::DeleteFile(path()).number, kSharingViolation);
  LogWrite("dopo");
  ASSERT_TRUE(LogStop());
  EXPECT_NE(file().find(", INFO: dopo\r\nOperazione terminata il "), std::string::npos);
  EXPECT_FALSE(HeldByAWriter(path()));
}

TEST_F(TestLog, MissingFolderIsReportedByLogStart) {
  gstrCartellaLog = tmp / "manca\\";
  ui::SetText(kEdLog, "");
  glngNumErrori = 3;
  EXPECT_FALSE(LogStart());
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text,
            "Routine basConn:LogStart, linea 0, errore -2147024894, descrizione: No such file or "
            "directory\r\n\r\nImpossibile continuare.");
  EXPECT_EQ(boxes()[0].flags, 16);
  EXPECT_EQ(boxes()[0].title, "Messaggio di Sondalink");
  EXPECT_FALSE(gbLogAperto);
  // The echo line and the reset counters stay.
  EXPECT_EQ(echo(), "Creazione file di log " + tmp / "manca\\SondalinkADO.log.");
  EXPECT_EQ(glngNumErrori, 0);
  LogWrite("nessuno", kLogError);
  EXPECT_EQ(glngNumErrori, 0);
  EXPECT_TRUE(LogStop());
  EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(TestLog, CounterOverflowIsReportedByLogWrite) {
  ASSERT_TRUE(LogStart());
  glngNumWarning = std::numeric_limits<int32_t>::max();
  LogWrite("una di troppo", kLogWarning);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text,
            "Routine basConn:LogWrite, linea 0, errore -2147024362, descrizione: Overflow"
            "\r\n\r\nImpossibile continuare.");
  EXPECT_EQ(boxes()[0].flags, 16);
  EXPECT_EQ(glngNumWarning, std::numeric_limits<int32_t>::max());
  EXPECT_EQ(file().find("una di troppo"), std::string::npos);
  EXPECT_TRUE(gbLogAperto);
}

// A failing write closes the file and shows its box once; the run's echo and
// counters go on, LogStop adds neither footer nor box, and the log is closed.
TEST_F(TestLog, AFailedWriteShowsOneBoxAndClosesTheFileForTheRestOfTheRun) {
  ASSERT_TRUE(LogStart());
  const std::string header = file();
  {
    FileSizeLimit limit(header.size() + 10);
    LogWrite("una riga troppo lunga per il limite");
  }
  LogWrite("ancora", kLogWarning);
  LogWrite("e ancora", kLogError);
  EXPECT_FALSE(HeldByAWriter(path()));
  EXPECT_TRUE(LogStop());

  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "Routine basConn:LogWrite" + kTooLarge);
  EXPECT_EQ(boxes()[0].flags, 16);
  EXPECT_FALSE(gbLogAperto);
  EXPECT_EQ(glngNumWarning, 1);
  EXPECT_EQ(glngNumErrori, 1);
  EXPECT_EQ(echo(), "Creazione file di log " + path() + ".\r\nuna riga troppo lunga per il limite\r\n"
                    "ancora\r\ne ancora\r\nChiusura file di log " + path() + ".");
  EXPECT_EQ(file().substr(0, header.size()), header);
  EXPECT_LE(file().size(), header.size() + 10);

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
    FileSizeLimit limit(10);
    EXPECT_FALSE(LogStart());
    EXPECT_FALSE(gbLogAperto);
    EXPECT_FALSE(HeldByAWriter(path()));
  }
  {
    SCOPED_TRACE("footer");
    ASSERT_TRUE(LogStart());
    {
      FileSizeLimit limit(file().size() + 10);
      EXPECT_FALSE(LogStop());
    }
    EXPECT_FALSE(gbLogAperto);
    EXPECT_FALSE(HeldByAWriter(path()));
    EXPECT_TRUE(LogStop());  // nothing left to report
  }
  ASSERT_EQ(boxes().size(), 2u);
  EXPECT_EQ(boxes()[0].text, "Routine basConn:LogStart" + kTooLarge);
  EXPECT_EQ(boxes()[1].text, "Routine basConn:LogStop" + kTooLarge);
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
}  // namespace sondalink
