#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/controls.h"
#include "environment/cartella_dati.h"
#include "environment/registro.h"
#include "environment/report.h"
#include "environment/sistema.h"
#include "environment_support.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "support/log_cases.h"
#include "support/log_lines.h"
#include "support/registry_cases.h"
#include "support/temp_folder.h"
#include "testlog/testlog.h"

namespace sondalink {
namespace {

using testing::TempFolder;

// The whole report through the real Windows calls, into a real log.
class RapportoWineTest : public testing::TestLog {
 protected:
  void SetUp() override {
    TestLog::SetUp();
    ASSERT_TRUE(LogStart());
  }
  // "LEVEL: message" for each line of the report, in UTF-8.
  std::vector<std::string> Righe() const { return testing::MessagesOf(file()); }
};

TEST_F(RapportoWineTest, AdoConnectionAsWineRegistersIt) {
  ScriviRapportoAmbiente("ADODB.Connection");
  std::vector<std::string> righe = Righe();
  ASSERT_EQ(righe.size(), 8u);
  if (testing::UnderWine()) {
    // A fresh Wine prefix reports Windows 7 to a program without a manifest.
    EXPECT_EQ(righe[0],
              "INFO: Sistema operativo rivelato: Windows 7 (o Windows Server 2008 R2) Service "
              "Pack 1 (versione: 6.1.7601)");
  }
  EXPECT_EQ(righe[1], "INFO: Architettura: 32 bit");
  EXPECT_EQ(righe[2], "INFO: Nome computer: " + LeggiNomeComputer());
  EXPECT_EQ(righe[3], "INFO: Nome account Windows: " + LeggiNomeAccount());
  EXPECT_EQ(righe[4], "INFO: Account Windows di tipo amministratore: Sì");
  const std::string dll = "C:\\Program Files\\Common Files\\System\\ADO\\msado15.dll";
  EXPECT_EQ(righe[5], "INFO: Nome del componente COM associato alla classe 'ADODB.Connection': " + dll);
  EXPECT_EQ(righe[6],
            "INFO: Chiave registry rilevata: HKEY_CLASSES_ROOT\\CLSID\\"
            "{00000514-0000-0010-8000-00AA006D2EA4}\\InprocServer32");
  if (testing::UnderWine()) {
    // Wine's own msado15.dll carries no version resource.
    EXPECT_EQ(righe[7], "INFO: File " + dll + " versione: -1.-1.-1.-1");
  }
  EXPECT_EQ(glngNumErrori, 0);
}

}  // namespace

// The rows of support/report_contract.cpp: copies of the DLLs built with
// known version resources, and a variable of this process.
testing::ReportFiles::ReportFiles(const std::string& folder) {
  const std::wstring from = wine_test::CartellaAmbiente(), to = win32::Widen(folder);
  EXPECT_TRUE(::CopyFileW((from + L"versione_1_2_32768_65535.dll").c_str(), (to + L"\\versione.dll").c_str(), FALSE));
  EXPECT_TRUE(::CopyFileW((from + L"senza_versione.dll").c_str(), (to + L"\\senza.dll").c_str(), FALSE));
  EXPECT_TRUE(::SetEnvironmentVariableW(L"SONDALINK_PROVA", to.c_str()));
}
testing::ReportFiles::~ReportFiles() { ::SetEnvironmentVariableW(L"SONDALINK_PROVA", nullptr); }

}  // namespace sondalink
