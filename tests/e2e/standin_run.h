// The fixture of the end-to-end runs over the stand-in data-access
// components: the stand-in registered in the test prefix, a scenario and a
// journal of the test's own, the real Sondalink.exe started on them, and the
// user's side of one test run: the button pressed, every message box read
// and closed in order, Notepad found and closed.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "../support/golden_log.h"
#include "../support/temp_folder.h"
#include "driver.h"
#include "expected_log.h"
#include "standin_control.h"

namespace sondalink::e2e {

// Expected boxes, in order (all titled "Messaggio di Sondalink").
struct WantBox {
  Icon icon;
  std::string text;
};

// The end of one test run as the user met it.
struct Ending {
  testing::golden::Component test = testing::golden::Component::Ado;
  std::vector<Box> boxes;
  std::vector<std::string> log;  // the file, stamps masked
  size_t notepads = 0;           // that the program started
  std::wstring notepadCommandLine;
};

class StandinRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Starts Sondalink.exe with this scenario (lines of standin_control.h).
  void Start(const std::string& scenario);
  // The server's scenario with `more`, and the window's fields filled for it
  // as "sa" with kPassword.
  void StartOnTheServer(const std::string& more = "");
  void SqlAuthentication(const std::wstring& server, const std::wstring& login, const std::wstring& password);
  void WindowsAuthentication(const std::wstring& server);

  // Presses the test's button and plays the user to the end of the run:
  // each box read and closed, Notepad (if the program started it) waited
  // for until it shows the log, and closed.
  Ending Run(testing::golden::Component test);
  // The same, for a run that was started already.
  Ending Finish(testing::golden::Component test);

  // The whole log of a run of `test` whose entries after the environment
  // report are `entries`.
  static ExpectedLog LogOf(testing::golden::Component test, std::vector<testing::golden::Entry> entries);
  // Checks the whole ending: log, boxes, Notepad, the window unlocked again
  // with the log's echo in edLog.
  void ExpectEnding(const Ending& ending, const ExpectedLog& log, const std::vector<WantBox>& boxes, bool notepad);
  // The boxes of the run, in order, all titled kBoxTitle.
  static void ExpectBoxes(const Ending& ending, const std::vector<WantBox>& boxes);

  HWND At(ControlId control) const { return app->Control(control); }
  static std::wstring LogPath(testing::golden::Component test) {
    return DataFolder() + Widen(testing::golden::ProfileOf(test).logFile);
  }
  std::vector<std::string> Journal() const { return standin::ReadJournal(journal_); }
  // The masked log file as it stands now (during a run too).
  static std::vector<std::string> LogNow(testing::golden::Component test) { return ReadMaskedLog(LogPath(test)); }

  std::optional<App> app;
  testing::TempFolder folder_;
  const std::wstring scenario_ = Widen(folder_ / "scenario.txt"), journal_ = Widen(folder_ / "journal.txt");
  std::wstring typed_;  // the server typed in, which the window keeps
};

// The server the scenarios play: a version text of several lines, with the
// CR LF and tabs of a real one, and three sp_server_info rows.
inline const std::string& kVersion = sondalink::testing::golden::kVersion;
std::string ServerScenario();
inline const std::wstring kServer = L"SRV\\ISTANZA";
inline const std::wstring kPassword = L"Pa55word";

// The success box of a test on the server of ServerScenario().
inline WantBox SuccessBox(testing::golden::Component test) {
  return {Icon::Information, testing::golden::SuccessText(test, kVersion)};
}

// The box of a close that a running test refuses.
inline const char* const kRefusedClose = "Impossibile uscire dal programma quando è in corso il test.";

// Whether a masked log has its footer: the run is over.
bool FooterWritten(const std::vector<std::string>& log);

}  // namespace sondalink::e2e
