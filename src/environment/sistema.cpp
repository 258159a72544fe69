// Windows version naming and the machine and account facts. Portable logic:
// the Windows calls are reached through platform/sysinfo.h.
#include "environment/sistema.h"

#include <cstring>
#include <exception>

#include "environment/trappola.h"
#include "platform/sysinfo.h"

namespace sondalink {

int32_t gnCodiceSO = 0;
std::string gstrNomeSO;
std::string gstrServicePackSO;
std::string gstrVersioneSO;
std::string gstrBuildSO;

namespace {

namespace sysinfo = platform::sysinfo;

// Sizes of the buffers the computer and account names are read into. The account buffer holds
// the longest name Windows allows (UNLEN) and its NUL, so no valid account
// name is ever lost.
constexpr uint32_t kLunghezzaNomeComputer = 16;
constexpr uint32_t kLunghezzaNomeAccount = 256 + 1;

constexpr uint32_t kAccessoSCManager = 0xE0000000;  // GENERIC_READ|WRITE|EXECUTE

std::string TogliSpazi(const std::string& s) {
  size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

struct Denominazione {
  std::string nome;
  int32_t codice;
};

Denominazione Denomina(int32_t piattaforma, int32_t major, int32_t minor, int32_t build) {
  auto composto = [&] {
    return "Sconosciuto: " + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(build);
  };
  switch (piattaforma) {
    case 0:
      return {"Win 32s", kSOWin32s};
    case 1:
      // The major version is not looked at on this family.
      switch (minor) {
        case 0: return {"Windows 95", kSOWindows95};
        case 10: return {"Windows 98", kSOWindows98};
        case 90: return {"Windows ME", kSOWindowsME};
        default: return {"Sconosciuto", 0};
      }
    case 2:
      switch (major) {
        case 3: return {"Windows NT 3.51", kSOWindowsNT351};
        case 4: return {"Windows NT 4.0", kSOWindowsNT40};
        case 5:
          switch (minor) {
            case 0: return {"Windows 2000", kSOWindows2000};
            case 1: return {"Windows XP", kSOWindowsXP};
            case 2: return {"Windows Server 2003", kSOWindows2003};
            default: return {composto(), 0};
          }
        case 6:
          switch (minor) {
            case 0: return {"Windows Vista (o Windows Server 2008)", kSOWindowsVista};
            case 1: return {"Windows 7 (o Windows Server 2008 R2)", kSOWindows7};
            default: return {composto(), 0};
          }
        default:
          return {composto(), 0};
      }
    default:
      return {"Piattaforma S.O. sconosciuta", 0};
  }
}

// The name trimmed of blanks, or an empty text whatever goes wrong.
template <class Lettura>
std::string LeggiNome(uint32_t lunghezza, Lettura lettura) {
  try {
    return TogliSpazi(lettura(lunghezza));
  } catch (...) {
    return {};
  }
}

}  // namespace

bool LeggiSistemaOperativo(int32_t& nCodice, std::string& strNome, std::string& strServicePack,
                           std::string& strVersione, std::string& strBuild,
                           std::string& strErrore) {
  try {
    nCodice = 0;
    strNome = "Sconosciuto";
    strVersione.clear();
    strBuild.clear();
    strErrore.clear();

    sysinfo::OsVersion info;
    if (!sysinfo::GetOsVersion(info)) {
      strErrore = "Funzione GetVersionEX() fallita.";
      return false;
    }
    const auto piattaforma = static_cast<int32_t>(info.platformId);
    const auto major = static_cast<int32_t>(info.majorVersion);
    const auto minor = static_cast<int32_t>(info.minorVersion);
    const auto build = static_cast<int32_t>(info.buildNumber);

    Denominazione d = Denomina(piattaforma, major, minor, build);
    strNome = d.nome;
    nCodice = d.codice;

    strServicePack = TogliSpazi(info.servicePack);

    strVersione = std::to_string(major) + "." + std::to_string(minor);

    switch (nCodice) {
      case kSOWin32s:
        strBuild.clear();
        break;
      case kSOWindows95:
      case kSOWindows98:
      case kSOWindowsME:
        // The high word carries the version on this family: only the low
        // word is the build, as a signed 16-bit number.
        strBuild = std::to_string(static_cast<int16_t>(info.buildNumber & 0xFFFF));
        break;
      default:
        strBuild = std::to_string(build);
        break;
    }
    return true;
  } catch (...) {
    strErrore = TestoErrore(ErroreInCorso());
    return false;
  }
}

std::string LeggiNomeComputer() {
  return LeggiNome(kLunghezzaNomeComputer, sysinfo::ComputerName);
}

std::string LeggiNomeAccount() {
  return LeggiNome(kLunghezzaNomeAccount, sysinfo::UserName);
}

bool AccountAmministratore() {
  bool risultato = false;
  try {
    sysinfo::OsVersion info;
    sysinfo::GetOsVersion(info);  // a failed call leaves platform 0: True below
    if (info.platformId != 2) return true;
    risultato = sysinfo::ServiceManagerOpens(kAccessoSCManager);
  } catch (...) {
  }
  return risultato;
}

bool SistemaA64Bit() {
  try {
    int32_t flag = 0;
    if (sysinfo::IsWow64Process(flag).failed()) return false;
    return flag != 0;
  } catch (...) {
    return false;
  }
}

}  // namespace sondalink
