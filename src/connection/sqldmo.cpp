// The SQL-DMO test. For now its steps stop after creating the SQLServer
// object: the frame runs end to end, and the run reports no connection.
#include "app/fmconn.h"
#include "connection/frame.h"
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
    "Routine fmConn:cmdSQLDMO_Click, linea ",
};

void TestSQLDMO(EsecuzioneTest& run) {
  run.GuardedStep(
      "Creazione dell'oggetto 'SQLDMO.SQLServer'...",
      [&] {
        Outcome<au::Object> creato = au::CreateFromName("SQLDMO.SQLServer");
        run.SetMainObject(creato.value);
        return creato.error;
      },
      "Errore nella creazione dell'oggetto 'SQLDMO.SQLServer': number=",
      "Oggetto 'SQLDMO.SQLServer' creato correttamente.");
  run.Leave();
}

}  // namespace

void cmdSQLDMO_Click() { EseguiTest(kProfiloSQLDMO, TestSQLDMO); }

}  // namespace sondalink
