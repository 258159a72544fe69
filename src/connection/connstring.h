// Connection strings of the ADO and DAO tests, and the masking of the
// password in what the log shows. A value typed by the user is quoted only
// when it could break or extend the string; ordinary values go in unchanged.
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

// An OLE DB value: between double quotes, inner ones doubled, when it holds a
// semicolon, begins with a quote or begins or ends with a blank; otherwise
// unchanged.
std::string ValoreADO(const std::string& strValore);
// An ODBC value: between braces, each closing brace doubled, when it holds a
// semicolon or a brace; otherwise unchanged.
std::string ValoreODBC(const std::string& strValore);

StringaConnessione StringaConnessioneADO(const std::string& strServer, const std::string& strLogin,
                                         const std::string& strPassword, bool bTrusted);
StringaConnessione StringaConnessioneODBC(const std::string& strServer, const std::string& strLogin,
                                          const std::string& strPassword, bool bTrusted);

// The value of a listed property as the log may show it: a non-empty value
// of a property named "Password" (in any case) is masked whole; elsewhere
// every occurrence of the password, bare or quoted as in either string, is.
std::string MascheraProprieta(std::string_view strNome, const std::string& strValore,
                              const std::string& strPassword);

}  // namespace sondalink
