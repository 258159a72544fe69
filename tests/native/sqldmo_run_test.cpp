// The SQL-DMO test over a scripted SQLServer object: a whole successful run
// against the log written out by hand, every failure and its ending, the
// reads that fail without a trace, SQL-DMO's own file, both kinds of
// authentication and the version string's line breaks.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "connection_endings.h"
#include "connection_fixture.h"
#include "fakes/fake_version.h"
#include "platform/ui.h"

namespace sondalink {
namespace {

namespace fa = fake::automation;
namespace ui = platform::ui;
using fa::FakePtr;
using fa::Value;
using ::testing::Contains;
using ::testing::ElementsAre;
using testing::Ending;
using ::testing::Not;

constexpr char kServerId[] = "{10020100-E260-11CF-AE68-00AA004A34D5}";
constexpr char kVersion[] =
    "Microsoft SQL Server  2000 - 8.00.2039 (Intel X86) \r\n\tMay  3 2005 23:18:38 ";

const ErrorRecord kGuasto{static_cast<int32_t>(0x80045510), "[SQL-DMO]Login failed for user 'sa'.",
                          "Microsoft SQL-DMO (ODBC SQLState: 28000)"};
constexpr char kGuastoTesto[] =
    "-2147199728, description=[SQL-DMO]Login failed for user 'sa'., source=Microsoft SQL-DMO "
    "(ODBC SQLState: 28000)";

const testing::Profile kProfilo{
    "SondalinkSQLDMO.log",
    "INFO: Inizio test connessione SQLDMO...",
    "SQLDMO.SQLServer",
    "Connessione SQLDMO fallita.",
    "Test Connessione SQLDMO eseguita con SUCCESSO.",
    kCmdSQLDMO,
    cmdSQLDMO_Click,
};

constexpr char kPrimoPasso[] = "INFO: Creazione dell'oggetto 'SQLDMO.SQLServer'...";

class DmoRun : public testing::ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    dll = folder_ + "\\sqldmo.dll";
    std::ofstream(testing::Host(dll), std::ios::binary) << "MZ";
    fake::version::Reset();
    fake::version::Get().files[dll] = {0x07D00050, 0x07F70000};  // 2000.80.2039.0

    application = fa::NewObject("SQLDMO.Application");
    application->Property("Name", std::string("Microsoft SQLDMO Object Library"))
        .Property("FullName", dll)
        .Property("VersionMajor", int32_t{8})
        .Property("VersionMinor", Value{int32_t{0}})
        .Property("VersionBuild", int32_t{2039})
        .Property("ODBCVersionString", std::string("03.80.0194"));
    server = fa::NewObject("SQLDMO.SQLServer");
    server->Property("Application", application->object())
        .Property("ApplicationName", std::string("SQLDMO_1"))
        .Property("CodePage", int32_t{1252})
        .Settable("LoginTimeout", int32_t{-1})
        .Settable("LoginSecure", false)
        .Settable("Language", std::string())
        .Method("Connect")
        .Property("VersionString", std::string(kVersion))
        .Method("Disconnect");
    fa::RegisterClass(kServerId, "SQLDMO.SQLServer", server);
  }

  void TearDown() override {
    fake::version::Reset();
    ConnectionTest::TearDown();
  }

  std::vector<std::string> Steps() {
    return testing::StepsOf(Body(kProfilo.logFile), kProfilo, kPrimoPasso);
  }

  static const testing::Profile& profile() { return kProfilo; }
  // A failing step writes one ERROR line, and the run goes no further.
  static void ExpectAfterFailure(const std::vector<std::string>& steps) {
    EXPECT_EQ(std::count_if(steps.begin(), steps.end(),
                            [](const std::string& l) { return l.rfind("ERROR: ", 0) == 0; }),
              1);
  }

  // The two lines that a read without check writes when it succeeds.
  static bool Writes(const std::vector<std::string>& steps, const std::string& start) {
    return std::any_of(steps.begin(), steps.end(),
                       [&](const std::string& l) { return l.rfind(start, 0) == 0; });
  }

