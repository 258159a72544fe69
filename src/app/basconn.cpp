// Start-up, the data folder and the path helpers.
#include "app/basconn.h"

namespace sondalink {

std::string gstrCartellaLog;

void AggiungiBarraFinale(std::string& path) {
  while (!path.empty() && path.back() == ' ') path.pop_back();
  if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '\\';
}

Outcome<std::string> TogliVirgolette(std::string text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return std::string();
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (text.front() == '"' && text.back() == '"') {
    if (text.size() < 2) {
      return ErrorRecord{kErrInvalidArg, "Invalid procedure call or argument", "TogliVirgolette"};
    }
    text = text.substr(1, text.size() - 2);
  }
  return text;
}

std::string MettiVirgolette(const std::string& text) {
  if (text.find_first_of(", ") != std::string::npos) return '"' + text + '"';
  return text;
}

}  // namespace sondalink
