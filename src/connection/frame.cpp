// The test run frame. Only portable code: the window, the log, the shell and
// the components are reached through their own units.
#include "connection/frame.h"

#include "app/fmconn.h"
#include "app/test_in_corso.h"
#include "environment/cartella_dati.h"
#include "environment/report.h"
#include "environment/trappola.h"
#include "platform/shell.h"
#include "platform/ui.h"

namespace sondalink {

namespace {

namespace ui = platform::ui;

// A failed guarded step, or a test that leaves on its own: to the exit
// sequence, no error trap.
struct Abbandono {};

// A failure in trapped mode: to the error trap.
struct ErroreIntercettato {
  ErrorRecord err;
};

// The record that reached the error trap: a failure recorded in trapped
// mode, or one of the C++ run time.
ErrorRecord ErroreDaEccezione() {
  try {
    throw;
  } catch (const ErroreIntercettato& e) {
    return e.err;
  } catch (...) {
    return ErroreInCorso();
  }
}

std::string RigaComandoNotepad() {
  return "notepad.exe " + MettiVirgolette(gstrCartellaLog + gstrFileLog);
}

// Runs one statement of the exit sequence, whose failures are all ignored.
template <class Azione>
void Ignorando(Azione&& azione) {
  try {
    azione();
  } catch (...) {
  }
}

}  // namespace

std::string RigaErrorePasso(std::string_view strPrefisso, const ErrorRecord& err) {
  std::string riga(strPrefisso);
  riga += std::to_string(err.number);
  riga += ", description=";
  riga += err.description;
  riga += ", source=";
  riga += err.source;
  return riga;
}

void EsecuzioneTest::EnterTrappedMode() {
  trapped_ = true;
  Err.clear();
}

void EsecuzioneTest::EnterHeldMode() {
  trapped_ = false;
  Err.clear();
}

void EsecuzioneTest::LogWrite(const std::string& strMsg, int16_t nTypeLog) {
  Err.clear();
  sondalink::LogWrite(strMsg, nTypeLog);
}

void EsecuzioneTest::NoteOrTrap(const ErrorRecord& err) {
  if (!err.failed()) return;
  if (trapped_) throw ErroreIntercettato{err};
  Err = err;
}

void EsecuzioneTest::FinishStep(std::string_view strPrefisso, std::string_view strConferma) {
  if (Err.failed()) {
    LogWrite(RigaErrorePasso(strPrefisso, Err), kLogError);
    Err.clear();
    Leave();
  }
  if (!strConferma.empty()) LogWrite(std::string(strConferma));
}

void EsecuzioneTest::ToleratedCheck(std::string_view strPrefisso) {
  if (!Err.failed()) return;
  LogWrite(RigaErrorePasso(strPrefisso, Err), kLogWarning);
  Err.clear();
}

void EsecuzioneTest::Leave() { throw Abbandono{}; }

void EsecuzioneTest::LogConnecting() {
  LogWrite("Connessione al server/istanza '" + ui::GetText(kEdServer) + "' in corso...");
}

void EsecuzioneTest::LogConnectionConfirmed() {
  for (const char* riga : {"", "---> CONNESSIONE AVVENUTA CON SUCCESSO <---", ""}) LogWrite(riga);
}

void EsecuzioneTest::LogVersionAndSucceed() {
  LogWrite("Versione istanza SQL SERVER:");
  LogWrite(versione_);
  LogWrite("");
  SetOutcome(true);
}

namespace {

// Start sequence: validation, the log, the first line, the locked window
// and the environment report; the test's own steps follow in held mode.
void AvviaTest(EsecuzioneTest& run, RapportoAmbiente rapporto) {
  const ProfiloTest& profilo = run.Profilo();
  run.EnterTrappedMode();
  run.SetOutcome(true);
  if (!ValidaParametriConnessione()) throw Abbandono{};
  gstrFileLog = std::string(profilo.strFileLog);
  ui::SetText(kEdLog, "");
  if (!LogStart(false)) throw Abbandono{};
  run.LogWrite(std::string(profilo.strPrimaRiga));
  run.SetOutcome(false);
  ui::SetMousePointer(ui::kPointerHourglass);
  ControlliBlocca();
  rapporto(std::string(profilo.strClasse));
  run.EnterHeldMode();
}

// Success ending: the log closed, the success box, Notepad on a log that
// holds a WARNING or an ERROR line.
void ConcludiConSuccesso(EsecuzioneTest& run) {
  run.LogWrite("Operazione terminata.");
  LogStop();
  ui::SetMousePointer(ui::kPointerDefault);
  ui::MsgBox(std::string(run.Profilo().strSuccesso) +
                 "\r\n\r\nVersione di SQL Server rilevata:\r\n\r\n" + run.Version(),
             ui::kInformation, kTitoloMessaggio);
  if (glngNumWarning > 0 || glngNumErrori > 0) {
    run.NoteOrTrap(platform::shell::StartProgram(RigaComandoNotepad(), 1));
  }
  ControlliSblocca();
}

// Error trap: the handler's routine text as an ERROR line, then its box.
void SegnalaErrore(EsecuzioneTest& run) {
  const std::string testo = TestoRoutine("fmConn", run.Profilo().strGestore, ErroreDaEccezione());
  Ignorando([&] { run.LogWrite(testo, kLogError); });
  Ignorando([&] { ui::MsgBox(testo, ui::kCritical, kTitoloMessaggio); });
  run.Err.clear();
}

// Exit sequence, every statement's failure ignored: the log closed, the
// window free, the objects released, and for a failed test its box and
// Notepad on its log.
void SequenzaUscita(EsecuzioneTest& run) {
  Ignorando([] { LogStop(); });
  Ignorando([] { ui::SetMousePointer(ui::kPointerDefault); });
  Ignorando([] { ControlliSblocca(); });
  run.EnterHeldMode();
  Ignorando([&] { run.ReleaseMainObject(); });
  Ignorando([&] { run.RunExitAction(); });
  if (!run.OutcomeFlag()) {
    Ignorando([&] {
      ui::MsgBox(std::string(run.Profilo().strFallimento), ui::kExclamation, kTitoloMessaggio);
    });
    Ignorando([] { platform::shell::StartProgram(RigaComandoNotepad(), 1); });
  }
}

}  // namespace

void EseguiTest(const ProfiloTest& profilo, const CorpoTest& corpo, RapportoAmbiente rapporto) {
  GuardiaTest guardia;
  if (!guardia) return;
  EsecuzioneTest run(profilo);
  try {
    AvviaTest(run, rapporto ? rapporto : ScriviRapportoAmbiente);
    // The test's own steps; their last ones trap errors again.
    corpo(run);
    if (!run.InTrappedMode()) run.EnterTrappedMode();
    ConcludiConSuccesso(run);
  } catch (const Abbandono&) {
  } catch (...) {
    SegnalaErrore(run);
  }
  SequenzaUscita(run);
}

}  // namespace sondalink
