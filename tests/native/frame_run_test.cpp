// The test run frame with scripted test bodies: which lines end the log,
// which boxes come in which order, when Notepad starts, and that a click
// waiting in the queue cannot start a second test inside the first.
#include <algorithm>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/test_in_corso.h"
#include "connection/frame.h"
#include "connection_fixture.h"
#include "native/file_size_limit.h"
#include "platform/ui.h"

namespace sondalink {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace ui = platform::ui;

constexpr ProfiloTest kProva{
    "SondalinkProva.log", "Inizio prova...", "Prova.Classe", "Prova riuscita.", "Prova fallita.",
    "cmdProva_Click",
};

const ErrorRecord kEFail{static_cast<int32_t>(0x80004005), "Errore non specificato", "Prova.Classe"};

void Rapporto(const std::string& strClasse) { LogWrite("Rapporto per " + strClasse); }
void RapportoConErrore(const std::string& strClasse) {
  LogWrite("Rapporto per " + strClasse);
  LogWrite("Errore nella rilevazione del sistema operativo: x", kLogError);
}
void RapportoRotto(const std::string&) { throw std::runtime_error("rapporto rotto"); }

ErrorRecord Riuscita() { return {}; }

// A body that does what a test's steps do on success.
void CorpoRiuscito(EsecuzioneTest& run) {
  run.GuardedStep("Passo...", Riuscita, "Errore passo: number=", "Passo riuscito.");
  run.SetVersion("Versione 9");
  run.SetOutcome(true);
  run.EnterTrappedMode();
  run.LogWrite("Distruzione...");
  run.ReleaseMainObject();
}

class FrameRun : public testing::ConnectionTest {
 protected:
  std::string LogPath() const { return gstrCartellaLog + "SondalinkProva.log"; }
  std::vector<std::string> Log() { return Body("SondalinkProva.log"); }
  void ExpectUnlockedAndIdle() {
    for (int id : {kEdServer, kOptSQL, kOptTrusted, kEdLogin, kEdPassword, kCmdADO, kCmdSQLDMO,
                   kCmdDAODirect, kCmdRDO, kCmdODBC}) {
      EXPECT_TRUE(ui::IsEnabled(id)) << id;
    }
    EXPECT_EQ(fake::ui::Get().pointer, ui::kPointerDefault);
    EXPECT_FALSE(TestInCorso());
  }
};

TEST_F(FrameRun, FailedValidationLeavesLogBoxAndFileNameAsTheyWere) {
  fake::ui::Type(kEdServer, "");
  ui::SetText(kEdLog, "righe della prova precedente");
  gstrFileLog = "SondalinkADO.log";
  bool ran = false;
  EseguiTest(kProva, [&](EsecuzioneTest&) { ran = true; }, Rapporto);

  EXPECT_FALSE(ran);
  EXPECT_EQ(ui::GetText(kEdLog), "righe della prova precedente");
  EXPECT_EQ(gstrFileLog, "SondalinkADO.log");
  ASSERT_EQ(Boxes().size(), 1u);  // validation's own message, nothing from the frame
  EXPECT_EQ(Boxes()[0].text, "Inserire il nome del Server/Istanza.");
  EXPECT_THAT(Started(), IsEmpty());
  EXPECT_THAT(fake::ui::Get().pointerHistory, ::testing::Each(ui::kPointerDefault));
  ExpectUnlockedAndIdle();
  EXPECT_FALSE(std::filesystem::exists(testing::Host(LogPath())));
}

TEST_F(FrameRun, LogThatCannotStartEndsTheRunWithoutFailureBoxOrNotepad) {
  gstrCartellaLog = folder_ + "\\manca\\";  // no such folder
  ui::SetText(kEdLog, "righe della prova precedente");
  bool ran = false;
  EseguiTest(kProva, [&](EsecuzioneTest&) { ran = true; }, Rapporto);

  EXPECT_FALSE(ran);
  // The box was emptied before the log's first echo: nothing of the last run.
  EXPECT_EQ(ui::GetText(kEdLog), "Creazione file di log " + LogPath() + ".");
  for (const auto& box : Boxes()) EXPECT_NE(box.text, "Prova fallita.");
  EXPECT_THAT(Started(), IsEmpty());
  ExpectUnlockedAndIdle();
}

TEST_F(FrameRun, FirstGuardedStepFailingShowsFailureBoxThenNotepad) {
  auto holder = fake::automation::NewObject("Prova.Classe");
  size_t startedAtBox = 99;
  long holdersAtBox = 99;
  fake::ui::Get().onBox = [&](const fake::ui::Box&) {
    startedAtBox = Started().size();
    holdersAtBox = holder.use_count();
  };
  bool after = false;
  EseguiTest(
      kProva,
      [&](EsecuzioneTest& run) {
        run.SetMainObject(holder->object());
        run.GuardedStep("Creazione...", [] { return kEFail; }, "Errore creazione: number=",
                        "Creato.");
        after = true;
      },
      Rapporto);

  EXPECT_FALSE(after);
  EXPECT_THAT(Log(), ElementsAre("INFO: Inizio prova...", "INFO: Rapporto per Prova.Classe",
                                 "INFO: Creazione...",
                                 "ERROR: Errore creazione: number=-2147467259, "
                                 "description=Errore non specificato, source=Prova.Classe"));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Prova fallita.");
  EXPECT_EQ(Boxes()[0].flags, ui::kExclamation);
  EXPECT_EQ(Boxes()[0].title, "Messaggio di Sondalink");
  EXPECT_EQ(startedAtBox, 0u);  // Notepad only after the box was closed
  EXPECT_EQ(holdersAtBox, 1);   // the main object was let go before the box
  ASSERT_EQ(Started().size(), 1u);
  EXPECT_EQ(Started()[0].commandLine, "notepad.exe " + LogPath());
  EXPECT_EQ(Started()[0].show, 1);
  ExpectUnlockedAndIdle();
}

TEST_F(FrameRun, StepErrorLineShowsTheNumberInSignedDecimal) {
  struct Case {
    ErrorRecord err;
    const char* line;
  } cases[] = {
      {{static_cast<int32_t>(0x80004005), "Errore", "Fonte"},
       "P: number=-2147467259, description=Errore, source=Fonte"},
      {{3146, "ODBC--call failed.", "DAO.Connection"},
       "P: number=3146, description=ODBC--call failed., source=DAO.Connection"},
      {{INT32_MIN, "", ""}, "P: number=-2147483648, description=, source="},
  };
  for (const Case& c : cases) EXPECT_EQ(RigaErrorePasso("P: number=", c.err), c.line);
}

TEST_F(FrameRun, SuccessWithoutWarningsShowsOneInformationBoxAndNoNotepad) {
  bool lockedInside = false, lockedAtBox = false;
  int pointerInside = -1, pointerAtBox = -1;
  fake::ui::Get().onBox = [&](const fake::ui::Box&) {
    lockedAtBox = !ui::IsEnabled(kCmdADO) && !ui::IsEnabled(kEdServer) && TestInCorso();
    pointerAtBox = fake::ui::Get().pointer;
  };
  EseguiTest(
      kProva,
      [&](EsecuzioneTest& run) {
        lockedInside = !ui::IsEnabled(kCmdADO) && TestInCorso();
        pointerInside = fake::ui::Get().pointer;
        CorpoRiuscito(run);
      },
      Rapporto);

  EXPECT_TRUE(lockedInside);
  EXPECT_EQ(pointerInside, ui::kPointerHourglass);
  // The box comes with the default pointer, over a window still locked.
  EXPECT_TRUE(lockedAtBox);
  EXPECT_EQ(pointerAtBox, ui::kPointerDefault);
  EXPECT_THAT(Log(), ElementsAre("INFO: Inizio prova...", "INFO: Rapporto per Prova.Classe",
                                 "INFO: Passo...", "INFO: Passo riuscito.", "INFO: Distruzione...",
                                 "INFO: Operazione terminata."));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            "Prova riuscita.\r\n\r\nVersione di SQL Server rilevata:\r\n\r\nVersione 9");
  EXPECT_EQ(Boxes()[0].flags, ui::kInformation);
  EXPECT_EQ(Boxes()[0].title, "Messaggio di Sondalink");
  EXPECT_THAT(Started(), IsEmpty());
  ExpectUnlockedAndIdle();
}

