// Connection strings of the ADO and DAO tests: byte for byte for ordinary
// values, quoted where a value could break the string, and the password
// masked in what the log shows.
#include <gtest/gtest.h>

#include "connection/connstring.h"

namespace sondalink {
namespace {

TEST(ConnectionString, OrdinaryValuesGoInUnchanged) {
  struct Case {
    bool odbc;
    bool trusted;
    const char* real;
    const char* shown;
  } cases[] = {
      {false, true,
       "Provider=SQLOLEDB;Server=SRV\\SQL2000;Database=master;Trusted_Connection=Yes;"
       "LANGUAGE=us_english;APP=Velario;",
       nullptr},
      {false, false,
       "Provider=SQLOLEDB;Server=SRV\\SQL2000;Database=master;UID=sa;pwd=se greta;"
       "LANGUAGE=us_english;APP=Velario;",
       "Provider=SQLOLEDB;Server=SRV\\SQL2000;Database=master;UID=sa;pwd=********;"
       "LANGUAGE=us_english;APP=Velario;"},
      {true, true,
       "ODBC;Driver={SQL Server};Server=SRV\\SQL2000;Database=master;Trusted_Connection=Yes;"
       "LANGUAGE=us_english;APP=Velario;",
       nullptr},
      {true, false,
       "ODBC;Driver={SQL Server};Server=SRV\\SQL2000;Database=master;UID=sa;pwd=se greta;"
       "LANGUAGE=us_english;APP=Velario;",
       "ODBC;Driver={SQL Server};Server=SRV\\SQL2000;Database=master;UID=sa;pwd=********;"
       "LANGUAGE=us_english;APP=Velario;"},
  };
  for (const Case& c : cases) {
    // Under Windows authentication login and password never reach the string.
    const std::string login = c.trusted ? "ignorato" : "sa";
    StringaConnessione s = c.odbc ? StringaConnessioneODBC("SRV\\SQL2000", login, "se greta", c.trusted)
                                  : StringaConnessioneADO("SRV\\SQL2000", login, "se greta", c.trusted);
    EXPECT_EQ(s.strReale, c.real);
    EXPECT_EQ(s.strVisibile, c.shown ? c.shown : c.real);
  }
}

TEST(ConnectionString, EmptyPasswordStaysVisiblyEmpty) {
  const char* expected =
      "Provider=SQLOLEDB;Server=S;Database=master;UID=sa;pwd=;LANGUAGE=us_english;APP=Velario;";
  StringaConnessione s = StringaConnessioneADO("S", "sa", "", false);
  EXPECT_EQ(s.strReale, expected);
  EXPECT_EQ(s.strVisibile, expected);
}

TEST(ConnectionString, ValuesThatCouldBreakTheStringAreQuoted) {
  struct Case {
    const char* value;
    const char* ado;
    const char* odbc;
  } cases[] = {
      {"a;b", "\"a;b\"", "{a;b}"},
      {"\"x", "\"\"\"x\"", "\"x"},
      {"'x", "\"'x\"", "'x"},                 // OLE DB reads single quotes too
      {" x", "\" x\"", " x"},                 // and drops blanks around a bare value
      {"x\t", "\"x\t\"", "x\t"},
      {"x\"y", "x\"y", "x\"y"},                // a quote inside is harmless to OLE DB
      {"a;\"b\"", "\"a;\"\"b\"\"\"", "{a;\"b\"}"},
      {"{x}", "{x}", "{{x}}}"},
      {"a}b", "a}b", "{a}}b}"},
      {"x;Trusted_Connection=Yes", "\"x;Trusted_Connection=Yes\"", "{x;Trusted_Connection=Yes}"},
      {"", "", ""},
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
            "pwd=\"p;w\";LANGUAGE=us_english;APP=Velario;");
  EXPECT_EQ(s.strVisibile,
            "Provider=SQLOLEDB;Server=\"srv;x\";Database=master;UID=\"u;Trusted_Connection=Yes\";"
            "pwd=********;LANGUAGE=us_english;APP=Velario;");
  StringaConnessione o = StringaConnessioneODBC("srv}", "u", "p{", false);
  EXPECT_EQ(o.strReale,
            "ODBC;Driver={SQL Server};Server={srv}}};Database=master;UID=u;pwd={p{};"
            "LANGUAGE=us_english;APP=Velario;");
  EXPECT_EQ(o.strVisibile,
            "ODBC;Driver={SQL Server};Server={srv}}};Database=master;UID=u;pwd=********;"
            "LANGUAGE=us_english;APP=Velario;");
}

TEST(ConnectionString, ListedPropertiesNeverShowThePassword) {
  struct Case {
    const char* name;
    const char* value;
    const char* password;
    const char* shown;
  } cases[] = {
      {"Password", "segreta", "segreta", "********"},
      {"password", "altra", "segreta", "********"},  // named so: masked whatever it holds
      {"Password", "", "segreta", ""},
      {"Extended Properties", "UID=sa;PWD=segreta;", "segreta", "UID=sa;PWD=********;"},
      {"Extended Properties", "pwd=\"p;w\";x=p;w", "p;w", "pwd=********;x=********"},
      {"Extended Properties", "PWD={a}}b};", "a}b", "PWD=********;"},
      {"User ID", "sa", "segreta", "sa"},
      {"User ID", "sa", "", "sa"},  // no password: nothing to hide
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " = " + c.value);
    EXPECT_EQ(MascheraProprieta(c.name, c.value, c.password), c.shown);
  }
}

}  // namespace
}  // namespace sondalink
