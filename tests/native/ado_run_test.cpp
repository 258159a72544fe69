// The ADO test over scripted ADO objects: a whole successful run against the
// log written out by hand, every row of the failure table, both kinds of
// authentication, and what the log must never show.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kConnectionId[] = "{00000514-0000-0010-8000-00AA006D2EA4}";
constexpr char kRecordsetId[] = "{00000535-0000-0010-8000-00AA006D2EA4}";
constexpr char kVersion[] =
    "Microsoft SQL Server  2000 - 8.00.2039 (Intel X86) \n\tMay  3 2005 23:18:38 ";

const ErrorRecord kGuasto{static_cast<int32_t>(0x80004005), "Guasto di prova",
                          "Microsoft OLE DB Provider for SQL Server"};
constexpr char kGuastoTesto[] =
    "-2147467259, description=Guasto di prova, source=Microsoft OLE DB Provider for SQL "
    "Server";

const testing::Profile kProfiloAdo{
    "SondalinkADO.log",
    "INFO: Inizio test connessione ADO...",
    "ADODB.Connection",
    "Connessione ADO fallita.",
    "Test Connessione ADO eseguita con SUCCESSO.",
    kCmdADO,
    cmdADO_Click,
};

FakePtr Proprieta(const std::string& name, Value value) {
  FakePtr p = fa::NewObject("ADODB.Property");
  p->Property("Name", name).Property("Value", std::move(value)).DefaultMember("Value");
  return p;
}

// The log of a whole successful run after the environment report, written
// out from the ADO test's steps with SQL Server authentication.
const std::vector<std::string> kRunRiuscito = {
    "INFO: Creazione dell'oggetto 'ADODB.Connection'...",
    "INFO: Oggetto 'ADODB.Connection' creato correttamente.",
    "INFO: Lettura proprietà ADODB.Version=2.8",
    "INFO: Connessione al server/istanza 'SRV01' in corso...",
    "INFO: Stringa di connessione: Provider=SQLOLEDB;Server=SRV01;Database=master;UID=sa;"
    "pwd=********;LANGUAGE=us_english;APP=Velario;",
    "INFO: Esecuzione metodo ADODB.Connection.Open in corso...",
    "INFO: Esecuzione metodo ADODB.Connection.Open riuscita.",
    "INFO: Lettura proprietà ADODB.Connection.Properties in corso...",
    "INFO:     Current Catalog = master",
    "INFO:     Password = ********",
    "INFO:     Connect Timeout = 15",
    "INFO:     Extended Properties = ",
    "INFO: Creazione dell'oggetto ADODB.Recordset...",
    "INFO: Oggetto ADODB.Recordset creato correttamente.",
    "INFO: Query in corso di esecuzione: SELECT @@VERSION",
    "INFO: Esecuzione metodo ADODB.Recordset.Open in corso...",
    "INFO: Esecuzione metodo ADODB.Recordset.Open riuscita.",
    "INFO: Esecuzione metodo ADODB.Recordset.Close in corso...",
    "INFO: Esecuzione metodo ADODB.Recordset.Close riuscita.",
    "INFO: Distruzione dell'oggetto ADODB.Recordset...",
    "INFO: ",
    "INFO: ---> CONNESSIONE AVVENUTA CON SUCCESSO <---",
    "INFO: ",
    "INFO: Versione istanza SQL SERVER:",
    std::string("INFO: ") + kVersion,
    "INFO: ",
    "INFO: Creazione dell'oggetto ADODB.Recordset...",
    "INFO: Oggetto ADODB.Recordset creato correttamente.",
    "INFO: Query in corso di esecuzione: sp_server_info",
    "INFO: Esecuzione metodo ADODB.Recordset.Open in corso...",
    "INFO: Esecuzione metodo ADODB.Recordset.Open riuscita.",
    "INFO: Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...",
    "INFO:     DBMS_NAME = Microsoft SQL Server",
    "INFO:     DBMS_VER = Microsoft SQL Server 2000 - 8.00.2039",
    "INFO: Esecuzione metodo ADODB.Recordset.Close in corso...",
    "INFO: Esecuzione metodo ADODB.Recordset.Close riuscita.",
    "INFO: Distruzione dell'oggetto ADODB.Recordset...",
    "INFO: Esecuzione metodo ADODB.Connection.Close in corso...",
    "INFO: Esecuzione metodo ADODB.Connection.Close riuscita.",
    "INFO: Distruzione dell'oggetto ADODB.Connection...",
    "INFO: Operazione terminata.",
};

