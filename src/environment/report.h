// The environment report that opens every test's log.
#pragma once

#include <string>

namespace sondalink {

// Writes the Windows version, architecture, computer, account, administrator
// and COM server lines for the class `strClasse` into the open log.
void ScriviRapportoAmbiente(const std::string& strClasse);

}  // namespace sondalink
