#include <gtest/gtest.h>

#include <array>
#include <string>

#include "environment/versione_file.h"
#include "environment_support.h"
#include "support/temp_folder.h"
#include "support/version_cases.h"

namespace sondalink {
namespace {

using testing::TempFolder;
using Parti = testing::VersionParts;
constexpr Parti kNessuna{-1, -1, -1, -1};

// The four parts read; the call must succeed and leave the error alone.
Parti Leggi(const std::string& percorso) {
  Parti p{7, 7, 7, 7};
  std::string errore = "intatto";
  EXPECT_TRUE(LeggiVersioneFile(percorso, p[0], p[1], p[2], p[3], errore)) << percorso;
  EXPECT_EQ(errore, "intatto") << percorso;
  return p;
}

std::string Ambiente(const wchar_t* file) {
  return win32::Narrow(wine_test::CartellaAmbiente() + file);
}

TEST(VersioneFileWineTest, ReadsTheFixedFileVersion) {
  for (const testing::VersionCase& c : testing::kVersionCases) {
    if (!c.dll) continue;
    EXPECT_EQ(Leggi(Ambiente(c.dll)), c.parts);
  }
}

TEST(VersioneFileWineTest, FilesWithoutVersionReadAsMinusOne) {
  TempFolder cartella;
  cartella.MakeFile("testo.txt", "solo testo\r\n");
  const std::string percorsi[] = {
      Ambiente(L"senza_versione.dll"),
      cartella / "testo.txt",
      Ambiente(L"inesistente.dll"),
      // A LocalServer32 command line can hold one; Windows cannot use it.
      "\"" + Ambiente(L"versione_6_3_12_345.dll") + "\"",
      "",
  };
  for (const std::string& p : percorsi) {
    EXPECT_EQ(Leggi(p), kNessuna) << p;
  }
}

TEST(VersioneFileWineTest, PathsGoToWindowsInTheAnsiCodePage) {
  TempFolder cartella;
  cartella.MakeFolder("Sondalink Societ\u00E0");
  const std::string copia = cartella / "Sondalink Societ\u00E0\\versione.dll";
  ASSERT_TRUE(::CopyFileW((wine_test::CartellaAmbiente() + L"versione_6_3_12_345.dll").c_str(),
                          win32::Widen(copia).c_str(), FALSE));
  EXPECT_EQ(Leggi(copia), (Parti{6, 3, 12, 345}));
}

}  // namespace
}  // namespace sondalink