class AdoRun : public testing::ConnectionTest, public testing::ScriptedRecordsets {
 protected:
  AdoRun() : ScriptedRecordsets(kVersion) {}

  void SetUp() override {
    ConnectionTest::SetUp();
    properties = fa::NewCollection(
        "ADODB.Properties",
        {Proprieta("Current Catalog", std::string("master")),
         Proprieta("Password", std::string("segreta")), Proprieta("Connect Timeout", int32_t{15}),
         Proprieta("Extended Properties", Null{})});
    connection = fa::NewObject("ADODB.Connection");
    connection->Property("Version", std::string("2.8"))
        .Method("Open")
        .Method("Close")
        .Property("Properties", properties->object());
    fa::RegisterClass(kConnectionId, "ADODB.Connection", connection);
    fa::RegisterClass(kRecordsetId, "ADODB.Recordset", [this]() -> Outcome<fa::Object> {
      Outcome<FakePtr> rs = NextRecordset("ADODB.Recordset", [](fa::FakeObject& o) { o.Method("Open"); });
      if (!rs.ok()) return rs.error;
      return rs.value->object();
    });
  }

  void TearDown() override {
    recordsets.clear();
    ConnectionTest::TearDown();
  }

  void SetProperties(const std::vector<FakePtr>& items) {
    properties = fa::NewCollection("ADODB.Properties", items);
    connection->Property("Properties", properties->object());
  }

  // The lines the ADO test's own steps wrote: after the environment report,
  // which the report's own tests check.
  std::vector<std::string> Steps() {
    return testing::StepsOf(Body(kProfiloAdo.logFile), kProfiloAdo,
                            "INFO: Creazione dell'oggetto 'ADODB.Connection'...");
  }

  static const testing::Profile& profile() { return kProfiloAdo; }
  void ExpectAfterFailure(const std::vector<std::string>&) {}

 public:
  FakePtr properties, connection;
};

TEST_F(AdoRun, WholeSuccessfulRunWritesTheExpectedLog) {
  cmdADO_Click();

  EXPECT_EQ(Steps(), kRunRiuscito);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text,
            std::string("Test Connessione ADO eseguita con SUCCESSO.\r\n\r\n"
                        "Versione di SQL Server rilevata:\r\n\r\n") +
                kVersion);
  EXPECT_EQ(Boxes()[0].flags, ui::kInformation);
  EXPECT_THAT(Started(), IsEmpty());  // no WARNING or ERROR line, no Notepad
  EXPECT_TRUE(ui::IsEnabled(kCmdADO));
  EXPECT_EQ(fake::ui::Get().pointer, ui::kPointerDefault);
}

TEST_F(AdoRun, ComponentsGetTheirArgumentsAsADOExpectsThem) {
  cmdADO_Click();

  std::vector<fa::Invocation> creations;
  for (const fa::Invocation& i : fa::Journal()) {
    if (i.access == fa::Access::Create) creations.push_back(i);
  }
  ASSERT_EQ(creations.size(), 3u);  // by class identity, never by name
  EXPECT_EQ(creations[0].member, kConnectionId);
  EXPECT_EQ(creations[1].member, kRecordsetId);
  EXPECT_EQ(creations[2].member, kRecordsetId);

  std::vector<fa::Invocation> opens = fa::Journal("Open");
  ASSERT_EQ(opens.size(), 3u);
  // The component gets the real password; only the log masks it.
  EXPECT_THAT(opens[0].arguments,
              ElementsAre(Value{std::string("Provider=SQLOLEDB;Server=SRV01;Database=master;UID=sa;"
                                            "pwd=segreta;LANGUAGE=us_english;APP=Velario;")},
                          Value{std::string()}, Value{std::string()}, Value{int32_t{-1}}));
  for (size_t i : {1u, 2u}) {
    ASSERT_EQ(opens[i].arguments.size(), 5u);
    EXPECT_EQ(opens[i].arguments[0], Value{std::string(i == 1 ? "SELECT @@VERSION" : "sp_server_info")});
    EXPECT_TRUE(fa::IsObject(opens[i].arguments[1], connection));
    EXPECT_EQ(opens[i].arguments[2], Value{int32_t{3}});
    EXPECT_EQ(opens[i].arguments[3], Value{int32_t{1}});
    EXPECT_EQ(opens[i].arguments[4], Value{int32_t{-1}});
  }
}

