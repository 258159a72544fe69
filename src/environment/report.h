// The environment report that opens every test's log.
#pragma once

#include <string>

namespace sondalink {

// Writes the Windows version, architecture, computer, account, administrator
// and COM server lines for the class `strClasse` into the open log.
void ScriviRapportoAmbiente(const std::string& strClasse);

// The report's lines about one component file: that it does not exist, or
// its four-part version, or why the version could not be read (ERROR).
void ScriviRigheFile(const std::string& strFile);

}  // namespace sondalink
