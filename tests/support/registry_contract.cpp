// The table of registry_cases.h, run by the native and the Windows tests.
#include <gtest/gtest.h>

#include <algorithm>

#include "environment/registro.h"
#include "support/registry_cases.h"
#include "support/shared_cases.h"

namespace sondalink::testing {
namespace {

std::vector<ServerCase> RowsOfThisBuild() {
  std::vector<ServerCase> rows;
  for (ServerCase& c : ServerCases())
    if (!kWindowsBuild || std::none_of(c.entries.begin(), c.entries.end(), [](const RegEntry& e) { return e.raw; }))
      rows.push_back(std::move(c));
  return rows;
}

class ServerLookup : public ::testing::TestWithParam<ServerCase> {
 protected:
  void SetUp() override { mudtChiaviAperte.clear(); }
  void TearDown() override { mudtChiaviAperte.clear(); }
};

TEST_P(ServerLookup, FindsWhatTheClassesRootHolds) {
  const ServerCase& c = GetParam();
  ClassesRootForTest keys;
  for (const RegEntry& e : c.entries) keys.Write(e);
  const std::string name = std::string("Sondalink.Prova.") + c.name;
  std::string key = "prima";
  bool expandable = !c.expandable;
  EXPECT_EQ(CercaComponenteCOM(name, key, expandable), c.found);
  EXPECT_EQ(key, c.key);
  EXPECT_EQ(expandable, c.expandable);
  // The two-argument form finds the same.
  std::string again;
  EXPECT_EQ(CercaComponenteCOM(name, again), c.found);
}

INSTANTIATE_TEST_SUITE_P(Rows, ServerLookup, ::testing::ValuesIn(RowsOfThisBuild()),
                         [](const auto& info) { return std::string(info.param.name); });

// The table of open keys names each handle by its path, whatever value the
// system gives it, one entry per value: closing keeps the entry, and a value
// handed out again takes the later path.
TEST(OpenKeyTable, NamesEachHandleByItsPathOnceAValue) {
  mudtChiaviAperte.clear();
  ClassesRootForTest keys;
  keys.Write({"Sondalink.Prova.Tabella\\Sotto", kKeyOnly, ""});
  keys.Write({"Sondalink.Prova.Altra", kKeyOnly, ""});
  using platform::registry::kClassesRoot;
  platform::registry::Handle a = 0, b = 0, none = 0;
  EXPECT_EQ(CercaChiaveAperta(0x100), -1);
  ASSERT_TRUE(ApriChiave(kClassesRoot, "Sondalink.Prova.Tabella", a));
  ASSERT_TRUE(ApriChiave(a, "Sotto", b));
  EXPECT_EQ(NomeChiave(a), "HKEY_CLASSES_ROOT\\Sondalink.Prova.Tabella");
  EXPECT_EQ(NomeChiave(b), "HKEY_CLASSES_ROOT\\Sondalink.Prova.Tabella\\Sotto");
  EXPECT_EQ(CercaChiaveAperta(a), 0);
  EXPECT_EQ(CercaChiaveAperta(b), 1);
  EXPECT_FALSE(ApriChiave(a, "Assente", none));
  EXPECT_EQ(mudtChiaviAperte.size(), 2u);
  EXPECT_TRUE(ChiudiChiave(b));
  EXPECT_TRUE(ChiudiChiave(a));
  EXPECT_EQ(NomeChiave(a), "HKEY_CLASSES_ROOT\\Sondalink.Prova.Tabella");

  ASSERT_TRUE(ApriChiave(kClassesRoot, "Sondalink.Prova.Altra", a));
  EXPECT_EQ(NomeChiave(a), "HKEY_CLASSES_ROOT\\Sondalink.Prova.Altra");
  EXPECT_TRUE(ChiudiChiave(a));
  for (size_t i = 0; i < mudtChiaviAperte.size(); ++i) {
    for (size_t j = i + 1; j < mudtChiaviAperte.size(); ++j) {
      EXPECT_NE(mudtChiaviAperte[i].hChiave, mudtChiaviAperte[j].hChiave);
    }
  }
  mudtChiaviAperte.clear();
}

}  // namespace
}  // namespace sondalink::testing
