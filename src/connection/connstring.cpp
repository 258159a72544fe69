// Connection strings and password masking.
#include "connection/connstring.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

namespace sondalink {

namespace {

constexpr std::string_view kCoda = "LANGUAGE=us_english;APP=Velario;";

// The blanks OLE DB drops around a bare value.
bool Bianco(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string Raddoppia(std::string_view strValore, char c) {
  std::string out;
  for (char ch : strValore) {
    out += ch;
    if (ch == c) out += c;
  }
  return out;
}

std::string_view Rifila(std::string_view s) {
  while (!s.empty() && Bianco(s.front())) s.remove_prefix(1);
  while (!s.empty() && Bianco(s.back())) s.remove_suffix(1);
  return s;
}

bool UgualeSenzaMaiuscole(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool UnoDi(std::string_view parola, std::initializer_list<std::string_view> elenco) {
  return std::any_of(elenco.begin(), elenco.end(),
                     [&](std::string_view p) { return UgualeSenzaMaiuscole(parola, p); });
}

// Where a value that starts at `da` ends: past its closing quote (OLE DB) or
// brace (ODBC), the enclosing character doubled inside; an unclosed one runs
// to the end of the string.
size_t FineRacchiuso(std::string_view s, size_t da, char chiusura) {
  for (size_t i = da + 1; i < s.size(); ++i) {
    if (s[i] != chiusura) continue;
    if (i + 1 < s.size() && s[i + 1] == chiusura) {
      ++i;
      continue;
    }
    return i + 1;
  }
  return s.size();
}

// ODBC's grammar for a string that begins with the "ODBC;" of a DAO connect
// string or with a keyword only ODBC knows; OLE DB's for any other.
bool GrammaticaODBC(std::string_view s) {
  const size_t fine = s.find_first_of(";=");
  if (fine == std::string_view::npos) return false;
  const std::string_view primo = Rifila(s.substr(0, fine));
  return s[fine] == ';' ? UgualeSenzaMaiuscole(primo, "ODBC")
                        : UnoDi(primo, {"DRIVER", "DSN", "FILEDSN"});
}

// Head + server + the authentication part + the common tail.
template <class Quota>
StringaConnessione Componi(std::string_view strTesta, const std::string& strServer,
                           const std::string& strLogin, const std::string& strPassword,
                           bool bTrusted, Quota quota) {
  std::string s = std::string(strTesta) + "Server=" + quota(strServer) + ";Database=master;";
  if (bTrusted) {
    s += "Trusted_Connection=Yes;";
  } else {
    s += "UID=" + quota(strLogin) + ";pwd=" + quota(strPassword) + ";";
  }
  s += kCoda;
  return {s, MascheraStringaConnessione(s)};
}

}  // namespace

std::string ValoreADO(const std::string& strValore) {
  // OLE DB drops the blanks around a bare value, and reads one that then
  // begins with either quote as quoted; a semicolon would end it.
  const std::string_view nucleo = Rifila(strValore);
  if (nucleo.find(';') == std::string_view::npos &&
      (nucleo.empty() || (nucleo.front() != '"' && nucleo.front() != '\''))) {
    return strValore;
  }
  return '"' + Raddoppia(nucleo, '"') + '"';
}

std::string ValoreODBC(const std::string& strValore) {
  if (strValore.find_first_of(";{}") == std::string::npos) return strValore;
  return '{' + Raddoppia(strValore, '}') + '}';
}

StringaConnessione StringaConnessioneADO(const std::string& strServer, const std::string& strLogin,
                                         const std::string& strPassword, bool bTrusted) {
  return Componi("Provider=SQLOLEDB;", strServer, strLogin, strPassword, bTrusted, ValoreADO);
}

StringaConnessione StringaConnessioneODBC(const std::string& strServer, const std::string& strLogin,
                                          const std::string& strPassword, bool bTrusted) {
  return Componi("ODBC;Driver={SQL Server};", strServer, strLogin, strPassword, bTrusted,
                 ValoreODBC);
}

std::string MascheraStringaConnessione(std::string_view s) {
  const bool odbc = GrammaticaODBC(s);
  std::string out;
  size_t i = 0;
  while (i < s.size()) {
    const size_t uguale = s.find_first_of(";=", i);
    if (uguale == std::string_view::npos || s[uguale] == ';') {
      // An item without a value, such as the "ODBC" of a DAO connect string.
      const size_t fine = uguale == std::string_view::npos ? s.size() : uguale + 1;
      out += s.substr(i, fine - i);
      i = fine;
      continue;
    }
    const std::string_view chiave = Rifila(s.substr(i, uguale - i));
    out += s.substr(i, uguale + 1 - i);

    // The value runs to the semicolon after it; a quoted or braced one may
    // hold semicolons of its own.
    size_t fine = uguale + 1;
    if (odbc) {
      if (fine < s.size() && s[fine] == '{') fine = FineRacchiuso(s, fine, '}');
    } else {
      while (fine < s.size() && Bianco(s[fine])) ++fine;
      if (fine < s.size() && (s[fine] == '"' || s[fine] == '\'')) {
        fine = FineRacchiuso(s, fine, s[fine]);
      }
    }
    fine = std::min(s.size(), s.find(';', fine));
    const std::string_view valore = s.substr(uguale + 1, fine - uguale - 1);

    const bool password = odbc ? UgualeSenzaMaiuscole(chiave, "PWD")
                               : UnoDi(chiave, {"Password", "pwd"});
    if (password && !valore.empty()) {
      out += kPasswordMascherata;
    } else {
      out += valore;
    }
    i = fine;
  }
  return out;
}

std::string MascheraProprieta(std::string_view strNome, const std::string& strValore) {
  if (UgualeSenzaMaiuscole(strNome, "Password")) {
    return strValore.empty() ? strValore : std::string(kPasswordMascherata);
  }
  return MascheraStringaConnessione(strValore);
}

}  // namespace sondalink
