// Start-up, the data folder and the path helpers shared by the program.
#pragma once

#include <string>

#include "platform/error.h"

namespace sondalink {

// The data folder, ending with a backslash; set once at start-up.
extern std::string gstrCartellaLog;

// Start-up: works out and creates the data folder, then shows the window.
void Main();

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
