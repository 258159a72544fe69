#include "expected_log.h"

#include <regex>
#include <sstream>

#include "standin_control.h"
#include "../support/version_line.h"

namespace sondalink::e2e {

namespace {

const std::string kStamp = "<T>";
const std::regex kStampAtStart(std::string("^") + testing::kStampPattern + "(?=, )");
const std::regex kStampInHeader(std::string("^(Operazione (avviata|terminata) il )") + testing::kStampPattern + "$");

// A variable of this process's environment, UTF-8 ("" when unset): the
// expected machine facts come from there, not from the calls the program
// makes (COMPUTERNAME, USERNAME, and PROCESSOR_ARCHITEW6432 only in a 32-bit
// process on 64-bit Windows).
std::string EnvironmentVariable(const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD n = ::GetEnvironmentVariableW(name, value, 1024);
  return n > 0 && n < 1024 ? Narrow(value) : "";
}

// The stand-in DLL's path as the registry names it.
std::string StandinPath() { return Narrow(standin::StandinDllPath()); }

std::string Visible(const std::string& line) {
  if (!line.empty() && line[0] == '\x01') return "/" + line.substr(1) + "/";
  return "\"" + line + "\"";
}

}  // namespace

std::optional<std::wstring> CloseBox(const App& app, Icon icon, DWORD timeoutMs, const std::wstring& title,
                                     const std::function<void()>& whileUp) {
  std::optional<Box> box = app.WaitBox(title, timeoutMs);
  if (!box) {
    ADD_FAILURE() << "no box titled " << Narrow(title);
    return std::nullopt;
  }
  EXPECT_EQ(box->icon, icon) << Narrow(box->text);
  if (whileUp) whileUp();
  EXPECT_TRUE(app.PressOk(*box)) << "the box did not go on OK";
  return box->text;
}

std::string StartupFailure(const App& app) {
  EXPECT_FALSE(app.window());
  const std::string text = Narrow(CloseBox(app, Icon::Error, 20000).value_or(L""));
  const std::string start = "Errore durante la rilevazione della cartella che conterrà i file di LOG dei test di connessione ";
  EXPECT_TRUE(text.starts_with(start)) << text;
  EXPECT_TRUE(app.WaitExit());
  return text.substr(std::min(start.size(), text.size()));
}

std::vector<std::string> ReadMaskedLog(const std::wstring& path) {
  std::vector<std::string> lines = SplitCrLf(platform::FromAnsi(FileBytes(path)));
  for (std::string& line : lines) {
    // Only where a stamp can be: a line may hold a megabyte.
    const size_t head = std::min<size_t>(line.size(), 64);
    std::string masked = std::regex_replace(line.substr(0, head), kStampAtStart, kStamp,
                                            std::regex_constants::format_first_only);
    line = std::regex_replace(masked, kStampInHeader, "$1" + kStamp) + line.substr(head);
  }
  return lines;
}

ExpectedLog& ExpectedLog::Entries(std::vector<testing::golden::Entry> entries) {
  namespace g = testing::golden;
  for (g::Entry& e : entries) {
    for (size_t at; (at = e.message.find(g::kDmoFile)) != std::string::npos;)
      e.message.replace(at, g::kDmoFile.size(), StandinPath());
    Add(e.level == g::Level::Info ? ", INFO: " : e.level == g::Level::Warning ? ", WARNING: " : ", ERROR: ", e.message);
  }
  return *this;
}

ExpectedLog::ExpectedLog(const std::string& fileName) {
  const std::string longRule(91, '-');
  lines_ = {longRule,
            "Sondalink.exe - Utility per testare le connessioni VB6 ai database SQL Server/MSDE",
            testing::VersionLine(),
            "Nome file di log: '" + fileName + "'",
            "Operazione avviata il " + kStamp,
            longRule};
}

ExpectedLog& ExpectedLog::Add(const std::string& level, const std::string& message) {
  for (const std::string& line : SplitCrLf(kStamp + level + message)) lines_.push_back(line);
  return *this;
}

ExpectedLog& ExpectedLog::Matching(const std::string& pattern) {
  lines_.push_back("\x01" + pattern);
  return *this;
}

ExpectedLog& ExpectedLog::Machine(const std::string& os) {
  // Wine names itself as a Windows version with a service pack and a build
  // that this test cannot know; the report's form is what counts here.
  Matching(kStamp + ", INFO: Sistema operativo rivelato: " + os);
  const bool wow64 = !EnvironmentVariable(L"PROCESSOR_ARCHITEW6432").empty();
  Info(std::string("Architettura: ") + (wow64 ? "64 bit" : "32 bit"));
  Info("Nome computer: " + EnvironmentVariable(L"COMPUTERNAME"));
  Info("Nome account Windows: " + EnvironmentVariable(L"USERNAME"));
  // Wine lets every account open the service manager with full access.
  return Info("Account Windows di tipo amministratore: Sì");
}

ExpectedLog& ExpectedLog::EnvironmentReport(const std::string& className, const std::string& clsid) {
  Machine();
  Info("Nome del componente COM associato alla classe '" + className + "': " + StandinPath());
  Info("Chiave registry rilevata: HKEY_CLASSES_ROOT\\CLSID\\" + clsid + "\\InprocServer32");
  return Info("File " + StandinPath() + " versione: 9.8.7.6");
}

std::vector<std::string> ExpectedLog::Lines() const {
  std::vector<std::string> all = lines_;
  all.insert(all.end(), {"Operazione terminata il " + kStamp, std::string(68, '-'), " ", ""});
  return all;
}

::testing::AssertionResult LogMatches(const std::vector<std::string>& actual, const ExpectedLog& expected) {
  const std::vector<std::string> want = expected.Lines();
  std::ostringstream diff;
  bool same = actual.size() == want.size();
  for (size_t i = 0; i < std::max(actual.size(), want.size()); ++i) {
    const std::string got = i < actual.size() ? actual[i] : std::string("<no line>");
    bool match = false;
    if (i < want.size()) {
      match = !want[i].empty() && want[i][0] == '\x01' ? std::regex_match(got, std::regex(want[i].substr(1)))
                                                       : got == want[i];
    }
    if (!match) {
      same = false;
      diff << "line " << i + 1 << ": expected " << (i < want.size() ? Visible(want[i]) : "<no line>")
           << "\n        got " << Visible(got) << "\n";
    }
  }
  if (same) return ::testing::AssertionSuccess();
  std::ostringstream whole;
  for (const std::string& line : actual) whole << "  | " << line << "\n";
  return ::testing::AssertionFailure() << diff.str() << "the file:\n" << whole.str();
}

std::string EchoOf(const std::vector<std::string>& logLines, const std::string& logPath) {
  static const std::regex prefix("^<T>, (INFO|WARNING|ERROR): ");
  std::string echo = "Creazione file di log " + logPath + ".";
  // Between the six header lines and the three footer lines (and the empty
  // remainder after the last CR LF).
  for (size_t i = 6; i + 4 < logLines.size(); ++i) {
    echo += "\r\n" + std::regex_replace(logLines[i], prefix, "", std::regex_constants::format_first_only);
  }
  return echo + "\r\nChiusura file di log " + logPath + ".";
}

}  // namespace sondalink::e2e
