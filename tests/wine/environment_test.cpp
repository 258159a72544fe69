// The environment probe through the real Windows calls: registry lookups,
// file versions, the Windows version and the machine's names, and the whole
// report into a real log. With the Windows ends of the shared tables
// (support/registry_cases.h, support/report_contract.cpp).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "environment/registro.h"
#include "environment/report.h"
#include "environment/sistema.h"
#include "environment/versione_file.h"
#include "platform/win32/windows_support.h"
#include "support/log_cases.h"
#include "support/log_lines.h"
#include "support/os_cases.h"
#include "support/registry_cases.h"
#include "support/temp_folder.h"
#include "support/version_cases.h"
#include "support/windows.h"

namespace sondalink {
namespace {

namespace registry = platform::registry;
using testing::TempFolder;

// The folder "environment\" beside this test program, with its backslash:
// the files built for these tests.
std::wstring CartellaAmbiente() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  dir.erase(dir.find_last_of(L"\\/") + 1);
  return dir + L"environment\\";
}

// What `program`, run with no arguments, wrote to its standard output, or ""
// when it could not run or took longer than a minute. Through a file rather
// than a pipe: nothing to drain while the program runs.
std::string Esegui(const std::wstring& program) {
  TempFolder tmp;
  const std::string output = tmp / "uscita.txt";
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  win32::unique_hfile file(::CreateFileW(win32::Widen(output).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = file.get();
  PROCESS_INFORMATION pi{};
  std::wstring cmd = L"\"" + program + L"\"";
  if (!::CreateProcessW(program.c_str(), cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &si, &pi)) {
    return {};
  }
  win32::unique_handle process(pi.hProcess), thread(pi.hThread);
  if (::WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), 1);
    return {};
  }
  file.reset();
  return TempFolder::ReadFile(output);
}

// The "key=value" lines of a program's output.
std::map<std::string, std::string> Chiavi(const std::string& output) {
  std::map<std::string, std::string> result;
  for (const std::string& line : testing::LinesOf(output)) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) result[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return result;
}

// COM classes registered for one test and removed with this object. Windows
// merges HKCU\Software\Classes into HKEY_CLASSES_ROOT; Wine 8 does not, so
// there they go to HKLM\Software\Classes, which backs HKEY_CLASSES_ROOT.
class ClassiDiProva {
 public:
  ClassiDiProva() {
    Crea(L"Sondalink.Prova.Visibile");
    win32::unique_hkey visibile;
    if (::RegOpenKeyW(HKEY_CLASSES_ROOT, L"Sondalink.Prova.Visibile", visibile.put()) != ERROR_SUCCESS) {
      radice_ = HKEY_LOCAL_MACHINE;
    }
  }
  ~ClassiDiProva() {
    for (const std::wstring& k : creati_) {
      for (HKEY radice : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        ::RegDeleteTreeW(radice, (L"Software\\Classes\\" + k).c_str());
        ::RegDeleteKeyW(radice, (L"Software\\Classes\\" + k).c_str());
      }
    }
  }
  ClassiDiProva(const ClassiDiProva&) = delete;
  ClassiDiProva& operator=(const ClassiDiProva&) = delete;

