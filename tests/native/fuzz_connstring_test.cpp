// Random server names, logins and passwords against the connection strings:
// read back by the parsing rules of OLE DB (ADO) and of ODBC (DAO), every
// string holds exactly the keys the program puts there, with the values typed
// (without the outer blanks OLE DB always drops), and the masked copy differs
// from it only where the password stands.
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "connection/connstring.h"
#include "native/fuzz.h"

namespace sondalink {
namespace {

using testing::Fuzz;
using testing::Shown;
using Pairs = std::vector<std::pair<std::string, std::string>>;

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

// A value from its opening character at `i` to `close`, which stands doubled
// inside; false when it is not closed.
bool Enclosed(std::string_view s, size_t& i, char close, std::string& value) {
  for (++i; i < s.size(); value += s[i++]) {
    if (s[i] != close) continue;
    if (++i == s.size() || s[i] != close) return true;  // past the closing character
    // else the doubled closing character stands for one
  }
  return false;
}

// The pairs as the component reads them, split at semicolons, a value
// enclosed with its closing character doubled inside. OLE DB (ADO) drops the
// blanks around keys and unenclosed values and encloses in double or single
// quotes; ODBC (DAO, after its "ODBC;" type) keeps every blank, encloses in
// braces and allows no brace in a key or an unenclosed value.
std::optional<Pairs> Parse(std::string_view s, bool odbc) {
  if (odbc && !s.starts_with("ODBC;")) return std::nullopt;
  if (odbc) s.remove_prefix(5);
  Pairs out;
  size_t i = 0;
  auto skip = [&] { while (!odbc && i < s.size() && Blank(s[i])) ++i; };
  auto trim = [&](std::string& t) { while (!odbc && !t.empty() && Blank(t.back())) t.pop_back(); };
  while (true) {
    skip();
    if (i == s.size()) return out;
    if (!odbc && s[i] == ';') {
      ++i;
      continue;
    }
    size_t eq = s.find('=', i);
    if (eq == std::string_view::npos || s.substr(i, eq - i).find_first_of(odbc ? ";{}" : ";") != std::string_view::npos)
      return std::nullopt;
    std::string key(s.substr(i, eq - i));
    trim(key);
    i = eq + 1;
    skip();
    std::string value;
    const char open = i < s.size() ? s[i] : '\0';
    if (odbc ? open == '{' : open == '"' || open == '\'') {
      if (!Enclosed(s, i, odbc ? '}' : open, value)) return std::nullopt;
      skip();
      if (i < s.size() && s[i] != ';') return std::nullopt;  // text after the closing character
    } else {
      size_t end = std::min(s.size(), s.find(';', i));
      value = std::string(s.substr(i, end - i));
      if (odbc && value.find_first_of("{}") != std::string::npos) return std::nullopt;
      trim(value);
      i = end;
    }
    if (odbc && i < s.size()) ++i;  // the semicolon
    out.emplace_back(std::move(key), std::move(value));
  }
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

// The pairs as the component reads them: OLE DB drops the blanks around
// every value, quoted or not, as it always has.
Pairs Expected(bool odbc, std::string server, std::string login, std::string password,
               bool trusted) {
  if (!odbc)
    for (std::string* value : {&server, &login, &password}) *value = Trimmed(*value);
  Pairs p = {{odbc ? "Driver" : "Provider", odbc ? "SQL Server" : "SQLOLEDB"},
             {"Server", server},
             {"Database", "master"}};
  if (trusted) {
    p.emplace_back("Trusted_Connection", "Yes");
  } else {
    p.insert(p.end(), {{"UID", login}, {"pwd", password}});
  }
  p.insert(p.end(), {{"LANGUAGE", "us_english"}, {"APP", "Velario"}});
  return p;
}

// A value as the window can hold it: no NUL.
std::string Field(Fuzz& fuzz) {
  std::string s = fuzz.OneIn(6) ? fuzz.Bytes(20) : fuzz.Typed(fuzz.OneIn(20) ? 200 : 10);
  std::erase(s, '\0');
  return s;
}

TEST(FuzzConnectionString, EveryValueReadsBackExactlyAndNothingElseIsAdded) {
  Fuzz fuzz(11);
  fuzz.Run(20000, [&](int) {
    const std::string server = Field(fuzz), login = Field(fuzz), password = Field(fuzz);
    const bool trusted = fuzz.OneIn(4);
    for (bool odbc : {false, true}) {
      SCOPED_TRACE(odbc ? "ODBC" : "OLE DB");
      const auto make = odbc ? StringaConnessioneODBC : StringaConnessioneADO;
      const StringaConnessione s = make(server, login, password, trusted);
      EXPECT_EQ(Parse(s.strReale, odbc), Expected(odbc, server, login, password, trusted)) << Shown(s.strReale);

      // What the log shows is the same string with the mask standing in for
      // a non-empty password: nothing else of it is changed, nothing of the
      // password is left.
      const std::string shownPassword =
          password.empty() || trusted ? password : std::string(kPasswordMascherata);
      EXPECT_EQ(s.strVisibile, make(server, login, shownPassword, trusted).strReale) << Shown(s.strReale);
    }
  });
}

// Property values that are connection strings (the program's own, with a
// server and a login that often are, or hold, the password) are masked at
// their password key and nowhere else; free text is never touched, whatever
// it shares with the password.
TEST(FuzzConnectionString, PropertyValuesAreMaskedWherePasswordsStandOnly) {
  Fuzz fuzz(12);
  fuzz.Run(20000, [&](int) {
    const std::string password = Field(fuzz);
    auto near = [&] {
      switch (fuzz.Below(4)) {
        case 0: return password;
        case 1: return fuzz.Typed(3) + password + fuzz.Typed(3);
        default: return Field(fuzz);
      }
    };
    const std::string server = near(), login = near();
    const std::string mask = password.empty() ? "" : std::string(kPasswordMascherata);
    static constexpr std::string_view kNames[] = {"Password", "PASSWORD", "password",
                                                  "Extended Properties", "Data Source",
                                                  "User ID", "Passwor"};
    const std::string_view name = kNames[fuzz.Below(std::size(kNames))];
    const bool passwordProperty = name.size() == 8 && (name[0] == 'P' || name[0] == 'p');

    std::string value, shown;
    if (const size_t kind = fuzz.Below(3); kind < 2) {
      const auto make = kind == 0 ? StringaConnessioneADO : StringaConnessioneODBC;
      value = make(server, login, password, false).strReale;
      shown = make(server, login, mask, false).strReale;
    } else {
      // No "=", so no key: text that merely holds the password.
      value = fuzz.Typed(6) + password + fuzz.Typed(4) + login;
      std::erase(value, '=');
      shown = value;
    }
    if (passwordProperty) shown = value.empty() ? "" : std::string(kPasswordMascherata);
    EXPECT_EQ(MascheraProprieta(name, value), shown)
        << Shown(name) << " = " << Shown(value) << ", password " << Shown(password);
  });
}

TEST(FuzzConnectionString, AnyBytesAtAllAreHandled) {
  // NULs, broken UTF-8 and very long values: no crash, no sanitizer report.
  Fuzz fuzz(13);
  fuzz.Run(3000, [&](int) {
    const std::string a = fuzz.Bytes(fuzz.OneIn(100) ? 100000 : 64), b = fuzz.Bytes(32),
                      c = fuzz.Bytes(32);
    const bool trusted = fuzz.OneIn(2);
    // Whatever the bytes, the string keeps its documented head and tail.
    const std::string ado = StringaConnessioneADO(a, b, c, trusted).strReale;
    const std::string odbc = StringaConnessioneODBC(a, b, c, trusted).strVisibile;
    EXPECT_TRUE(ado.starts_with("Provider=SQLOLEDB;")) << Shown(ado.substr(0, 40));
    EXPECT_TRUE(odbc.starts_with("ODBC;Driver={SQL Server};")) << Shown(odbc.substr(0, 40));
    for (const std::string& s : {ado, odbc}) {
      EXPECT_TRUE(s.ends_with(";LANGUAGE=us_english;APP=Velario;")) << Shown(s.substr(0, 40));
    }
    MascheraProprieta(b, a);
    // With no '=' there is no key, so nothing to mask.
    std::string keyless = a;
    std::erase(keyless, '=');
    EXPECT_EQ(MascheraStringaConnessione(keyless), keyless);
  });
}

}  // namespace
}  // namespace sondalink
