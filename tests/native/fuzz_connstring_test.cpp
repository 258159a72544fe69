// Random server names, logins and passwords against the connection strings:
// read back by the parsing rules of OLE DB (ADO) and of ODBC (DAO), every
// string holds exactly the keys the program puts there, with exactly the
// values typed, and the masked copy gives the password away nowhere.
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

// OLE DB: keyword=value pairs split at semicolons; blanks around an unquoted
// value are dropped; a value may be enclosed in double or single quotes, the
// enclosing quote doubled inside.
std::optional<Pairs> ParseOleDb(std::string_view s) {
  Pairs out;
  size_t i = 0;
  auto skip = [&] { while (i < s.size() && Blank(s[i])) ++i; };
  while (true) {
    skip();
    if (i == s.size()) return out;
    if (s[i] == ';') { ++i; continue; }
    size_t eq = s.find('=', i);
    if (eq == std::string_view::npos || s.substr(i, eq - i).find(';') != std::string_view::npos) {
      return std::nullopt;
    }
    std::string key(s.substr(i, eq - i));
    while (!key.empty() && Blank(key.back())) key.pop_back();
    i = eq + 1;
    skip();
    std::string value;
    if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
      const char q = s[i++];
      while (true) {
        if (i == s.size()) return std::nullopt;  // unterminated
        if (s[i] == q) {
          if (i + 1 < s.size() && s[i + 1] == q) {
            value += q;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += s[i++];
      }
      skip();
      if (i < s.size() && s[i] != ';') return std::nullopt;  // text after the closing quote
    } else {
      size_t end = std::min(s.size(), s.find(';', i));
      value = std::string(s.substr(i, end - i));
      while (!value.empty() && Blank(value.back())) value.pop_back();
      i = end;
    }
    out.emplace_back(std::move(key), std::move(value));
  }
}

// ODBC (a DAO connect string, after its "ODBC;" type): attribute=value pairs
// split at semicolons; a value may be enclosed in braces, a closing brace
// doubled inside; an unbraced value is taken as it stands.
std::optional<Pairs> ParseOdbc(std::string_view s) {
  if (!s.starts_with("ODBC;")) return std::nullopt;
  s.remove_prefix(5);
  Pairs out;
  size_t i = 0;
  while (i < s.size()) {
    size_t eq = s.find('=', i);
    if (eq == std::string_view::npos || s.substr(i, eq - i).find_first_of(";{}") != std::string_view::npos) {
      return std::nullopt;
    }
    std::string key(s.substr(i, eq - i));
    i = eq + 1;
    std::string value;
    if (i < s.size() && s[i] == '{') {
      ++i;
      while (true) {
        if (i == s.size()) return std::nullopt;
        if (s[i] == '}') {
          if (i + 1 < s.size() && s[i + 1] == '}') {
            value += '}';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += s[i++];
      }
      if (i < s.size() && s[i] != ';') return std::nullopt;
    } else {
      size_t end = std::min(s.size(), s.find(';', i));
      value = std::string(s.substr(i, end - i));
      if (value.find_first_of("{}") != std::string::npos) return std::nullopt;
      i = end;
    }
    if (i < s.size()) ++i;  // the semicolon
    out.emplace_back(std::move(key), std::move(value));
  }
  return out;
}

Pairs Expected(bool odbc, const std::string& server, const std::string& login,
               const std::string& password, bool trusted) {
  Pairs p;
  if (odbc) {
    p.emplace_back("Driver", "SQL Server");
  } else {
    p.emplace_back("Provider", "SQLOLEDB");
  }
  p.emplace_back("Server", server);
  p.emplace_back("Database", "master");
  if (trusted) {
    p.emplace_back("Trusted_Connection", "Yes");
  } else {
    p.emplace_back("UID", login);
    p.emplace_back("pwd", password);
  }
  p.emplace_back("LANGUAGE", "us_english");
  p.emplace_back("APP", "Velario");
  return p;
}

std::string Describe(const std::optional<Pairs>& p) {
  if (!p) return "(does not parse)";
  std::string out;
  for (const auto& [k, v] : *p) out += k + "=" + Shown(v) + " ";
  return out;
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
      const StringaConnessione s = odbc ? StringaConnessioneODBC(server, login, password, trusted)
                                        : StringaConnessioneADO(server, login, password, trusted);
      const auto parse = odbc ? ParseOdbc : ParseOleDb;
      std::optional<Pairs> real = parse(s.strReale);
      EXPECT_EQ(real, Expected(odbc, server, login, password, trusted))
          << Shown(s.strReale) << " reads back as " << Describe(real);

      // What the log shows is the same string with the mask standing in for
      // a non-empty password: nothing else of it can leak.
      const std::string shownPassword =
          password.empty() || trusted ? password : std::string(kPasswordMascherata);
      std::optional<Pairs> shown = parse(s.strVisibile);
      EXPECT_EQ(shown, Expected(odbc, server, login, shownPassword, trusted))
          << Shown(s.strVisibile) << " reads back as " << Describe(shown);
      const StringaConnessione masked =
          odbc ? StringaConnessioneODBC(server, login, shownPassword, trusted)
               : StringaConnessioneADO(server, login, shownPassword, trusted);
      EXPECT_EQ(s.strVisibile, masked.strReale);
    }
  });
}

