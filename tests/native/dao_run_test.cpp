// The DAO ODBCDirect test over a scripted DAO: a whole successful run
// against the log written out by hand, every row of the failure table, the
// engine kept for the process while each run's workspace goes, both kinds of
// authentication, the ODBC string's quoting and what the log must never show.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "connection/dao.h"
#include "connection_endings.h"
#include "connection_fixture.h"
#include "platform/ui.h"
#include "scripted_recordsets.h"

namespace sondalink {
namespace {

namespace fa = fake::automation;
namespace ui = platform::ui;
using fa::FakePtr;
using fa::Null;
using fa::Row;
using fa::Value;
using testing::Attributo;
using ::testing::Contains;
using ::testing::ElementsAre;
using testing::Ending;

constexpr char kEngineId[] = "{00000010-0000-0010-8000-00AA006D2EA4}";
constexpr char kVersion[] =
    "Microsoft SQL Server  2000 - 8.00.2039 (Intel X86) \n\tMay  3 2005 23:18:38 ";

// 3146 is what DAO reports for a failed ODBC call, by its own number.
const ErrorRecord kGuasto{3146, "ODBC--call failed.", "DAO.Connection"};
constexpr char kGuastoTesto[] = "3146, description=ODBC--call failed., source=DAO.Connection";

const testing::Profile kProfilo{
    "SondalinkDAOODBCDirect.log",
    "INFO: Inizio test connessione DAO ODBCDirect...",
    "DAO.DBEngine.35",
    "Connessione DAO ODBCDirect fallita.",
    "Test Connessione DAO ODBCDirect eseguita con SUCCESSO.",
    kCmdDAODirect,
    cmdDAODirect_Click,
};

constexpr char kPrimoPasso[] = "INFO: Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'...";

FakePtr Proprieta(const std::string& name, Value value) {
  FakePtr p = fa::NewObject("DAO.Property");
  p->Property("Name", name).Property("Value", std::move(value)).DefaultMember("Value");
  return p;
}

FakePtr Proprieta(const std::vector<FakePtr>& items) {
  // DAO gives Count as a 16-bit number.
  return fa::NewCollection("DAO.Properties", items, fa::FakeObject::CountAs::Int16);
}

// The log of a whole successful run after the environment report, written
// out from the DAO test's steps with SQL Server authentication.
const std::vector<std::string> kRunRiuscito = {
    "INFO: Esecuzione metoto 'DAO.DBEngine.CreateWorkspace'...",
    "INFO: Esecuzione metoto 'DAO.DBEngine.Workspaces.Append'...",
    "INFO: Lettura proprietà DAO.DBEngine.Properties in corso...",
    "INFO:     Version = 3.5",
    "INFO:     DefaultType = 2",
    "INFO:     LoginTimeout = 20",
    "INFO: Lettura proprietà DAO.Workspace.Properties in corso...",
    "INFO:     Name = ODBCWorkspace",
    "INFO:     UserName = admin",
    "INFO:     Type = 1",
    "INFO:     DefaultCursorDriver = -1",
    "INFO: Connessione al server/istanza 'SRV01' in corso...",
    "INFO: Stringa di connessione: ODBC;Driver={SQL Server};Server=SRV01;Database=master;"
    "UID=sa;pwd=********;LANGUAGE=us_english;APP=Velario;",
    "INFO: Esecuzione metodo DAO.Workspaces.OpenConnection in corso...",
    "INFO: Esecuzione metodo DAO.Workspaces.OpenConnection riuscita.",
    "INFO: Scrittura proprietà DAO.Connection.QueryTimeout = 60 in corso...",
    "INFO: Query in corso di esecuzione: SELECT @@VERSION",
    "INFO: Esecuzione metodo DAO.Connection.OpenRecordset in corso...",
    "INFO: Esecuzione metodo DAO.Connection.OpenRecordset riuscita.",
    "INFO: Esecuzione metodo DAO.Recordset.Close in corso...",
    "INFO: Esecuzione metodo DAO.Recordset.Close riuscita.",
    "INFO: Distruzione dell'oggetto DAO.Recordset...",
    "INFO: ",
    "INFO: ---> CONNESSIONE AVVENUTA CON SUCCESSO <---",
    "INFO: ",
    "INFO: Versione istanza SQL SERVER:",
    std::string("INFO: ") + kVersion,
    "INFO: ",
    "INFO: Query in corso di esecuzione: sp_server_info",
    "INFO: Esecuzione metodo DAO.Connection.OpenRecordset in corso...",
    "INFO: Esecuzione metodo DAO.Connection.OpenRecordset riuscita.",
    "INFO: Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...",
    "INFO:     DBMS_NAME = Microsoft SQL Server",
    "INFO:     DBMS_VER = Microsoft SQL Server 2000 - 8.00.2039",
    "INFO: Esecuzione metodo DAO.Recordset.Close in corso...",
    "INFO: Esecuzione metodo DAO.Recordset.Close riuscita.",
    "INFO: Distruzione dell'oggetto DAO.Recordset...",
    "INFO: Esecuzione metodo DAO.Connection.Close in corso...",
    "INFO: Esecuzione metodo DAO.Connection.Close riuscita.",
    "INFO: Distruzione dell'oggetto DAO.Connection...",
    "INFO: Operazione terminata.",
};

// A scripted DAO 3.5: one engine whose Workspaces refuse a second workspace
// of a name they already hold, as DAO does, and let a closed one go.
class DaoRun : public testing::ConnectionTest, public testing::ScriptedRecordsets {
 protected:
  DaoRun() : ScriptedRecordsets(kVersion) {}

