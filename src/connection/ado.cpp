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
#include "platform/ui.h"

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

constexpr char kCreaRecordset[] = "Creazione dell'oggetto ADODB.Recordset...";
constexpr char kErroreCreaRecordset[] = "Errore nella creazione dell'oggetto ADODB.Recordset: number=";
constexpr char kRecordsetCreato[] = "Oggetto ADODB.Recordset creato correttamente.";
constexpr char kApriRecordset[] = "Esecuzione metodo ADODB.Recordset.Open in corso...";
constexpr char kErroreApriRecordset[] =
    "Errore durante l'esecuzione del metodo ADODB.Recordset.Open: number=";
constexpr char kRecordsetAperto[] = "Esecuzione metodo ADODB.Recordset.Open riuscita.";
constexpr char kChiudiRecordset[] = "Esecuzione metodo ADODB.Recordset.Close in corso...";
constexpr char kErroreChiudiRecordset[] =
    "Errore durante l'esecuzione del metodo ADODB.Recordset.Close: number=";
constexpr char kRecordsetChiuso[] = "Esecuzione metodo ADODB.Recordset.Close riuscita.";
constexpr char kDistruggiRecordset[] = "Distruzione dell'oggetto ADODB.Recordset...";

void CreaRecordset(EsecuzioneTest& run, au::Object& rs) {
  run.GuardedStep(
      kCreaRecordset,
      [&] {
        Outcome<au::Object> creato = au::CreateFromClassId(kClsidRecordset, "ADODB.Recordset");
        rs = creato.value;
        return creato.error;
      },
      kErroreCreaRecordset, kRecordsetCreato);
}

void EseguiQuery(EsecuzioneTest& run, au::Object& rs, const std::string& strQuery) {
  run.LogWrite("Query in corso di esecuzione: " + strQuery);
  run.GuardedStep(
      kApriRecordset,
      [&] {
        const std::vector<au::Value> argomenti{strQuery, run.MainObject(), adOpenStatic,
                                               adLockReadOnly, adUnspecified};
        return au::Call(rs, "Open", argomenti).error;
      },
      kErroreApriRecordset, kRecordsetAperto);
}

void ChiudiRecordset(EsecuzioneTest& run, au::Object& rs) {
  run.GuardedStep(
      kChiudiRecordset, [&] { return au::Call(rs, "Close").error; }, kErroreChiudiRecordset,
      kRecordsetChiuso);
  run.LogWrite(kDistruggiRecordset);
  rs.reset();
}

void TestADO(EsecuzioneTest& run) {
  run.GuardedStep(
      "Creazione dell'oggetto 'ADODB.Connection'...",
      [&] {
        Outcome<au::Object> creato = au::CreateFromClassId(kClsidConnection, "ADODB.Connection");
        run.SetMainObject(creato.value);
        return creato.error;
      },
      "Errore nella creazione dell'oggetto 'ADODB.Connection': number=",
      "Oggetto 'ADODB.Connection' creato correttamente.");
  const au::Object& conn = run.MainObject();

  if (Outcome<std::string> versione = LeggiTesto(conn, "Version"); versione.ok()) {
    run.LogWrite("Lettura proprietà ADODB.Version=" + versione.value);
  } else {
    run.NoteOrTrap(versione.error);
  }

  run.LogWrite("Connessione al server/istanza '" + platform::ui::GetText(kEdServer) +
               "' in corso...");
  const StringaConnessione stringa =
      StringaConnessioneADO(mstrServer, mstrLogin, mstrPassword, mbTrusted);
  run.LogWrite("Stringa di connessione: " + stringa.strVisibile);

  run.GuardedStep(
      "Esecuzione metodo ADODB.Connection.Open in corso...",
      [&] {
        run.EnterHeldMode();
        const std::vector<au::Value> argomenti{stringa.strReale, std::string(), std::string(),
                                               adUnspecified};
        return au::Call(conn, "Open", argomenti).error;
      },
      "Errore durante l'esecuzione del metodo ADODB.Connection.Open: number=",
      "Esecuzione metodo ADODB.Connection.Open riuscita.");

  ElencaProprieta(run, conn, "Lettura proprietà ADODB.Connection.Properties in corso...");

  au::Object rs;
  CreaRecordset(run, rs);
  EseguiQuery(run, rs, "SELECT @@VERSION");
  LeggiVersioneDaRecordset(run, rs, int32_t{0});
  ChiudiRecordset(run, rs);

  for (const char* riga : {"", "---> CONNESSIONE AVVENUTA CON SUCCESSO <---", "",
                           "Versione istanza SQL SERVER:"}) {
    run.LogWrite(riga);
  }
  run.LogWrite(run.Version());
  run.LogWrite("");
  run.SetOutcome(true);

  CreaRecordset(run, rs);
  EseguiQuery(run, rs, "sp_server_info");
  ElencaAttributi(run, rs);
  ChiudiRecordset(run, rs);

  run.GuardedStep(
      "Esecuzione metodo ADODB.Connection.Close in corso...",
      [&] { return au::Call(conn, "Close").error; },
      "Errore durante l'esecuzione del metodo ADODB.Connection.Close: number=",
      "Esecuzione metodo ADODB.Connection.Close riuscita.");

  run.EnterTrappedMode();
  run.LogWrite("Distruzione dell'oggetto ADODB.Connection...");
  run.ReleaseMainObject();
}

}  // namespace

void cmdADO_Click() { EseguiTest(kProfiloADO, TestADO); }

}  // namespace sondalink
