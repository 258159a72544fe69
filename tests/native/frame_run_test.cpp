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
#include "fakes/fake_automation.h"
#include "fmconn_fixture.h"
#include "support/log_cases.h"
#include "platform/ui.h"
#include "support/golden_log.h"
#include "support/row_name.h"

namespace sondalink {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
namespace ui = platform::ui;
namespace g = testing::golden;

constexpr ProfiloTest kProva{"SondalinkProva.log", "Inizio prova...", "Prova.Classe", "Prova riuscita.",
                             "Prova fallita.",     "cmdProva_Click"};

const ErrorRecord kEFail{static_cast<int32_t>(0x80004005), "Errore non specificato", "Prova.Classe"};
const std::string kTrap = "Routine fmConn:cmdProva_Click, linea 0, errore ";
const std::string kRiuscita = "Prova riuscita.\r\n\r\nVersione di SQL Server rilevata:\r\n\r\n";

void Rapporto(const std::string& strClasse) { LogWrite("Rapporto per " + strClasse); }
void RapportoConErrore(const std::string& strClasse) {
  LogWrite("Rapporto per " + strClasse);
  LogWrite("Errore nella rilevazione del sistema operativo: x", kLogError);
}
void RapportoRotto(const std::string&) { throw std::runtime_error("rapporto rotto"); }

ErrorRecord Riuscita() { return {}; }

bool Locked() { return !ui::IsEnabled(kCmdADO) && !ui::IsEnabled(kEdServer) && TestInCorso(); }

// A body that does what a test's steps do on success, inside a locked
// window under the hourglass.
void CorpoRiuscito(EsecuzioneTest& run) {
  EXPECT_TRUE(Locked());
  EXPECT_EQ(fake::ui::Get().pointer, ui::kPointerHourglass);
  run.GuardedStep("Passo...", Riuscita, "Errore passo: number=", "Passo riuscito.");
  run.SetVersion("Versione 9");
  run.SetOutcome(true);
  run.EnterTrappedMode();
  run.LogWrite("Distruzione...");
  run.ReleaseMainObject();
}
void CorpoNonArriva(EsecuzioneTest&) { ADD_FAILURE() << "the body must not run"; }

class FrameRun : public ConnectionTest {
 protected:
  std::string LogPath() const { return gstrCartellaLog + "SondalinkProva.log"; }
  std::vector<std::string> Log() { return Body("SondalinkProva.log"); }
  static void ExpectNotepad(bool started) { ConnectionTest::ExpectNotepad("SondalinkProva.log", started); }
  static void ExpectUnlockedAndIdle() {
    ExpectEnabled(kInputsAndTestButtons, true);
    EXPECT_EQ(fake::ui::Get().pointer, ui::kPointerDefault);
    EXPECT_FALSE(TestInCorso());
  }
};

// The object a body holds as its main object; the frame must let go of it.
fake::automation::FakePtr gHolder;
void TieneOggetto(EsecuzioneTest& run) { run.SetMainObject(gHolder->object()); }

const fake::ui::Box kSuccessBox = Shown(ui::kInformation, kRiuscita + "Versione 9");

struct RunCase {
  const char* name;
  void (*corpo)(EsecuzioneTest&);
  RapportoAmbiente rapporto;
  std::vector<std::string> log;    // the whole body of the log
  std::vector<fake::ui::Box> boxes;
  bool notepad;                // started (or tried) after the boxes
  bool notepadFails = false;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class FrameRunTable : public FrameRun, public ::testing::WithParamInterface<RunCase> {};

// The outcome box comes with the default pointer, before Notepad, after the
// main object was let go, and over a window still locked only on success;
// the warnings and errors counted are the log's; the window ends idle.
TEST_P(FrameRunTable, EndsAsTheTableSays) {
  const RunCase& c = GetParam();
  gHolder = fake::automation::NewObject("Prova.Classe");
  if (c.notepadFails) fake::shell::Get().startError = {53, "File not found", "Sondalink"};
  fake::ui::Get().onBox = [](const fake::ui::Box& box) {
    if (box.flags == ui::kCritical) return;  // a trap's box comes where the trap is
    EXPECT_EQ(Locked(), box.flags == ui::kInformation) << box.text;
    EXPECT_EQ(fake::ui::Get().pointer, ui::kPointerDefault) << box.text;
    EXPECT_THAT(Started(), IsEmpty()) << box.text;
    EXPECT_EQ(gHolder.use_count(), 1) << box.text;
  };
  EseguiTest(kProva, c.corpo, c.rapporto);

  const std::vector<std::string> log = Log();
  EXPECT_THAT(log, ElementsAreArray(c.log));
  auto count = [&](const char* level) {
    return std::ranges::count_if(log, [&](const std::string& l) { return l.starts_with(level); });
  };
  EXPECT_EQ(glngNumWarning, count("WARNING: "));
  EXPECT_EQ(glngNumErrori, count("ERROR: "));
  EXPECT_THAT(Boxes(), ElementsAreArray(c.boxes));
  ExpectNotepad(c.notepad);
  EXPECT_EQ(gHolder.use_count(), 1);
  gHolder.reset();
  ExpectUnlockedAndIdle();
}

const std::string kFail = "-2147467259, description=Errore non specificato, source=Prova.Classe";
const std::string kReportError = "ERROR: Errore nella rilevazione del sistema operativo: x";
const std::vector<std::string> kHead = {"INFO: Inizio prova...", "INFO: Rapporto per Prova.Classe"};
const std::vector<std::string> kRiuscito = {"INFO: Passo...", "INFO: Passo riuscito.", "INFO: Distruzione...",
                                            "INFO: Operazione terminata."};
std::vector<std::string> Lines(std::vector<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameRunTable,
    ::testing::Values(
        RunCase{"FirstGuardedStepFailingShowsFailureBoxThenNotepad",
                [](EsecuzioneTest& run) {
                  TieneOggetto(run);
                  run.GuardedStep("Creazione...", [] { return kEFail; }, "Errore creazione: number=", "Creato.");
                  ADD_FAILURE() << "a failed step must not return";
                },
                Rapporto,
                Lines({kHead, {"INFO: Creazione...", "ERROR: Errore creazione: number=" + kFail}}),
                {Shown(ui::kExclamation, "Prova fallita.")}, true},
        RunCase{"SuccessWithoutWarningsShowsOneInformationBoxAndNoNotepad", CorpoRiuscito, Rapporto,
                Lines({kHead, kRiuscito}), {kSuccessBox}, false},
        RunCase{"AnErrorLineInTheReportOpensNotepadAfterTheSuccessBox", CorpoRiuscito, RapportoConErrore,
                Lines({kHead, {kReportError}, kRiuscito}), {kSuccessBox}, true},
        RunCase{"ToleratedCheckWritesOneWarningNotepadFollowsTheSuccessBox",
                [](EsecuzioneTest& run) {
                  run.NoteOrTrap(kEFail);
                  run.ToleratedCheck("Avviso: number=");
                  run.ToleratedCheck("Avviso: number=");  // Err was cleared: nothing more
                  CorpoRiuscito(run);
                },
                Rapporto, Lines({kHead, {"WARNING: Avviso: number=" + kFail}, kRiuscito}),
                {kSuccessBox}, true},
        RunCase{"UnguardedFailureIsDroppedByTheNextLogLine",
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
                Rapporto, Lines({kHead, {"INFO: Passo...", "INFO: Passo riuscito.", "INFO: Riga"}, kRiuscito}),
                {kSuccessBox}, false},
        RunCase{"EmptyVersionTextEndsTheBoxAfterTwoLineBreaks",
                [](EsecuzioneTest& run) {
                  run.SetOutcome(true);
                  run.EnterTrappedMode();
                },
                Rapporto, Lines({kHead, {"INFO: Operazione terminata."}}), {Shown(ui::kInformation, kRiuscita)},
                false},
        RunCase{"FailureAfterTheOutcomeTurnedTrueShowsNoBoxAndNoNotepad",
                [](EsecuzioneTest& run) {
                  run.SetVersion("V");
                  run.SetOutcome(true);
                  run.GuardedStep("Chiusura...", [] { return kEFail; }, "Errore chiusura: number=", "Chiuso.");
                },
                Rapporto,
                Lines({kHead, {"INFO: Chiusura...", "ERROR: Errore chiusura: number=" + kFail}}),
                {}, false},
        RunCase{"TrappedFailureInTheReportShowsCriticalBoxThenFailureBoxThenNotepad", CorpoNonArriva, RapportoRotto,
                {"INFO: Inizio prova...", "ERROR: " + kTrap + "-2147467259, descrizione: rapporto rotto"},
                {Shown(ui::kCritical, kTrap + "-2147467259, descrizione: rapporto rotto"),
                 Shown(ui::kExclamation, "Prova fallita.")},
                true},
        RunCase{"TrappedFailureInTheLastStepsShowsOnlyTheCriticalBox",
                [](EsecuzioneTest& run) {
                  TieneOggetto(run);
                  run.SetOutcome(true);
                  run.EnterTrappedMode();
                  run.LogWrite("Distruzione...");
                  run.NoteOrTrap(ErrorRecord{91, "Object variable not set", ""});
                  ADD_FAILURE() << "a trapped failure must not return";
                },
                Rapporto,
                Lines({kHead, {"INFO: Distruzione...", "ERROR: " + kTrap + "91, descrizione: Object variable not set"}}),
                {Shown(ui::kCritical, kTrap + "91, descrizione: Object variable not set")}, false},
        RunCase{"NotepadThatCannotStartAfterSuccessGoesToTheTrap", CorpoRiuscito, RapportoConErrore,
                Lines({kHead, {kReportError}, kRiuscito}),
                {kSuccessBox, Shown(ui::kCritical, kTrap + "53, descrizione: File not found")}, true, true}),
    sondalink::testing::kRowName);

// Nothing of the last run is lost and nothing starts when the run stops at
// the validation or at a log that cannot be created.
TEST_F(FrameRun, FailedValidationLeavesLogBoxAndFileNameAsTheyWere) {
  fake::ui::Type(kEdServer, "");
  ui::SetText(kEdLog, "righe della prova precedente");
  gstrFileLog = "SondalinkADO.log";
  EseguiTest(kProva, CorpoNonArriva, Rapporto);
  EXPECT_EQ(ui::GetText(kEdLog), "righe della prova precedente");
  EXPECT_EQ(gstrFileLog, "SondalinkADO.log");
  // The validation's own message, nothing from the frame.
  EXPECT_THAT(Boxes(), ElementsAre(fake::ui::Box{"Inserire il nome del Server/Istanza.", ui::kExclamation,
                                                 "Messaggio di Collaudino"}));
  ExpectNotepad(false);
  EXPECT_THAT(fake::ui::Get().pointerHistory, ::testing::Each(ui::kPointerDefault));
  ExpectUnlockedAndIdle();
  EXPECT_FALSE(std::filesystem::exists(testing::Host(LogPath())));
}

TEST_F(FrameRun, LogThatCannotStartEndsTheRunWithoutFailureBoxOrNotepad) {
  gstrCartellaLog = folder_ + "\\manca\\";  // no such folder
  ui::SetText(kEdLog, "righe della prova precedente");
  EseguiTest(kProva, CorpoNonArriva, Rapporto);
  // The box was emptied before the log's first echo: nothing of the last run.
  EXPECT_EQ(ui::GetText(kEdLog), "Creazione file di log " + LogPath() + ".");
  for (const auto& box : Boxes()) EXPECT_NE(box.text, "Prova fallita.");
  ExpectNotepad(false);
  ExpectUnlockedAndIdle();
}

TEST_F(FrameRun, StepErrorLineShowsTheNumberInSignedDecimal) {
  EXPECT_EQ(RigaErrorePasso("P: number=", kEFail),
            "P: number=-2147467259, description=Errore non specificato, source=Prova.Classe");
  EXPECT_EQ(RigaErrorePasso("P: number=", {3146, "ODBC", "DAO.Connection"}),
            "P: number=3146, description=ODBC, source=DAO.Connection");
  EXPECT_EQ(RigaErrorePasso("P: number=", {INT32_MIN, "", ""}), "P: number=-2147483648, description=, source=");
}

// The log file stops taking lines in the middle of a run: one critical box
// for the first line that cannot be written, none for the others nor for
// LogStop; the run goes on in edLog to its usual success box, and the log is
// closed when the handler returns.
TEST_F(FrameRun, ALogThatCannotBeWrittenMidRunCostsOneBoxAndTheRunEndsAsUsual) {
  EseguiTest(
      kProva,
      [&](EsecuzioneTest& run) {
        testing::WritesFail full(std::filesystem::file_size(testing::Host(LogPath())) + 10);
        for (int i = 1; i <= 30; ++i) run.LogWrite("Riga " + std::to_string(i));
        CorpoRiuscito(run);
      },
      Rapporto);
  EXPECT_THAT(Boxes(),
              ElementsAre(Shown(ui::kCritical,
                                "Routine basConn:LogWrite, linea 0, " + testing::WritesFail::Error() +
                                    "\r\n\r\nImpossibile continuare."),
                          kSuccessBox));
  EXPECT_FALSE(gbLogAperto);
  ExpectNotepad(false);
  const std::string echo = ui::GetText(kEdLog);
  EXPECT_TRUE(echo.ends_with("Riga 30\r\nPasso...\r\nPasso riuscito.\r\nDistruzione...\r\n"
                             "Operazione terminata.\r\nChiusura file di log " + LogPath() + "."))
      << echo;
  EXPECT_THAT(testing::TempFolder::ReadFile(LogPath()), ::testing::Not(::testing::HasSubstr("Riga 2")));
  ExpectUnlockedAndIdle();
}

// Each handler's trap names it; its ERROR line is in the log (and edLog)
// before its critical box is up. A failure at the hourglass, right after the
// first line, is one the frame traps in every test.
TEST_F(FrameRun, EachHandlersTrapNamesItAndIsLoggedBeforeItsBox) {
  fake::ui::Get().onPointer = [](int pointer) {
    if (pointer == ui::kPointerHourglass) throw std::runtime_error("Cursore non disponibile");
  };
  for (auto [handler, component, routine] : {std::tuple{&cmdADO_Click, g::Component::Ado, "ADO"},
                                             {&cmdDAODirect_Click, g::Component::Dao, "DAODirect"},
                                             {&cmdSQLDMO_Click, g::Component::Dmo, "SQLDMO"}}) {
    const g::Profile& profile = g::ProfileOf(component);
    SCOPED_TRACE(profile.test);
    Boxes().clear();
    std::string echoAtBox;
    fake::ui::Get().onBox = [&](const fake::ui::Box& box) {
      if (box.flags == ui::kCritical) echoAtBox = ui::GetText(kEdLog);
    };
    handler();
    const std::string trap = "Routine fmConn:cmd" + std::string(routine) +
                             "_Click, linea 0, errore -2147467259, descrizione: Cursore non disponibile";
    EXPECT_THAT(Body(profile.logFile), ElementsAre(std::string("INFO: ") + profile.firstLine, "ERROR: " + trap));
    EXPECT_TRUE(echoAtBox.ends_with(trap)) << echoAtBox;
    EXPECT_THAT(Boxes(), ElementsAre(Shown(ui::kCritical, trap),
                                          Shown(ui::kExclamation, g::FailureText(component))));
  }
}

TEST_F(FrameRun, NotepadCommandLineQuotesADataFolderWithABlankOrAComma) {
  for (const char* folder : {"dati", "dati utente", "dati,2"}) {
    SCOPED_TRACE(folder);
    Started().clear();
    UseDataFolder(folder);
    EseguiTest(kProva, [](EsecuzioneTest& run) { run.Leave(); }, Rapporto);
    const std::string quoted = std::string(folder) == "dati" ? LogPath() : "\"" + LogPath() + "\"";
    EXPECT_EQ(Started(), (std::vector<fake::shell::StartCall>{{"notepad.exe " + quoted, 1}}));
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
  EXPECT_THAT(Log(), ElementsAreArray(Lines({kHead, {"INFO: Passo..."}, kRiuscito})));
  EXPECT_THAT(Boxes(), ElementsAre(kSuccessBox));
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
  EXPECT_THAT(Boxes(), ElementsAre(Shown(ui::kExclamation, "Impossibile uscire dal programma "
                                                                "quando è in corso il test."),
                                        kSuccessBox));
  EXPECT_TRUE(fake::ui::RequestClose(ui::kCloseByUser));  // after the run it closes
}

TEST_F(FrameRun, GuardIsReleasedOnEveryWayOut) {
  EseguiTest(kProva, [](EsecuzioneTest& run) { run.Leave(); }, Rapporto);
  EXPECT_FALSE(TestInCorso());
  EseguiTest(kProva, [](EsecuzioneTest&) { throw std::runtime_error("x"); }, Rapporto);
  EXPECT_FALSE(TestInCorso());
  EseguiTest(kProva, [](EsecuzioneTest&) { throw std::bad_alloc(); }, Rapporto);
  EXPECT_FALSE(TestInCorso());
  EXPECT_EQ(Boxes().back().text, "Prova fallita.");
  EXPECT_EQ(Boxes()[Boxes().size() - 2].text, kTrap + "-2147024882, descrizione: Out of memory");
}

}  // namespace
}  // namespace sondalink
