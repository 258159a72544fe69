// The ADO, DAO ODBCDirect and SQL-DMO tests of the real Sondalink.exe, end
// to end over the stand-in components: every row of
// tests/support/connection_rows.h that the stand-in can play, translated to
// scenario lines, against its whole golden log, its boxes, Notepad, the
// window afterwards and the stand-in's journal.
#include <algorithm>
#include <cstdio>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../support/connection_rows.h"
#include "../support/row_name.h"
#include "standin_control.h"
#include "standin_run.h"

namespace sondalink::e2e {
namespace {

namespace g = testing::golden;

// The HRESULT that makes the program report `f.number`: a positive number
// is a control-facility code's low word.
uint32_t Code(const g::Failure& f) {
  return f.number > 0 ? 0x800A0000u | static_cast<uint32_t>(f.number) : static_cast<uint32_t>(f.number);
}
std::string FailValue(const g::Failure& f) {
  const std::string line = standin::Fail("x.y", Code(f), f.description, f.source);
  return line.substr(line.find('=') + 1);  // "<code>|<description>|<source>\n"
}

std::string Scenario(const g::Case& row) {
  std::string lines = row.versionNull ? "version=@null\n" : "version=" + standin::EscapeScenario(row.version) + "\n";
  if (row.noVersionRow) lines += "version.rows=0\n";
  std::vector<g::InfoRow> info;
  for (const g::Attribute& a : g::kInfo) info.push_back({a.name, a.value, std::nullopt});
  if (row.info && row.info->empty()) lines += "info.rows=0\n";
  for (const g::InfoRow& r : row.info.value_or(info)) {
    lines += "info=" + r.name + "|" + (r.fails ? "@fail:" + FailValue(*r.fails) : standin::EscapeScenario(r.value) + "\n");
  }
  for (const g::Property& p : row.properties) {
    const std::string value = p.kind == g::Property::Null         ? "@null\n"
                              : p.kind == g::Property::ValueFails ? "@fail:" + FailValue(p.failure)
                                                                  : standin::EscapeScenario(p.value) + "\n";
    lines += "property." + p.owner + "=" + p.name + "|" + value;
    if (p.kind == g::Property::NameFails) {
      lines += standin::Fail(p.owner.substr(0, 3) + ".Property[" + p.name + "].Name", Code(p.failure), p.failure.description,
                             p.failure.source);
    }
  }
  for (const g::Fault& f : row.faults) lines += standin::Fail(f.target, Code(f.failure), f.failure.description, f.failure.source);
  return lines;
}

// A call as the journal writes it.
std::string JournalLine(const g::Call& call) {
  auto arg = [](const g::Arg& a) {
    switch (a.kind) {
      case g::Arg::Bstr: {
        std::string text;
        for (char c : a.text) {
          const char* escaped = c == '\\' ? "\\\\" : c == '"' ? "\\\"" : c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\t' ? "\\t" : nullptr;
          text += escaped ? escaped : std::string(1, c);
        }
        return "VT_BSTR \"" + text + "\"";
      }
      case g::Arg::I2: return "VT_I2 " + std::to_string(a.number);
      case g::Arg::I4: return "VT_I4 " + std::to_string(a.number);
      case g::Arg::Bool: return std::string("VT_BOOL ") + (a.number ? "True" : "False");
      case g::Arg::Dispatch: return "VT_DISPATCH <" + a.text + ">";
    }
    return std::string();
  };
  std::string line = call.verb + " " + call.target;
  if (call.verb == "create") return line;
  if (call.verb == "put") return line + " = " + arg(call.args.at(0));
  line += "(";
  for (size_t i = 0; i < call.args.size(); ++i) line += (i ? ", " : "") + arg(call.args[i]);
  return line + ")";
}

// The journal with by-reference texts written as plain ones and without the
// labels of named objects ("dao.Workspace[ODBCWorkspace]"): what counts is
// which values reached which member.
std::vector<std::string> Plain(std::vector<std::string> journal) {
  for (std::string& line : journal) {
    for (size_t at; (at = line.find("|VT_BYREF")) != std::string::npos;) line.erase(at, 9);
    const size_t label = line.find('['), end = line.find_first_of("( ", line.find(' ') + 1);
    if (label != std::string::npos && label < end) line.erase(label, line.find(']', label) - label + 1);
  }
  return journal;
}

class StandinRows : public StandinRun, public ::testing::WithParamInterface<g::Case> {
 protected:
  // One run of the row's test, checked whole.
  void Play(const g::Case& row) {
    const g::Profile& profile = g::ProfileOf(row.component);
    static const Ctl kButton[] = {kCmdADO, kCmdDAODirect, kCmdSQLDMO};
    Ending ending = Run(kButton[static_cast<int>(row.component)], profile.logFile);

    ExpectedLog log(profile.logFile);
    log.Info(profile.firstLine).EnvironmentReport(profile.className, profile.clsid);
    for (g::Entry e : row.Expected()) {
      for (size_t at; (at = e.message.find(g::kDmoFile)) != std::string::npos;) e.message.replace(at, g::kDmoFile.size(), StandinPath());
      e.level == g::Level::Info ? log.Info(e.message) : e.level == g::Level::Warning ? log.Warning(e.message) : log.Error(e.message);
    }
    std::vector<WantBox> boxes;
    if (row.end == g::End::Success) boxes.push_back({Icon::Information, g::SuccessText(row.component, row.Shown())});
    if (row.end == g::End::Failure) boxes.push_back({Icon::Warning, g::FailureText(row.component)});
    ExpectEnding(ending, log, boxes, row.notepad, profile.logFile);

    const std::vector<std::string> journal = Plain(Journal());
    auto next = journal.begin();
    for (const g::Call& call : row.calls) {
      next = std::find(next, journal.end(), JournalLine(call));
      EXPECT_NE(next, journal.end()) << "not in its place in the journal: " << JournalLine(call);
      if (next == journal.end()) next = journal.begin();
    }
    for (const g::Call& call : row.notCalls) {
      const std::string start = call.verb + " " + call.target;
      for (const std::string& line : journal) EXPECT_NE(line.rfind(start, 0), 0u) << line;
    }
    if (Scenario(row).find("fail") == std::string::npos) {
      EXPECT_THAT(journal, ::testing::Not(::testing::Contains(::testing::HasSubstr("-> fault"))));
    }

    // No more of the password in the log, its echo and the boxes than the
    // expected texts hold (a short one may stand in other words).
    const std::string& pw = row.inputs.password;
    std::string file, shown, wantShown;
    const std::vector<std::string> want = log.Lines();
    for (size_t i = 0; i < ending.log.size(); ++i) {
      file += ending.log[i] + "\n";
      // A line matched by a pattern holds the machine's facts, no input.
      if (i < want.size() && want[i].rfind('\x01', 0) != 0) {
        EXPECT_LE(g::Occurrences(ending.log[i], pw), g::Occurrences(want[i], pw)) << ending.log[i];
      }
    }
    for (const SeenBox& b : ending.boxes) shown += b.text + "\n";
    for (const WantBox& b : boxes) wantShown += b.text + "\n";
    std::string echo = standin::Narrow(TextOf(At(kEdLog)));
    echo = echo.substr(echo.find("\r\n") + 2, echo.rfind("\r\n") - echo.find("\r\n"));  // less the path lines
    EXPECT_LE(g::Occurrences(echo, pw), g::Occurrences(file, pw));
    EXPECT_LE(g::Occurrences(shown, pw), g::Occurrences(wantShown, pw));
  }

