#include <gtest/gtest.h>

#include <array>
#include <string>

#include "environment/versione_file.h"
#include "environment_support.h"

namespace sondalink {
namespace {

using Parti = std::array<int16_t, 4>;
constexpr Parti kNessuna{-1, -1, -1, -1};

Parti Leggi(const std::string& percorso, bool* ok = nullptr) {
  Parti p{7, 7, 7, 7};
  std::string errore = "intatto";
  bool r = LeggiVersioneFile(percorso, p[0], p[1], p[2], p[3], errore);
  if (ok) *ok = r;
  EXPECT_EQ(errore, "intatto");
  return p;
}

std::string Ambiente(const wchar_t* file) {
  return win32::Narrow(wine_test::CartellaAmbiente() + file);
}

// A folder of its own in the temporary folder, removed with what it holds.
class CartellaTemporanea {
 public:
  explicit CartellaTemporanea(const std::wstring& nome) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + nome + L"\\";
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~CartellaTemporanea() {
    for (const std::wstring& f : file_) ::DeleteFileW(f.c_str());
    ::RemoveDirectoryW(path_.c_str());
  }
  std::wstring File(const std::wstring& nome) {
    file_.push_back(path_ + nome);
    return file_.back();
  }

 private:
  std::wstring path_;
  std::vector<std::wstring> file_;
};

TEST(VersioneFileWineTest, ReadsTheFixedFileVersion) {
  bool ok = false;
  EXPECT_EQ(Leggi(Ambiente(L"versione_6_3_12_345.dll"), &ok), (Parti{6, 3, 12, 345}));
  EXPECT_TRUE(ok);
  // Halves of 32768 and more are negative 16-bit numbers; 65535 reads as -1.
  EXPECT_EQ(Leggi(Ambiente(L"versione_1_2_32768_65535.dll"), &ok), (Parti{1, 2, -32768, -1}));
  EXPECT_TRUE(ok);
}

TEST(VersioneFileWineTest, FilesWithoutVersionReadAsMinusOne) {
  CartellaTemporanea cartella(L"SondalinkVersione");
  std::wstring testo = cartella.File(L"testo.txt");
  {
    win32::unique_hfile f(::CreateFileW(testo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(f);
    DWORD scritti = 0;
    ::WriteFile(f.get(), "solo testo\r\n", 12, &scritti, nullptr);
  }
  const std::string percorsi[] = {
      Ambiente(L"senza_versione.dll"),
      win32::Narrow(testo),
      Ambiente(L"inesistente.dll"),
      // A LocalServer32 command line can hold one; Windows cannot use it.
      "\"" + Ambiente(L"versione_6_3_12_345.dll") + "\"",
      "",
  };
  for (const std::string& p : percorsi) {
    SCOPED_TRACE(p);
    bool ok = false;
    EXPECT_EQ(Leggi(p, &ok), kNessuna);
    EXPECT_TRUE(ok);
  }
}

TEST(VersioneFileWineTest, PathsGoToWindowsInTheAnsiCodePage) {
  CartellaTemporanea cartella(L"Sondalink Societ\u00E0");
  std::wstring copia = cartella.File(L"versione.dll");
  ASSERT_TRUE(::CopyFileW((wine_test::CartellaAmbiente() + L"versione_6_3_12_345.dll").c_str(),
                          copia.c_str(), FALSE));
  EXPECT_EQ(Leggi(win32::Narrow(copia)), (Parti{6, 3, 12, 345}));
}

}  // namespace
}  // namespace sondalink
