// The data folder and the path helpers: a leaf over the file seam (and the
// shell's folder lookup), so that the log, the report and the window can all
// use them without reaching into one another.
#pragma once

#include <string>

#include "platform/error.h"

namespace sondalink {

// The data folder, ending with a backslash; set once at start-up.
extern std::string gstrCartellaLog;

// Works out the data folder and creates its missing levels; on failure
// `strErrore` says why, as "<number>: <description> (linea 0)".
bool LeggiCartellaLog(std::string& strErrore);
bool EsisteCartella(std::string path);
void AggiungiBarraFinale(std::string& path);
bool EsisteFile(std::string path);
// Trimmed and stripped of one pair of surrounding double quotes. A text that
// is one double quote after trimming cannot lose two characters: that is an
// invalid-argument error.
Outcome<std::string> TogliVirgolette(std::string text);
std::string MettiVirgolette(const std::string& text);

}  // namespace sondalink