// The password is masked where it stands (the connection string's password
// key, a property named Password, the password key of a property that is a
// connection string) and nowhere else: short passwords leave every other
// value whole, the login too when it is the same text.
TEST_F(AdoRun, PasswordIsMaskedWhereItStandsAndNowhereElse) {
  struct Case {
    const char* password;
    const char* quoted;  // the password as a connection string holds it
  } cases[] = {{"a", "a"}, {"1", "1"}, {"0", "0"}, {"*", "*"}, {"sa", "sa"},
               {"p;\"w", "\"p;\"\"w\""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.password);
    fake::ui::Type(kEdPassword, c.password);
    SetProperties({Proprieta("Current Catalog", std::string("master")),
                   Proprieta("Connect Timeout", int32_t{15}),
                   Proprieta("DBMS Version", std::string("08.00.2039")),
                   Proprieta("User ID", std::string("sa")),
                   Proprieta("Password", std::string(c.password)),
                   Proprieta("Extended Properties", "UID=sa;PWD=" + std::string(c.quoted) + ";"),
                   Proprieta("Mode", std::string("*********"))});
    recordsets.clear();
    const size_t opensBefore = fa::Journal("Open").size();
    cmdADO_Click();

    std::vector<std::string> steps = Steps();
    auto heading = std::find(steps.begin(), steps.end(),
                             "INFO: Lettura proprietà ADODB.Connection.Properties in corso...");
    ASSERT_GT(steps.end() - heading, 8);
    EXPECT_EQ(*(heading - 3),
              "INFO: Stringa di connessione: Provider=SQLOLEDB;Server=SRV01;Database=master;"
              "UID=sa;pwd=********;LANGUAGE=us_english;APP=Velario;");
    EXPECT_THAT(std::vector<std::string>(heading + 1, heading + 8),
                ElementsAre("INFO:     Current Catalog = master", "INFO:     Connect Timeout = 15",
                            "INFO:     DBMS Version = 08.00.2039", "INFO:     User ID = sa",
                            "INFO:     Password = ********",
                            "INFO:     Extended Properties = UID=sa;PWD=********;",
                            "INFO:     Mode = *********"));
    // The component gets the real password; only the log masks it.
    ASSERT_GT(fa::Journal("Open").size(), opensBefore);
    EXPECT_EQ(fa::Journal("Open")[opensBefore].arguments[0],
              Value{"Provider=SQLOLEDB;Server=SRV01;Database=master;UID=sa;pwd=" +
                    std::string(c.quoted) + ";LANGUAGE=us_english;APP=Velario;"});
  }
}

