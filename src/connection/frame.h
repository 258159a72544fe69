// The test run frame shared by the three connection tests: the start
// sequence, the environment report, the guarded step, the success ending,
// the exit sequence and the error trap. A test supplies only its profile and
// the body of its own steps.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/automation.h"
#include "platform/error.h"
#include "testlog/testlog.h"

namespace sondalink {

// The constants that tell the three tests apart.
struct ProfiloTest {
  std::string_view strFileLog;     // log file name, without folder
  std::string_view strPrimaRiga;   // first line of the log
  std::string_view strClasse;      // class named in the environment report
  std::string_view strSuccesso;    // first line of the success box
  std::string_view strFallimento;  // text of the failure box
  std::string_view strGestore;     // the handler its error trap names
};

// "<prefix><number>, description=<d>, source=<s>", the number in signed
// decimal; the line of a failed guarded step and of a tolerated check.
std::string RigaErrorePasso(std::string_view strPrefisso, const ErrorRecord& err);

// One run of a test handler: its error record, its error mode, the outcome
// flag, the version text and the main object. The body of a test receives it
// and drives its steps through it.
//
// The three lines of a guarded step, each written out whole so that any log
// line can be found in the sources as it reads: the announcement, the step
// error line's prefix, and the confirmation (empty: none).
struct TestiPasso {
  const char* strAnnuncio;
  const char* strPrefisso;
  const char* strConferma;
};

// Trapped mode: a failure recorded with NoteOrTrap() or ValueOrTrap() goes
// straight to the error trap. Held mode: it stays in `Err` until examined or
// cleared. The members that may leave the test's steps say so in their name
// (...OrTrap, GuardedStep, Leave); switching modes never leaves.
// Leaving early and trapping are carried by exceptions the frame catches, so
// a test body must let every exception pass (no catch-all of its own).
class EsecuzioneTest {
 public:
  explicit EsecuzioneTest(const ProfiloTest& profilo) : profilo_(profilo) {}
  EsecuzioneTest(const EsecuzioneTest&) = delete;
  EsecuzioneTest& operator=(const EsecuzioneTest&) = delete;

  const ProfiloTest& Profilo() const { return profilo_; }

  // The current error record; 0 means none.
  ErrorRecord Err;

  // Each switch of mode clears `Err`.
  void EnterTrappedMode();
  void EnterHeldMode();
  bool InTrappedMode() const { return trapped_; }

  // Writes one log line and clears `Err`, as LogWrite arms its own trap: a
  // line built from `Err` is formed before the record goes.
  void LogWrite(const std::string& strMsg, int16_t nTypeLog = kLogInfo);

  // Records the failure of an operation by the current mode: nothing for a
  // success, the error trap in trapped mode, `Err` in held mode.
  void NoteOrTrap(const ErrorRecord& err);
  // The value of an operation; on failure as NoteOrTrap(), and a default value.
  template <class T>
  T ValueOrTrap(Outcome<T> outcome) {
    NoteOrTrap(outcome.error);
    return std::move(outcome.value);
  }

  // Guarded step: announcement at INFO, the operation (a callable returning
  // an ErrorRecord), then the step error line at ERROR and the exit
  // sequence, or the confirmation at INFO when there is one (empty: none).
  template <class Operazione>
  void GuardedStep(std::string_view strAnnuncio, Operazione&& operazione,
                   std::string_view strPrefisso, std::string_view strConferma = {}) {
    LogWrite(std::string(strAnnuncio));
    NoteOrTrap(std::forward<Operazione>(operazione)());
    FinishStep(strPrefisso, strConferma);
  }

  // The same, with its three texts from one table row (TestiPasso).
  template <class Operazione>
  void GuardedStep(const TestiPasso& testi, Operazione&& operazione) {
    GuardedStep(testi.strAnnuncio, std::forward<Operazione>(operazione), testi.strPrefisso,
                testi.strConferma);
  }

  // Tolerated check: a failure in `Err` becomes one WARNING line made like
  // the step error line; the run goes on.
  void ToleratedCheck(std::string_view strPrefisso);

  // Ends the test's steps at once and goes to the exit sequence.
  [[noreturn]] void Leave();

  // "Connessione al server/istanza '<server as typed>' in corso...".
  void LogConnecting();

  // The success block: the lines that confirm the connection, then, once the
  // version text is known, the lines that show it and the outcome true (from
  // there a failed step shows no failure box).
  void LogConnectionConfirmed();
  void LogVersionAndSucceed();

  // Outcome flag: the exit sequence shows the failure box exactly when false.
  void SetOutcome(bool bEsito) { esito_ = bEsito; }
  bool OutcomeFlag() const { return esito_; }

  // The server's version text that the success box shows.
  void SetVersion(std::string strVersione) { versione_ = std::move(strVersione); }
  const std::string& Version() const { return versione_; }

  // The main object, released by the exit sequence unless the test has
  // released it already.
  void SetMainObject(platform::automation::Object oggetto) { principale_ = std::move(oggetto); }
  const platform::automation::Object& MainObject() const { return principale_; }
  void ReleaseMainObject() { principale_.reset(); }

  // A closing of the test's own that the exit sequence runs once, right
  // after releasing the main object, in held mode, its failure ignored.
  void SetExitAction(std::function<void()> azione) { uscita_ = std::move(azione); }
  void RunExitAction() {
    std::function<void()> azione = std::move(uscita_);
    uscita_ = nullptr;
    if (azione) azione();
  }

 private:
  void FinishStep(std::string_view strPrefisso, std::string_view strConferma);

  const ProfiloTest& profilo_;
  bool trapped_ = true;
  bool esito_ = true;
  std::string versione_;
  platform::automation::Object principale_;
  std::function<void()> uscita_;
};

// The steps of one test, between the switch to held mode after the
// environment report and the success ending. Returning normally means the
// test's last steps are done; the success ending follows. In outline:
//
//   void TestXYZ(EsecuzioneTest& run) {
//     run.GuardedStep("Creazione...", [&] {
//       auto creato = platform::automation::CreateFromName("X.Y");
//       run.SetMainObject(creato.value);
//       return creato.error;
//     }, "Errore nella creazione...: number=", "Oggetto creato correttamente.");
//     ...                        // reads whose failure only drops their line
//     run.SetVersion(text);      // then the success block
//     run.SetOutcome(true);      // from here a failed step shows no box
//     ...
//     run.EnterTrappedMode();
//     run.LogWrite("Distruzione dell'oggetto ...");
//     run.ReleaseMainObject();
//   }
//   void cmdXYZ_Click() { EseguiTest(kProfiloXYZ, TestXYZ); }
using CorpoTest = std::function<void(EsecuzioneTest&)>;
using RapportoAmbiente = void (*)(const std::string& strClasse);

// Runs a test handler from start to end. A call while any test handler is
// running is ignored: a click queued behind the first one must not start a
// second test inside it. `rapporto` writes the environment report.
void EseguiTest(const ProfiloTest& profilo, const CorpoTest& corpo,
                RapportoAmbiente rapporto = nullptr);

}  // namespace sondalink