TEST_F(FrameRun, SuccessWithAWarningOrErrorLineOpensNotepadAfterTheBox) {
  struct Case {
    const char* name;
    RapportoAmbiente rapporto;
    CorpoTest corpo;
  } cases[] = {
      {"error in the report", RapportoConErrore, CorpoRiuscito},
      {"tolerated warning", Rapporto,
       [](EsecuzioneTest& run) {
         run.NoteOrTrap(kEFail);
         run.ToleratedCheck("Avviso: number=");
         CorpoRiuscito(run);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Boxes().clear();
    Started().clear();
    size_t startedAtBox = 99;
    fake::ui::Get().onBox = [&](const fake::ui::Box&) { startedAtBox = Started().size(); };
    EseguiTest(kProva, c.corpo, c.rapporto);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].flags, ui::kInformation);
    EXPECT_EQ(startedAtBox, 0u);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].commandLine, "notepad.exe " + LogPath());
    EXPECT_EQ(Started()[0].show, 1);  // a normal window with the focus
  }
}

// The log file stops taking lines in the middle of a run: one critical box
// for the first line that cannot be written, none for the others nor for
// LogStop; the run goes on in edLog to its usual success box, and the log is
// closed when the handler returns.
TEST_F(FrameRun, ALogThatCannotBeWrittenMidRunCostsOneBoxAndTheRunEndsAsUsual) {
  EseguiTest(
      kProva,
      [&](EsecuzioneTest& run) {
        testing::FileSizeLimit full(std::filesystem::file_size(testing::Host(LogPath())) + 10);
        for (int i = 1; i <= 30; ++i) run.LogWrite("Riga " + std::to_string(i));
        CorpoRiuscito(run);
      },
      Rapporto);

  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text,
            "Routine basConn:LogWrite, linea 0, errore -2147024673, descrizione: File too large"
            "\r\n\r\nImpossibile continuare.");
  EXPECT_EQ(Boxes()[0].flags, ui::kCritical);
  EXPECT_EQ(Boxes()[1].text,
            "Prova riuscita.\r\n\r\nVersione di SQL Server rilevata:\r\n\r\nVersione 9");
  EXPECT_FALSE(gbLogAperto);
  EXPECT_THAT(Started(), IsEmpty());
  const std::string echo = ui::GetText(kEdLog);
  EXPECT_TRUE(echo.ends_with("Riga 30\r\nPasso...\r\nPasso riuscito.\r\nDistruzione...\r\n"
                             "Operazione terminata.\r\nChiusura file di log " + LogPath() + "."))
      << echo;
  EXPECT_THAT(FileLines("SondalinkProva.log"), ::testing::Not(::testing::Contains(::testing::HasSubstr("Riga 2"))));
  ExpectUnlockedAndIdle();
}

