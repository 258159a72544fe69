// The test log: header, stamped lines and footer in the data folder, and the
// same messages, bare, in the window's log box.
#include "testlog/testlog.h"

#include <cstdio>
#include <initializer_list>
#include <limits>

#include "environment/cartella_dati.h"
#include "environment/trappola.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/ui.h"
#include "version.h"

namespace sondalink {

std::string gstrFileLog;
bool gbLogAperto = false;
int32_t glngNumWarning = 0;
int32_t glngNumErrori = 0;

namespace {

namespace ui = platform::ui;

// The file of the open log; one at a time. A run whose write failed closes
// it early and goes on with the echo alone: one box for that failure is
// enough, and the file is free for the user at once.
platform::files::AppendFile gLogFile;

// The window's log box, handed over by the window; 0 until then: no echo.
int gnControlloEco = 0;

const std::string kLongRule(91, '-');
const std::string kShortRule(68, '-');
// ERROR_ARITHMETIC_OVERFLOW as an HRESULT.
constexpr int32_t kErrOverflow = static_cast<int32_t>(0x80070216);

// yyyy-mm-dd hh:mm:ss, local time, 24-hour clock.
std::string DateTimeText() {
  platform::clock::LocalTime t = platform::clock::Now();
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}

// "Versione 15.00.0022": major as is, minor in two digits, revision in four.
std::string VersionLine() {
  char text[48];
  std::snprintf(text, sizeof text, "Versione %d.%02d.%04d", SONDALINK_VERSION_MAJOR,
                SONDALINK_VERSION_MINOR, SONDALINK_VERSION_REVISION);
  return text;
}

// One entry in edLog: CR LF between entries, none after the last. Appended
// in one piece, so a long log costs nothing extra per line and the box
// redraws once for it.
void Echo(const std::string& text) {
  if (gnControlloEco == 0) return;
  ui::AppendText(gnControlloEco,
                 ui::TextLength(gnControlloEco) > 0 ? "\r\n" + text : text);
}

void ShowTrappedError(const char* routine, const ErrorRecord& e) {
  ui::MsgBox(TestoRoutine("basConn", routine, e) + "\r\n\r\nImpossibile continuare.",
             ui::kCritical, kTitoloMessaggio);
}

ErrorRecord WriteLines(std::initializer_list<std::string> lines) {
  for (const std::string& line : lines) {
    if (ErrorRecord e = gLogFile.WriteLine(line); e.failed()) return e;
  }
  return {};
}

}  // namespace

void LogEchoInto(int nControllo) { gnControlloEco = nControllo; }

bool LogStart(bool bSkipHeader) {
  if (gstrFileLog.empty()) {
    ui::MsgBox("Impostare il nome del file log prima di aprire il file di log.", ui::kExclamation,
               kTitoloMessaggio);
    return false;
  }
  const std::string path = gstrCartellaLog + gstrFileLog;
  // A log still open is closed first: its file must not outlive it, and
  // this run may be about to delete it.
  gbLogAperto = false;
  (void)gLogFile.Close();
  Echo("Creazione file di log " + path + ".");
  glngNumWarning = 0;
  glngNumErrori = 0;

  // A file that cannot be deleted stays, and this run appends to it.
  if (!bSkipHeader && EsisteFile(path)) (void)platform::files::DeleteFile(path);

  if (ErrorRecord e = gLogFile.Open(path); e.failed()) {
    ShowTrappedError("LogStart", e);
    return false;
  }
  if (!bSkipHeader) {
    ErrorRecord e = WriteLines({
        kLongRule,
        "Sondalink.exe - Utility per testare le connessioni VB6 ai database SQL Server/MSDE",
        VersionLine(),
        "Nome file di log: '" + gstrFileLog + "'",
        "Operazione avviata il " + DateTimeText(),
        kLongRule,
    });
    if (e.failed()) {
      // The log stays closed, and so does its file.
      (void)gLogFile.Close();
      ShowTrappedError("LogStart", e);
      return false;
    }
  }
  gbLogAperto = true;
  return true;
}

void LogWrite(const std::string& strMsg, int16_t nTypeLog) {
  if (!gbLogAperto) return;
  const char* level = ", INFO: ";
  int32_t* counter = nullptr;
  if (nTypeLog == kLogWarning) {
    level = ", WARNING: ";
    counter = &glngNumWarning;
  } else if (nTypeLog == kLogError) {
    level = ", ERROR: ";
    counter = &glngNumErrori;
  }
  std::string line = DateTimeText() + level + strMsg;
  if (counter) {
    if (*counter == std::numeric_limits<int32_t>::max()) {
      ShowTrappedError("LogWrite", ErrorRecord{kErrOverflow, "Overflow", "LogWrite"});
      return;
    }
    ++*counter;
  }
  Echo(strMsg);
  if (gLogFile.is_open()) {
    if (ErrorRecord e = gLogFile.WriteLine(line); e.failed()) {
      (void)gLogFile.Close();
      ShowTrappedError("LogWrite", e);
      return;
    }
  }
  ui::DoEvents();
}

bool LogStop() {
  if (!gbLogAperto) return true;
  // Closed whatever happens: a log left open would outlive its run. A file
  // closed early by a failed write has had its box already.
  gbLogAperto = false;
  ErrorRecord e;
  if (gLogFile.is_open()) {
    e = WriteLines({"Operazione terminata il " + DateTimeText(), kShortRule, " "});
    ErrorRecord closed = gLogFile.Close();
    if (!e.failed()) e = closed;
  }
  if (e.failed()) {
    ShowTrappedError("LogStop", e);
    return false;
  }
  Echo("Chiusura file di log " + gstrCartellaLog + gstrFileLog + ".");
  return true;
}

}  // namespace sondalink