TEST_F(AdoRun, AuthenticationDecidesTheConnectionString) {
  struct Case {
    const char* name;
    bool trusted;
    const char* password;
    const char* real;
    const char* shown;
  } cases[] = {
      {"windows", true, "segreta",
       "Provider=SQLOLEDB;Server=SRV01;Database=master;Trusted_Connection=Yes;"
       "LANGUAGE=us_english;APP=Velario;",
       "Provider=SQLOLEDB;Server=SRV01;Database=master;Trusted_Connection=Yes;"
       "LANGUAGE=us_english;APP=Velario;"},
      {"empty password", false, "",
       "Provider=SQLOLEDB;Server=SRV01;Database=master;UID=sa;pwd=;"
       "LANGUAGE=us_english;APP=Velario;",
       "Provider=SQLOLEDB;Server=SRV01;Database=master;UID=sa;pwd=;"
       "LANGUAGE=us_english;APP=Velario;"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::ui::Click(c.trusted ? kOptTrusted : kOptSQL);
    fake::ui::Type(kEdLogin, "sa");
    fake::ui::Type(kEdPassword, c.password);
    size_t before = fa::Journal("Open").size();
    recordsets.clear();
    cmdADO_Click();
    std::vector<fa::Invocation> opens = fa::Journal("Open");
    ASSERT_GT(opens.size(), before);
    EXPECT_EQ(opens[before].arguments[0], Value{std::string(c.real)});
    EXPECT_THAT(Steps(), ::testing::Contains(std::string("INFO: Stringa di connessione: ") + c.shown));
  }
}

TEST_F(AdoRun, ServerLineQuotesTheServerBoxAsTyped) {
  fake::ui::Type(kEdServer, " SRV01\\ISTANZA ");
  cmdADO_Click();
  EXPECT_THAT(Steps(), ::testing::Contains(
                           "INFO: Connessione al server/istanza ' SRV01\\ISTANZA ' in corso..."));
}

// An item that cannot even be fetched gives no line either; the items after
// it are listed.
TEST_F(AdoRun, PropertyThatCannotBeFetchedIsSkipped) {
  FakePtr items = fa::NewObject("ADODB.Properties");
  items->Property("Count", int32_t{3})
      .Method("Item",
              [](const fa::Arguments& key) -> Outcome<Value> {
                if (key.at(0) == Value{int32_t{1}}) return kGuasto;
                return Value{Proprieta(key.at(0) == Value{int32_t{0}} ? "Prima" : "Ultima",
                                       std::string("x"))
                                 ->object()};
              })
      .DefaultMember("Item");
  connection->Property("Properties", items->object());
  cmdADO_Click();

  std::vector<std::string> steps = Steps();
  auto heading = std::find(steps.begin(), steps.end(),
                           "INFO: Lettura proprietà ADODB.Connection.Properties in corso...");
  ASSERT_GT(steps.end() - heading, 3);
  EXPECT_THAT(std::vector<std::string>(heading + 1, heading + 4),
              ElementsAre("INFO:     Prima = x", "INFO:     Ultima = x",
                          "INFO: Creazione dell'oggetto ADODB.Recordset..."));
  EXPECT_EQ(glngNumWarning, 0);
}

TEST_F(AdoRun, PropertyThatCannotBeReadGivesNoLine) {
  FakePtr broken = fa::NewObject("ADODB.Property");
  broken->Property("Name", std::string("Rotta")).Failing("Value", kGuasto);
  FakePtr odd = fa::NewObject("ADODB.Property");
  odd->Property("Name", std::string("Oggetto")).Property("Value", fa::NewObject("X")->object());
  SetProperties({Proprieta("Prima", std::string("1")), broken, odd, Proprieta("Ultima", Null{})});
  cmdADO_Click();

  std::vector<std::string> steps = Steps();
  auto heading = std::find(steps.begin(), steps.end(),
                           "INFO: Lettura proprietà ADODB.Connection.Properties in corso...");
  ASSERT_NE(heading, steps.end());
  EXPECT_EQ(*(heading + 1), "INFO:     Prima = 1");
  EXPECT_EQ(*(heading + 2), "INFO:     Ultima = ");
  EXPECT_EQ(*(heading + 3), "INFO: Creazione dell'oggetto ADODB.Recordset...");
  EXPECT_EQ(glngNumWarning, 0);  // nothing reported for it
  EXPECT_EQ(Boxes().back().flags, ui::kInformation);
}

TEST_F(AdoRun, EmptyVersionResultLeavesAnEmptyLineAndAnEmptyVersion) {
  versionRows.clear();
  cmdADO_Click();
  std::vector<std::string> steps = Steps();
  auto title = std::find(steps.begin(), steps.end(), "INFO: Versione istanza SQL SERVER:");
  ASSERT_NE(title, steps.end());
  EXPECT_EQ(*(title + 1), "INFO: ");
  EXPECT_EQ(*(title + 2), "INFO: ");
  EXPECT_EQ(*(title + 3), "INFO: Creazione dell'oggetto ADODB.Recordset...");
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().back().text,
            "Test Connessione ADO eseguita con SUCCESSO.\r\n\r\n"
            "Versione di SQL Server rilevata:\r\n\r\n");
}

TEST_F(AdoRun, NullVersionGivesAnEmptyVersionText) {
  versionRows = {{{"", Value{Null{}}}}};
  cmdADO_Click();
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().back().text,
            "Test Connessione ADO eseguita con SUCCESSO.\r\n\r\n"
            "Versione di SQL Server rilevata:\r\n\r\n");
}

