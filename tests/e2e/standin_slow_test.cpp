// A test that takes seconds, on the real Sondalink.exe: the window stays
// alive while it runs (edLog fills line by line, the log-folder button
// opens the folder), refuses to close, and no second test can start inside
// the first; the run then ends as usual.
#include <algorithm>
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../support/row_name.h"
#include "standin_control.h"
#include "standin_run.h"

namespace sondalink::e2e {
namespace {

using ::testing::Contains;
using ::testing::Not;
namespace g = testing::golden;

constexpr int kListed = 60;  // the slow listing's own properties

// Every SQL-DMO call after the announcement, each followed by a log line.
// The window answers only between calls, so every message the test sends
// waits for the next one; the run must outlast the impatient user on a
// loaded machine (at 300 ms a call it did not always). The release ends the
// delays still to come.
std::string SlowDmo() {
  std::string scenario;
  for (const char* member : {"Application.FullName", "Application.VersionMajor", "Application.VersionMinor",
                             "Application.VersionBuild", "Application.ODBCVersionString", "SQLServer.ApplicationName",
                             "SQLServer.CodePage", "SQLServer.LoginTimeout", "SQLServer.LoginSecure", "SQLServer.Connect",
                             "SQLServer.Language", "SQLServer.VersionString"}) {
    scenario += standin::Delay(std::string("dmo.") + member, 600);
  }
  return scenario;
}

struct Slow {
  const char* name;
  g::Component component;
  std::string scenario;      // the slow part
  const char* slowPart;      // what edLog shows once it has begun
  const char* created;       // the journal line of the test's first object
  bool openFolder;           // once is enough: the shell is slow
  std::string listingAfter;  // the golden log's line that the slow listing follows, if any
  friend void PrintTo(const Slow& s, std::ostream* os) { *os << s.name; }
};

const Slow kSlow[] = {
    {"Ado", g::Component::Ado, standin::SlowListing("ado", kListed, 100),
     "Lettura proprietà ADODB.Connection.Properties in corso...", "create ado.Connection", true,
     g::Line(g::AdoProperties("").back())},
    {"Dao", g::Component::Dao, standin::SlowListing("dao.workspace", kListed, 100),
     "Lettura proprietà DAO.Workspace.Properties in corso...", "create dao.DBEngine", false,
     g::Line(g::DaoWorkspaceProperties().back())},
    {"SqlDmo", g::Component::Dmo, SlowDmo(), "Lettura proprietà SQLServer.Application.Name=", "create dmo.SQLServer",
     false, ""},
};

class SlowRun : public StandinRun, public ::testing::WithParamInterface<Slow> {
 protected:
  // While the test is in its slow part, held up by the release, the
  // impatient user.
  void WhileItRuns(const Slow& s) {
    app->Click(At(kTestButton[static_cast<int>(s.component)]));
    ASSERT_TRUE(WaitFor([&] { return TextOf(At(kEdLog)).find(Widen(s.slowPart)) != std::wstring::npos; }, 20000))
        << "the slow part never began";

    // edLog shows the lines as they come, one at a time.
    std::set<size_t> seen;
    EXPECT_TRUE(WaitFor([&] {
      seen.insert(std::ranges::count(TextOf(At(kEdLog)), L'\n'));
      return seen.size() >= 4;
    }, 5000)) << "edLog showed " << seen.size() << " different lengths";

    for (ControlId c : kLockedByARun) EXPECT_FALSE(app->Enabled(c)) << "control " << c;
    EXPECT_TRUE(app->Enabled(kCmdOpenLog));

    // Every test button pressed again: under Wine a click reaches the window
    // even from a disabled button, so the program itself must refuse. The
    // clicks go at once and are settled once: each settle waits for the
    // run's next pause, and SQL-DMO's run has only a dozen.
    app->Activate();
    for (ControlId c : kTestButton) ::PostMessageW(At(c), BM_CLICK, 0, 0);
    app->Settle();
    EXPECT_FALSE(app->OpenBox());
    if (s.openFolder) {
      EXPECT_NE(FolderOpenedBy(*app, At(kCmdOpenLog)).find(DataFolder()), std::wstring::npos);
    }

    // The close button: refused with a box, the window stays.
    ASSERT_FALSE(FooterWritten(LogNow(s.component))) << "the test ended before the close was tried";
    app->Close();
    EXPECT_EQ(CloseBox(*app, Icon::Warning, 10000, kBoxTitle,
                       [&] { EXPECT_FALSE(FooterWritten(LogNow(s.component))) << "the box came after the test"; }),
              Widen(kRefusedClose));
    EXPECT_TRUE(::IsWindowVisible(app->window()));
    EXPECT_TRUE(app->Running());
  }

  standin::Release release;
};

TEST_P(SlowRun, StaysResponsiveRefusesToCloseAndRunsAlone) {
  const Slow& s = GetParam();
  StartOnTheServer(s.scenario + release.Line());
  WhileItRuns(s);
  release.Set();
  Ending ending = Finish(s.component);

  // The whole log, the slow listing in its place.
  std::vector<g::Entry> listing;
  for (int i = 1; i <= kListed; ++i) {
    listing.push_back(g::Info("    Proprieta_" + std::to_string(i) + " = " + std::to_string(i)));
  }
  std::vector<g::Edit> edits;
  if (!s.listingAfter.empty()) edits.push_back(g::InsertAfter(s.listingAfter, listing));
  ExpectEnding(ending, LogOf(s.component, g::Apply(g::Log(s.component, {}), edits)), {SuccessBox(s.component)}, false);

  // The other tests never began: no object of theirs, no log of theirs.
  std::vector<std::string> journal = Journal();
  EXPECT_EQ(std::ranges::count(journal, std::string(s.created)), 1);
  for (const Slow& other : kSlow) {
    if (other.component == s.component) continue;
    EXPECT_THAT(journal, Not(Contains(other.created)));
    EXPECT_EQ(::GetFileAttributesW(LogPath(other.component).c_str()), INVALID_FILE_ATTRIBUTES) << other.name;
  }
}

INSTANTIATE_TEST_SUITE_P(Slow, SlowRun, ::testing::ValuesIn(kSlow), testing::kRowName);

}  // namespace
}  // namespace sondalink::e2e
