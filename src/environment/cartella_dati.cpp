// The data folder and the path helpers.
#include "environment/cartella_dati.h"

#include "environment/trappola.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace sondalink {

std::string gstrCartellaLog;

namespace {

// CSIDL_LOCAL_APPDATA with CSIDL_FLAG_CREATE.
constexpr int kLocalAppDataCreate = 0x801C;

}  // namespace

bool LeggiCartellaLog(std::string& strErrore) {
  Outcome<platform::shell::FolderPath> folder =
      platform::shell::GetFolderPath(kLocalAppDataCreate);
  if (!folder.ok()) {
    strErrore = TestoErrore(folder.error);
    return false;
  }
  if (folder.value.result != 0) {
    strErrore = folder.value.result == 1 ? "The folder does not exist"
                                         : "An invalid folder ID was specified";
    return false;
  }
  std::string path = folder.value.buffer;
  AggiungiBarraFinale(path);
  // Outer level first: a folder cannot be created inside a missing one.
  for (const char* level : {"Ardenza\\", "Sondalink\\"}) {
    path += level;
    if (!EsisteCartella(path)) {
      if (ErrorRecord e = platform::files::CreateFolder(path); e.failed()) {
        strErrore = TestoErrore(e);
        return false;
      }
    }
  }
  AggiungiBarraFinale(path);
  gstrCartellaLog = path;
  return true;
}

bool EsisteCartella(std::string path) {
  AggiungiBarraFinale(path);
  return !platform::files::FindFirstEntry(path + "*.*").empty();
}

void AggiungiBarraFinale(std::string& path) {
  while (!path.empty() && path.back() == ' ') path.pop_back();
  if (path.empty() || (path.back() != '/' && path.back() != '\\')) path += '\\';
}

bool EsisteFile(std::string path) {
  // A failure to unquote is held: the untrimmed path is tried, and the answer
  // is No whatever the open does.
  Outcome<std::string> bare = TogliVirgolette(path);
  if (bare.ok()) path = bare.value;
  if (!path.empty() && path.back() == '\\') path.pop_back();
  ErrorRecord open = platform::files::ProbeOpenForReading(path);
  return bare.ok() && !open.failed();
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
