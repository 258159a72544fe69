// The stand-in reached the way Sondalink reaches the real components:
// through its own late-binding layer, so that the end-to-end runs meet no
// surprise between the two.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../support/row_name.h"
#include "platform/automation.h"
#include "standin_fixture.h"

namespace sondalink::standin {
namespace {

namespace automation = platform::automation;
using ::testing::Contains;
using ::testing::HasSubstr;

const char kAdoString[] =
    "Provider=SQLOLEDB;Server=PC01;Database=master;UID=sa;pwd=segreta;LANGUAGE=us_english;APP=Velario;";

// Reads a member that must succeed and hold a value of type T.
template <class T>
T Must(const Outcome<automation::Value>& outcome) {
  EXPECT_TRUE(outcome.ok()) << outcome.error.number << " " << outcome.error.description;
  const T* value = std::get_if<T>(&outcome.value);
  EXPECT_NE(value, nullptr) << "held alternative " << outcome.value.index();
  return value ? *value : T{};
}

std::vector<std::string> Listing(const automation::Object& owner) {
  auto properties = Must<automation::Object>(automation::Get(owner, "Properties"));
  automation::Value count = automation::Get(properties, "Count").value;
  int32_t n = std::holds_alternative<int16_t>(count) ? std::get<int16_t>(count) : std::get<int32_t>(count);
  std::vector<std::string> lines;
  for (int32_t i = 0; i < n; ++i) {
    auto item = Must<automation::Object>(automation::Item(properties, automation::Value{i}));
    auto value = automation::Get(item, "Value");
    auto text = automation::ToText(value.value);
    lines.push_back(Must<std::string>(automation::Get(item, "Name")) + " = " +
                    (value.ok() && text.ok() ? text.value : "<" + value.error.description + ">"));
  }
  return lines;
}

TEST_F(Standin, AdoRunThroughTheProgramsAutomationLayer) {
  Scenario("property.ado=Vuota|@null\nproperty.ado=Guasta|@fail:0x80004005|Non leggibile|Provider\n");
  auto created = automation::CreateFromClassId("{00000514-0000-0010-8000-00AA006D2EA4}", "ADODB.Connection");
  ASSERT_TRUE(created.ok()) << created.error.description;
  const automation::Object connection = created.value;
  EXPECT_EQ(Must<std::string>(automation::Get(connection, "Version")), "2.8");
  const automation::Value open[] = {std::string(kAdoString), std::string(), std::string(), int32_t{-1}};
  ASSERT_TRUE(automation::Call(connection, "Open", open).ok());

  std::vector<std::string> listing = Listing(connection);
  EXPECT_THAT(listing, Contains("Data Source = PC01"));
  EXPECT_THAT(listing, Contains("Connect Timeout = 15"));
  EXPECT_THAT(listing, Contains("Vuota = "));
  EXPECT_THAT(listing, Contains("Guasta = <Non leggibile>"));

  auto recordset = automation::CreateFromClassId("{00000535-0000-0010-8000-00AA006D2EA4}", "ADODB.Recordset");
  ASSERT_TRUE(recordset.ok());
  const automation::Value query[] = {std::string("SELECT @@VERSION"), connection, int32_t{3}, int32_t{1},
                                     int32_t{-1}};
  ASSERT_TRUE(automation::Call(recordset.value, "Open", query).ok());
  EXPECT_FALSE(Must<bool>(automation::Get(recordset.value, "EOF")));
  auto fields = Must<automation::Object>(automation::Get(recordset.value, "Fields"));
  auto field = Must<automation::Object>(automation::Item(fields, automation::Value{int32_t{0}}));
  EXPECT_THAT(Must<std::string>(automation::Get(field, "Value")), HasSubstr("(Intel X86)\r\n\t"));
  EXPECT_TRUE(automation::Call(recordset.value, "Close").ok());
  EXPECT_TRUE(automation::Call(connection, "Close").ok());

  EXPECT_THAT(JournalLines(), Contains("call ado.Connection.Open(VT_BSTR \"" + std::string(kAdoString) +
                                       "\", VT_BSTR \"\", VT_BSTR \"\", VT_I4 -1)"));
}

TEST_F(Standin, DaoThroughTheAutomationLayerKeepsSixteenBitIntegersAndRefusesTheSecondWorkspace) {
  Scenario("");
  // DAO's run-time key, as on a machine without the design-time licence.
  auto engine = automation::CreateFromClassId("{00000010-0000-0010-8000-00AA006D2EA4}", "DAO.DBEngine.35",
                                              "mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak");
  ASSERT_TRUE(engine.ok());
  // Without it the engine is refused, the failure that users once met.
  Outcome<automation::Object> plain =
      automation::CreateFromClassId("{00000010-0000-0010-8000-00AA006D2EA4}", "DAO.DBEngine.35");
  EXPECT_EQ(plain.error.number, -2147221230);  // CLASS_E_NOTLICENSED
  EXPECT_EQ(plain.error.description, "Class is not licensed for use");
  EXPECT_EQ(plain.error.source, "DAO.DBEngine.35");
  const automation::Value create[] = {std::string("ODBCWorkspace"), std::string("admin"), std::string(),
                                      int32_t{1}};
  auto workspace = Must<automation::Object>(automation::Call(engine.value, "CreateWorkspace", create));
  auto workspaces = Must<automation::Object>(automation::Get(engine.value, "Workspaces"));
  const automation::Value append[] = {workspace};
  ASSERT_TRUE(automation::Call(workspaces, "Append", append).ok());
  auto properties = Must<automation::Object>(automation::Get(engine.value, "Properties"));
  EXPECT_EQ(Must<int16_t>(automation::Get(properties, "Count")), 5);

  const automation::Value openConnection[] = {std::string(), int32_t{0}, false,
                                              std::string("ODBC;Driver={SQL Server};Server=PC01;")};
  auto connection = Must<automation::Object>(automation::Call(workspace, "OpenConnection", openConnection));
  EXPECT_FALSE(automation::Put(connection, "QueryTimeout", int16_t{60}).failed());
  EXPECT_EQ(Must<int16_t>(automation::Get(connection, "QueryTimeout")), 60);

  auto again = Must<automation::Object>(automation::Call(engine.value, "CreateWorkspace", create));
  const automation::Value appendAgain[] = {again};
  ErrorRecord refused = automation::Call(workspaces, "Append", appendAgain).error;
  EXPECT_EQ(refused.number, 3367);
  EXPECT_EQ(refused.description, "Impossibile aggiungere. Un oggetto con lo stesso nome esiste già nell'insieme.");
  EXPECT_EQ(refused.source, "DAO.Workspaces");

  EXPECT_THAT(JournalLines(), Contains("put dao.Connection.QueryTimeout = VT_I2 60"));
}

struct Raised {
  const char* name;
  uint32_t code;
  const char* mode;
  int32_t number;  // as the error record shows it
};

void PrintTo(const Raised& r, std::ostream* os) { *os << r.name; }

class RaisedErrors : public Standin, public ::testing::WithParamInterface<Raised> {};

TEST_P(RaisedErrors, BecomeTheErrorRecordTheLogShows) {
  const Raised& r = GetParam();
  Scenario(Fail("dmo.SQLServer.Connect", r.code, "Accesso negato", "Microsoft SQL-DMO (ODBC SQLState: 28000)",
                r.mode));
  auto server = automation::CreateFromName("SQLDMO.SQLServer");
  ASSERT_TRUE(server.ok());
  const automation::Value connect[] = {std::string("PC01"), std::string("sa"), std::string("x")};
  ErrorRecord e = automation::Call(server.value, "Connect", connect).error;
  EXPECT_EQ(e.number, r.number);
  EXPECT_EQ(e.description, "Accesso negato");
  EXPECT_EQ(e.source, "Microsoft SQL-DMO (ODBC SQLState: 28000)");
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, RaisedErrors,
    ::testing::Values(Raised{"ControlFacility", 0x800A0C4A, "excepinfo", 3146},
                      Raised{"Deferred", 0x800A0C4A, "deferred", 3146},
                      Raised{"ErrorInfo", 0x80044818, "errorinfo", static_cast<int32_t>(0x80044818)},
                      Raised{"OtherFacility", 0x80040E4D, "excepinfo", static_cast<int32_t>(0x80040E4D)}),
    sondalink::testing::kRowName);

}  // namespace
}  // namespace sondalink::standin
