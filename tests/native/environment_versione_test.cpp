#include <gtest/gtest.h>

#include <array>
#include <string>

#include "environment/versione_file.h"
#include "fakes/fake_version.h"
#include "support/version_cases.h"

namespace sondalink {
namespace {

fake::version::State& Version() { return fake::version::Get(); }
using Parti = testing::VersionParts;

struct Lettura {
  bool ok;
  Parti parti;
  std::string errore;
};

Lettura Leggi(const std::string& percorso) {
  Lettura l{false, {7, 7, 7, 7}, "intatto"};
  l.ok = LeggiVersioneFile(percorso, l.parti[0], l.parti[1], l.parti[2], l.parti[3], l.errore);
  return l;
}

TEST(VersioneTest, HalvesAreReadAsSigned16BitNumbers) {
  for (const testing::VersionCase& c : testing::kVersionCases) {
    Version().files["C:\\prova.dll"] = {c.ms, c.ls};
    Lettura l = Leggi("C:\\prova.dll");
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.parti, c.parts);
    EXPECT_EQ(l.errore, "intatto");
  }
}

TEST(VersioneTest, NoVersionReadsAsMinusOneAndSucceeds) {
  Version().files["senza-fissa"].ms.reset();
  Version().files["lettura-fallita"].readFails = true;
  Version().files["query-fallita"].queryFails = true;
  Version().files["dimensione-negativa"].sizeAnswer = 0x80000000;  // below 1 when read as signed
  Version().files["C:\\prova.dll"] = {};
  for (const char* percorso : {"assente", "senza-fissa", "lettura-fallita", "query-fallita",
                               "dimensione-negativa", "\"C:\\prova.dll\""}) {
    SCOPED_TRACE(percorso);
    Lettura l = Leggi(percorso);
    EXPECT_TRUE(l.ok);
    EXPECT_EQ(l.parti, (Parti{-1, -1, -1, -1}));
    EXPECT_EQ(l.errore, "intatto");
  }
  // The quoted path went to Windows unchanged.
  EXPECT_EQ(Version().lastPath, "\"C:\\prova.dll\"");
}

TEST(VersioneTest, WindowsIsToldTheReportedSizeInTheAnsiCodePage) {
  Version().files["C:\\Societ\xE0\\prova.dll"].sizeAnswer = 300;
  Lettura l = Leggi("C:\\Società\\prova.dll");
  EXPECT_EQ(l.parti, (Parti{6, 3, 12, 345}));
  EXPECT_EQ(Version().lastReadSize, 300u);
}

TEST(VersioneTest, ARunTimeErrorIsHandedBackAsText) {
  Version().files["C:\\prova.dll"].readThrows = true;
  Lettura l = Leggi("C:\\prova.dll");
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(l.errore, "routine 'LeggiVersioneFile', errore -2147024882: Out of memory (linea 0)");
  EXPECT_EQ(l.parti, (Parti{-1, -1, -1, -1}));
}

}  // namespace
}  // namespace sondalink
