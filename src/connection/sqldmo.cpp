// The SQL-DMO test: the SQLServer object reached by its class name, what
// SQL-DMO says of its own installation, the login settings, the connection,
// the server's version string and the disconnection, every step logged.
#include <string>
#include <vector>

#include "app/fmconn.h"
#include "connection/frame.h"
#include "connection/values.h"
#include "environment/report.h"
#include "platform/automation.h"

namespace sondalink {

namespace {

namespace au = platform::automation;

constexpr ProfiloTest kProfiloSQLDMO{
    "SondalinkSQLDMO.log",
    "Inizio test connessione SQLDMO...",
    "SQLDMO.SQLServer",
    "Test Connessione SQLDMO eseguita con SUCCESSO.",
    "Connessione SQLDMO fallita.",
    "cmdSQLDMO_Click",
};

constexpr int16_t kLoginTimeout = 10;

// `SQLServer.Application.<membro>` as text.
Outcome<std::string> LeggiApplicazione(const au::Object& server, const std::string& strMembro) {
  Outcome<au::Object> applicazione = LeggiOggetto(server, "Application");
  if (!applicazione.ok()) return applicazione.error;
  return LeggiTesto(applicazione.value, strMembro);
}

// A read without check: its line only when the value could be read; a
// failure stays in `Err` until the next line clears it.
void ScriviLettura(EsecuzioneTest& run, const std::string& strRiga,
                   const Outcome<std::string>& valore) {
  if (valore.ok()) {
    run.LogWrite(strRiga + valore.value);
  } else {
    run.NoteOrTrap(valore.error);
  }
}

// A bare CR becomes CR LF; a CR LF pair, and a bare LF, stay as they are.
std::string AcapoWindows(const std::string& strTesto) {
  std::string out;
  for (size_t i = 0; i < strTesto.size(); ++i) {
    out += strTesto[i];
    if (strTesto[i] == '\r' && (i + 1 == strTesto.size() || strTesto[i + 1] != '\n')) out += '\n';
  }
  return out;
}

// A property write whose failure ends the test, then its value read back.
void ScriviProprieta(EsecuzioneTest& run, const std::string& strProprieta,
                     const std::string& strTestoValore, const au::Value& valore) {
  const au::Object& server = run.MainObject();
  run.GuardedStep(
      "Scrittura proprietà SQLServer." + strProprieta + "=" + strTestoValore + " in corso...",
      [&] { return au::Put(server, strProprieta, valore); },
      "Errore durante la scrittura proprietà SQLServer." + strProprieta + ": number=");
  ScriviLettura(run, "Lettura proprietà SQLServer." + strProprieta + "=",
                LeggiTesto(server, strProprieta));
}

void CreaServer(EsecuzioneTest& run) {
  run.GuardedStep(
      "Creazione dell'oggetto 'SQLDMO.SQLServer'...",
      [&] {
        Outcome<au::Object> creato = au::CreateFromName("SQLDMO.SQLServer");
        run.SetMainObject(creato.value);
        return creato.error;
      },
      "Errore nella creazione dell'oggetto 'SQLDMO.SQLServer': number=",
      "Oggetto 'SQLDMO.SQLServer' creato correttamente.");
}

// What SQL-DMO says of its own installation, and the file it runs from.
void LeggiInstallazione(EsecuzioneTest& run) {
  const au::Object& server = run.MainObject();
  ScriviLettura(run,
                "Lettura proprietà SQLServer.Application.Name=", LeggiApplicazione(server, "Name"));
  // The path's line is written even when it could not be read: it is empty.
  std::string strFile;
  if (Outcome<std::string> percorso = LeggiApplicazione(server, "FullName"); percorso.ok()) {
    strFile = percorso.value;
  } else {
    run.NoteOrTrap(percorso.error);
  }
  run.LogWrite("Lettura proprietà SQLServer.Application.FullName=" + strFile);
  ScriviRigheFile(strFile);
  for (const char* membro : {"VersionMajor", "VersionMinor", "VersionBuild", "ODBCVersionString"}) {
    ScriviLettura(run, std::string("Lettura proprietà SQLServer.Application.") + membro + "=",
                  LeggiApplicazione(server, membro));
  }
  ScriviLettura(
      run, "Lettura proprietà SQLServer.ApplicationName=", LeggiTesto(server, "ApplicationName"));
  ScriviLettura(run, "Lettura proprietà SQLServer.CodePage=", LeggiTesto(server, "CodePage"));
}

// The login settings, the connection and its language.
void Connetti(EsecuzioneTest& run) {
  run.LogConnecting();
  run.EnterHeldMode();

  ScriviProprieta(run, "LoginTimeout", "10", kLoginTimeout);
  ScriviProprieta(run, "LoginSecure", mbTrusted ? "True" : "False", mbTrusted);

  constexpr TestiPasso kConnessione{
      "Esecuzione metodo SQLServer.Connect in corso...",
      "Errore durante l'esecuzione del metodo SQLServer.Connect: number=",
      "Esecuzione metodo SQLServer.Connect riuscita."};
  run.GuardedStep(kConnessione, [&] {
    const std::vector<au::Value> argomenti{mstrServer, mstrLogin, mstrPassword};
    return au::Call(run.MainObject(), "Connect", argomenti).error;
  });

  ScriviProprieta(run, "Language", "us_english", std::string("us_english"));
}

// The success block, with the version string the server gives.
void ConfermaConnessione(EsecuzioneTest& run) {
  run.LogConnectionConfirmed();
  if (Outcome<std::string> versione = LeggiTesto(run.MainObject(), "VersionString");
      versione.ok()) {
    run.SetVersion(AcapoWindows(versione.value));
  } else {
    run.NoteOrTrap(versione.error);
  }
  run.LogVersionAndSucceed();
}

void Disconnetti(EsecuzioneTest& run) {
  // Its first two lines have always spelt "DisConnect".
  run.GuardedStep(
      "Esecuzione metodo SQLServer.DisConnect in corso...",
      [&] { return au::Call(run.MainObject(), "Disconnect").error; },
      "Errore durante l'esecuzione del metodo SQLServer.DisConnect: number=",
      "Esecuzione metodo SQLServer.Disconnect riuscita.");
  run.EnterTrappedMode();
  run.LogWrite("Distruzione dell'oggetto 'SQLDMO.SQLServer'...");
  run.ReleaseMainObject();
}

void TestSQLDMO(EsecuzioneTest& run) {
  run.EnterHeldMode();
  CreaServer(run);
  LeggiInstallazione(run);
  Connetti(run);
  ConfermaConnessione(run);
  Disconnetti(run);
}

}  // namespace

void cmdSQLDMO_Click() { EseguiTest(kProfiloSQLDMO, TestSQLDMO); }

}  // namespace sondalink
