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
#include "support/log_box_form.h"
#include "support/log_lines.h"
#include "support/temp_folder.h"
#include "testlog/testlog.h"

namespace sondalink {
namespace {

namespace ui = platform::ui;
using testing::TempFolder;

// The whole report through the real Windows calls, into a real log.
class RapportoWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(testing::ShowOnlyTheLogBox().failed());
    gstrCartellaLog = tmp.path() + "\\";
    gstrFileLog = "SondalinkADO.log";
    ASSERT_TRUE(LogStart());
  }
  void TearDown() override {
    LogStop();
    ui::UnloadForm();
    gstrCartellaLog.clear();
    gstrFileLog.clear();
  }

  // "LEVEL: message" for each line of the report, in UTF-8.
  std::vector<std::string> Righe() const {
    return testing::MessagesOf(TempFolder::ReadFile(tmp / "SondalinkADO.log"));
  }

  TempFolder tmp;
  wine_test::ClassiDiProva classi;
};

TEST_F(RapportoWineTest, AdoConnectionAsWineRegistersIt) {
  ScriviRapportoAmbiente("ADODB.Connection");
  std::vector<std::string> righe = Righe();
  ASSERT_EQ(righe.size(), 8u);
  if (wine_test::SottoWine()) {
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
  if (wine_test::SottoWine()) {
    // Wine's own msado15.dll carries no version resource.
    EXPECT_EQ(righe[7], "INFO: File " + dll + " versione: -1.-1.-1.-1");
  }
  EXPECT_EQ(glngNumErrori, 0);
}

TEST_F(RapportoWineTest, ServerFilesAreCheckedAndVersioned) {
  const std::wstring cartella = wine_test::CartellaAmbiente();
  const std::wstring dll = cartella + L"versione_1_2_32768_65535.dll";
  // A variable of this process, as %CommonProgramFiles% is on Windows.
  const std::wstring senzaBarra = cartella.substr(0, cartella.size() - 1);
  ASSERT_TRUE(::SetEnvironmentVariableW(L"SONDALINK_PROVA", senzaBarra.c_str()));
  const std::wstring espandibile = L"%SONDALINK_PROVA%\\versione_1_2_32768_65535.dll";
  const struct {
    const wchar_t* classe;
    const wchar_t* clsid;
    const wchar_t* sottoChiave;
    DWORD tipo;
    std::wstring server;
    std::string ultimaRiga;
  } casi[] = {
      {L"Sondalink.Prova.RapportoDll", L"{5D1A0010-0000-4000-8000-0000534F4E44}",
       L"InprocServer32", REG_SZ, dll,
       "INFO: File " + win32::Narrow(dll) + " versione: 1.2.-32768.-1"},
      // A command line names no file as it stands.
      {L"Sondalink.Prova.RapportoExe", L"{5D1A0011-0000-4000-8000-0000534F4E44}", L"LocalServer32",
       REG_SZ, L"\"" + dll + L"\" /automation",
       "INFO: File \"" + win32::Narrow(dll) + "\" /automation inesistente"},
      // Registered with an environment variable: checked and read expanded.
      {L"Sondalink.Prova.RapportoEspandibile", L"{5D1A0012-0000-4000-8000-0000534F4E44}",
       L"InprocServer32", REG_EXPAND_SZ, espandibile,
       "INFO: File " + win32::Narrow(dll) + " versione: 1.2.-32768.-1"},
      {L"Sondalink.Prova.RapportoNonEspandibile", L"{5D1A0013-0000-4000-8000-0000534F4E44}",
       L"InprocServer32", REG_SZ, espandibile,
       "INFO: File " + win32::Narrow(espandibile) + " inesistente"},
  };
  LogStop();
  for (const auto& c : casi) {
    SCOPED_TRACE(win32::Narrow(c.classe));
    classi.Classe(c.classe, c.clsid);
    classi.Server(c.clsid, c.sottoChiave, c.tipo, c.server);
    ASSERT_TRUE(LogStart());
    ScriviRapportoAmbiente(win32::Narrow(c.classe));
    std::vector<std::string> righe = Righe();
    ASSERT_EQ(righe.size(), 8u);
    EXPECT_EQ(righe[5], "INFO: Nome del componente COM associato alla classe '" +
                            win32::Narrow(c.classe) + "': " + win32::Narrow(c.server));
    EXPECT_EQ(righe[6], "INFO: Chiave registry rilevata: HKEY_CLASSES_ROOT\\CLSID\\" +
                            win32::Narrow(c.clsid) + "\\" + win32::Narrow(c.sottoChiave));
    EXPECT_EQ(righe[7], c.ultimaRiga);
    LogStop();
  }
  ::SetEnvironmentVariableW(L"SONDALINK_PROVA", nullptr);
}

}  // namespace
}  // namespace sondalink
