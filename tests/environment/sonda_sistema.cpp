// Prints the facts the environment probe reads, one "key=value" a line, for
// the Windows tests to check in conditions they set up for this program
// alone (the Windows version Wine reports to it, a 64-bit prefix).
#include <cstdio>
#include <string>

#include "environment/sistema.h"

namespace {
void Riga(const char* chiave, const std::string& valore) {
  std::printf("%s=%s\n", chiave, valore.c_str());
}
}  // namespace

int main() {
  using namespace sondalink;
  int32_t codice = 0;
  std::string nome, servicePack, versione, build, errore;
  bool ok = LeggiSistemaOperativo(codice, nome, servicePack, versione, build, errore);
  Riga("ok", ok ? "1" : "0");
  Riga("codice", std::to_string(codice));
  Riga("nome", nome);
  Riga("servicepack", servicePack);
  Riga("versione", versione);
  Riga("build", build);
  Riga("errore", errore);
  Riga("a64bit", SistemaA64Bit() ? "1" : "0");
  Riga("computer", LeggiNomeComputer());
  Riga("account", LeggiNomeAccount());
  Riga("amministratore", AccountAmministratore() ? "1" : "0");
  std::fflush(stdout);
  return 0;
}
