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
    lines +=
        "info=" + r.name + "|" + (r.fails ? "@fail:" + FailValue(*r.fails) : standin::EscapeScenario(r.value) + "\n");
  }
  for (const g::Property& p : row.properties) {
    const std::string value = p.kind == g::Property::Null         ? "@null\n"
                              : p.kind == g::Property::ValueFails ? "@fail:" + FailValue(p.failure)
                                                                  : standin::EscapeScenario(p.value) + "\n";
    lines += "property." + p.owner + "=" + p.name + "|" + value;
    if (p.kind == g::Property::NameFails) {
      lines += standin::Fail(p.owner.substr(0, 3) + ".Property[" + p.name + "].Name", Code(p.failure),
                             p.failure.description, p.failure.source);
    }
  }
  for (const g::Fault& f : row.faults)
    lines += standin::Fail(f.target, Code(f.failure), f.failure.description, f.failure.source);
  return lines;
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
    Ending ending = Run(row.component);
    const ExpectedLog log = LogOf(row.component, row.Expected());
    std::vector<WantBox> boxes;
    if (row.end == g::End::Success) boxes.push_back({Icon::Information, g::SuccessText(row.component, row.Shown())});
    if (row.end == g::End::Failure) boxes.push_back({Icon::Warning, g::FailureText(row.component)});
    ExpectEnding(ending, log, boxes, row.notepad);

    const std::vector<std::string> journal = Plain(Journal());
    g::ExpectCalls(journal, row);
    if (Scenario(row).find("fail") == std::string::npos) {
      EXPECT_THAT(journal, ::testing::Not(::testing::Contains(::testing::HasSubstr("-> fault"))));
    }
    std::string shown, wantShown;
    for (const Box& b : ending.boxes) shown += Narrow(b.text) + "\n";
    for (const WantBox& b : boxes) wantShown += b.text + "\n";
    g::ExpectPasswordHidden(row.inputs.password, ending.log, log.Lines(), Narrow(TextOf(At(kEdLog))), shown,
                            wantShown);
  }

  void Begin(const g::Case& row) {
    Start(Scenario(row));
    const g::Inputs& in = row.inputs;
    if (in.trusted) {
      WindowsAuthentication(Widen(in.server));
    } else {
      SqlAuthentication(Widen(in.server), Widen(in.login), Widen(in.password));
    }
  }
};

TEST_P(StandinRows, RunAsTheRowSays) {
  Begin(GetParam());
  for (int run = 0; run < GetParam().runs; ++run) Play(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Rows, StandinRows, ::testing::ValuesIn(g::CasesFor(g::World::NativeOnly)), testing::kRowName);

}  // namespace
}  // namespace sondalink::e2e