  void SetUp() override {
    ConnectionTest::SetUp();
    RilasciaMotoreDAO();
    engineProperties =
        Proprieta({Proprieta("Version", std::string("3.5")), Proprieta("DefaultType", int32_t{2}),
                   Proprieta("LoginTimeout", int16_t{20})});
    workspaces = fa::NewObject("DAO.Workspaces");
    workspaces->Method("Append", [this](const fa::Arguments& a) -> Outcome<Value> {
      FakePtr ws = Workspace(a.at(0));
      if (!ws) return ErrorRecord{fa::kTypeMismatch, "Type mismatch.", ""};
      for (const FakePtr& held : appended) {
        if (held->Current("Name") == ws->Current("Name")) {
          return ErrorRecord{3367,
                             "Cannot append. An object with that name already exists in the "
                             "collection.",
                             "DAO.Workspaces"};
        }
      }
      appended.push_back(ws);
      return Value{};
    });
    engine = fa::NewObject("DAO.DBEngine");
    engine->Property("Workspaces", workspaces->object())
        .Property("Properties", engineProperties->object())
        .Method("CreateWorkspace", [this](const fa::Arguments& a) -> Outcome<Value> {
          if (workspaceFailure.failed()) return workspaceFailure;
          return Value{NewWorkspace(a.empty() ? Value{} : a[0])->object()};
        });
    fa::RegisterClass(kEngineId, "DAO.DBEngine.35", [this]() -> Outcome<fa::Object> {
      if (engineFailure.failed()) return engineFailure;
      ++engineCreations;
      return engine->object();
    });
  }

  void TearDown() override {
    RilasciaMotoreDAO();
    created.clear();
    appended.clear();
    recordsets.clear();
    ConnectionTest::TearDown();
  }

  FakePtr Workspace(const Value& v) {
    for (const FakePtr& ws : created) {
      if (fa::IsObject(v, ws)) return ws;
    }
    return nullptr;
  }

