// Checks that the ADO, DAO and SQL-DMO run tests share: the steps a test wrote
// after its environment report, how a run ended (which box, Notepad or not,
// the window unlocked and the default pointer back), and the harness that
// runs each test's failure table.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "environment/cartella_dati.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_ui.h"
#include "platform/ui.h"
#include "support/row_name.h"
#include "testlog/testlog.h"

namespace sondalink::testing {

enum class Ending { FailureBox, NoBox, SuccessBox };

// The profile values the checks need.
struct Profile {
  std::string logFile;
  std::string firstLine;  // "INFO: Inizio test connessione ..."
  std::string className;  // named in the report's component line
  std::string failureText;
  std::string successLine;  // first line of the success box
  int button;
  void (*press)();  // the button's click handler
};

// `body` from its first step on, `firstStep` being that step's line; checks
// the first line and that the report named the profile's class.
inline std::vector<std::string> StepsOf(const std::vector<std::string>& body,
                                        const Profile& profile, const std::string& firstStep) {
  EXPECT_FALSE(body.empty());
  if (body.empty()) return body;
  EXPECT_EQ(body[0], profile.firstLine);
  auto first = std::find(body.begin(), body.end(), firstStep);
  EXPECT_NE(first, body.end());
  const std::string component =
      "INFO: Nome del componente COM associato alla classe '" + profile.className + "': ";
  EXPECT_TRUE(std::any_of(body.begin(), first,
                          [&](const std::string& line) { return line.rfind(component, 0) == 0; }));
  return {first, body.end()};
}

// Which box the run showed, whether Notepad was started on its log, and
// the window left as it was before the run.
inline void ExpectEnding(const Profile& profile, Ending ending, bool notepad) {
  namespace ui = platform::ui;
  const auto& boxes = fake::ui::Get().boxes;
  switch (ending) {
    case Ending::FailureBox:
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, profile.failureText);
      EXPECT_EQ(boxes[0].flags, ui::kExclamation);
      break;
    case Ending::NoBox:
      EXPECT_TRUE(boxes.empty()) << boxes.front().text;
      break;
    case Ending::SuccessBox:
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].flags, ui::kInformation);
      EXPECT_EQ(boxes[0].text.rfind(profile.successLine + "\r\n\r\n", 0), 0u) << boxes[0].text;
      break;
  }
  const auto& started = fake::shell::Get().started;
  if (notepad) {
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, "notepad.exe " + gstrCartellaLog + profile.logFile);
  } else {
    EXPECT_TRUE(started.empty()) << started.front().commandLine;
  }
  EXPECT_TRUE(ui::IsEnabled(profile.button));
  EXPECT_EQ(fake::ui::Get().pointer, ui::kPointerDefault);
}

// One row of a failure table: the scripted component made to fail at one
// step, and how the run must end.
template <class Run>
struct FailureRow {
  const char* name;
  std::function<void(Run&)> setup;
  std::string lastLine;  // the last line of the test's steps
  Ending ending;
  bool notepad;
  const char* missing = nullptr;  // the start of a line the run must not write
  friend void PrintTo(const FailureRow& row, std::ostream* os) { *os << row.name; }
};

// The parameterised fixture over a test's run fixture. `Run` gives
// `static const Profile& profile()`, `Steps()`, and
// `ExpectAfterFailure(steps)` for what its own test adds to every row.
template <class Run>
class FailureTable : public Run, public ::testing::WithParamInterface<FailureRow<Run>> {
 protected:
  void RunRow() {
    const FailureRow<Run>& row = this->GetParam();
    row.setup(*this);
    Run::profile().press();

    std::vector<std::string> steps = this->Steps();
    ASSERT_FALSE(steps.empty());
    std::string last = steps.back();
    if (row.ending == Ending::SuccessBox) {
      EXPECT_EQ(last, "INFO: Operazione terminata.");
      last = steps[steps.size() - 2];
    }
    EXPECT_EQ(last, row.lastLine);
    if (row.missing) {
      for (const std::string& line : steps) EXPECT_NE(line.rfind(row.missing, 0), 0u) << line;
    }
    ExpectEnding(Run::profile(), row.ending, row.notepad);
    this->ExpectAfterFailure(steps);
  }
};

}  // namespace sondalink::testing
