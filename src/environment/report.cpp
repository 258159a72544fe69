// The environment report that opens every test's log: which Windows, which
// machine and account, and which file the registry names as the COM server
// of the component under test, with its version.
#include "environment/report.h"

#include "environment/cartella_dati.h"
#include "environment/registro.h"
#include "environment/sistema.h"
#include "environment/versione_file.h"
#include "platform/registry.h"
#include "testlog/testlog.h"

namespace sondalink {

void ScriviRapportoAmbiente(const std::string& strClasse) {
  std::string strErrore;
  if (LeggiSistemaOperativo(gnCodiceSO, gstrNomeSO, gstrServicePackSO, gstrVersioneSO,
                            gstrBuildSO, strErrore)) {
    std::string servicePack = gstrServicePackSO.empty() ? "" : " " + gstrServicePackSO;
    LogWrite("Sistema operativo rivelato: " + gstrNomeSO + servicePack + " (versione: " +
             gstrVersioneSO + "." + gstrBuildSO + ")");
  } else {
    LogWrite("Errore nella rilevazione del sistema operativo: " + strErrore, kLogError);
  }

  LogWrite(std::string("Architettura: ") + (SistemaA64Bit() ? "64 bit" : "32 bit"));
  LogWrite("Nome computer: " + LeggiNomeComputer());
  LogWrite("Nome account Windows: " + LeggiNomeAccount());
  LogWrite(std::string("Account Windows di tipo amministratore: ") +
           (AccountAmministratore() ? "Sì" : "No"));

  std::string strChiave;
  bool bEspandibile = false;
  const std::string strFile = CercaComponenteCOM(strClasse, strChiave, bEspandibile);
  LogWrite("Nome del componente COM associato alla classe '" + strClasse + "': " +
           (strFile.empty() ? "(non rilevato)" : strFile));
  if (strFile.empty()) return;

  LogWrite("Chiave registry rilevata: " + strChiave);
  // Windows registers many servers as %SystemRoot%\... or
  // %CommonProgramFiles%\...: the file is where the expanded text points.
  ScriviRigheFile(bEspandibile ? platform::registry::ExpandVariables(strFile) : strFile);
}

void ScriviRigheFile(const std::string& strFile) {
  if (!EsisteFile(strFile)) {
    LogWrite("File " + strFile + " inesistente");
    return;
  }

  int16_t nMajor = -1, nMinor = -1, nBuild = -1, nRevision = -1;
  std::string strErrore;
  if (LeggiVersioneFile(strFile, nMajor, nMinor, nBuild, nRevision, strErrore)) {
    LogWrite("File " + strFile + " versione: " + std::to_string(nMajor) + "." +
             std::to_string(nMinor) + "." + std::to_string(nBuild) + "." +
             std::to_string(nRevision));
  } else {
    LogWrite("Errore nella rilevazione della versione del file " + strFile + ": " + strErrore,
             kLogError);
  }
}

}  // namespace sondalink