TEST_F(AdoRun, ServerInfoWithoutRowsGoesStraightToTheCloseLines) {
  infoRows.clear();
  cmdADO_Click();
  std::vector<std::string> steps = Steps();
  auto heading = std::find(
      steps.begin(), steps.end(),
      "INFO: Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...");
  ASSERT_NE(heading, steps.end());
  EXPECT_EQ(*(heading + 1), "INFO: Esecuzione metodo ADODB.Recordset.Close in corso...");
}

TEST_F(AdoRun, RowThatCannotBeReadGivesOneWarningAndTheListingGoesOn) {
  infoRows = {Attributo(1, "DBMS_NAME", "Microsoft SQL Server"),
              {{"attribute_id", Value{int32_t{2}}}, {"attribute_name", Value{std::string("X")}}},
              Attributo(3, "OWNER_TERM", "owner")};
  cmdADO_Click();
  std::vector<std::string> steps = Steps();
  auto heading = std::find(
      steps.begin(), steps.end(),
      "INFO: Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...");
  ASSERT_NE(heading, steps.end());
  EXPECT_EQ(*(heading + 1), "INFO:     DBMS_NAME = Microsoft SQL Server");
  EXPECT_EQ(*(heading + 2),
            "WARNING: Errore durante la rilevazione dei campo 'attribute_name' e "
            "'attribute_value' della sp_server_info: number=3265, description=Item not found "
            "in this collection., source=ADODB.Recordset");
  EXPECT_EQ(*(heading + 3), "INFO:     OWNER_TERM = owner");
  EXPECT_EQ(*(heading + 4), "INFO: Esecuzione metodo ADODB.Recordset.Close in corso...");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].flags, ui::kInformation);
  ASSERT_EQ(Started().size(), 1u);  // the success box, then Notepad for the warning
}

// Without EOF the listing could not tell its end: one WARNING, and it stops.
// EOF here recovers after a while, so that a listing that went on would
// show itself by its lines instead of running for ever.
TEST_F(AdoRun, ListingWhoseEndCannotBeReadWarnsOnceAndStops) {
  recordsetSetup = {nullptr, [](fa::FakeObject& rs) {
                      auto reads = std::make_shared<int>(0);
                      rs.Property("EOF", [reads]() -> Outcome<Value> {
                        if (++*reads < 50) return kGuasto;
                        return Value{true};
                      });
                    }};
  cmdADO_Click();
  std::vector<std::string> steps = Steps();
  auto heading = std::find(
      steps.begin(), steps.end(),
      "INFO: Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...");
  ASSERT_GT(steps.end() - heading, 2);
  EXPECT_EQ(*(heading + 1),
            "WARNING: Errore durante la rilevazione dei campo 'attribute_name' e "
            "'attribute_value' della sp_server_info: number=" +
                std::string(kGuastoTesto));
  EXPECT_EQ(*(heading + 2), "INFO: Esecuzione metodo ADODB.Recordset.Close in corso...");
  EXPECT_EQ(glngNumWarning, 1);
  testing::ExpectEnding(kProfiloAdo, testing::Ending::SuccessBox, true);
}

// A row that cannot be left must not be listed for ever.
TEST_F(AdoRun, RowThatCannotBeLeftEndsTheListingWithAWarning) {
  recordsetSetup = {nullptr, [](fa::FakeObject& rs) { rs.Failing("MoveNext", kGuasto); }};
  cmdADO_Click();
  std::vector<std::string> steps = Steps();
  auto heading = std::find(
      steps.begin(), steps.end(),
      "INFO: Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...");
  ASSERT_NE(heading, steps.end());
  EXPECT_EQ(*(heading + 1), "INFO:     DBMS_NAME = Microsoft SQL Server");
  EXPECT_EQ(*(heading + 2),
            "WARNING: Errore durante la rilevazione dei campo 'attribute_name' e "
            "'attribute_value' della sp_server_info: number=" +
                std::string(kGuastoTesto));
  EXPECT_EQ(*(heading + 3), "INFO: Esecuzione metodo ADODB.Recordset.Close in corso...");
}

