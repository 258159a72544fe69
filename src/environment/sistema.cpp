// Windows version naming and the machine and account facts. Portable logic:
// the Windows calls are reached through platform/sysinfo.h.
#include "environment/sistema.h"

#include <cstring>
#include <exception>

#include "environment/trappola.h"
#include "platform/sysinfo.h"
#include "platform/text.h"

namespace sondalink {

int32_t gnCodiceSO = 0;
std::string gstrNomeSO;
std::string gstrServicePackSO;
std::string gstrVersioneSO;
std::string gstrBuildSO;

namespace {

namespace sysinfo = platform::sysinfo;

// Sizes handed to GetComputerNameA and GetUserNameA. The account buffer holds
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

sysinfo::OsVersionInfoA RecordVersioneVuoto() {
  sysinfo::OsVersionInfoA info{};
  info.dwOSVersionInfoSize = sizeof(sysinfo::OsVersionInfoA);
  return info;
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

// The name in a buffer of `lunghezza` blanks, cut at the NUL the call wrote.
// A buffer without NUL means the call wrote nothing: no name.
template <class Chiamata>
std::string LeggiNome(uint32_t lunghezza, Chiamata chiamata) {
  try {
    std::string buffer(lunghezza, ' ');
    uint32_t size = lunghezza;
    chiamata(buffer.data(), size);
    size_t nul = buffer.find('\0');
    if (nul == std::string::npos) return {};
    return TogliSpazi(platform::FromAnsi(buffer.substr(0, nul)));
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

    sysinfo::OsVersionInfoA info = RecordVersioneVuoto();
    if (sysinfo::GetVersionExA(info) == 0) {
      strErrore = "Funzione GetVersionEX() fallita.";
      return false;
    }
    const auto piattaforma = static_cast<int32_t>(info.dwPlatformId);
    const auto major = static_cast<int32_t>(info.dwMajorVersion);
    const auto minor = static_cast<int32_t>(info.dwMinorVersion);
    const auto build = static_cast<int32_t>(info.dwBuildNumber);

    Denominazione d = Denomina(piattaforma, major, minor, build);
    strNome = d.nome;
    nCodice = d.codice;

    std::string csd(info.szCSDVersion, sizeof info.szCSDVersion);
    strServicePack = TogliSpazi(platform::FromAnsi(csd.substr(0, csd.find('\0'))));

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
        strBuild = std::to_string(static_cast<int16_t>(info.dwBuildNumber & 0xFFFF));
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
  return LeggiNome(kLunghezzaNomeComputer, [](char* b, uint32_t& n) {
    sysinfo::GetComputerNameA(b, n);
  });
}

std::string LeggiNomeAccount() {
  return LeggiNome(kLunghezzaNomeAccount, [](char* b, uint32_t& n) {
    sysinfo::GetUserNameA(b, n);
  });
}

bool AccountAmministratore() {
  bool risultato = false;
  try {
    sysinfo::OsVersionInfoA info = RecordVersioneVuoto();
    sysinfo::GetVersionExA(info);  // a failed call leaves platform 0: True below
    if (info.dwPlatformId != 2) return true;
    // Closed again whatever happens once it is open.
    struct Gestore {
      uintptr_t handle;
      ~Gestore() {
        if (handle != 0) sysinfo::CloseServiceHandle(handle);
      }
    } gestore{sysinfo::OpenSCManagerA(kAccessoSCManager)};
    risultato = gestore.handle != 0;
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
