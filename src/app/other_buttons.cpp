// The buttons that run no connection test: the log folder opened in the
// shell, and the two data-access stacks that the program does not test.
#include "app/fmconn.h"
#include "environment/cartella_dati.h"
#include "environment/trappola.h"
#include "platform/shell.h"

namespace sondalink {

namespace ui = platform::ui;

void cmdOpenLog_Click() {
  // The shell's own result is not looked at: a folder it cannot open goes
  // unnoticed. Only a shell that cannot be reached is an error.
  std::string folder = MettiVirgolette(gstrCartellaLog);
  ErrorRecord error = platform::shell::ShellExecute("Open", folder, "", folder, 1);
  if (error.failed()) {
    ui::MsgBox(TestoRoutine("fmConn", "cmdOpenLog_Click", error), ui::kCritical,
               kTitoloMessaggio);
  }
}

namespace {

void NonSupportata() {
  ui::MsgBox("Funzionalità non supportata.", ui::kExclamation, kTitoloMessaggio);
}

}  // namespace

void cmdRDO_Click() { NonSupportata(); }
void cmdODBC_Click() { NonSupportata(); }

}  // namespace sondalink