using Fine = testing::Ending;
using RigaTabella = testing::FailureRow<AdoRun>;
using AdoFailureTable = testing::FailureTable<AdoRun>;

TEST_P(AdoFailureTable, EndsAsTheTableSays) { RunRow(); }

std::string Errore(const char* prefix) { return std::string("ERROR: ") + prefix + kGuastoTesto; }

const std::string kErroreCreaConn =
    "ERROR: Errore nella creazione dell'oggetto 'ADODB.Connection': number=-2147221164, "
    "description=Class not registered, source=ADODB.Connection";
const std::string kErroreApriConn =
    Errore("Errore durante l'esecuzione del metodo ADODB.Connection.Open: number=");
const std::string kErroreCreaRs = Errore("Errore nella creazione dell'oggetto ADODB.Recordset: number=");
const std::string kErroreApriRs =
    Errore("Errore durante l'esecuzione del metodo ADODB.Recordset.Open: number=");
const std::string kErroreChiudiRs =
    Errore("Errore durante l'esecuzione del metodo ADODB.Recordset.Close: number=");
const std::string kErroreChiudiConn =
    Errore("Errore durante l'esecuzione del metodo ADODB.Connection.Close: number=");

INSTANTIATE_TEST_SUITE_P(
    Rows, AdoFailureTable,
    ::testing::Values(
        RigaTabella{"CreateConnection",
                    [](AdoRun&) {
                      fa::Reset();  // ADO not registered at all
                    },
                    kErroreCreaConn, Fine::FailureBox, true},
        RigaTabella{"ReadVersion",
                    [](AdoRun& t) { t.connection->Failing("Version", kGuasto); },
                    "INFO: Distruzione dell'oggetto ADODB.Connection...", Fine::SuccessBox, false,
                    "INFO: Lettura proprietà ADODB.Version="},
        RigaTabella{"OpenConnection",
                    [](AdoRun& t) { t.connection->Failing("Open", kGuasto); },
                    kErroreApriConn, Fine::FailureBox, true},
        RigaTabella{"CreateFirstRecordset",
                    [](AdoRun& t) { t.recordsetFailures = {kGuasto}; }, kErroreCreaRs,
                    Fine::FailureBox, true},
        RigaTabella{"VersionQuery",
                    [](AdoRun& t) {
                      t.recordsetSetup = {[](fa::FakeObject& rs) { rs.Failing("Open", kGuasto); }};
                    },
                    kErroreApriRs, Fine::FailureBox, true},
        RigaTabella{"CloseFirstRecordset",
                    [](AdoRun& t) {
                      t.recordsetSetup = {[](fa::FakeObject& rs) { rs.Failing("Close", kGuasto); }};
                    },
                    kErroreChiudiRs, Fine::FailureBox, true},
        RigaTabella{"CreateSecondRecordset",
                    [](AdoRun& t) { t.recordsetFailures = {ErrorRecord{}, kGuasto}; },
                    kErroreCreaRs, Fine::NoBox, false},
        RigaTabella{"ServerInfoQuery",
                    [](AdoRun& t) {
                      t.recordsetSetup = {nullptr,
                                          [](fa::FakeObject& rs) { rs.Failing("Open", kGuasto); }};
                    },
                    kErroreApriRs, Fine::NoBox, false},
        RigaTabella{"AttributeRow",
                    [](AdoRun& t) {
                      t.recordsetSetup = {nullptr,
                                          [](fa::FakeObject& rs) { rs.Failing("Fields", kGuasto); }};
                      t.infoRows = {Attributo(1, "DBMS_NAME", "x")};
                    },
                    "INFO: Distruzione dell'oggetto ADODB.Connection...", Fine::SuccessBox, true},
        RigaTabella{"CloseSecondRecordset",
                    [](AdoRun& t) {
                      t.recordsetSetup = {nullptr,
                                          [](fa::FakeObject& rs) { rs.Failing("Close", kGuasto); }};
                    },
                    kErroreChiudiRs, Fine::NoBox, false},
        RigaTabella{"CloseConnection",
                    [](AdoRun& t) { t.connection->Failing("Close", kGuasto); },
                    kErroreChiudiConn, Fine::NoBox, false}),
    testing::kRowName);

}  // namespace
}  // namespace sondalink
