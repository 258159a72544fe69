// What the end-to-end tests expect the user to meet: the program's boxes,
// and its log files, written line by line as the program must produce them
// and compared with the file it wrote.
// Time stamps are masked as "<T>" on both sides; lines that depend on the
// machine (the Windows version, whether the account is an administrator)
// are matched by a pattern.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../support/golden_log.h"
#include "driver.h"

namespace sondalink::e2e {

// Waits for the program's box titled `title`, expects its icon, does
// `whileUp` and closes the box with OK: the box's text, none if it never came.
std::optional<std::wstring> CloseBox(const App& app, Icon icon, DWORD timeoutMs = 30000,
                                     const std::wstring& title = kBoxTitle, const std::function<void()>& whileUp = {});
// A start-up that cannot find the data folder: no window, its box closed,
// and the program ending by itself. What the box says after its beginning.
std::string StartupFailure(const App& app);

// A log file (ANSI) as UTF-8 text, split at CR LF, every stamp masked. The
// last element is what follows the last CR LF (empty for a whole file).
std::vector<std::string> ReadMaskedLog(const std::wstring& path);

class ExpectedLog {
 public:
  // The six header lines of a log named `fileName`.
  explicit ExpectedLog(const std::string& fileName);

  // One LogWrite at INFO level; a message with CR LF inside spans lines.
  ExpectedLog& Info(const std::string& message) { return Add(", INFO: ", message); }

  // A line by a regular expression ("<T>" for its stamp).
  ExpectedLog& Matching(const std::string& pattern);
  // The machine's part of the environment report: the Windows version by
  // `os`, a pattern, then this machine's own answers.
  ExpectedLog& Machine(const std::string& os = R"(Windows .+ \(versione: \d+\.\d+\.\d+\))");
  // The environment report for a class whose COM server is the stand-in DLL
  // under `clsid`: the machine's lines, the component's exactly, version
  // 9.8.7.6.
  ExpectedLog& EnvironmentReport(const std::string& className, const std::string& clsid);

  // A golden log's entries at their levels, SQL-DMO's file as the stand-in.
  ExpectedLog& Entries(std::vector<testing::golden::Entry> entries);

  // With the footer: the whole file.
  std::vector<std::string> Lines() const;

 private:
  ExpectedLog& Add(const std::string& level, const std::string& message);

  std::vector<std::string> lines_;  // a leading '\x01' marks a pattern
};

// The file's lines against the expected ones, all of them, in order.
::testing::AssertionResult LogMatches(const std::vector<std::string>& actual, const ExpectedLog& expected);

// What edLog shows for the log file's lines: the path announced, every
// message without its stamp and level, the path of the closing.
std::string EchoOf(const std::vector<std::string>& logLines, const std::string& logPath);

}  // namespace sondalink::e2e
