// The main window fmConn: its control table, its inputs and its handlers.
#pragma once

#include <string>

#include "app/controls.h"
#include "platform/ui.h"

namespace sondalink {

// The control table, in tab order, and the window around it.
extern const platform::ui::FormDef kFormConn;

// Window-level inputs, filled by ValidaParametriConnessione.
extern std::string mstrServer;
extern std::string mstrLogin;
extern std::string mstrPassword;
extern bool mbTrusted;

// Creates and shows the window (Form_Load runs inside); the log echoes into
// its edLog.
ErrorRecord MostraFinestra();

void Form_Load();
void Form_QueryUnload(int reason, bool& cancel);
void optSQL_Click();
void optTrusted_Click();
void edServer_GotFocus();
void edLogin_GotFocus();
void edPassword_GotFocus();

bool ValidaParametriConnessione();
bool ControlliBlocca();
bool ControlliSblocca();

void cmdOpenLog_Click();
void cmdRDO_Click();
void cmdODBC_Click();
// The three tests.
void cmdADO_Click();
void cmdDAODirect_Click();
void cmdSQLDMO_Click();

}  // namespace sondalink