TEST(FuzzConnectionString, MaskedPropertyValuesNeverHoldThePassword) {
  Fuzz fuzz(12);
  fuzz.Run(20000, [&](int) {
    std::string password = Field(fuzz);
    // A password made of the mask's own stars is found in the mask itself.
    std::erase(password, '*');
    const std::string server = Field(fuzz), login = Field(fuzz);

    // Property values that quote the password in every form the program
    // builds, among random text.
    std::string value = fuzz.Typed(8);
    switch (fuzz.Below(5)) {
      case 0: value = StringaConnessioneADO(server, login, password, false).strReale; break;
      case 1: value = StringaConnessioneODBC(server, login, password, false).strReale; break;
      case 2: value += password + fuzz.Typed(4) + password; break;
      case 3: value += ValoreADO(password) + ValoreODBC(password) + fuzz.Typed(3); break;
      default: break;
    }
    static constexpr std::string_view kNames[] = {"Password", "PASSWORD", "password", "Extended Properties",
                                                  "Data Source", "User ID", "Passwor"};
    const std::string_view name = kNames[fuzz.Below(std::size(kNames))];
    const std::string out = MascheraProprieta(name, value, password);

    if (name.size() == 8 && (name[0] == 'P' || name[0] == 'p')) {
      EXPECT_EQ(out, value.empty() ? "" : std::string(kPasswordMascherata)) << Shown(value);
    } else if (password.empty()) {
      EXPECT_EQ(out, value);
    } else {
      EXPECT_EQ(out.find(password), std::string::npos)
          << "password " << Shown(password) << " left in " << Shown(out);
      if (value.find(password) == std::string::npos &&
          value.find(ValoreADO(password)) == std::string::npos &&
          value.find(ValoreODBC(password)) == std::string::npos) {
        EXPECT_EQ(out, value) << "masked what was not the password";
      }
    }
  });
}

TEST(FuzzConnectionString, AnyBytesAtAllAreHandled) {
  // NULs, broken UTF-8 and very long values: no crash, no sanitizer report.
  Fuzz fuzz(13);
  fuzz.Run(3000, [&](int) {
    const std::string a = fuzz.Bytes(fuzz.OneIn(100) ? 100000 : 64), b = fuzz.Bytes(32),
                      c = fuzz.Bytes(32);
    const bool trusted = fuzz.OneIn(2);
    EXPECT_FALSE(StringaConnessioneADO(a, b, c, trusted).strReale.empty());
    EXPECT_FALSE(StringaConnessioneODBC(a, b, c, trusted).strVisibile.empty());
    MascheraProprieta(b, a, c);
  });
}

}  // namespace
}  // namespace sondalink