  FakePtr NewWorkspace(const Value& name) {
    FakePtr ws = fa::NewObject("DAO.Workspace");
    created.push_back(ws);
    FakePtr props =
        Proprieta({Proprieta("Name", name), Proprieta("UserName", std::string("admin")),
                   Proprieta("Type", int32_t{1}), Proprieta("DefaultCursorDriver", int32_t{-1})});
    if (workspaceProperties) props = workspaceProperties;
    FakePtr conn = NewConnection();
    fa::FakeObject* raw = ws.get();
    ws->Property("Name", name)
        .Property("Properties", props->object())
        .Method("OpenConnection",
                [this, conn](const fa::Arguments&) -> Outcome<Value> {
                  if (openFailure.failed()) return openFailure;
                  return Value{conn->object()};
                })
        .Method("Close", [this, raw](const fa::Arguments&) -> Outcome<Value> {
          if (workspaceCloseFailure.failed()) return workspaceCloseFailure;
          std::erase_if(appended, [raw](const FakePtr& p) { return p.get() == raw; });
          return Value{};
        });
    if (workspaceSetup) workspaceSetup(*ws);
    return ws;
  }

  FakePtr NewConnection() {
    connection = fa::NewObject("DAO.Connection");
    connection->Settable("QueryTimeout", int16_t{0})
        .Method("Close")
        .Method("OpenRecordset", [this](const fa::Arguments&) -> Outcome<Value> {
          Outcome<FakePtr> rs = NextRecordset("DAO.Recordset");
          if (!rs.ok()) return rs.error;
          return Value{rs.value->object()};
        });
    if (connectionSetup) connectionSetup(*connection);
    return connection;
  }

  std::vector<std::string> Steps() {
    return testing::StepsOf(Body(kProfilo.logFile), kProfilo, kPrimoPasso);
  }

  static const testing::Profile& profile() { return kProfilo; }
  // Whatever the ending, the failure was counted and the run's workspace is
  // gone from Workspaces.
  void ExpectAfterFailure(const std::vector<std::string>&) {
    EXPECT_GT(glngNumErrori + glngNumWarning, 0);
    EXPECT_TRUE(appended.empty());
  }

  // Forgets the boxes and programs of the previous run in the same process.
  static void NextRun() {
    fake::ui::Get().boxes.clear();
    fake::shell::Get().started.clear();
  }

  std::vector<fa::Invocation> WorkspaceCalls(const std::string& member) {
    std::vector<fa::Invocation> out;
    for (const fa::Invocation& i : fa::Journal(member)) {
      if (i.className == "DAO.Workspace") out.push_back(i);
    }
    return out;
  }

