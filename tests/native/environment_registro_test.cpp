#include <gtest/gtest.h>

#include <string>

#include "environment/registro.h"
#include "fakes/fake_registry.h"
#include "platform/text.h"
#include "support/registry_cases.h"

namespace sondalink {
namespace {

fake::registry::FakeRegistry& Registry() { return fake::registry::Get(); }
namespace registry = platform::registry;
constexpr registry::Handle HKCR = registry::kClassesRoot;

TEST(RegistroTest, OnlyStringTypesAreRead) {
  Registry().SetString(HKCR, "K", "testo", "valore");
  Registry().SetValue(HKCR, "K", "espandibile", 2, std::string("%TEMP%\0", 7));
  Registry().SetValue(HKCR, "K", "binario", 3, std::string("ab\0", 3));
  Registry().SetValue(HKCR, "K", "numero", 4, std::string(4, '\0'));
  Registry().SetValue(HKCR, "K", "multi", 7, std::string("a\0b\0\0", 5));
  Registry().SetString(HKCR, "K", "", "");
  registry::Handle h = 0;
  ASSERT_TRUE(ApriChiave(HKCR, "K", h));

  std::string valore = "intatto";
  for (const char* nome : {"binario", "numero", "multi", "assente"}) {
    EXPECT_FALSE(LeggiValoreStringa(h, nome, valore)) << nome;
    EXPECT_EQ(valore, "intatto");
  }
  EXPECT_TRUE(LeggiValoreStringa(h, "testo", valore));
  EXPECT_EQ(valore, "valore");
  EXPECT_TRUE(LeggiValoreStringa(h, "espandibile", valore));
  EXPECT_EQ(valore, "%TEMP%");
  EXPECT_TRUE(LeggiValoreStringa(h, "", valore));  // an empty text is a value
  EXPECT_EQ(valore, "");
  EXPECT_TRUE(ChiudiChiave(h));
}

TEST(RegistroTest, TheReadUsesExactlyTheProbedSize) {
  Registry().SetString(HKCR, "K", "", "abc");
  registry::Handle h = 0;
  ASSERT_TRUE(ApriChiave(HKCR, "K", h));
  std::string valore;
  EXPECT_TRUE(LeggiValoreStringa(h, "", valore));
  EXPECT_EQ(Registry().readSizes, std::vector<uint32_t>{4});

  // The value grew after the probe: the read does not fit, nothing is read.
  Registry().ProbeAnswersOnce(2);
  valore = "intatto";
  EXPECT_FALSE(LeggiValoreStringa(h, "", valore));
  EXPECT_EQ(valore, "intatto");
}

TEST(RegistroTest, TheTableGrowsByOneAndFindsTheFirstMatch) {
  RegistraChiaveAperta(10, "a");
  RegistraChiaveAperta(20, "b");
  RegistraChiaveAperta(30, "c");
  RegistraChiaveAperta(20, "B");
  ASSERT_EQ(mudtChiaviAperte.size(), 3u);
  EXPECT_EQ(CercaChiaveAperta(20), 1);
  EXPECT_EQ(NomeChiave(20), "B");
  EXPECT_EQ(CercaChiaveAperta(40), -1);
  EXPECT_EQ(NomeChiave(40), "");
}

TEST(RegistroTest, AKeyBelowAnUnknownHandleHasAPathStartingWithABackslash) {
  Registry().AddKey(HKCR, "A\\B");
  registry::Handle a = 0, b = 0;
  ASSERT_TRUE(ApriChiave(HKCR, "A", a));
  mudtChiaviAperte.clear();
  ASSERT_TRUE(ApriChiave(a, "B", b));
  EXPECT_EQ(NomeChiave(b), "\\B");
}

TEST(RegistroTest, RootsHaveFixedNames) {
  EXPECT_EQ(NomeRadice(registry::kClassesRoot), "HKEY_CLASSES_ROOT");
  EXPECT_EQ(NomeRadice(registry::kCurrentUser), "HKEY_CURRENT_USER");
  EXPECT_EQ(NomeRadice(registry::kLocalMachine), "HKEY_LOCAL_MACHINE");
  EXPECT_EQ(NomeRadice(registry::kUsers), "HKEY_USERS");
  EXPECT_EQ(NomeRadice(static_cast<registry::Handle>(0x80000004)), "");
  EXPECT_EQ(NomeRadice(0), "");
  RegistraChiaveAperta(registry::kUsers, "altro");
  EXPECT_EQ(NomeChiave(registry::kUsers), "HKEY_USERS");  // the root name wins
}

TEST(RegistroTest, ClosingReportsWhetherWindowsClosedTheHandle) {
  Registry().AddKey(HKCR, "K");
  registry::Handle h = 0;
  ASSERT_TRUE(ApriChiave(HKCR, "K", h));
  Registry().FailCloseOf(h);
  EXPECT_FALSE(ChiudiChiave(h));
  EXPECT_EQ(CercaChiaveAperta(h), 0);
}

}  // namespace

// The rows of support/registry_cases.h, written into the fake.
struct testing::ClassesRootForTest::Impl {};
testing::ClassesRootForTest::ClassesRootForTest() = default;
testing::ClassesRootForTest::~ClassesRootForTest() { EXPECT_EQ(Registry().OpenHandles(), 0u); }
void testing::ClassesRootForTest::Write(const RegEntry& e) {
  if (e.type == kKeyOnly) return Registry().AddKey(HKCR, e.path);
  const bool text = e.type == kSz || e.type == kExpandSz;
  Registry().SetValue(HKCR, e.path, "", e.type, text && !e.raw ? platform::ToAnsi(e.data) + '\0' : e.data);
}

}  // namespace sondalink
