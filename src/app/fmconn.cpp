// The main window fmConn: its control table, the authentication options,
// the validation of the input, the locking around a test and the close
// guard. Only OS-independent code: the window is reached through the seam.
#include "app/fmconn.h"

#include <exception>
#include <iterator>

#include "app/test_in_corso.h"
#include "environment/trappola.h"
#include "testlog/testlog.h"

namespace sondalink {

namespace ui = platform::ui;
using ui::ControlKind;

namespace {

constexpr const char kTitleValidation[] = "Messaggio di Collaudino";

constexpr ui::ControlDef kControls[] = {
    {kFrame1, "Frame1", ControlKind::Frame, 0, "Parametri di connessione all'istanza",
     {135, 135, 5025, 2400}, ui::kStyleNone},
    {kPcFrame, "pcFrame", ControlKind::Panel, kFrame1, "", {30, 180, 4875, 2145}, ui::kStyleNone},
    {kLabel6, "Label6", ControlKind::Label, kPcFrame, "&Server\\Istanza:", {180, 225, 1275, 285},
     ui::kStyleNone},
    {kEdServer, "edServer", ControlKind::TextBox, kPcFrame, "", {1530, 180, 3150, 315},
     ui::kStyleNone},
    {kOptTrusted, "optTrusted", ControlKind::OptionButton, kPcFrame,
     "Utilizza autenticazione &Windows integrata", {180, 585, 4470, 285}, ui::kStyleNone},
    {kOptSQL, "optSQL", ControlKind::OptionButton, kPcFrame,
     "Utilizza &autenticazione SQL Server tramite ID e password", {180, 900, 4470, 285},
     ui::kStyleNone},
    {kLabel2, "Label2", ControlKind::Label, kPcFrame, "&Login ID:", {450, 1350, 735, 330},
     ui::kStyleNone},
    {kEdLogin, "edLogin", ControlKind::TextBox, kPcFrame, "", {1575, 1305, 2115, 315},
     ui::kStyleNone},
    {kLabel1, "Label1", ControlKind::Label, kPcFrame, "&Password:", {450, 1710, 735, 330},
     ui::kStyleNone},
    {kEdPassword, "edPassword", ControlKind::TextBox, kPcFrame, "", {1575, 1710, 2115, 315},
     ui::kStylePassword},
    {kEdLog, "edLog", ControlKind::TextBox, 0, "", {135, 2655, 8295, 4065},
     ui::kStyleMultiLine | ui::kStyleReadOnly | ui::kStyleScrollBars | ui::kStyleButtonFace},
    {kCmdSQLDMO, "cmdSQLDMO", ControlKind::CommandButton, 0, "Test connessione SQL&DMO",
     {5355, 225, 3075, 330}, ui::kStyleNone},
    {kCmdADO, "cmdADO", ControlKind::CommandButton, 0, "Test connessione &ADO",
     {5355, 585, 3075, 330}, ui::kStyleNone},
    {kCmdDAODirect, "cmdDAODirect", ControlKind::CommandButton, 0,
     "Test connessione D&AO ODBCDirect", {5355, 945, 3075, 330}, ui::kStyleNone},
    {kCmdRDO, "cmdRDO", ControlKind::CommandButton, 0, "Test connessione RDO",
     {5355, 1305, 3075, 330}, ui::kStyleDisabled},
    {kCmdODBC, "cmdODBC", ControlKind::CommandButton, 0, "Test connessione &ODBC DSN less ",
     {5355, 1665, 3075, 330}, ui::kStyleDisabled},
    {kCmdOpenLog, "cmdOpenLog", ControlKind::CommandButton, 0, "Apri cartella file di &LOG",
     {5355, 2205, 3075, 330}, ui::kStyleNone},
};

// Routes the window's events to the handlers named after control and event.
void OnEvent(int control, ui::Event what) {
  if (what == ui::Event::GotFocus) {
    switch (control) {
      case kEdServer: edServer_GotFocus(); break;
      case kEdLogin: edLogin_GotFocus(); break;
      case kEdPassword: edPassword_GotFocus(); break;
      default: break;
    }
    return;
  }
  switch (control) {
    case kOptSQL: optSQL_Click(); break;
    case kOptTrusted: optTrusted_Click(); break;
    case kCmdSQLDMO: cmdSQLDMO_Click(); break;
    case kCmdADO: cmdADO_Click(); break;
    case kCmdDAODirect: cmdDAODirect_Click(); break;
    case kCmdRDO: cmdRDO_Click(); break;
    case kCmdODBC: cmdODBC_Click(); break;
    case kCmdOpenLog: cmdOpenLog_Click(); break;
    default: break;
  }
}

constexpr ui::FormHandlers kHandlers{Form_Load, OnEvent, Form_QueryUnload};

// The routine error box; `toLog` also writes it as an ERROR line first, for
// the routines that may run while a test log is open.
void ReportRoutineError(const char* routine, const ErrorRecord& error, bool toLog) {
  std::string text = TestoRoutine("fmConn", routine, error);
  if (toLog) LogWrite(text, kLogError);
  ui::MsgBox(text, ui::kCritical, kTitoloMessaggio);
}

// Runs `body` under the routine's error trap: a failure ends the routine with
// the error box and the result False.
template <class Body>
bool WithRoutineTrap(const char* routine, bool toLog, Body body) {
  try {
    return body();
  } catch (const std::exception&) {
    ReportRoutineError(routine, ErroreInCorso(Numerazione::kRunTime), toLog);
    return false;
  }
}

void SelectAll(int control) { ui::SetSelection(control, 0, ui::TextLength(control)); }

void SetUsable(int control, bool usable) {
  ui::SetEnabled(control, usable);
  ui::SetBackColor(control, usable ? ui::SysColor::Window : ui::SysColor::ButtonFace);
}

// Both options show the state of optTrusted, whichever was clicked.
void ApplyAuthentication() {
  if (ui::GetValue(kOptTrusted)) {
    for (int box : {kEdLogin, kEdPassword}) {
      SetUsable(box, false);
      ui::SetText(box, "");
    }
  } else {
    SetUsable(kEdLogin, true);
    ui::SetText(kEdLogin, mstrLogin);
    SetUsable(kEdPassword, true);
    ui::SetText(kEdPassword, "");
  }
}

constexpr int kTestButtons[] = {kCmdADO, kCmdSQLDMO, kCmdDAODirect, kCmdRDO, kCmdODBC};

}  // namespace

const ui::FormDef kFormConn{"Test connessioni SQL Server/MSDE", 8595, 6870, kControls,
                             std::size(kControls)};

std::string mstrServer;
std::string mstrLogin;
std::string mstrPassword;
bool mbTrusted = false;

ErrorRecord MostraFinestra() {
  LogEchoInto(kEdLog);
  return ui::ShowForm(kFormConn, kHandlers);
}

void Form_Load() {
  WithRoutineTrap("Form_Load", false, [] {
    ui::SetValue(kOptSQL, true);
    return true;
  });
}

void Form_QueryUnload(int reason, bool& cancel) {
  // A close already queued reaches this through the first log lines, before
  // the controls are locked: the busy state covers the whole run.
  if (reason == ui::kCloseByUser && TestInCorso()) {
    ui::MsgBox("Impossibile uscire dal programma quando è in corso il test.", ui::kExclamation,
               kTitoloMessaggio);
    cancel = true;
  }
  if (reason == ui::kCloseByWindows) ui::UnloadForm();
}

void optSQL_Click() { ApplyAuthentication(); }
void optTrusted_Click() { ApplyAuthentication(); }

void edServer_GotFocus() { SelectAll(kEdServer); }
void edLogin_GotFocus() { SelectAll(kEdLogin); }
void edPassword_GotFocus() { SelectAll(kEdPassword); }

bool ValidaParametriConnessione() {
  return WithRoutineTrap("ValidaParametriConnessione", true, [] {
    if (ui::TextLength(kEdServer) == 0) {
      ui::MsgBox("Inserire il nome del Server/Istanza.", ui::kExclamation, kTitleValidation);
      ui::SetFocus(kEdServer);
      return false;
    }
    bool sqlAuthentication = ui::GetValue(kOptSQL);
    if (sqlAuthentication && ui::TextLength(kEdLogin) == 0) {
      ui::MsgBox("Inserire il Login ID.", ui::kExclamation, kTitleValidation);
      if (ui::IsEnabled(kEdLogin)) ui::SetFocus(kEdLogin);
      return false;
    }
    mstrServer = ui::GetText(kEdServer);
    if (sqlAuthentication) {
      mstrLogin = ui::GetText(kEdLogin);
      mstrPassword = ui::GetText(kEdPassword);
      mbTrusted = false;
    } else {
      mstrLogin.clear();
      mstrPassword.clear();
      mbTrusted = true;
    }
    return true;
  });
}

bool ControlliBlocca() {
  return WithRoutineTrap("ControlliBlocca", true, [] {
    SetUsable(kEdServer, false);
    ui::SetEnabled(kOptSQL, false);
    ui::SetEnabled(kOptTrusted, false);
    SetUsable(kEdLogin, false);
    SetUsable(kEdPassword, false);
    for (int button : kTestButtons) ui::SetEnabled(button, false);
    SegnaControlliBloccati(true);
    return true;
  });
}

bool ControlliSblocca() {
  return WithRoutineTrap("ControlliSblocca", true, [] {
    SetUsable(kEdServer, true);
    ui::SetEnabled(kOptSQL, true);
    ui::SetEnabled(kOptTrusted, true);
    if (ui::GetValue(kOptSQL)) {
      SetUsable(kEdLogin, true);
      SetUsable(kEdPassword, true);
    }
    for (int button : kTestButtons) ui::SetEnabled(button, true);
    SegnaControlliBloccati(false);
    return true;
  });
}

}  // namespace sondalink
