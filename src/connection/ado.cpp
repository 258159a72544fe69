// The ADO test: a connection through ADO and the OLE DB provider SQLOLEDB,
// the server's version, its attributes, every step logged.
#include <string>
#include <vector>

#include "app/fmconn.h"
#include "connection/connstring.h"
#include "connection/elenchi.h"
#include "connection/frame.h"
#include "connection/values.h"
#include "platform/automation.h"

namespace sondalink {

namespace {

namespace au = platform::automation;

constexpr ProfiloTest kProfiloADO{
    "SondalinkADO.log",
    "Inizio test connessione ADO...",
    "ADODB.Connection",
    "Test Connessione ADO eseguita con SUCCESSO.",
    "Connessione ADO fallita.",
    "cmdADO_Click",
};

// Created from their class identities, not through a class-name lookup.
constexpr char kClsidConnection[] = "{00000514-0000-0010-8000-00AA006D2EA4}";
constexpr char kClsidRecordset[] = "{00000535-0000-0010-8000-00AA006D2EA4}";

constexpr int32_t adOpenStatic = 3;
constexpr int32_t adLockReadOnly = 1;
constexpr int32_t adUnspecified = -1;  // adConnectUnspecified, adCmdUnspecified

// The recordset steps; each query runs on a recordset object of its own.
RecordsetComponente RecordsetADO() {
  RecordsetComponente c{};
  c.crea = [](EsecuzioneTest& run, au::Object& rs) {
    run.GuardedStep(
        "Creazione dell'oggetto ADODB.Recordset...",
        [&] {
          Outcome<au::Object> creato = au::CreateFromClassId(kClsidRecordset, "ADODB.Recordset");
          rs = creato.value;
          return creato.error;
        },
        "Errore nella creazione dell'oggetto ADODB.Recordset: number=",
        "Oggetto ADODB.Recordset creato correttamente.");
  };
  c.apri = [](EsecuzioneTest& run, au::Object& rs, const std::string& strQuery) {
    const std::vector<au::Value> argomenti{strQuery, run.MainObject(), adOpenStatic,
                                           adLockReadOnly, adUnspecified};
    return au::Call(rs, "Open", argomenti).error;
  };
  c.apertura = {"Esecuzione metodo ADODB.Recordset.Open in corso...",
                "Errore durante l'esecuzione del metodo ADODB.Recordset.Open: number=",
                "Esecuzione metodo ADODB.Recordset.Open riuscita."};
  c.chiusura = {"Esecuzione metodo ADODB.Recordset.Close in corso...",
                "Errore durante l'esecuzione del metodo ADODB.Recordset.Close: number=",
                "Esecuzione metodo ADODB.Recordset.Close riuscita."};
  c.strDistruzione = "Distruzione dell'oggetto ADODB.Recordset...";
  c.campoVersione = int32_t{0};
  return c;
}

// The Connection object, and the version of ADO it reports.
void CreaConnessione(EsecuzioneTest& run) {
  run.GuardedStep(
      "Creazione dell'oggetto 'ADODB.Connection'...",
      [&] {
        Outcome<au::Object> creato = au::CreateFromClassId(kClsidConnection, "ADODB.Connection");
        run.SetMainObject(creato.value);
        return creato.error;
      },
      "Errore nella creazione dell'oggetto 'ADODB.Connection': number=",
      "Oggetto 'ADODB.Connection' creato correttamente.");
  if (Outcome<std::string> versione = LeggiTesto(run.MainObject(), "Version"); versione.ok()) {
    run.LogWrite("Lettura proprietà ADODB.Version=" + versione.value);
  } else {
    run.NoteOrTrap(versione.error);
  }
}

void ApriConnessione(EsecuzioneTest& run) {
  run.LogConnecting();
  const StringaConnessione stringa =
      StringaConnessioneADO(mstrServer, mstrLogin, mstrPassword, mbTrusted);
  run.LogWrite("Stringa di connessione: " + stringa.strVisibile);
  constexpr TestiPasso kApertura{
      "Esecuzione metodo ADODB.Connection.Open in corso...",
      "Errore durante l'esecuzione del metodo ADODB.Connection.Open: number=",
      "Esecuzione metodo ADODB.Connection.Open riuscita."};
  run.GuardedStep(kApertura, [&] {
    run.EnterHeldMode();
    const std::vector<au::Value> argomenti{stringa.strReale, std::string(), std::string(),
                                           adUnspecified};
    return au::Call(run.MainObject(), "Open", argomenti).error;
  });
}

void TestADO(EsecuzioneTest& run) {
  CreaConnessione(run);
  ApriConnessione(run);
  ElencaProprieta(run, run.MainObject(),
                  "Lettura proprietà ADODB.Connection.Properties in corso...");
  InterrogaServer(run, RecordsetADO());
  ChiudiConnessione(run,
                    {"Esecuzione metodo ADODB.Connection.Close in corso...",
                     "Errore durante l'esecuzione del metodo ADODB.Connection.Close: number=",
                     "Esecuzione metodo ADODB.Connection.Close riuscita."},
                    "Distruzione dell'oggetto ADODB.Connection...");
}

}  // namespace

void cmdADO_Click() { EseguiTest(kProfiloADO, TestADO); }

}  // namespace sondalink