  // Creates the key below the classes (with its parents); `top` is what to
  // remove afterwards, by default the first part of the path.
  win32::unique_hkey Crea(const std::wstring& path, const std::wstring& top = L"") {
    creati_.push_back(top.empty() ? path.substr(0, path.find(L'\\')) : top);
    win32::unique_hkey key;
    EXPECT_EQ(::RegCreateKeyExW(radice_, (L"Software\\Classes\\" + path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    return key;
  }

 private:
  HKEY radice_ = HKEY_CURRENT_USER;
  std::vector<std::wstring> creati_;
};

class RegistroWineTest : public ::testing::Test {
 protected:
  void SetUp() override { mudtChiaviAperte.clear(); }
  void TearDown() override { mudtChiaviAperte.clear(); }

  ClassiDiProva classi_;
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

// The whole report through the real Windows calls, into a real log.
class RapportoWineTest : public testing::TestLog {};

TEST_F(RapportoWineTest, AdoConnectionAsWineRegistersIt) {
  ASSERT_TRUE(LogStart());
  ScriviRapportoAmbiente("ADODB.Connection");
  // "LEVEL: message" for each line of the report, in UTF-8.
  const std::vector<std::string> righe = testing::MessagesOf(file());
  ASSERT_EQ(righe.size(), 8u);
  const std::string dll = "C:\\Program Files\\Common Files\\System\\ADO\\msado15.dll";
  std::vector<std::string> attese = {
      // A fresh Wine prefix reports Windows 7 to a program without a manifest.
      "INFO: Sistema operativo rivelato: Windows 7 (o Windows Server 2008 R2) Service Pack 1 (versione: 6.1.7601)",
      "INFO: Architettura: 32 bit",
      "INFO: Nome computer: " + LeggiNomeComputer(),
      "INFO: Nome account Windows: " + LeggiNomeAccount(),
      "INFO: Account Windows di tipo amministratore: Sì",
      "INFO: Nome del componente COM associato alla classe 'ADODB.Connection': " + dll,
      "INFO: Chiave registry rilevata: HKEY_CLASSES_ROOT\\CLSID\\{00000514-0000-0010-8000-00AA006D2EA4}"
      "\\InprocServer32",
      // Wine's own msado15.dll carries no version resource.
      "INFO: File " + dll + " versione: -1.-1.-1.-1",
  };
  if (!testing::UnderWine()) {
    attese.front() = righe.front();
    attese.back() = righe.back();
  }
  EXPECT_EQ(righe, attese);
  EXPECT_EQ(glngNumErrori, 0);
}

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

std::string Variabile(const char* nome) {
  const char* v = std::getenv(nome);
  return v ? v : "";
}

TEST(MacchinaWineTest, NamesComeBackAsWindowsGivesThem) {
  // Wine gives the host name in capitals and the Unix user, as it also puts
  // them in the environment.
  EXPECT_FALSE(LeggiNomeComputer().empty());
  EXPECT_EQ(LeggiNomeComputer(), Variabile("COMPUTERNAME"));
  EXPECT_FALSE(LeggiNomeAccount().empty());
  EXPECT_EQ(LeggiNomeAccount(), Variabile("USERNAME"));
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

using Parti = testing::VersionParts;

// The four parts read; the call must succeed and leave the error alone.
Parti Leggi(const std::string& percorso) {
  Parti p{7, 7, 7, 7};
  std::string errore = "intatto";
  EXPECT_TRUE(LeggiVersioneFile(percorso, p[0], p[1], p[2], p[3], errore)) << percorso;
  EXPECT_EQ(errore, "intatto") << percorso;
  return p;
}

std::string Ambiente(const wchar_t* file) { return win32::Narrow(CartellaAmbiente() + file); }

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
    EXPECT_EQ(Leggi(p), (Parti{-1, -1, -1, -1})) << p;
  }
}

TEST(VersioneFileWineTest, PathsGoToWindowsInTheAnsiCodePage) {
  TempFolder cartella;
  cartella.MakeFolder("Sondalink Societ\u00E0");
  const std::string copia = cartella / "Sondalink Societ\u00E0\\versione.dll";
  ASSERT_TRUE(::CopyFileW((CartellaAmbiente() + L"versione_6_3_12_345.dll").c_str(), win32::Widen(copia).c_str(),
                          FALSE));
  EXPECT_EQ(Leggi(copia), (Parti{6, 3, 12, 345}));
}

}  // namespace

// The rows of support/registry_cases.h, written into the real classes root.
struct testing::ClassesRootForTest::Impl {
  ClassiDiProva classi;
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

// The rows of support/report_contract.cpp: copies of the DLLs built with
// known version resources, and a variable of this process.
testing::ReportFiles::ReportFiles(const std::string& folder) {
  const std::wstring from = CartellaAmbiente(), to = win32::Widen(folder);
  EXPECT_TRUE(::CopyFileW((from + L"versione_1_2_32768_65535.dll").c_str(), (to + L"\\versione.dll").c_str(), FALSE));
  EXPECT_TRUE(::CopyFileW((from + L"senza_versione.dll").c_str(), (to + L"\\senza.dll").c_str(), FALSE));
  EXPECT_TRUE(::SetEnvironmentVariableW(L"SONDALINK_PROVA", to.c_str()));
}
testing::ReportFiles::~ReportFiles() { ::SetEnvironmentVariableW(L"SONDALINK_PROVA", nullptr); }

}  // namespace sondalink