 public:
  std::string dll;
  FakePtr application, server;
};

// The log of a whole successful run after the environment report, written
// out from the SQL-DMO test's steps with SQL Server authentication. The
// version's CR LF stays as it is: the file shows its two lines and no more.
std::vector<std::string> RunRiuscito(const std::string& dll) {
  return {
      "INFO: Creazione dell'oggetto 'SQLDMO.SQLServer'...",
      "INFO: Oggetto 'SQLDMO.SQLServer' creato correttamente.",
      "INFO: Lettura proprietà SQLServer.Application.Name=Microsoft SQLDMO Object Library",
      "INFO: Lettura proprietà SQLServer.Application.FullName=" + dll,
      "INFO: File " + dll + " versione: 2000.80.2039.0",
      "INFO: Lettura proprietà SQLServer.Application.VersionMajor=8",
      "INFO: Lettura proprietà SQLServer.Application.VersionMinor=0",
      "INFO: Lettura proprietà SQLServer.Application.VersionBuild=2039",
      "INFO: Lettura proprietà SQLServer.Application.ODBCVersionString=03.80.0194",
      "INFO: Lettura proprietà SQLServer.ApplicationName=SQLDMO_1",
      "INFO: Lettura proprietà SQLServer.CodePage=1252",
      "INFO: Connessione al server/istanza 'SRV01' in corso...",
      "INFO: Scrittura proprietà SQLServer.LoginTimeout=10 in corso...",
      "INFO: Lettura proprietà SQLServer.LoginTimeout=10",
      "INFO: Scrittura proprietà SQLServer.LoginSecure=False in corso...",
      "INFO: Lettura proprietà SQLServer.LoginSecure=False",
      "INFO: Esecuzione metodo SQLServer.Connect in corso...",
      "INFO: Esecuzione metodo SQLServer.Connect riuscita.",
      "INFO: Scrittura proprietà SQLServer.Language=us_english in corso...",
      "INFO: Lettura proprietà SQLServer.Language=us_english",
      "INFO: ",
      "INFO: ---> CONNESSIONE AVVENUTA CON SUCCESSO <---",
      "INFO: ",
      "INFO: Versione istanza SQL SERVER:",
      "INFO: Microsoft SQL Server  2000 - 8.00.2039 (Intel X86) ",
      "\tMay  3 2005 23:18:38 ",
      "INFO: ",
      "INFO: Esecuzione metodo SQLServer.DisConnect in corso...",
      "INFO: Esecuzione metodo SQLServer.Disconnect riuscita.",
      "INFO: Distruzione dell'oggetto 'SQLDMO.SQLServer'...",
      "INFO: Operazione terminata.",
  };
}

TEST_F(DmoRun, WholeSuccessfulRunWritesTheExpectedLog) {
  cmdSQLDMO_Click();

  EXPECT_EQ(Steps(), RunRiuscito(dll));
  testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
  EXPECT_EQ(Boxes()[0].text,
            "Test Connessione SQLDMO eseguita con SUCCESSO.\r\n\r\n"
            "Versione di SQL Server rilevata:\r\n\r\n"
            "Microsoft SQL Server  2000 - 8.00.2039 (Intel X86) \r\n\tMay  3 2005 23:18:38 ");
  EXPECT_EQ(Boxes()[0].title, "Messaggio di Sondalink");
}

