// Connection strings of the ADO and DAO tests: byte for byte for ordinary
// values, quoted where a value could break the string, and the password
// masked in what the log shows.
#include <gtest/gtest.h>

#include "connection/connstring.h"
#include "support/connection_cases.h"

namespace sondalink {
namespace {

const std::string kTail = "LANGUAGE=us_english;APP=Velario;";

// As the golden logs show them; under Windows authentication login and
// password never reach the string.
TEST(ConnectionString, OrdinaryValuesGoInUnchanged) {
  namespace g = testing::golden;
  for (g::Component c : {g::Component::Ado, g::Component::Dao}) {
    const auto make = c == g::Component::Dao ? StringaConnessioneODBC : StringaConnessioneADO;
    for (const g::Inputs& in : {g::Inputs{.trusted = true, .login = "ignorato", .password = "se greta"},
                                g::Inputs{.password = "se greta"}}) {
      const StringaConnessione s = make(in.server, in.login, in.password, in.trusted);
      EXPECT_EQ(s.strReale, g::Real(c, in, in.password));
      EXPECT_EQ(s.strVisibile, g::ConnectionString(c, in));
    }
  }
}

TEST(ConnectionString, EmptyPasswordStaysVisiblyEmpty) {
  const std::string expected = "Provider=SQLOLEDB;Server=S;Database=master;UID=sa;pwd=;" + kTail;
  StringaConnessione s = StringaConnessioneADO("S", "sa", "", false);
  EXPECT_EQ(s.strReale, expected);
  EXPECT_EQ(s.strVisibile, expected);
}

TEST(ConnectionString, OnlyValuesThatWouldBeMisreadAreQuoted) {
  struct Case {
    const char* value;
    const char* ado;
    const char* odbc;
  } cases[] = {
      {"a;b", "\"a;b\"", "{a;b}"},
      {"\"x", "\"\"\"x\"", "\"x"},
      {"'x", "\"'x\"", "'x"},                  // OLE DB reads single quotes too
      {"  \"x", "\"\"\"x\"", "  \"x"},          // also after the blanks it drops
      {" 'x\t", "\"'x\"", " 'x\t"},
      {" a;b ", "\"a;b\"", "{ a;b }"},          // the blanks OLE DB drops stay out
      {" SRV ", " SRV ", " SRV "},              // OLE DB drops them itself, as always
      {"x\t", "x\t", "x\t"},
      {"x\"y", "x\"y", "x\"y"},                 // a quote inside is harmless to OLE DB
      {"x'", "x'", "x'"},
      {"a;\"b\"", "\"a;\"\"b\"\"\"", "{a;\"b\"}"},
      {"{x}", "{x}", "{{x}}}"},
      {"a}b", "a}b", "{a}}b}"},
      {"x;Trusted_Connection=Yes", "\"x;Trusted_Connection=Yes\"", "{x;Trusted_Connection=Yes}"},
      {"", "", ""},
      {"   ", "   ", "   "},
      {"piano terra", "piano terra", "piano terra"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ValoreADO(c.value), c.ado);
    EXPECT_EQ(ValoreODBC(c.value), c.odbc);
  }
  StringaConnessione s = StringaConnessioneADO("srv;x", "u;Trusted_Connection=Yes", "p;w", false);
  EXPECT_EQ(s.strReale,
            "Provider=SQLOLEDB;Server=\"srv;x\";Database=master;UID=\"u;Trusted_Connection=Yes\";"
            "pwd=\"p;w\";" + kTail);
  EXPECT_EQ(s.strVisibile,
            "Provider=SQLOLEDB;Server=\"srv;x\";Database=master;UID=\"u;Trusted_Connection=Yes\";"
            "pwd=********;" + kTail);
  StringaConnessione o = StringaConnessioneODBC("srv}", "u", "p{", false);
  EXPECT_EQ(o.strReale,
            "ODBC;Driver={SQL Server};Server={srv}}};Database=master;UID=u;pwd={p{};" + kTail);
  EXPECT_EQ(o.strVisibile,
            "ODBC;Driver={SQL Server};Server={srv}}};Database=master;UID=u;pwd=********;" + kTail);
}

// Only the value of a password key or of a property named so is masked; the
// same characters anywhere else are data and stay.
TEST(ConnectionString, PasswordsAreMaskedByNameAndKeyNeverByText) {
  for (bool odbc : {false, true}) {
    const StringaConnessione s = odbc ? StringaConnessioneODBC("sa", "sa", "sa", false)
                                      : StringaConnessioneADO("sa", "sa", "sa", false);
    EXPECT_EQ(s.strVisibile, std::string(odbc ? "ODBC;Driver={SQL Server};" : "Provider=SQLOLEDB;") +
                                 "Server=sa;Database=master;UID=sa;pwd=********;" + kTail);
  }
  struct Case {
    const char* name;
    const char* value;
    const char* shown;
  } cases[] = {
      {"Password", "segreta", "********"},
      {"PASSWORD", "x", "********"},
      {"Password", "", ""},
      {"User ID", "segreta", "segreta"},
      {"Passwords", "x", "x"},
      {"Mode", "uses segreta; inside", "uses segreta; inside"},
      {"Current Catalog", "master", "master"},
      // A value that is a connection string: its password key alone.
      {"Extended Properties", "UID=sa;PWD=segreta;", "UID=sa;PWD=********;"},
      {"Extended Properties", "UID=sa;PWD=;APP=x", "UID=sa;PWD=;APP=x"},
      {"Extended Properties", " password = 'a''b;c' ;Data Source=d",
       " password =********;Data Source=d"},
      {"Extended Properties", "pwd=\"p;w\";x=p;w", "pwd=********;x=p;w"},
      {"Extended Properties", "Data Source=pwd;UID=Password=x", "Data Source=pwd;UID=Password=x"},
      // OLE DB reads no braces, ODBC no quotes.
      {"Extended Properties", "Provider=P;pwd={a;Data Source=b}", "Provider=P;pwd=********;Data Source=b}"},
      {"Connect", "ODBC;DSN=x;PWD=\"a;UID=b", "ODBC;DSN=x;PWD=********;UID=b"},
      {"Extended Properties", "DRIVER={SQL Server};SERVER=s;PWD={a}}b;c};APP=y",
       "DRIVER={SQL Server};SERVER=s;PWD=********;APP=y"},
      {"Extended Properties", "DSN=x;Password=y", "DSN=x;Password=y"},  // no ODBC keyword
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = " + c.value);
    EXPECT_EQ(MascheraProprieta(c.name, c.value), c.shown);
  }
}

}  // namespace
}  // namespace sondalink
