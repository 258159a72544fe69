#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "environment/sistema.h"
#include "fakes/fake_sysinfo.h"
#include "support/os_cases.h"

namespace sondalink {
namespace {

using fake::sysinfo::VersionRecord;
using State = fake::sysinfo::State;
State& Sysinfo() { return fake::sysinfo::Get(); }

struct Facts {
  int32_t codice = -1;
  std::string nome, servicePack, versione, build, errore;
  bool ok = false;
};

Facts Leggi(Facts f = {}) {
  f.ok = LeggiSistemaOperativo(f.codice, f.nome, f.servicePack, f.versione, f.build, f.errore);
  return f;
}

TEST(SistemaTest, NamesEveryRowOfTheTable) {
  for (const testing::OsCase& c : testing::kOsCases) {
    SCOPED_TRACE(testing::RowName(c));
    Sysinfo().version = VersionRecord(c.platform, c.major, c.minor, c.build, c.csd);
    EXPECT_EQ(testing::ReadFacts(), testing::ExpectedFacts(c));
  }
}

TEST(SistemaTest, ServicePackIsCutAtItsNulAndTrimmed) {
  const struct {
    std::string csd;
    std::string atteso;
  } casi[] = {
      // Beyond the rows of kOsCases, which hold the usual ones.
      {"  Service  Pack 6a  ", "Service  Pack 6a"},
      {std::string("SP1\0residuo", 11), "SP1"},
      {std::string(128, 'x'), std::string(128, 'x')},  // no NUL at all
      {"Aggiornamento \xE0", "Aggiornamento à"},         // ANSI code page
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.atteso);
    Sysinfo().version = VersionRecord(2, 5, 1, 2600, c.csd);
    Facts f = Leggi();
    EXPECT_TRUE(f.ok);
    EXPECT_EQ(f.servicePack, c.atteso);
  }
}

TEST(SistemaTest, AFailedCallIsReportedWithItsText) {
  Sysinfo().versionSucceeds = false;
  Facts f;
  f.versione = "vecchia";
  f.build = "vecchio";
  f = Leggi(f);
  EXPECT_FALSE(f.ok);
  EXPECT_EQ(f.errore, "Funzione GetVersionEX() fallita.");
  EXPECT_EQ(f.codice, 0);
  EXPECT_EQ(f.nome, "Sconosciuto");
  EXPECT_EQ(f.versione, "");
  EXPECT_EQ(f.build, "");
}

TEST(SistemaTest, ARunTimeErrorIsTrappedIntoTheErrorText) {
  Sysinfo().throwOnNextCall = true;
  Facts f = Leggi();
  EXPECT_FALSE(f.ok);
  EXPECT_EQ(f.errore, "-2147024882: Out of memory (linea 0)");
  EXPECT_EQ(f.nome, "Sconosciuto");
}

// Each name as the fake holds it against what `leggi` gives; the buffer it
// offers; a run-time error gives no name.
using Nomi = std::vector<std::pair<std::optional<std::string>, std::string>>;
void ExpectNames(std::optional<std::string> State::*nome, std::string (*leggi)(), const Nomi& casi,
                 uint32_t State::*sizeSeen, uint32_t size) {
  for (const auto& [tenuto, atteso] : casi) {
    Sysinfo().*nome = tenuto;
    EXPECT_EQ(leggi(), atteso);
  }
  EXPECT_EQ(Sysinfo().*sizeSeen, size);
  Sysinfo().throwOnNextCall = true;
  EXPECT_EQ(leggi(), "");
}

TEST(SistemaTest, ComputerNameFitsFifteenCharacters) {
  ExpectNames(&State::computerName, LeggiNomeComputer,
              {
                  {"WORKSTATION", "WORKSTATION"},
                  {"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},  // 15
                  {"ABCDEFGHIJKLMNOP", ""},                // 16: does not fit with its NUL
                  {std::nullopt, ""},
                  {" PC ", "PC"},
                  {"", ""},
              },
              &State::computerNameSizeSeen, 16);
}

TEST(SistemaTest, AccountNamesOfAnyValidLengthComeBackWhole) {
  ExpectNames(&State::userName, LeggiNomeAccount,
              {
                  {"utente", "utente"},
                  {std::string(29, 'a'), std::string(29, 'a')},
                  // 30 or more characters used to be lost in a 30-byte buffer.
                  {std::string(30, 'b'), std::string(30, 'b')},
                  {std::string(256, 'c'), std::string(256, 'c')},  // UNLEN
                  {std::string(257, 'd'), ""},
                  {"  mario rossi ", "mario rossi"},
                  {"Niccol\xF2", "Niccolò"},
                  {std::nullopt, ""},
              },
              &State::userNameSizeSeen, 257);
}

TEST(SistemaTest, AdministratorOnNtIsWhetherTheServiceManagerOpens) {
  Sysinfo().version = VersionRecord(2, 6, 1, 7601);
  EXPECT_TRUE(AccountAmministratore());
  EXPECT_EQ(Sysinfo().scmAccessSeen, 0xE0000000u);
  EXPECT_EQ(Sysinfo().scmOpened, 1);

  Sysinfo().scmOpens = false;
  EXPECT_FALSE(AccountAmministratore());
}

TEST(SistemaTest, AdministratorOutsideNtIsAssumedWithoutAsking) {
  Sysinfo().scmOpens = false;
  for (uint32_t piattaforma : {0u, 1u, 3u}) {
    Sysinfo().version = VersionRecord(piattaforma, 4, 10, 1);
    EXPECT_TRUE(AccountAmministratore()) << piattaforma;
  }
  // A failed call leaves the record at platform 0.
  Sysinfo().versionSucceeds = false;
  EXPECT_TRUE(AccountAmministratore());
  EXPECT_EQ(Sysinfo().scmAccessSeen, 0u);

  Sysinfo().throwOnNextCall = true;
  EXPECT_FALSE(AccountAmministratore());
}

TEST(SistemaTest, SixtyFourBitOnlyWhenWow64SaysSo) {
  using W = State::Wow64;
  const std::pair<W, bool> casi[] = {
      {W::kYes, true}, {W::kNo, false}, {W::kMissing, false}, {W::kFails, false}};
  for (auto [wow64, atteso] : casi) {
    Sysinfo().wow64 = wow64;
    EXPECT_EQ(SistemaA64Bit(), atteso);
  }
  Sysinfo().throwOnNextCall = true;
  EXPECT_FALSE(SistemaA64Bit());
}

}  // namespace
}  // namespace sondalink
