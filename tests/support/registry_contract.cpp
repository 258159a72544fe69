// The table of registry_cases.h, run by the native and the Windows tests.
#include <gtest/gtest.h>

#include <algorithm>

#include "environment/registro.h"
#include "support/registry_cases.h"

namespace sondalink::testing {
namespace {

#ifdef _WIN32
constexpr bool kFake = false;
#else
constexpr bool kFake = true;
#endif

std::vector<ServerCase> RowsOfThisBuild() {
  std::vector<ServerCase> rows;
  for (ServerCase& c : ServerCases())
    if (kFake || std::none_of(c.entries.begin(), c.entries.end(), [](const RegEntry& e) { return e.raw; }))
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

}  // namespace
}  // namespace sondalink::testing
