// The program's start: the data folder, then the window. Kept apart from the
// path helpers so that a program using only the helpers needs no window.
#include "app/basconn.h"
#include "app/fmconn.h"
#include "platform/ui.h"

namespace sondalink {

void Main() {
  namespace ui = platform::ui;
  std::string strErrore;
  if (!LeggiCartellaLog(strErrore)) {
    ui::MsgBox(
        "Errore durante la rilevazione della cartella che conterrà i file di LOG dei test di "
        "connessione " + strErrore,
        ui::kCritical, "Messaggio di Sondalink");
    return;
  }
  if (ErrorRecord e = MostraFinestra(); e.failed()) {
    ui::MsgBox("Routine busConn:Main, linea 0, errore " + std::to_string(e.number) +
                   ", descrizione: " + e.description,
               ui::kCritical, "Messaggio di Sondalink");
  }
}

}  // namespace sondalink