TEST_F(FrameRun, ToleratedCheckWritesOneWarningAndTheRunGoesOn) {
  EseguiTest(
      kProva,
      [](EsecuzioneTest& run) {
        run.NoteOrTrap(kEFail);
        run.ToleratedCheck("Avviso: number=");
        run.ToleratedCheck("Avviso: number=");  // Err was cleared: nothing more
        CorpoRiuscito(run);
      },
      Rapporto);
  std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[2],
            "WARNING: Avviso: number=-2147467259, description=Errore non specificato, "
            "source=Prova.Classe");
  EXPECT_EQ(log[3], "INFO: Passo...");
  EXPECT_EQ(glngNumWarning, 1);
}

TEST_F(FrameRun, UnguardedFailureIsDroppedByTheNextLogLine) {
  EseguiTest(
      kProva,
      [](EsecuzioneTest& run) {
        run.NoteOrTrap(kEFail);  // a property read whose line is then missing
        run.GuardedStep("Passo...", Riuscita, "Errore passo: number=", "Passo riuscito.");
        run.NoteOrTrap(kEFail);
        run.LogWrite("Riga");
        run.ToleratedCheck("Avviso: number=");
        run.NoteOrTrap(kEFail);
        run.EnterHeldMode();  // a switch of mode clears it too
        run.ToleratedCheck("Avviso: number=");
        CorpoRiuscito(run);
      },
      Rapporto);
  EXPECT_EQ(glngNumWarning, 0);
  EXPECT_EQ(glngNumErrori, 0);
  EXPECT_THAT(Started(), IsEmpty());
}

TEST_F(FrameRun, EmptyVersionTextEndsTheBoxAfterTwoLineBreaks) {
  EseguiTest(
      kProva,
      [](EsecuzioneTest& run) {
        run.SetOutcome(true);
        run.EnterTrappedMode();
      },
      Rapporto);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, "Prova riuscita.\r\n\r\nVersione di SQL Server rilevata:\r\n\r\n");
}

