#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/controls.h"
#include "environment/report.h"
#include "environment/sistema.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_sysinfo.h"
#include "fakes/fake_version.h"
#include "support/log_cases.h"
#include "support/log_lines.h"
#include "support/registry_cases.h"
#include "support/temp_folder.h"
#include "testlog/testlog.h"

namespace sondalink {
namespace {

namespace ui = platform::ui;

constexpr const char* kClasse = "ADODB.Connection";
constexpr const char* kComponente =
    "Nome del componente COM associato alla classe 'ADODB.Connection': ";

// The log fixture with every fake fresh and the log started.
class RapportoTest : public testing::TestLog {
 protected:
  void SetUp() override {
    TestLog::SetUp();
    ASSERT_TRUE(LogStart());
  }

  // The class served by `percorso`, as the registry stores it.
  static void Registra(const std::string& percorso) {
    auto& r = fake::registry::Get();
    r.SetString(platform::registry::kClassesRoot, "ADODB.Connection\\CLSID", "", "{ID}");
    r.SetString(platform::registry::kClassesRoot, "CLSID\\{ID}\\InprocServer32", "", percorso);
  }

  // The report's lines as the file has them, "LEVEL: message", without the
  // stamp and in UTF-8 again.
  std::vector<std::string> Righe() const { return testing::MessagesOf(file()); }
};

TEST_F(RapportoTest, SixLinesWhenNoServerIsRegistered) {
  ScriviRapportoAmbiente(kClasse);
  EXPECT_EQ(Righe(), (std::vector<std::string>{
                         "INFO: Sistema operativo rivelato: Windows 7 (o Windows Server 2008 R2) "
                         "Service Pack 1 (versione: 6.1.7601)",
                         "INFO: Architettura: 32 bit",
                         "INFO: Nome computer: WORKSTATION",
                         "INFO: Nome account Windows: utente",
                         "INFO: Account Windows di tipo amministratore: Sì",
                         std::string("INFO: ") + kComponente + "(non rilevato)",
                     }));
  EXPECT_EQ(glngNumErrori, 0);
  EXPECT_EQ(gnCodiceSO, 61);
  EXPECT_EQ(gstrBuildSO, "7601");
}

TEST_F(RapportoTest, EightLinesWithTheServerKeyAndVersion) {
  const std::string dll = tmp / "msado15.dll";
  tmp.MakeFile("msado15.dll");
  Registra(dll);
  fake::version::Get().files[dll] = {0x00060003, 0x000C0159};
  auto& s = fake::sysinfo::Get();
  s.version = fake::sysinfo::VersionRecord(2, 6, 1, 123, "");
  s.wow64 = fake::sysinfo::State::Wow64::kYes;
  s.scmOpens = false;
  s.computerName.reset();

  ScriviRapportoAmbiente(kClasse);
  EXPECT_EQ(Righe(), (std::vector<std::string>{
                         // No blank where the service pack would go.
                         "INFO: Sistema operativo rivelato: Windows 7 (o Windows Server 2008 R2) "
                         "(versione: 6.1.123)",
                         "INFO: Architettura: 64 bit",
                         "INFO: Nome computer: ",
                         "INFO: Nome account Windows: utente",
                         "INFO: Account Windows di tipo amministratore: No",
                         std::string("INFO: ") + kComponente + dll,
                         "INFO: Chiave registry rilevata: HKEY_CLASSES_ROOT\\CLSID\\{ID}\\InprocServer32",
                         "INFO: File " + dll + " versione: 6.3.12.345",
                     }));
  EXPECT_EQ(glngNumErrori, 0);
}

// The system's line as its record reads (the server's lines of such files:
// support/report_contract.cpp).
TEST_F(RapportoTest, VersionLineEndingsFollowTheFacts) {
  const std::pair<platform::sysinfo::OsVersion, std::string> casi[] = {
      // Win32s has no build text: the version ends in a full stop.
      {fake::sysinfo::VersionRecord(0, 3, 10, 0, "Win32s 1.3"),
       "INFO: Sistema operativo rivelato: Win 32s Win32s 1.3 (versione: 3.10.)"},
      {fake::sysinfo::VersionRecord(1, 4, 10, 67766446, " A "),
       "INFO: Sistema operativo rivelato: Windows 98 A (versione: 4.10.2222)"},
      {fake::sysinfo::VersionRecord(2, 5, 1, 2600, "Service Pack 3"),
       "INFO: Sistema operativo rivelato: Windows XP Service Pack 3 (versione: 5.1.2600)"},
  };
  for (const auto& [versione, primaRiga] : casi) {
    SCOPED_TRACE(primaRiga);
    ASSERT_TRUE(LogStart());
    fake::sysinfo::Get().version = versione;
    ScriviRapportoAmbiente(kClasse);
    const std::vector<std::string> righe = Righe();
    ASSERT_EQ(righe.size(), 6u);
    EXPECT_EQ(righe.front(), primaRiga);
    EXPECT_EQ(glngNumErrori, 0);
    LogStop();
  }
}

TEST_F(RapportoTest, FailuresAreErrorLinesAndTheReportGoesOn) {
  const std::string dll = tmp / "prova.dll";
  tmp.MakeFile("prova.dll");
  Registra(dll);
  fake::version::Get().files[dll].readThrows = true;
  fake::sysinfo::Get().versionSucceeds = false;

  ScriviRapportoAmbiente(kClasse);
  std::vector<std::string> righe = Righe();
  ASSERT_EQ(righe.size(), 8u);
  EXPECT_EQ(righe[0],
            "ERROR: Errore nella rilevazione del sistema operativo: Funzione GetVersionEX() fallita.");
  EXPECT_EQ(righe[1], "INFO: Architettura: 32 bit");
  EXPECT_EQ(righe[7], "ERROR: Errore nella rilevazione della versione del file " + dll +
                          ": routine 'LeggiVersioneFile', errore -2147024882: Out of memory "
                          "(linea 0)");
  EXPECT_EQ(glngNumErrori, 2);
  EXPECT_EQ(glngNumWarning, 0);
}

TEST_F(RapportoTest, EchoesTheSameMessagesInTheLogBox) {
  ScriviRapportoAmbiente("SQLDMO.SQLServer");
  std::string echo = ui::GetText(kEdLog);
  EXPECT_NE(echo.find("\r\nArchitettura: 32 bit\r\n"), std::string::npos);
  EXPECT_TRUE(echo.ends_with(
      "\r\nNome del componente COM associato alla classe 'SQLDMO.SQLServer': (non rilevato)"));
}

}  // namespace

// The rows of support/report_contract.cpp: real files for EsisteFile, their
// versions and the variable from the fakes.
testing::ReportFiles::ReportFiles(const std::string& folder) {
  std::ofstream(testing::Host(folder + "\\versione.dll"));
  std::ofstream(testing::Host(folder + "\\senza.dll"));
  fake::version::Get().files[folder + "\\versione.dll"] = {0x00010002, 0x8000FFFF};
  fake::registry::Get().environment["SONDALINK_PROVA"] = folder;
}
testing::ReportFiles::~ReportFiles() = default;

}  // namespace sondalink