TEST_F(DmoRun, ObjectGetsItsValuesAsSQLDMOExpectsThem) {
  cmdSQLDMO_Click();

  std::vector<fa::Invocation> creations;
  for (const fa::Invocation& i : fa::Journal()) {
    if (i.access == fa::Access::Create) creations.push_back(i);
  }
  ASSERT_EQ(creations.size(), 1u);  // by class name
  EXPECT_EQ(creations[0].member, "SQLDMO.SQLServer");

  std::vector<std::string> order;
  for (const fa::Invocation& i : fa::Journal()) {
    if (i.access == fa::Access::Put || i.access == fa::Access::Call) order.push_back(i.member);
  }
  EXPECT_THAT(order,
              ElementsAre("LoginTimeout", "LoginSecure", "Connect", "Language", "Disconnect"));
  auto put = [](const std::string& member) {
    for (const fa::Invocation& i : fa::Journal(member)) {
      if (i.access == fa::Access::Put) return i.arguments;
    }
    return fa::Arguments{};
  };
  EXPECT_THAT(put("LoginTimeout"), ElementsAre(Value{int16_t{10}}));
  EXPECT_THAT(put("LoginSecure"), ElementsAre(Value{false}));
  EXPECT_THAT(put("Language"), ElementsAre(Value{std::string("us_english")}));
  EXPECT_THAT(fa::Journal("Connect").at(0).arguments,
              ElementsAre(Value{std::string("SRV01")}, Value{std::string("sa")},
                          Value{std::string("segreta")}));
  EXPECT_TRUE(fa::Journal("Disconnect").at(0).arguments.empty());
}

