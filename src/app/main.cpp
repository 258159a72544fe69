// The program's start: the data folder, then the window.
#include "app/basconn.h"
#include "app/fmconn.h"
#include "environment/cartella_dati.h"
#include "environment/trappola.h"
#include "platform/ui.h"

namespace sondalink {

void Main() {
  namespace ui = platform::ui;
  std::string strErrore;
  if (!LeggiCartellaLog(strErrore)) {
    ui::MsgBox(
        "Errore durante la rilevazione della cartella che conterrà i file di LOG dei test di "
        "connessione " + strErrore,
        ui::kCritical, kTitoloMessaggio);
    return;
  }
  if (ErrorRecord e = MostraFinestra(); e.failed()) {
    ui::MsgBox(TestoRoutine("busConn", "Main", e), ui::kCritical, kTitoloMessaggio);
  }
}

}  // namespace sondalink
