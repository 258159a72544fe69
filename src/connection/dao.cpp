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
// DAO's published run-time licence key: its engine is a licensed class,
// which without the key creates only where the design-time licence of the
// developer tools is installed.
constexpr char kLicenzaMotore[] = "mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak";

constexpr int32_t dbUseODBC = 1;
constexpr int32_t dbDriverComplete = 0;
constexpr int32_t dbOpenSnapshot = 4;
constexpr int16_t kQueryTimeout = 60;

// One engine for the process: created on first use, kept with everything
// that hangs on it until the program ends.
au::Object gMotoreDAO;

ErrorRecord MotoreDAO() {
  if (gMotoreDAO) return {};
  Outcome<au::Object> creato = au::CreateFromClassId(kClsidMotore, kClasseMotore, kLicenzaMotore);
  if (!creato.ok()) return creato.error;
  gMotoreDAO = creato.value;
  return {};
}

// The recordset steps; each query opens a recordset of its own.
RecordsetComponente RecordsetDAO() {
  RecordsetComponente c{};
  c.apri = [](EsecuzioneTest& run, au::Object& rs, const std::string& strQuery) {
    const std::vector<au::Value> argomenti{strQuery, dbOpenSnapshot};
    Outcome<au::Object> aperto = ComeOggetto(au::Call(run.MainObject(), "OpenRecordset", argomenti));
    rs = aperto.value;
    return aperto.error;
  };
  c.apertura = {"Esecuzione metodo DAO.Connection.OpenRecordset in corso...",
                "Errore durante l'esecuzione del metodo DAO.Connection.OpenRecordset: number=",
                "Esecuzione metodo DAO.Connection.OpenRecordset riuscita."};
  c.chiusura = {"Esecuzione metodo DAO.Recordset.Close in corso...",
                "Errore durante l'esecuzione del metodo DAO.Recordset.Close: number=",
                "Esecuzione metodo DAO.Recordset.Close riuscita."};
  c.strDistruzione = "Distruzione dell'oggetto DAO.Recordset...";
  c.campoVersione = int16_t{0};
  return c;
}

// The ODBCDirect workspace, appended to the engine's Workspaces.
au::Object CreaWorkspace(EsecuzioneTest& run) {
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
  return ws;
}

// The connection through the workspace, with its query timeout.
void ApriConnessione(EsecuzioneTest& run, const au::Object& ws) {
  run.LogConnecting();
  const StringaConnessione stringa =
      StringaConnessioneODBC(mstrServer, mstrLogin, mstrPassword, mbTrusted);
  run.LogWrite("Stringa di connessione: " + stringa.strVisibile);

  constexpr TestiPasso kApertura{
      "Esecuzione metodo DAO.Workspaces.OpenConnection in corso...",
      "Errore durante l'esecuzione del metodo DAO.Workspaces.OpenConnection: number=",
      "Esecuzione metodo DAO.Workspaces.OpenConnection riuscita."};
  run.GuardedStep(kApertura, [&] {
    run.EnterHeldMode();
    const std::vector<au::Value> argomenti{std::string(), dbDriverComplete, false,
                                           stringa.strReale};
    Outcome<au::Object> aperta = ComeOggetto(au::Call(ws, "OpenConnection", argomenti));
    run.SetMainObject(aperta.value);
    return aperta.error;
  });

  run.GuardedStep(
      "Scrittura proprietà DAO.Connection.QueryTimeout = 60 in corso...",
      [&] { return au::Put(run.MainObject(), "QueryTimeout", kQueryTimeout); },
      "Errore durante la scrittura proprietà DAO.Connection.QueryTimeout: number=");
}

void TestDAO(EsecuzioneTest& run) {
  const au::Object ws = CreaWorkspace(run);
  ElencaProprieta(run, gMotoreDAO, "Lettura proprietà DAO.DBEngine.Properties in corso...");
  ElencaProprieta(run, ws, "Lettura proprietà DAO.Workspace.Properties in corso...");
  ApriConnessione(run, ws);
  InterrogaServer(run, RecordsetDAO());
  ChiudiConnessione(run,
                    {"Esecuzione metodo DAO.Connection.Close in corso...",
                     "Errore durante l'esecuzione del metodo DAO.Connection.Close: number=",
                     "Esecuzione metodo DAO.Connection.Close riuscita."},
                    "Distruzione dell'oggetto DAO.Connection...");
}

}  // namespace

void cmdDAODirect_Click() { EseguiTest(kProfiloDAO, TestDAO); }

void RilasciaMotoreDAO() { gMotoreDAO.reset(); }

}  // namespace sondalink
