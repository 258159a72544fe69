// The buttons that run no connection test: the log folder opened in the
// shell, and the two data-access stacks that the program does not test.
#include "app/basconn.h"
#include "app/fmconn.h"
#include "platform/shell.h"

namespace sondalink {

namespace ui = platform::ui;

void cmdOpenLog_Click() {
  // The shell's own result is not looked at: a folder it cannot open goes
  // unnoticed. Only a shell that cannot be reached is an error.
  std::string folder = MettiVirgolette(gstrCartellaLog);
  ErrorRecord error = platform::shell::ShellExecute("Open", folder, "", folder, 1);
  if (error.failed()) {
    ui::MsgBox("Routine fmConn:cmdOpenLog_Click, linea 0, errore " + std::to_string(error.number) +
                   ", descrizione: " + error.description,
               ui::kCritical, "Messaggio di Sondalink");
  }
}

void cmdRDO_Click() {
  ui::MsgBox("Funzionalità non supportata.", ui::kExclamation, "Messaggio di Sondalink");
}

void cmdODBC_Click() {
  ui::MsgBox("Funzionalità non supportata.", ui::kExclamation, "Messaggio di Sondalink");
}

}  // namespace sondalink
