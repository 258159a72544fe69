// Connection strings and password masking.
#include "connection/connstring.h"

#include <algorithm>
#include <cctype>

namespace sondalink {

namespace {

constexpr std::string_view kCoda = "LANGUAGE=us_english;APP=Velario;";

std::string Raddoppia(const std::string& strValore, char c) {
  std::string out;
  for (char ch : strValore) {
    out += ch;
    if (ch == c) out += c;
  }
  return out;
}

void SostituisciTutti(std::string& testo, const std::string& cerca, std::string_view con) {
  if (cerca.empty()) return;
  for (size_t pos = testo.find(cerca); pos != std::string::npos;
       pos = testo.find(cerca, pos + con.size())) {
    testo.replace(pos, cerca.size(), con);
  }
}

bool UgualeSenzaMaiuscole(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// Head + server + the authentication part + the common tail, once with the
// real password and once with the masked one.
template <class Quota>
StringaConnessione Componi(std::string_view strTesta, const std::string& strServer,
                           const std::string& strLogin, const std::string& strPassword,
                           bool bTrusted, Quota quota) {
  std::string inizio = std::string(strTesta) + "Server=" + quota(strServer) + ";Database=master;";
  if (bTrusted) {
    std::string s = inizio + "Trusted_Connection=Yes;" + std::string(kCoda);
    return {s, s};
  }
  inizio += "UID=" + quota(strLogin) + ";pwd=";
  std::string mascherata = strPassword.empty() ? std::string() : std::string(kPasswordMascherata);
  return {inizio + quota(strPassword) + ";" + std::string(kCoda),
          inizio + mascherata + ";" + std::string(kCoda)};
}

}  // namespace

std::string ValoreADO(const std::string& strValore) {
  // OLE DB drops blanks around a bare value and reads one that begins with
  // either quote as quoted.
  auto bianco = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  if (strValore.find(';') == std::string::npos &&
      (strValore.empty() || (strValore.front() != '"' && strValore.front() != '\'' &&
                             !bianco(strValore.front()) && !bianco(strValore.back())))) {
    return strValore;
  }
  return '"' + Raddoppia(strValore, '"') + '"';
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

std::string MascheraProprieta(std::string_view strNome, const std::string& strValore,
                              const std::string& strPassword) {
  if (UgualeSenzaMaiuscole(strNome, "Password")) {
    return strValore.empty() ? strValore : std::string(kPasswordMascherata);
  }
  std::string out = strValore;
  if (strPassword.empty()) return out;
  // The quoted forms first: they hold the password with doubled characters.
  SostituisciTutti(out, ValoreADO(strPassword), kPasswordMascherata);
  SostituisciTutti(out, ValoreODBC(strPassword), kPasswordMascherata);
  SostituisciTutti(out, strPassword, kPasswordMascherata);
  return out;
}

}  // namespace sondalink
