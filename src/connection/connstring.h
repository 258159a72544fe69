// Connection strings of the ADO and DAO tests, and the masking of passwords
// in what the log shows. A value typed by the user is quoted only where the
// string would otherwise be misread; ordinary values go in unchanged.
// Passwords are masked by where they stand (a password key, a property named
// so), never by looking for the password's text elsewhere.
#pragma once

#include <string>
#include <string_view>

namespace sondalink {

// What stands for a non-empty password in the log and in edLog.
inline constexpr std::string_view kPasswordMascherata = "********";

struct StringaConnessione {
  std::string strReale;     // handed to the component
  std::string strVisibile;  // written to the log: the password masked
};

// An OLE DB value: unchanged, unless it holds a semicolon or begins, after
// the blanks OLE DB drops, with a double or single quote; then it goes
// between double quotes, without those outer blanks, inner quotes doubled.
std::string ValoreADO(const std::string& strValore);
// An ODBC value: between braces, each closing brace doubled, when it holds a
// semicolon or a brace; otherwise unchanged.
std::string ValoreODBC(const std::string& strValore);

StringaConnessione StringaConnessioneADO(const std::string& strServer, const std::string& strLogin,
                                         const std::string& strPassword, bool bTrusted);
StringaConnessione StringaConnessioneODBC(const std::string& strServer, const std::string& strLogin,
                                          const std::string& strPassword, bool bTrusted);

// A connection string with the non-empty value of every password key masked
// (OLE DB "Password" and "pwd", ODBC "PWD", any case), read by the grammar
// of its kind: ODBC when it begins with the "ODBC;" of a DAO connect string
// or with a DRIVER, DSN or FILEDSN keyword, else OLE DB. Every other byte
// stays as it is.
std::string MascheraStringaConnessione(std::string_view strStringa);

// The value of a listed property as the log may show it: a non-empty value
// of a property named "Password" (any case) masked whole, any other value as
// a connection string (above). Text that is no password key's value is never
// touched, whatever characters it shares with the password.
std::string MascheraProprieta(std::string_view strNome, const std::string& strValore);

}  // namespace sondalink
