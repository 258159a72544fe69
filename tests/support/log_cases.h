// The test log as both builds check it: its file and echo built from one
// table of lines, and the fixture of the log tests, which watch the message
// boxes and the log box each build its own way (natively the fake's, under
// Wine real ones). support/testlog_contract.cpp holds what both run.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "app/controls.h"
#include "environment/cartella_dati.h"
#include "platform/files.h"
#include "platform/ui.h"
#include "support/log_lines.h"
#include "support/temp_folder.h"
#include "support/version_line.h"
#include "testlog/testlog.h"

namespace sondalink::testing {

inline const std::string kLongRule = std::string(91, '-') + "\r\n";
inline const std::string kShortRule = std::string(68, '-') + "\r\n";

// The whole of SondalinkADO.log: the header started at `start`, the lines
// (each already "<stamp>, LEVEL: message"), and the footer ended at `end`.
inline std::string LogFile(const std::string& start, const std::string& lines, const std::string& end) {
  return kLongRule + "Sondalink.exe - Utility per testare le connessioni VB6 ai database SQL Server/MSDE\r\n" +
         VersionLine() + "\r\nNome file di log: 'SondalinkADO.log'\r\nOperazione avviata il " + start + "\r\n" +
         kLongRule + lines + "Operazione terminata il " + end + "\r\n" + kShortRule + " \r\n";
}

// A log's stamp, and every one of a log replaced by "<stamp>", for a clock
// the test cannot set.
inline const std::regex kLogStamp(kStampPattern);
inline std::string Unstamped(const std::string& bytes) { return std::regex_replace(bytes, kLogStamp, "<stamp>"); }

// Messages of every level, the default, the two out of range and a line
// break inside one, and how the file has each: the level word, the text in
// the ANSI code page.
struct LogLine {
  const char* message;
  std::optional<int16_t> level;  // none: LogWrite's default
  const char* written;
};

inline const LogLine kLogLines[] = {
    {"senza livello", std::nullopt, "INFO: senza livello"},
    {"info", kLogInfo, "INFO: info"},
    {"attenzione", kLogWarning, "WARNING: attenzione"},
    {"proprietà è già", kLogError, "ERROR: propriet\xE0 \xE8 gi\xE0"},
    {"tre", 3, "INFO: tre"},
    {"meno uno", -1, "INFO: meno uno"},
    {"prima riga\r\nseconda riga", kLogWarning, "WARNING: prima riga\r\nseconda riga"},
};
inline constexpr int32_t kLogLinesWarnings = 2, kLogLinesErrors = 1;

inline void WriteLogLines() {
  for (const LogLine& l : kLogLines) l.level ? LogWrite(l.message, *l.level) : LogWrite(l.message);
}
inline std::string LogLinesAsWritten(const std::string& stamp) {
  std::string lines;
  for (const LogLine& l : kLogLines) lines += stamp + ", " + l.written + "\r\n";
  return lines;
}

// What the log box holds after a run of `path` with these messages.
inline std::string LogEcho(const std::string& path, const std::string& messages) {
  return "Creazione file di log " + path + ".\r\n" + messages + "Chiusura file di log " + path + ".";
}

// What a log test watches while it lives: a window with only the log box,
// which the log echoes into, and the message boxes shown meanwhile
// (answered with OK). Each build defines it.
class LogWatch {
 public:
  struct Box {
    std::string text, title;
    int flags;  // -1 where the build cannot tell
  };
  LogWatch();
  ~LogWatch();
  std::vector<Box> Boxes() const;
  // How often the log let the window run its pending events, where the
  // build can count them.
  std::optional<int> EventRounds() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// While it lives, writes that would take a file past `limit` bytes fail as
// on a full disk: natively any write, under Wine the next write whatever its
// size (through the file layer's table). Each build defines it.
class WritesFail {
 public:
  explicit WritesFail(size_t limit);
  ~WritesFail();
  // The error part of the routine's box text, "errore <n>, descrizione: ...",
  // as far as the build knows the system's description.
  static std::string Error();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Whether a program holds the file open for writing: a second writer is
// refused then.
inline bool HeldByAWriter(const std::string& path) {
  platform::files::AppendFile probe;
  return probe.Open(path).failed();
}

class TestLog : public ::testing::Test {
 protected:
  void SetUp() override {
    watch_.emplace();
    gstrCartellaLog = tmp.path() + "\\";
    gstrFileLog = "SondalinkADO.log";
    glngNumWarning = glngNumErrori = 0;
  }
  void TearDown() override {
    LogStop();
    gbLogAperto = false;
    gstrCartellaLog.clear();
    gstrFileLog.clear();
    watch_.reset();
  }
  std::string path() const { return tmp / "SondalinkADO.log"; }
  std::string file() const { return TempFolder::ReadFile(path()); }
  static std::string echo() { return platform::ui::GetText(kEdLog); }
  std::vector<LogWatch::Box> boxes() const { return watch_->Boxes(); }
  // All that a call which must change nothing could change.
  auto State() const { return std::tuple(file(), echo(), glngNumWarning, glngNumErrori, watch_->EventRounds()); }

  TempFolder tmp;
  std::optional<LogWatch> watch_;
};

}  // namespace sondalink::testing
