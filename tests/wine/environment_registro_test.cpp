#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "environment/registro.h"
#include "environment_support.h"
#include "support/registry_cases.h"

namespace sondalink {
namespace {

namespace registry = platform::registry;

class RegistroWineTest : public ::testing::Test {
 protected:
  void SetUp() override { mudtChiaviAperte.clear(); }
  void TearDown() override { mudtChiaviAperte.clear(); }

  wine_test::ClassiDiProva classi_;
};

TEST_F(RegistroWineTest, AnEmptyStringValueIsReadAsAnEmptyText) {
  testing::ClassesRootForTest keys;
  keys.Write(testing::Server("Vuoto", testing::kIn, testing::kSz, ""));
  registry::Handle h = 0;
  ASSERT_TRUE(ApriChiave(registry::kClassesRoot, "CLSID\\" + testing::Clsid("Vuoto") + "\\InprocServer32", h));
  std::string valore = "intatto";
  EXPECT_TRUE(LeggiValoreStringa(h, "", valore));
  EXPECT_EQ(valore, "");
  EXPECT_FALSE(LeggiValoreStringa(h, "Assente", valore));
  EXPECT_TRUE(ChiudiChiave(h));
}

// Key and value names reach the ANSI calls in the code page: an accented
// name is found and its path remembered as written, while a name outside the
// code page cannot be named through those calls at all.
TEST_F(RegistroWineTest, NamesReachTheRegistryInTheAnsiCodePage) {
  win32::unique_hkey chiave = classi_.Crea(L"Sondalink.Prova.Societ\u00E0");
  const std::wstring dati = L"Perch\u00E9";
  ASSERT_EQ(::RegSetValueExW(chiave.get(), L"Qualit\u00E0", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(dati.c_str()),
                             static_cast<DWORD>((dati.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  classi_.Crea(L"Sondalink.Prova.\u0421\u0435\u0440\u0432\u0435\u0440");

  registry::Handle h = 0;
  ASSERT_TRUE(ApriChiave(registry::kClassesRoot, "Sondalink.Prova.Società", h));
  EXPECT_EQ(NomeChiave(h), "HKEY_CLASSES_ROOT\\Sondalink.Prova.Società");
  std::string valore;
  EXPECT_TRUE(LeggiValoreStringa(h, "Qualità", valore));
  EXPECT_EQ(valore, "Perché");
  EXPECT_TRUE(ChiudiChiave(h));

  registry::Handle altra = 0;
  EXPECT_FALSE(ApriChiave(registry::kClassesRoot, "Sondalink.Prova.Сервер", altra));
}

TEST_F(RegistroWineTest, AdoConnectionAsWineRegistersIt) {
  std::string chiave = "intatta";
  const std::string trovato = CercaComponenteCOM("ADODB.Connection", chiave);
  EXPECT_EQ(chiave, "HKEY_CLASSES_ROOT\\CLSID\\{00000514-0000-0010-8000-00AA006D2EA4}\\InprocServer32");
  if (testing::UnderWine()) {
    EXPECT_EQ(trovato, "C:\\Program Files\\Common Files\\System\\ADO\\msado15.dll");
  } else {
    EXPECT_NE(trovato, "");
  }
}

TEST(EspansioneWineTest, VariablesExpandInUtf8AndUnknownOnesStay) {
  ASSERT_TRUE(::SetEnvironmentVariableW(L"SONDALINK_CARTELLA", L"C:\\Societ\u00E0 \u4E2D"));
  const struct {
    const char* testo;
    const char* atteso;
  } casi[] = {
      {"%SONDALINK_CARTELLA%\\sonda.dll", "C:\\Società 中\\sonda.dll"},
      {"%sondalink_cartella%", "C:\\Società 中"},  // names compare without case
      {"%SONDALINK_ASSENTE%\\sonda.dll", "%SONDALINK_ASSENTE%\\sonda.dll"},
      {"C:\\100%\\sonda.dll", "C:\\100%\\sonda.dll"},
      {"", ""},
  };
  for (const auto& c : casi) {
    EXPECT_EQ(registry::ExpandVariables(c.testo), c.atteso) << c.testo;
  }
  ::SetEnvironmentVariableW(L"SONDALINK_CARTELLA", nullptr);
}

}  // namespace

// The rows of support/registry_cases.h, written into the real classes root.
struct testing::ClassesRootForTest::Impl {
  wine_test::ClassiDiProva classi;
};
testing::ClassesRootForTest::ClassesRootForTest() : impl_(std::make_unique<Impl>()) {}
testing::ClassesRootForTest::~ClassesRootForTest() = default;
void testing::ClassesRootForTest::Write(const RegEntry& e) {
  const std::wstring path = win32::Widen(e.path);
  // What to remove afterwards: the class, or the CLSID's own key.
  const size_t cut = path.find(L'\\', path.starts_with(L"CLSID\\") ? 6 : 0);
  win32::unique_hkey key = impl_->classi.Crea(path, path.substr(0, cut));
  if (e.type == kKeyOnly) return;
  const bool text = e.type == kSz || e.type == kExpandSz;
  const std::wstring wide = win32::Widen(e.data) + L'\0';
  const BYTE* bytes = text ? reinterpret_cast<const BYTE*>(wide.data()) : reinterpret_cast<const BYTE*>(e.data.data());
  const size_t size = text ? wide.size() * sizeof(wchar_t) : e.data.size();
  EXPECT_EQ(::RegSetValueExW(key.get(), nullptr, 0, e.type, bytes, static_cast<DWORD>(size)), ERROR_SUCCESS);
}

}  // namespace sondalink
