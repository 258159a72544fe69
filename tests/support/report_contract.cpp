// The environment report's server lines, run by the native tests (fake
// registry and version resources) and the Windows tests (the real ones):
// the file a class's server key names is checked, expanded where the key
// says so, and its version read.
#include <gtest/gtest.h>

#include "environment/registro.h"
#include "environment/report.h"
#include "support/log_cases.h"
#include "support/log_lines.h"
#include "support/registry_cases.h"

namespace sondalink::testing {

struct ReportCase {
  const char* name;  // of the class, "Sondalink.Prova.<name>"
  const char* subKey;
  RegType type;
  const char* registered;  // "<cartella>": the folder of ReportFiles
  const char* lastLine;
};

void PrintTo(const ReportCase& c, std::ostream* os) { *os << c.name; }

namespace {

std::string InFolder(std::string text, const std::string& folder) {
  for (size_t at; (at = text.find("<cartella>")) != std::string::npos;) text.replace(at, 10, folder);
  return text;
}

// The log fixture's folder and window, and a fresh table of open keys.
class ReportServer : public TestLog, public ::testing::WithParamInterface<ReportCase> {
 protected:
  void SetUp() override {
    TestLog::SetUp();
    mudtChiaviAperte.clear();
  }
  void TearDown() override {
    TestLog::TearDown();
    mudtChiaviAperte.clear();
  }
};

TEST_P(ReportServer, FileIsCheckedExpandedAndVersionedAsRegistered) {
  const ReportCase& c = GetParam();
  ClassesRootForTest keys;
  ReportFiles files(tmp.path());
  const std::string registered = InFolder(c.registered, tmp.path());
  keys.Write(ClassOf(c.name));
  keys.Write(Server(c.name, c.subKey, c.type, registered));
  ASSERT_TRUE(LogStart());
  ScriviRapportoAmbiente(std::string("Sondalink.Prova.") + c.name);
  std::vector<std::string> lines = MessagesOf(file());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[5], std::string("INFO: Nome del componente COM associato alla classe 'Sondalink.Prova.") + c.name +
                          "': " + registered);
  EXPECT_EQ(lines[6], "INFO: Chiave registry rilevata: " + KeyOf(c.name, c.subKey));
  EXPECT_EQ(lines[7], InFolder(c.lastLine, tmp.path()));
  EXPECT_EQ(glngNumErrori, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReportServer,
    ::testing::Values(
        ReportCase{"RapportoDll", kIn, kSz, "<cartella>\\versione.dll",
                   "INFO: File <cartella>\\versione.dll versione: 1.2.-32768.-1"},
        ReportCase{"RapportoSenzaVersione", kIn, kSz, "<cartella>\\senza.dll",
                   "INFO: File <cartella>\\senza.dll versione: -1.-1.-1.-1"},
        // A command line names no file as it stands.
        ReportCase{"RapportoExe", kLocal, kSz, "\"<cartella>\\versione.dll\" /automation",
                   "INFO: File \"<cartella>\\versione.dll\" /automation inesistente"},
        // Registered with a variable, as %CommonProgramFiles% is on Windows:
        // checked and read expanded, and shown as stored.
        ReportCase{"RapportoEspandibile", kIn, kExpandSz, "%SONDALINK_PROVA%\\versione.dll",
                   "INFO: File <cartella>\\versione.dll versione: 1.2.-32768.-1"},
        // The same text as REG_SZ names no file.
        ReportCase{"RapportoNonEspandibile", kIn, kSz, "%SONDALINK_PROVA%\\versione.dll",
                   "INFO: File %SONDALINK_PROVA%\\versione.dll inesistente"},
        ReportCase{"RapportoVariabileAssente", kIn, kExpandSz, "%SONDALINK_NESSUNA%\\versione.dll",
                   "INFO: File %SONDALINK_NESSUNA%\\versione.dll inesistente"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sondalink::testing
