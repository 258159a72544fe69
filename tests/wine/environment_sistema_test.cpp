#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "environment/sistema.h"
#include "environment_support.h"

namespace sondalink {
namespace {

using wine_test::CartellaAmbiente;
using wine_test::Chiavi;
using wine_test::Esegui;

// The Windows version Wine reports to one program is chosen by its name
// under HKCU\Software\Wine\AppDefaults; the key is removed afterwards.
class VersioneWineTest : public ::testing::Test {
 protected:
  static constexpr const wchar_t* kChiave = L"Software\\Wine\\AppDefaults\\sonda_sistema.exe";

  void SetUp() override {
    if (!wine_test::SottoWine()) GTEST_SKIP() << "sets the version through Wine's AppDefaults";
  }
  void TearDown() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, kChiave); }

  static void Imposta(const std::wstring& versione) {
    win32::unique_hkey key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kChiave, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                key.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(key.get(), L"Version", 0, REG_SZ,
                               reinterpret_cast<const BYTE*>(versione.c_str()),
                               static_cast<DWORD>((versione.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
};

TEST_F(VersioneWineTest, NamesEveryVersionWineCanReport) {
  const struct {
    const wchar_t* wine;
    const char* nome;
    const char* codice;
    const char* versione;
    const char* build;
    const char* servicePack;
  } casi[] = {
      {L"win31", "Win 32s", "32", "3.10", "", "Win32s 1.3"},
      {L"win95", "Windows 95", "95", "4.0", "950", ""},
      {L"win98", "Windows 98", "98", "4.10", "2222", "A"},
      {L"winme", "Windows ME", "99", "4.90", "3000", ""},
      {L"nt351", "Windows NT 3.51", "351", "3.51", "1057", "Service Pack 5"},
      {L"nt40", "Windows NT 4.0", "40", "4.0", "1381", "Service Pack 6a"},
      {L"win2k", "Windows 2000", "2000", "5.0", "2195", "Service Pack 4"},
      {L"winxp", "Windows XP", "50", "5.1", "2600", "Service Pack 3"},
      {L"win2003", "Windows Server 2003", "2003", "5.2", "3790", "Service Pack 2"},
      {L"vista", "Windows Vista (o Windows Server 2008)", "60", "6.0", "6002", "Service Pack 2"},
      {L"win7", "Windows 7 (o Windows Server 2008 R2)", "61", "6.1", "7601", "Service Pack 1"},
      {L"win8", "Sconosciuto: 6.2.9200", "0", "6.2", "9200", ""},
      // 8.1 and 10 report themselves only to a program whose manifest
      // names them, as the product's does.
      {L"win81", "Sconosciuto: 6.3.9600", "0", "6.3", "9600", ""},
      {L"win10", "Sconosciuto: 10.0.18362", "0", "10.0", "18362", ""},
  };
  const std::wstring sonda = CartellaAmbiente() + L"sonda_sistema.exe";
  for (const auto& c : casi) {
    SCOPED_TRACE(win32::Narrow(c.wine));
    Imposta(c.wine);
    auto fatti = Chiavi(Esegui(sonda));
    EXPECT_EQ(fatti["ok"], "1");
    EXPECT_EQ(fatti["nome"], c.nome);
    EXPECT_EQ(fatti["codice"], c.codice);
    EXPECT_EQ(fatti["versione"], c.versione);
    EXPECT_EQ(fatti["build"], c.build);
    EXPECT_EQ(fatti["servicepack"], c.servicePack);
    EXPECT_EQ(fatti["errore"], "");
  }
}

std::string Ambiente(const char* nome) {
  const char* v = std::getenv(nome);
  return v ? v : "";
}

TEST(MacchinaWineTest, NamesComeBackAsWindowsGivesThem) {
  // Wine gives the host name in capitals and the Unix user, as it also puts
  // them in the environment.
  EXPECT_FALSE(LeggiNomeComputer().empty());
  EXPECT_EQ(LeggiNomeComputer(), Ambiente("COMPUTERNAME"));
  EXPECT_FALSE(LeggiNomeAccount().empty());
  EXPECT_EQ(LeggiNomeAccount(), Ambiente("USERNAME"));
}

// Not the program's own call again: the Administrators group of the
// process's token. Wine's account is in it, and lets every account open the
// service manager with full access.
TEST(MacchinaWineTest, AdministratorWhereTheServiceManagerOpens) {
  BYTE administrators[SECURITY_MAX_SID_SIZE];
  DWORD size = sizeof administrators;
  ASSERT_TRUE(::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size));
  BOOL member = FALSE;
  ASSERT_TRUE(::CheckTokenMembership(nullptr, administrators, &member));
  EXPECT_EQ(AccountAmministratore(), member != FALSE);
  if (wine_test::SottoWine()) {
    EXPECT_TRUE(AccountAmministratore());
  }
}

TEST(MacchinaWineTest, ThirtyTwoBitInTheTestPrefix) {
  // The build tree's prefix is a 32-bit one; the 64-bit case runs in a
  // prefix of its own (EnvironmentProbe.SixtyFourBitPrefix).
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix && std::string(prefix).find("wineprefix64") != std::string::npos) {
    GTEST_SKIP() << "running in the 64-bit prefix";
  }
  EXPECT_FALSE(SistemaA64Bit());
}

TEST(MacchinaWineTest, TheProbeSeesWhatTheTestSees) {
  auto fatti = Chiavi(Esegui(CartellaAmbiente() + L"sonda_sistema.exe"));
  EXPECT_EQ(fatti["computer"], LeggiNomeComputer());
  EXPECT_EQ(fatti["account"], LeggiNomeAccount());
  EXPECT_EQ(fatti["a64bit"], "0");
}

}  // namespace
}  // namespace sondalink