TEST_F(FrameRun, FailureAfterTheOutcomeTurnedTrueShowsNoBoxAndNoNotepad) {
  EseguiTest(
      kProva,
      [](EsecuzioneTest& run) {
        run.SetVersion("V");
        run.SetOutcome(true);
        run.GuardedStep("Chiusura...", [] { return kEFail; }, "Errore chiusura: number=",
                        "Chiuso.");
      },
      Rapporto);
  std::vector<std::string> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().rfind("ERROR: Errore chiusura: number=-2147467259", 0), 0u);
  EXPECT_THAT(Boxes(), IsEmpty());
  EXPECT_THAT(Started(), IsEmpty());
  ExpectUnlockedAndIdle();
}

TEST_F(FrameRun, TrappedFailureInTheReportShowsCriticalBoxThenFailureBoxThenNotepad) {
  bool ran = false;
  EseguiTest(kProva, [&](EsecuzioneTest&) { ran = true; }, RapportoRotto);

  EXPECT_FALSE(ran);
  const std::string trap =
      "Routine fmConn:cmdProva_Click, linea 0, errore -2147467259, descrizione: rapporto rotto";
  EXPECT_THAT(Log(), ElementsAre("INFO: Inizio prova...", "ERROR: " + trap));
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, trap);
  EXPECT_EQ(Boxes()[0].flags, ui::kCritical);
  EXPECT_EQ(Boxes()[1].text, "Prova fallita.");
  EXPECT_EQ(Boxes()[1].flags, ui::kExclamation);
  ASSERT_EQ(Started().size(), 1u);
  ExpectUnlockedAndIdle();
}

// Each handler's trap names it; its ERROR line is in the log (and edLog)
// before its critical box is up. A failure at the hourglass, right after the
// first line, is one the frame traps in every test.
TEST_F(FrameRun, EachHandlersTrapNamesItAndIsLoggedBeforeItsBox) {
  struct Case {
    void (*handler)();
    const char* logFile;
    const char* firstLine;
    const char* routine;
    const char* failure;
  } cases[] = {
      {cmdADO_Click, "SondalinkADO.log", "INFO: Inizio test connessione ADO...",
       "Routine fmConn:cmdADO_Click, linea ", "Connessione ADO fallita."},
      {cmdDAODirect_Click, "SondalinkDAOODBCDirect.log",
       "INFO: Inizio test connessione DAO ODBCDirect...",
       "Routine fmConn:cmdDAODirect_Click, linea ", "Connessione DAO ODBCDirect fallita."},
      {cmdSQLDMO_Click, "SondalinkSQLDMO.log", "INFO: Inizio test connessione SQLDMO...",
       "Routine fmConn:cmdSQLDMO_Click, linea ", "Connessione SQLDMO fallita."},
  };
  fake::ui::Get().onPointer = [](int pointer) {
    if (pointer == ui::kPointerHourglass) throw std::runtime_error("Cursore non disponibile");
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.routine);
    Boxes().clear();
    Started().clear();
    std::string echoAtBox;
    fake::ui::Get().onBox = [&](const fake::ui::Box& box) {
      if (box.flags == ui::kCritical) echoAtBox = ui::GetText(kEdLog);
    };
    c.handler();

    const std::string trap =
        std::string(c.routine) + "0, errore -2147467259, descrizione: Cursore non disponibile";
    EXPECT_THAT(Body(c.logFile), ElementsAre(c.firstLine, "ERROR: " + trap));
    EXPECT_EQ(echoAtBox.substr(echoAtBox.size() - std::min(echoAtBox.size(), trap.size())), trap);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, trap);
    EXPECT_EQ(Boxes()[0].flags, ui::kCritical);
    EXPECT_EQ(Boxes()[1].text, c.failure);
  }
}

TEST_F(FrameRun, TrappedFailureInTheLastStepsShowsOnlyTheCriticalBox) {
  auto holder = fake::automation::NewObject("Prova.Classe");
  EseguiTest(
      kProva,
      [&](EsecuzioneTest& run) {
        run.SetMainObject(holder->object());
        run.SetOutcome(true);
        run.EnterTrappedMode();
        run.LogWrite("Distruzione...");
        run.NoteOrTrap(ErrorRecord{91, "Object variable not set", ""});
        ADD_FAILURE() << "a trapped failure must not return";
      },
      Rapporto);
  const std::string trap =
      "Routine fmConn:cmdProva_Click, linea 0, errore 91, descrizione: Object variable not set";
  std::vector<std::string> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "ERROR: " + trap);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, trap);
  EXPECT_EQ(Boxes()[0].flags, ui::kCritical);
  EXPECT_THAT(Started(), IsEmpty());
  EXPECT_EQ(holder.use_count(), 1);  // the exit sequence let go of the main object
  ExpectUnlockedAndIdle();
}

