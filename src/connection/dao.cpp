// The DAO ODBCDirect test. For now its steps stop after creating DAO's
// engine: the frame runs end to end, and the run reports no connection.
#include "app/fmconn.h"
#include "connection/frame.h"
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
    "Routine fmConn:cmdDAODirect_Click, linea ",
};

void TestDAO(EsecuzioneTest& run) {
  au::Object motore;
  run.GuardedStep(
      "Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'...",
      [&] {
        Outcome<au::Object> creato =
            au::CreateFromClassId("{00000010-0000-0010-8000-00AA006D2EA4}", "DAO.DBEngine.35");
        motore = creato.value;
        return creato.error;
      },
      "Errore nell'esecuzione metoto 'DAO.DBEngine.CreateWorkspace': number=");
  run.Leave();
}

}  // namespace

void cmdDAODirect_Click() { EseguiTest(kProfiloDAO, TestDAO); }

}  // namespace sondalink
