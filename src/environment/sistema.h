// Naming the Windows version, and the machine and account facts that every
// environment report opens with.
#pragma once

#include <cstdint>
#include <string>

namespace sondalink {

// Windows version facts, filled by LeggiSistemaOperativo on every report.
extern int32_t gnCodiceSO;
extern std::string gstrNomeSO;
extern std::string gstrServicePackSO;
extern std::string gstrVersioneSO;
extern std::string gstrBuildSO;

// Classification codes of the named Windows versions; 0 for any other.
enum : int32_t {
  kSOWin32s = 32,
  kSOWindows95 = 95,
  kSOWindows98 = 98,
  kSOWindowsME = 99,
  kSOWindowsNT351 = 351,
  kSOWindowsNT40 = 40,
  kSOWindows2000 = 2000,
  kSOWindowsXP = 50,
  kSOWindows2003 = 2003,
  kSOWindowsVista = 60,
  kSOWindows7 = 61,
};

// Asks Windows for its version and names it. False when GetVersionExA fails
// or a run-time error is trapped; `strErrore` then says why.
bool LeggiSistemaOperativo(int32_t& nCodice, std::string& strNome, std::string& strServicePack,
                           std::string& strVersione, std::string& strBuild,
                           std::string& strErrore);

// The computer name, or an empty text; never fails.
std::string LeggiNomeComputer();

// The account name, or an empty text; never fails.
std::string LeggiNomeAccount();

// True when the account counts as an administrator; never fails.
bool AccountAmministratore();

// True when the program runs as a 32-bit process on 64-bit Windows.
bool SistemaA64Bit();

}  // namespace sondalink
