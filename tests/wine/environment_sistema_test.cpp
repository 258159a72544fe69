#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "environment/sistema.h"
#include "environment_support.h"
#include "support/os_cases.h"

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
    if (!testing::UnderWine()) GTEST_SKIP() << "sets the version through Wine's AppDefaults";
  }
  void TearDown() override { ::RegDeleteKeyW(HKEY_CURRENT_USER, kChiave); }

  static void Imposta(const std::wstring& versione) {
    const DWORD size = static_cast<DWORD>((versione.size() + 1) * sizeof(wchar_t));
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kChiave, L"Version", REG_SZ, versione.c_str(), size), ERROR_SUCCESS);
  }
};

TEST_F(VersioneWineTest, NamesEveryVersionWineCanReport) {
  const std::wstring sonda = CartellaAmbiente() + L"sonda_sistema.exe";
  for (const testing::OsCase& c : testing::kOsCases) {
    if (!c.wine) continue;
    SCOPED_TRACE(c.wine);
    Imposta(win32::Widen(c.wine));
    EXPECT_EQ(testing::ReadFacts(Chiavi(Esegui(sonda))), testing::ExpectedFacts(c));
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
  if (testing::UnderWine()) {
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
