// Registry access and the COM class server lookup. Portable logic: the
// registry is reached through platform/registry.h.
#include "environment/registro.h"

#include <limits>

namespace sondalink {

std::vector<ChiaveAperta> mudtChiaviAperte;

namespace registry = platform::registry;

namespace {
constexpr const char* kRadiceClassi = "HKEY_CLASSES_ROOT";
}

std::string TroncaAlNul(const std::string& testo) { return testo.substr(0, testo.find('\0')); }

std::string NomeRadice(registry::Handle hChiave) {
  switch (hChiave) {
    case registry::kClassesRoot: return "HKEY_CLASSES_ROOT";
    case registry::kCurrentUser: return "HKEY_CURRENT_USER";
    case registry::kLocalMachine: return "HKEY_LOCAL_MACHINE";
    case registry::kUsers: return "HKEY_USERS";
    default: return {};
  }
}

int16_t CercaChiaveAperta(registry::Handle hChiave) {
  // Indexes are 16-bit: entries past the last representable one are never
  // found (RegistraChiaveAperta stops adding there).
  const size_t n = std::min<size_t>(mudtChiaviAperte.size(),
                                    static_cast<size_t>(std::numeric_limits<int16_t>::max()) + 1);
  for (size_t i = 0; i < n; ++i) {
    if (mudtChiaviAperte[i].hChiave == hChiave) return static_cast<int16_t>(i);
  }
  return -1;
}

void RegistraChiaveAperta(registry::Handle hChiave, const std::string& strPercorso) {
  int16_t i = CercaChiaveAperta(hChiave);
  if (i >= 0) {
    mudtChiaviAperte[static_cast<size_t>(i)].strPercorso = strPercorso;
    return;
  }
  if (mudtChiaviAperte.size() > static_cast<size_t>(std::numeric_limits<int16_t>::max())) return;
  mudtChiaviAperte.push_back({hChiave, strPercorso});
}

std::string NomeChiave(registry::Handle hChiave) {
  std::string radice = NomeRadice(hChiave);
  if (!radice.empty()) return radice;
  int16_t i = CercaChiaveAperta(hChiave);
  if (i >= 0) return mudtChiaviAperte[static_cast<size_t>(i)].strPercorso;
  return {};
}

bool ApriChiave(registry::Handle hPadre, const std::string& strSottoChiave,
                registry::Handle& hChiave) {
  std::string percorsoPadre = NomeChiave(hPadre);
  if (registry::OpenKey(hPadre, strSottoChiave, hChiave) != 0) return false;
  RegistraChiaveAperta(hChiave, percorsoPadre + "\\" + strSottoChiave);
  return true;
}

bool LeggiValoreStringa(registry::Handle hChiave, const std::string& strNomeValore,
                        std::string& strValore) {
  uint32_t tipo = 0;
  return LeggiValoreStringa(hChiave, strNomeValore, strValore, tipo);
}

bool LeggiValoreStringa(registry::Handle hChiave, const std::string& strNomeValore,
                        std::string& strValore, uint32_t& nTipo) {
  uint32_t tipo = 0;
  uint32_t size = 0;
  if (registry::ProbeValue(hChiave, strNomeValore, tipo, size) != 0) return false;
  if (tipo != registry::kTypeString && tipo != registry::kTypeExpandString) return false;

  // Exactly the probed size: a value that grew since the probe does not fit
  // and counts as unreadable.
  std::string letto;
  uint32_t tipoLetto = 0;
  if (registry::ReadValue(hChiave, strNomeValore, tipoLetto, size, letto) != 0) return false;
  strValore = TroncaAlNul(letto);
  nTipo = tipo;
  return true;
}

bool ChiudiChiave(registry::Handle hChiave) { return registry::CloseKey(hChiave) == 0; }

std::string CercaComponenteCOM(const std::string& strClasse, std::string& strChiaveRegistry) {
  bool espandibile = false;
  return CercaComponenteCOM(strClasse, strChiaveRegistry, espandibile);
}

std::string CercaComponenteCOM(const std::string& strClasse, std::string& strChiaveRegistry,
                               bool& bEspandibile) {
  bEspandibile = false;
  std::string risultato;
  std::string clsid;
  registry::Handle hChiave = 0;
  // The server key's default value, and whether it holds environment variables.
  auto leggiServer = [&] {
    uint32_t tipo = 0;
    if (LeggiValoreStringa(hChiave, "", risultato, tipo)) {
      bEspandibile = tipo == registry::kTypeExpandString;
    }
    ChiudiChiave(hChiave);
  };

  if (!ApriChiave(registry::kClassesRoot, strClasse + "\\CLSID", hChiave)) return risultato;
  // A failed read leaves the CLSID empty; the server keys are tried anyway.
  LeggiValoreStringa(hChiave, "", clsid);
  ChiudiChiave(hChiave);

  const std::string base = "CLSID\\" + clsid;
  strChiaveRegistry = std::string(kRadiceClassi) + "\\" + base + "\\InprocServer32";
  if (ApriChiave(registry::kClassesRoot, base + "\\InprocServer32", hChiave)) {
    // Found: LocalServer32 is not looked at, even without a readable value.
    leggiServer();
    return risultato;
  }

  strChiaveRegistry = std::string(kRadiceClassi) + "\\" + base + "\\LocalServer32";
  if (ApriChiave(registry::kClassesRoot, base + "\\LocalServer32", hChiave)) leggiServer();
  return risultato;
}

}  // namespace sondalink