 public:
  FakePtr engine, engineProperties, workspaces, workspaceProperties, connection;
  int engineCreations = 0;
  std::vector<FakePtr> created;   // every workspace CreateWorkspace gave
  std::vector<FakePtr> appended;  // those that Workspaces holds now
  ErrorRecord engineFailure, workspaceFailure, workspaceCloseFailure, openFailure;
  std::function<void(fa::FakeObject&)> workspaceSetup, connectionSetup;
};

TEST_F(DaoRun, WholeSuccessfulRunWritesTheExpectedLog) {
  cmdDAODirect_Click();

  EXPECT_EQ(Steps(), kRunRiuscito);
  testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
  EXPECT_EQ(Boxes()[0].text,
            std::string("Test Connessione DAO ODBCDirect eseguita con SUCCESSO.\r\n\r\n"
                        "Versione di SQL Server rilevata:\r\n\r\n") +
                kVersion);
  EXPECT_EQ(Boxes()[0].title, "Messaggio di Sondalink");
}

TEST_F(DaoRun, ComponentsGetTheirArgumentsAsDAOExpectsThem) {
  cmdDAODirect_Click();

  std::vector<fa::Invocation> creations;
  for (const fa::Invocation& i : fa::Journal()) {
    if (i.access == fa::Access::Create) creations.push_back(i);
  }
  ASSERT_EQ(creations.size(), 1u);  // by class identity, never by name
  EXPECT_EQ(creations[0].member, kEngineId);
  // DAO's run-time licence key, without which a user's machine refuses the engine.
  EXPECT_THAT(creations[0].arguments,
              ElementsAre(Value{std::string("mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak")}));

  ASSERT_EQ(fa::Journal("CreateWorkspace").size(), 1u);
  EXPECT_THAT(fa::Journal("CreateWorkspace")[0].arguments,
              ElementsAre(Value{std::string("ODBCWorkspace")}, Value{std::string("admin")},
                          Value{std::string()}, Value{int32_t{1}}));
  ASSERT_EQ(fa::Journal("Append").size(), 1u);
  ASSERT_EQ(created.size(), 1u);
  ASSERT_EQ(fa::Journal("Append")[0].arguments.size(), 1u);
  EXPECT_TRUE(fa::IsObject(fa::Journal("Append")[0].arguments[0], created[0]));

  // The component gets the real password; only the log masks it.
  ASSERT_EQ(fa::Journal("OpenConnection").size(), 1u);
  EXPECT_THAT(fa::Journal("OpenConnection")[0].arguments,
              ElementsAre(Value{std::string()}, Value{int32_t{0}}, Value{false},
                          Value{std::string("ODBC;Driver={SQL Server};Server=SRV01;"
                                            "Database=master;UID=sa;pwd=segreta;"
                                            "LANGUAGE=us_english;APP=Velario;")}));
  std::vector<fa::Invocation> puts;
  for (const fa::Invocation& i : fa::Journal("QueryTimeout")) {
    if (i.access == fa::Access::Put) puts.push_back(i);
  }
  ASSERT_EQ(puts.size(), 1u);
  EXPECT_THAT(puts[0].arguments, ElementsAre(Value{int16_t{60}}));

  std::vector<fa::Invocation> queries = fa::Journal("OpenRecordset");
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_THAT(queries[0].arguments,
              ElementsAre(Value{std::string("SELECT @@VERSION")}, Value{int32_t{4}}));
  EXPECT_THAT(queries[1].arguments,
              ElementsAre(Value{std::string("sp_server_info")}, Value{int32_t{4}}));

  // Properties by a 32-bit position, field 0 by a 16-bit one.
  int properties = 0, fieldZero = 0;
  for (const fa::Invocation& i : fa::Journal()) {
    if (i.access != fa::Access::Item) continue;
    if (i.className == "DAO.Properties") {
      ++properties;
      EXPECT_TRUE(std::holds_alternative<int32_t>(i.arguments.at(0)));
    } else if (i.arguments.at(0) == Value{int16_t{0}}) {
      ++fieldZero;
    }
  }
  EXPECT_EQ(properties, 7);
  EXPECT_EQ(fieldZero, 1);
}

TEST_F(DaoRun, SecondAndThirdRunReuseTheEngineAndAppendAgain) {
  for (int run = 1; run <= 3; ++run) {
    SCOPED_TRACE(run);
    NextRun();
    recordsets.clear();
    cmdDAODirect_Click();
    EXPECT_EQ(Steps(), kRunRiuscito);
    testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
    // The run's workspace has left Workspaces again; the engine stays.
    EXPECT_TRUE(appended.empty());
  }
  EXPECT_EQ(engineCreations, 1);
  EXPECT_EQ(fa::Journal("Append").size(), 3u);
  EXPECT_EQ(WorkspaceCalls("Close").size(), 3u);
}

TEST_F(DaoRun, WorkspaceOfAFailedRunIsClosedToo) {
  openFailure = kGuasto;
  cmdDAODirect_Click();
  testing::ExpectEnding(kProfilo, Ending::FailureBox, true);
  EXPECT_TRUE(appended.empty());

  NextRun();
  openFailure.clear();
  cmdDAODirect_Click();
  EXPECT_EQ(Steps(), kRunRiuscito);
  testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
  EXPECT_EQ(engineCreations, 1);
}

// Closing the workspace is no step of the log: its failure shows nowhere,
// and only then does the next run meet DAO's refusal.
TEST_F(DaoRun, FailingWorkspaceCloseIsIgnored) {
  workspaceCloseFailure = kGuasto;
  cmdDAODirect_Click();
  EXPECT_EQ(Steps(), kRunRiuscito);
  testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);

