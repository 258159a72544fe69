// The DAO ODBCDirect test: an ODBC connection driven through DAO 3.5's
// objects, the engine's and the workspace's properties, the server's version
// and its attributes, every step logged.
#include "connection/dao.h"

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

constexpr ProfiloTest kProfiloDAO{
    "SondalinkDAOODBCDirect.log",
    "Inizio test connessione DAO ODBCDirect...",
    "DAO.DBEngine.35",
    "Test Connessione DAO ODBCDirect eseguita con SUCCESSO.",
    "Connessione DAO ODBCDirect fallita.",
    "cmdDAODirect_Click",
};

// Created from its class identity, not through a class-name lookup.
constexpr char kClsidMotore[] = "{00000010-0000-0010-8000-00AA006D2EA4}";
constexpr char kClasseMotore[] = "DAO.DBEngine.35";

constexpr int32_t dbUseODBC = 1;
constexpr int32_t dbDriverComplete = 0;
constexpr int32_t dbOpenSnapshot = 4;
constexpr int16_t kQueryTimeout = 60;

constexpr char kApriRecordset[] = "Esecuzione metodo DAO.Connection.OpenRecordset in corso...";
constexpr char kErroreApriRecordset[] =
    "Errore durante l'esecuzione del metodo DAO.Connection.OpenRecordset: number=";
constexpr char kRecordsetAperto[] = "Esecuzione metodo DAO.Connection.OpenRecordset riuscita.";
constexpr char kChiudiRecordset[] = "Esecuzione metodo DAO.Recordset.Close in corso...";
constexpr char kErroreChiudiRecordset[] =
    "Errore durante l'esecuzione del metodo DAO.Recordset.Close: number=";
constexpr char kRecordsetChiuso[] = "Esecuzione metodo DAO.Recordset.Close riuscita.";

// One engine for the process: created on first use, kept with everything
// that hangs on it until the program ends.
au::Object gMotoreDAO;

ErrorRecord MotoreDAO() {
  if (gMotoreDAO) return {};
  Outcome<au::Object> creato = au::CreateFromClassId(kClsidMotore, kClasseMotore);
  if (!creato.ok()) return creato.error;
  gMotoreDAO = creato.value;
  return {};
}

void EseguiQuery(EsecuzioneTest& run, au::Object& rs, const std::string& strQuery) {
  run.LogWrite("Query in corso di esecuzione: " + strQuery);
  run.GuardedStep(
      kApriRecordset,
      [&] {
        const std::vector<au::Value> argomenti{strQuery, dbOpenSnapshot};
        Outcome<au::Object> aperto =
            ComeOggetto(au::Call(run.MainObject(), "OpenRecordset", argomenti));
        rs = aperto.value;
        return aperto.error;
      },
      kErroreApriRecordset, kRecordsetAperto);
}

void ChiudiRecordset(EsecuzioneTest& run, au::Object& rs) {
  run.GuardedStep(
      kChiudiRecordset, [&] { return au::Call(rs, "Close").error; }, kErroreChiudiRecordset,
      kRecordsetChiuso);
  run.LogWrite("Distruzione dell'oggetto DAO.Recordset...");
  rs.reset();
}

void TestDAO(EsecuzioneTest& run) {
  au::Object ws;
  run.GuardedStep(
      "Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'...",
      [&] {
        if (ErrorRecord err = MotoreDAO(); err.failed()) return err;
        const std::vector<au::Value> argomenti{std::string("ODBCWorkspace"), std::string("admin"),
                                               std::string(), dbUseODBC};
        Outcome<au::Object> creato =
            ComeOggetto(au::Call(gMotoreDAO, "CreateWorkspace", argomenti));
        ws = creato.value;
        return creato.error;
      },
      "Errore nell'esecuzione metoto 'DAO.DBEngine.CreateWorkspace': number=");

  // DAO refuses a second workspace of the same name in Workspaces: each run
  // closes its own, which removes it, so that the next run can append again.
  run.SetExitAction([ws] { (void)au::Call(ws, "Close"); });

  run.GuardedStep(
      "Esecuzione metoto 'DAO.DBEngine.Workspaces.Append'...",
      [&] {
        Outcome<au::Object> spazi = LeggiOggetto(gMotoreDAO, "Workspaces");
        if (!spazi.ok()) return spazi.error;
        const std::vector<au::Value> argomenti{ws};
        return au::Call(spazi.value, "Append", argomenti).error;
      },
      "Errore nell'esecuzione metoto 'DAO.DBEngine.Workspaces.Append': number=");

  ElencaProprieta(run, gMotoreDAO, "Lettura proprietà DAO.DBEngine.Properties in corso...");
  ElencaProprieta(run, ws, "Lettura proprietà DAO.Workspace.Properties in corso...");

  run.LogWrite("Connessione al server/istanza '" + platform::ui::GetText(kEdServer) +
               "' in corso...");
  const StringaConnessione stringa =
      StringaConnessioneODBC(mstrServer, mstrLogin, mstrPassword, mbTrusted);
  run.LogWrite("Stringa di connessione: " + stringa.strVisibile);

  run.GuardedStep(
      "Esecuzione metodo DAO.Workspaces.OpenConnection in corso...",
      [&] {
        run.EnterHeldMode();
        const std::vector<au::Value> argomenti{std::string(), dbDriverComplete, false,
                                               stringa.strReale};
        Outcome<au::Object> aperta = ComeOggetto(au::Call(ws, "OpenConnection", argomenti));
        run.SetMainObject(aperta.value);
        return aperta.error;
      },
      "Errore durante l'esecuzione del metodo DAO.Workspaces.OpenConnection: number=",
      "Esecuzione metodo DAO.Workspaces.OpenConnection riuscita.");
  const au::Object& conn = run.MainObject();

  run.GuardedStep(
      "Scrittura proprietà DAO.Connection.QueryTimeout = 60 in corso...",
      [&] { return au::Put(conn, "QueryTimeout", kQueryTimeout); },
      "Errore durante la scrittura proprietà DAO.Connection.QueryTimeout: number=");

  au::Object rs;
  EseguiQuery(run, rs, "SELECT @@VERSION");
  LeggiVersioneDaRecordset(run, rs, int16_t{0});
  ChiudiRecordset(run, rs);

  for (const char* riga :
       {"", "---> CONNESSIONE AVVENUTA CON SUCCESSO <---", "", "Versione istanza SQL SERVER:"}) {
    run.LogWrite(riga);
  }
  run.LogWrite(run.Version());
  run.LogWrite("");
  run.SetOutcome(true);

  EseguiQuery(run, rs, "sp_server_info");
  ElencaAttributi(run, rs);
  ChiudiRecordset(run, rs);

  run.GuardedStep(
      "Esecuzione metodo DAO.Connection.Close in corso...",
      [&] { return au::Call(conn, "Close").error; },
      "Errore durante l'esecuzione del metodo DAO.Connection.Close: number=",
      "Esecuzione metodo DAO.Connection.Close riuscita.");

  run.EnterTrappedMode();
  run.LogWrite("Distruzione dell'oggetto DAO.Connection...");
  run.ReleaseMainObject();
}

}  // namespace

void cmdDAODirect_Click() { EseguiTest(kProfiloDAO, TestDAO); }

void RilasciaMotoreDAO() { gMotoreDAO.reset(); }

}  // namespace sondalink