  void Begin(const g::Case& row) {
    Start(Scenario(row));
    const g::Inputs& in = row.inputs;
    if (in.trusted) {
      WindowsAuthentication(W(in.server.c_str()));
    } else {
      SqlAuthentication(W(in.server.c_str()), W(in.login.c_str()), W(in.password.c_str()));
    }
  }
};

TEST_P(StandinRows, RunAsTheRowSays) {
  Begin(GetParam());
  Play(GetParam());
}

std::vector<g::Case> WineRows() {
  std::vector<g::Case> rows;
  for (g::Case& c : g::AllCases()) {
    if (c.world != g::World::NativeOnly) rows.push_back(c);
  }
  return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, StandinRows, ::testing::ValuesIn(WineRows()), testing::kRowName);

// The engine lives as long as the program; each run's workspace goes with
// the run, so the second run's append of the same name succeeds. The
// machine has no design-time licence, as a user's has not: the engine came
// through its run-time key.
TEST_F(StandinRows, DaoRunsOneAfterTheOtherInOneProgram) {
  const g::Case success = g::DaoCases().front();
  Begin(success);
  Play(success);
  Play(success);
  const std::vector<std::string> journal = Journal();
  EXPECT_EQ(std::count(journal.begin(), journal.end(), "create dao.DBEngine"), 1);
}

}  // namespace
}  // namespace sondalink::e2e