  NextRun();
  cmdDAODirect_Click();
  std::vector<std::string> steps = Steps();
  EXPECT_EQ(steps.back(),
            "ERROR: Errore nell'esecuzione metoto 'DAO.DBEngine.Workspaces.Append': number=3367, "
            "description=Cannot append. An object with that name already exists in the "
            "collection., source=DAO.Workspaces");
  testing::ExpectEnding(kProfilo, Ending::FailureBox, true);
}

TEST_F(DaoRun, EngineLivesUntilItIsReleasedAtTheEnd) {
  cmdDAODirect_Click();
  const long held = engine.use_count();
  RilasciaMotoreDAO();
  EXPECT_EQ(engine.use_count(), held - 1);

  NextRun();
  recordsets.clear();
  cmdDAODirect_Click();
  EXPECT_EQ(engineCreations, 2);
  EXPECT_EQ(Steps(), kRunRiuscito);
}

TEST_F(DaoRun, EngineThatCannotBeCreatedIsTriedAgainNextRun) {
  engineFailure = ErrorRecord{fa::kClassNotRegistered, "Class not registered", ""};
  cmdDAODirect_Click();
  EXPECT_THAT(Steps(), ElementsAre(kPrimoPasso,
                                   "ERROR: Errore nell'esecuzione metoto "
                                   "'DAO.DBEngine.CreateWorkspace': number=-2147221164, "
                                   "description=Class not registered, source=DAO.DBEngine.35"));
  testing::ExpectEnding(kProfilo, Ending::FailureBox, true);

  NextRun();
  engineFailure.clear();
  cmdDAODirect_Click();
  EXPECT_EQ(Steps(), kRunRiuscito);
  EXPECT_EQ(engineCreations, 1);
}

TEST_F(DaoRun, AuthenticationDecidesTheConnectionString) {
  struct Case {
    const char* name;
    bool trusted;
    const char* password;
    const char* real;
    const char* shown;
  } cases[] = {
      {"windows", true, "segreta",
       "ODBC;Driver={SQL Server};Server=SRV01;Database=master;Trusted_Connection=Yes;"
       "LANGUAGE=us_english;APP=Velario;",
       "ODBC;Driver={SQL Server};Server=SRV01;Database=master;Trusted_Connection=Yes;"
       "LANGUAGE=us_english;APP=Velario;"},
      {"sql server", false, "segreta",
       "ODBC;Driver={SQL Server};Server=SRV01;Database=master;UID=sa;pwd=segreta;"
       "LANGUAGE=us_english;APP=Velario;",
       "ODBC;Driver={SQL Server};Server=SRV01;Database=master;UID=sa;pwd=********;"
       "LANGUAGE=us_english;APP=Velario;"},
      {"empty password", false, "",
       "ODBC;Driver={SQL Server};Server=SRV01;Database=master;UID=sa;pwd=;"
       "LANGUAGE=us_english;APP=Velario;",
       "ODBC;Driver={SQL Server};Server=SRV01;Database=master;UID=sa;pwd=;"
       "LANGUAGE=us_english;APP=Velario;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NextRun();
    recordsets.clear();
    fake::ui::Click(c.trusted ? kOptTrusted : kOptSQL);
    fake::ui::Type(kEdLogin, "sa");
    fake::ui::Type(kEdPassword, c.password);
    size_t before = fa::Journal("OpenConnection").size();
    cmdDAODirect_Click();
    std::vector<fa::Invocation> opens = fa::Journal("OpenConnection");
    ASSERT_EQ(opens.size(), before + 1);
    EXPECT_EQ(opens[before].arguments.at(3), Value{std::string(c.real)});
    EXPECT_THAT(Steps(), Contains(std::string("INFO: Stringa di connessione: ") + c.shown));
    testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
  }
}

// A typed value cannot break or extend the ODBC string: one that holds a
// semicolon or a brace goes between braces, its closing braces doubled.
TEST_F(DaoRun, TypedValuesAreQuotedWithBraces) {
  fake::ui::Type(kEdServer, "SRV;01");
  fake::ui::Type(kEdLogin, "s{a}");
  fake::ui::Type(kEdPassword, "x;Trusted_Connection=Yes");
  cmdDAODirect_Click();
  ASSERT_EQ(fa::Journal("OpenConnection").size(), 1u);
  EXPECT_EQ(fa::Journal("OpenConnection")[0].arguments.at(3),
            Value{std::string("ODBC;Driver={SQL Server};Server={SRV;01};Database=master;"
                              "UID={s{a}}};pwd={x;Trusted_Connection=Yes};"
                              "LANGUAGE=us_english;APP=Velario;")});
  EXPECT_THAT(Steps(), Contains("INFO: Stringa di connessione: ODBC;Driver={SQL Server};"
                                "Server={SRV;01};Database=master;UID={s{a}}};pwd=********;"
                                "LANGUAGE=us_english;APP=Velario;"));
  EXPECT_THAT(Steps(), Contains("INFO: Connessione al server/istanza 'SRV;01' in corso..."));
}

// The password is masked where it stands: the connection string's PWD, a
// property named Password, the PWD of a property that is a connect string.
// The same characters in any other value are data, and stay.
TEST_F(DaoRun, PasswordIsMaskedWhereItStandsAndNowhereElse) {
  const std::string password = "p;w}x";
  fake::ui::Type(kEdPassword, password);
  engineProperties = Proprieta({Proprieta("Version", std::string("3.5")),
                                Proprieta("Connect", std::string("ODBC;pwd={p;w}}x};"))});
  engine->Property("Properties", engineProperties->object());
  workspaceProperties = Proprieta({Proprieta("Name", std::string("ODBCWorkspace")),
                                   Proprieta("password", std::string("p;w}x")),
                                   Proprieta("Note", std::string("uses p;w}x inside"))});
  cmdDAODirect_Click();

  std::vector<std::string> steps = Steps();
  EXPECT_THAT(steps, Contains("INFO: Stringa di connessione: ODBC;Driver={SQL Server};"
                              "Server=SRV01;Database=master;UID=sa;pwd=********;"
                              "LANGUAGE=us_english;APP=Velario;"));
  EXPECT_THAT(steps, Contains("INFO:     Connect = ODBC;pwd=********;"));
  EXPECT_THAT(steps, Contains("INFO:     password = ********"));
  EXPECT_THAT(steps, Contains("INFO:     Note = uses p;w}x inside"));
  ASSERT_EQ(fa::Journal("OpenConnection").size(), 1u);
  EXPECT_EQ(fa::Journal("OpenConnection")[0].arguments.at(3),
            Value{std::string("ODBC;Driver={SQL Server};Server=SRV01;Database=master;UID=sa;"
                              "pwd={p;w}}x};LANGUAGE=us_english;APP=Velario;")});
}

TEST_F(DaoRun, PropertyThatIsNullOrCannotBeReadInEitherListing) {
  FakePtr broken = fa::NewObject("DAO.Property");
  broken->Property("Name", std::string("Rotta")).Failing("Value", kGuasto);
  FakePtr nameless = fa::NewObject("DAO.Property");
  nameless->Failing("Name", kGuasto).Property("Value", std::string("x"));
  engineProperties =
      Proprieta({Proprieta("Version", std::string("3.5")), broken, Proprieta("SystemDB", Null{})});
  engine->Property("Properties", engineProperties->object());
  workspaceProperties = Proprieta({nameless, Proprieta("Name", std::string("ODBCWorkspace"))});
  cmdDAODirect_Click();

  std::vector<std::string> steps = Steps();
  auto heading = std::find(steps.begin(), steps.end(),
                           "INFO: Lettura proprietà DAO.DBEngine.Properties in corso...");
  ASSERT_NE(heading, steps.end());
  EXPECT_THAT(std::vector<std::string>(heading, heading + 6),
              ElementsAre("INFO: Lettura proprietà DAO.DBEngine.Properties in corso...",
                          "INFO:     Version = 3.5", "INFO:     SystemDB = ",
                          "INFO: Lettura proprietà DAO.Workspace.Properties in corso...",
                          "INFO:     Name = ODBCWorkspace",
                          "INFO: Connessione al server/istanza 'SRV01' in corso..."));
  EXPECT_EQ(glngNumWarning, 0);  // nothing reported for them
  testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
}

TEST_F(DaoRun, ListingWithoutPropertiesIsJustItsHeading) {
  engine->Failing("Properties", kGuasto);
  workspaceProperties = Proprieta({});
  cmdDAODirect_Click();
  std::vector<std::string> steps = Steps();
  ASSERT_GE(steps.size(), 5u);
  EXPECT_THAT(std::vector<std::string>(steps.begin() + 2, steps.begin() + 5),
              ElementsAre("INFO: Lettura proprietà DAO.DBEngine.Properties in corso...",
                          "INFO: Lettura proprietà DAO.Workspace.Properties in corso...",
                          "INFO: Connessione al server/istanza 'SRV01' in corso..."));
  testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
}

TEST_F(DaoRun, EmptyOrNullVersionGivesAnEmptyVersionText) {
  for (const std::vector<Row>& rows :
       {std::vector<Row>{}, std::vector<Row>{{{"", Value{Null{}}}}}}) {
    SCOPED_TRACE(rows.size());
    NextRun();
    recordsets.clear();
    versionRows = rows;
    cmdDAODirect_Click();
    std::vector<std::string> steps = Steps();
    auto title = std::find(steps.begin(), steps.end(), "INFO: Versione istanza SQL SERVER:");
    ASSERT_NE(title, steps.end());
    EXPECT_EQ(*(title + 1), "INFO: ");
    EXPECT_EQ(*(title + 2), "INFO: ");
    EXPECT_EQ(*(title + 3), "INFO: Query in corso di esecuzione: sp_server_info");
    testing::ExpectEnding(kProfilo, Ending::SuccessBox, false);
    EXPECT_EQ(Boxes().back().text,
              "Test Connessione DAO ODBCDirect eseguita con SUCCESSO.\r\n\r\n"
              "Versione di SQL Server rilevata:\r\n\r\n");
  }
}

TEST_F(DaoRun, ServerInfoRowsThatAreMissingOrUnreadable) {
  const char* heading =
      "INFO: Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...";
  const std::string warning =
      "WARNING: Errore durante la rilevazione dei campo 'attribute_name' e 'attribute_value' "
      "della sp_server_info: number=3265, description=Item not found in this collection., "
      "source=DAO.Recordset";
  struct Case {
    const char* name;
    std::vector<Row> rows;
    std::vector<std::string> after;  // the lines after the heading
    bool notepad;
  } cases[] = {
      {"no rows", {}, {"INFO: Esecuzione metodo DAO.Recordset.Close in corso..."}, false},
      {"failing row",
       {Attributo(1, "DBMS_NAME", "Microsoft SQL Server"),
        {{"attribute_id", Value{int32_t{2}}}, {"attribute_name", Value{std::string("X")}}},
        Attributo(3, "OWNER_TERM", "owner")},
       {"INFO:     DBMS_NAME = Microsoft SQL Server", warning, "INFO:     OWNER_TERM = owner",
        "INFO: Esecuzione metodo DAO.Recordset.Close in corso..."},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NextRun();
    recordsets.clear();
    infoRows = c.rows;
    cmdDAODirect_Click();
    std::vector<std::string> steps = Steps();
    auto at = std::find(steps.begin(), steps.end(), heading);
    ASSERT_NE(at, steps.end());
    ASSERT_GT(steps.end() - at, static_cast<long>(c.after.size()));
    EXPECT_EQ(std::vector<std::string>(at + 1, at + 1 + static_cast<long>(c.after.size())),
              c.after);
    testing::ExpectEnding(kProfilo, Ending::SuccessBox, c.notepad);
  }
}

using RigaTabella = testing::FailureRow<DaoRun>;
using DaoFailureTable = testing::FailureTable<DaoRun>;

TEST_P(DaoFailureTable, EndsAsTheTableSays) { RunRow(); }

std::string Errore(const char* prefix) { return std::string("ERROR: ") + prefix + kGuastoTesto; }

INSTANTIATE_TEST_SUITE_P(
    Rows, DaoFailureTable,
    ::testing::Values(
        RigaTabella{
            "CreateEngine",
            [](DaoRun& t) {
              t.engineFailure = ErrorRecord{fa::kClassNotRegistered, "Class not registered", ""};
            },
            "ERROR: Errore nell'esecuzione metoto 'DAO.DBEngine.CreateWorkspace': "
            "number=-2147221164, description=Class not registered, source=DAO.DBEngine.35",
            Ending::FailureBox, true},
        RigaTabella{"CreateWorkspace", [](DaoRun& t) { t.workspaceFailure = kGuasto; },
                    Errore("Errore nell'esecuzione metoto 'DAO.DBEngine.CreateWorkspace': number="),
                    Ending::FailureBox, true},
        RigaTabella{
            "AppendWorkspace", [](DaoRun& t) { t.workspaces->Failing("Append", kGuasto); },
            Errore("Errore nell'esecuzione metoto 'DAO.DBEngine.Workspaces.Append': number="),
            Ending::FailureBox, true},
        RigaTabella{"OpenConnection", [](DaoRun& t) { t.openFailure = kGuasto; },
                    Errore("Errore durante l'esecuzione del metodo "
                           "DAO.Workspaces.OpenConnection: number="),
                    Ending::FailureBox, true},
        RigaTabella{"QueryTimeout",
                    [](DaoRun& t) {
                      t.connectionSetup = [](fa::FakeObject& c) {
                        c.Failing("QueryTimeout", kGuasto);
                      };
                    },
                    Errore("Errore durante la scrittura proprietà DAO.Connection.QueryTimeout: "
                           "number="),
                    Ending::FailureBox, true},
        RigaTabella{"VersionQuery", [](DaoRun& t) { t.recordsetFailures = {kGuasto}; },
                    Errore("Errore durante l'esecuzione del metodo "
                           "DAO.Connection.OpenRecordset: number="),
                    Ending::FailureBox, true},
        RigaTabella{"CloseFirstRecordset",
                    [](DaoRun& t) {
                      t.recordsetSetup = {[](fa::FakeObject& rs) { rs.Failing("Close", kGuasto); }};
                    },
                    Errore("Errore durante l'esecuzione del metodo DAO.Recordset.Close: number="),
                    Ending::FailureBox, true},
        RigaTabella{"ServerInfoQuery",
                    [](DaoRun& t) {
                      t.recordsetFailures = {ErrorRecord{}, kGuasto};
                    },
                    Errore("Errore durante l'esecuzione del metodo "
                           "DAO.Connection.OpenRecordset: number="),
                    Ending::NoBox, false},
        RigaTabella{"AttributeRow",
                    [](DaoRun& t) {
                      t.recordsetSetup = {
                          nullptr, [](fa::FakeObject& rs) { rs.Failing("Fields", kGuasto); }};
                      t.infoRows = {Attributo(1, "DBMS_NAME", "x")};
                    },
                    "INFO: Distruzione dell'oggetto DAO.Connection...", Ending::SuccessBox, true},
        RigaTabella{"CloseSecondRecordset",
                    [](DaoRun& t) {
                      t.recordsetSetup = {nullptr,
                                          [](fa::FakeObject& rs) { rs.Failing("Close", kGuasto); }};
                    },
                    Errore("Errore durante l'esecuzione del metodo DAO.Recordset.Close: number="),
                    Ending::NoBox, false},
        RigaTabella{"CloseConnection",
                    [](DaoRun& t) {
                      t.connectionSetup = [](fa::FakeObject& c) { c.Failing("Close", kGuasto); };
                    },
                    Errore("Errore durante l'esecuzione del metodo DAO.Connection.Close: number="),
                    Ending::NoBox, false}),
    testing::kRowName);

}  // namespace
}  // namespace sondalink