TEST_F(DmoRun, AuthenticationDecidesLoginSecureAndTheConnectArguments) {
  struct Case {
    const char* name;
    bool trusted;
    const char* password;
    const char* secure;
    std::vector<Value> connect;
  } cases[] = {
      {"windows",
       true,
       "segreta",
       "True",
       {Value{std::string("SRV01")}, Value{std::string()}, Value{std::string()}}},
      {"sql server",
       false,
       "segreta",
       "False",
       {Value{std::string("SRV01")}, Value{std::string("sa")}, Value{std::string("segreta")}}},
      {"empty password",
       false,
       "",
       "False",
       {Value{std::string("SRV01")}, Value{std::string("sa")}, Value{std::string()}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::ui::Get().boxes.clear();
    fake::ui::Click(c.trusted ? kOptTrusted : kOptSQL);
    fake::ui::Type(kEdLogin, "sa");
    fake::ui::Type(kEdPassword, c.password);
    size_t before = fa::Journal("Connect").size();
    cmdSQLDMO_Click();
    ASSERT_EQ(fa::Journal("Connect").size(), before + 1);
    EXPECT_EQ(fa::Journal("Connect")[before].arguments, c.connect);
    EXPECT_EQ(server->Current("LoginSecure"), Value{c.trusted});
    std::vector<std::string> steps = Steps();
    EXPECT_THAT(steps, Contains(std::string("INFO: Scrittura proprietà SQLServer.LoginSecure=") +
                                c.secure + " in corso..."));
    EXPECT_THAT(steps,
                Contains(std::string("INFO: Lettura proprietà SQLServer.LoginSecure=") + c.secure));
    testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
  }
}

TEST_F(DmoRun, ServerLineShowsTheBoxAsTypedBeforeTheLoginTimeout) {
  fake::ui::Type(kEdServer, " SRV01\\ISTANZA ");
  cmdSQLDMO_Click();
  std::vector<std::string> steps = Steps();
  auto line = std::find(steps.begin(), steps.end(),
                        "INFO: Connessione al server/istanza ' SRV01\\ISTANZA ' in corso...");
  ASSERT_NE(line, steps.end());
  EXPECT_EQ(*(line + 1), "INFO: Scrittura proprietà SQLServer.LoginTimeout=10 in corso...");
}

TEST_F(DmoRun, VersionStringBareCarriageReturnsGainALineFeed) {
  struct Case {
    const char* name;
    std::string read;
    std::string shown;
  } cases[] = {
      {"cr lf", "a\r\nb\r\n", "a\r\nb\r\n"},
      {"bare lf", "a\nb\n", "a\nb\n"},
      {"bare cr", "a\rb\r\rc\r", "a\r\nb\r\n\r\nc\r\n"},
      {"mixed", "\r\r\n\n\r\na\n\r", "\r\n\r\n\n\r\na\n\r\n"},
      {"none", "a b", "a b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::ui::Get().boxes.clear();
    server->Property("VersionString", c.read);
    cmdSQLDMO_Click();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text,
              "Test Connessione SQLDMO eseguita con SUCCESSO.\r\n\r\n"
              "Versione di SQL Server rilevata:\r\n\r\n" +
                  c.shown);
    // One log line holds the whole text, its breaks included.
    std::string file;
    for (const std::string& l : FileLines(kProfilo.logFile)) file += l + "\r\n";
    EXPECT_NE(file.find("INFO: Versione istanza SQL SERVER:\r\n"), std::string::npos);
    EXPECT_NE(file.find("INFO: " + c.shown + "\r\n"), std::string::npos);
  }
}

// A failing read writes no line and leaves no trace: no warning, no error,
// and the run goes on to its success.
TEST_F(DmoRun, ReadsThatFailAreLeftOut) {
  server->Failing("Application", kGuasto)
      .Failing("CodePage", kGuasto)
      .Failing("VersionString", kGuasto);
  cmdSQLDMO_Click();
  std::vector<std::string> steps = Steps();
  EXPECT_FALSE(Writes(steps, "INFO: Lettura proprietà SQLServer.Application.Name="));
  EXPECT_FALSE(Writes(steps, "INFO: Lettura proprietà SQLServer.Application.Version"));
  EXPECT_FALSE(Writes(steps, "INFO: Lettura proprietà SQLServer.Application.ODBC"));
  EXPECT_FALSE(Writes(steps, "INFO: Lettura proprietà SQLServer.CodePage="));
  // The path's line stands, empty; an empty path is no existing file.
  EXPECT_THAT(std::vector<std::string>(steps.begin() + 2, steps.begin() + 6),
              ElementsAre("INFO: Lettura proprietà SQLServer.Application.FullName=",
                          "INFO: File  inesistente",
                          "INFO: Lettura proprietà SQLServer.ApplicationName=SQLDMO_1",
                          "INFO: Connessione al server/istanza 'SRV01' in corso..."));
  auto title = std::find(steps.begin(), steps.end(), "INFO: Versione istanza SQL SERVER:");
  ASSERT_NE(title, steps.end());
  EXPECT_EQ(*(title + 1), "INFO: ");
  EXPECT_EQ(*(title + 2), "INFO: ");
  EXPECT_EQ(*(title + 3), "INFO: Esecuzione metodo SQLServer.DisConnect in corso...");
  testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
  EXPECT_EQ(glngNumWarning, 0);
  EXPECT_EQ(Boxes()[0].text,
            "Test Connessione SQLDMO eseguita con SUCCESSO.\r\n\r\n"
            "Versione di SQL Server rilevata:\r\n\r\n");
}

TEST_F(DmoRun, ReadBackThatFailsGivesNoLine) {
  // A property that takes the write but cannot be read back.
  server->Property("LoginTimeout", []() -> Outcome<Value> { return kGuasto; });
  server->members["logintimeout"].settable = true;
  cmdSQLDMO_Click();
  std::vector<std::string> steps = Steps();
  auto write = std::find(steps.begin(), steps.end(),
                         "INFO: Scrittura proprietà SQLServer.LoginTimeout=10 in corso...");
  ASSERT_NE(write, steps.end());
  EXPECT_EQ(*(write + 1), "INFO: Scrittura proprietà SQLServer.LoginSecure=False in corso...");
  testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
}

TEST_F(DmoRun, FileLinesForSQLDMOsOwnFile) {
  struct Case {
    const char* name;
    std::function<void(DmoRun&)> setup;
    std::function<std::vector<std::string>(const std::string&)> lines;
    bool error;
  } cases[] = {
      {"no version resource", [](DmoRun& t) { fake::version::Get().files.erase(t.dll); },
       [](const std::string& f) {
         return std::vector<std::string>{"INFO: File " + f + " versione: -1.-1.-1.-1"};
       },
       false},
      {"negative halves",
       [](DmoRun& t) {
         fake::version::Get().files[t.dll] = {0x00080000, 0x8000FFFF};
       },
       [](const std::string& f) {
         return std::vector<std::string>{"INFO: File " + f + " versione: 8.0.-32768.-1"};
       },
       false},
      {"missing file", [](DmoRun& t) { t.application->Property("FullName", t.dll + ".assente"); },
       [](const std::string& f) {
         return std::vector<std::string>{"INFO: File " + f + ".assente inesistente"};
       },
       false},
      {"unreadable version", [](DmoRun& t) { fake::version::Get().files[t.dll].readThrows = true; },
       [](const std::string& f) {
         return std::vector<std::string>{
             "ERROR: Errore nella rilevazione della versione del file " + f +
             ": routine 'LeggiVersioneFile', errore "};
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::ui::Get().boxes.clear();
    fake::shell::Get().started.clear();
    fake::version::Get().files[dll] = {0x07D00050, 0x07F70000};
    application->Property("FullName", dll);
    c.setup(*this);
    cmdSQLDMO_Click();
    std::vector<std::string> steps = Steps();
    ASSERT_GT(steps.size(), 4u);
    const std::string expected = c.lines(dll).front();
    if (c.error) {
      EXPECT_EQ(steps[4].rfind(expected, 0), 0u) << steps[4];
      EXPECT_EQ(steps[4].substr(steps[4].size() - 10), " (linea 0)");
    } else {
      EXPECT_EQ(steps[4], expected);
    }
    EXPECT_EQ(steps[5], "INFO: Lettura proprietà SQLServer.Application.VersionMajor=8");
    // An ERROR line of the file's own opens the log after the success box.
    testing::ExpectEnding(kProfilo, Ending::SuccessBox, c.error);
  }
}

using RigaTabella = testing::FailureRow<DmoRun>;
using DmoFailureTable = testing::FailureTable<DmoRun>;

TEST_P(DmoFailureTable, EndsAsTheTableSays) { RunRow(); }

std::string Errore(const char* prefix) { return std::string("ERROR: ") + prefix + kGuastoTesto; }

INSTANTIATE_TEST_SUITE_P(
    Rows, DmoFailureTable,
    ::testing::Values(
        RigaTabella{"NotRegistered", [](DmoRun&) { fa::Reset(); },
                    "ERROR: Errore nella creazione dell'oggetto 'SQLDMO.SQLServer': "
                    "number=-2147221005, description=Invalid class string, "
                    "source=SQLDMO.SQLServer",
                    Ending::FailureBox, true},
        RigaTabella{"LoginTimeout", [](DmoRun& t) { t.server->Failing("LoginTimeout", kGuasto); },
                    Errore("Errore durante la scrittura proprietà SQLServer.LoginTimeout: number="),
                    Ending::FailureBox, true},
        RigaTabella{"LoginSecure", [](DmoRun& t) { t.server->Failing("LoginSecure", kGuasto); },
                    Errore("Errore durante la scrittura proprietà SQLServer.LoginSecure: number="),
                    Ending::FailureBox, true},
        RigaTabella{"Connect", [](DmoRun& t) { t.server->Failing("Connect", kGuasto); },
                    Errore("Errore durante l'esecuzione del metodo SQLServer.Connect: number="),
                    Ending::FailureBox, true},
        RigaTabella{"Language", [](DmoRun& t) { t.server->Failing("Language", kGuasto); },
                    Errore("Errore durante la scrittura proprietà SQLServer.Language: number="),
                    Ending::FailureBox, true},
        // After the success lines the outcome is already true: no box at all.
        RigaTabella{"Disconnect", [](DmoRun& t) { t.server->Failing("Disconnect", kGuasto); },
                    Errore("Errore durante l'esecuzione del metodo SQLServer.DisConnect: number="),
                    Ending::NoBox, false}),
    testing::kRowName);

TEST_F(DmoRun, FailedConnectLeavesTheObjectToTheExitSequence) {
  server->Failing("Connect", kGuasto);
  cmdSQLDMO_Click();
  std::vector<std::string> steps = Steps();
  EXPECT_THAT(steps, Not(Contains("INFO: Distruzione dell'oggetto 'SQLDMO.SQLServer'...")));
  EXPECT_TRUE(fa::Journal("Disconnect").empty());
  EXPECT_EQ(server.use_count(), 1 + 1);  // the test's and the registration's references
}

}  // namespace
}  // namespace sondalink