TEST_F(FrameRun, NotepadThatCannotStartAfterSuccessGoesToTheTrap) {
  fake::shell::Get().startError = ErrorRecord{53, "File not found", "Sondalink"};
  EseguiTest(kProva, CorpoRiuscito, RapportoConErrore);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].flags, ui::kInformation);
  EXPECT_EQ(Boxes()[1].text,
            "Routine fmConn:cmdProva_Click, linea 0, errore 53, descrizione: File not found");
  EXPECT_EQ(Boxes()[1].flags, ui::kCritical);
  ExpectUnlockedAndIdle();
}

TEST_F(FrameRun, NotepadCommandLineQuotesADataFolderWithABlankOrAComma) {
  struct Case {
    const char* folder;
    bool quoted;
  } cases[] = {{"dati", false}, {"dati utente", true}, {"dati,2", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    Started().clear();
    UseDataFolder(c.folder);
    EseguiTest(
        kProva, [](EsecuzioneTest& run) { run.Leave(); }, Rapporto);
    const std::string path = gstrCartellaLog + "SondalinkProva.log";
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].commandLine,
              "notepad.exe " + (c.quoted ? "\"" + path + "\"" : path));
  }
}

// LogWrite lets the window handle queued events from the first log line on,
// before the controls are locked; Wine delivers a click even to a disabled
// button. Neither may start a second test inside the running one.
TEST_F(FrameRun, ClickQueuedDuringARunIsIgnored) {
  int runs = 0;
  CorpoTest corpo = [&](EsecuzioneTest& run) {
    ++runs;
    fake::ui::Queue([] { cmdSQLDMO_Click(); });  // reaches the handler although disabled
    run.LogWrite("Passo...");
    CorpoRiuscito(run);
  };
  fake::ui::Queue([] { fake::ui::Click(kCmdADO); });  // the second click of a double click
  EseguiTest(kProva, corpo, Rapporto);

  EXPECT_EQ(runs, 1);
  EXPECT_EQ(fake::automation::Journal().size(), 0u);  // no test's own steps ran
  std::vector<std::string> log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "INFO: Inizio prova..."), 1);
  EXPECT_EQ(log.back(), "INFO: Operazione terminata.");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].flags, ui::kInformation);
  ExpectUnlockedAndIdle();

  // Once the run is over, the buttons start tests again.
  EseguiTest(kProva, corpo, Rapporto);
  EXPECT_EQ(runs, 2);
}

// The close button pressed just before the test starts is handled by the
// first log line, before the lock: the window must stay open all the same.
TEST_F(FrameRun, CloseQueuedBeforeTheLockKeepsTheWindowOpen) {
  bool closed = false;
  fake::ui::Queue([&] { closed = fake::ui::RequestClose(ui::kCloseByUser); });
  EseguiTest(kProva, CorpoRiuscito, Rapporto);

  EXPECT_FALSE(closed);
  EXPECT_TRUE(ui::FormIsOpen());
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, "Impossibile uscire dal programma quando è in corso il test.");
  EXPECT_EQ(Boxes()[0].flags, ui::kExclamation);
  EXPECT_EQ(Boxes()[1].flags, ui::kInformation);
  // After the run the same request closes it.
  EXPECT_TRUE(fake::ui::RequestClose(ui::kCloseByUser));
}

TEST_F(FrameRun, GuardIsReleasedOnEveryWayOut) {
  EseguiTest(kProva, [](EsecuzioneTest& run) { run.Leave(); }, Rapporto);
  EXPECT_FALSE(TestInCorso());
  EseguiTest(kProva, [](EsecuzioneTest&) { throw std::runtime_error("x"); }, Rapporto);
  EXPECT_FALSE(TestInCorso());
  EseguiTest(kProva, [](EsecuzioneTest&) { throw std::bad_alloc(); }, Rapporto);
  EXPECT_FALSE(TestInCorso());
  EXPECT_EQ(Boxes().back().text, "Prova fallita.");
  EXPECT_EQ(Boxes()[Boxes().size() - 2].text,
            "Routine fmConn:cmdProva_Click, linea 0, errore -2147024882, descrizione: Out of "
            "memory");
}

}  // namespace
}  // namespace sondalink
