// Registry access below the predefined roots, and the lookup of the file a
// COM class is served by. Every key opened here is remembered with its path
// in the open-key table, so that keys can be named later.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace sondalink {

struct ChiaveAperta {
  platform::registry::Handle hChiave;
  std::string strPercorso;  // root name, backslash, sub-key path
};

// The open-key table: one record per distinct handle value ever opened,
// never shrinking; a handle value that Windows hands out again for another
// key overwrites its record's path.
extern std::vector<ChiaveAperta> mudtChiaviAperte;

// The server file registered for the class (InprocServer32, else
// LocalServer32) exactly as stored, or an empty text. `strChiaveRegistry`
// names the server key tried last, and is left alone when the class has no
// CLSID key.
std::string CercaComponenteCOM(const std::string& strClasse, std::string& strChiaveRegistry);
// The same; `bEspandibile` tells whether the text found is a REG_EXPAND_SZ
// value, whose environment variables name the file only once expanded.
std::string CercaComponenteCOM(const std::string& strClasse, std::string& strChiaveRegistry,
                               bool& bEspandibile);

bool ApriChiave(platform::registry::Handle hPadre, const std::string& strSottoChiave,
                platform::registry::Handle& hChiave);
// A string value (REG_SZ or REG_EXPAND_SZ, unexpanded) cut at its first NUL;
// "" names the key's default value.
bool LeggiValoreStringa(platform::registry::Handle hChiave, const std::string& strNomeValore,
                        std::string& strValore);
// The same; `nTipo` receives the value's type when it was read.
bool LeggiValoreStringa(platform::registry::Handle hChiave, const std::string& strNomeValore,
                        std::string& strValore, uint32_t& nTipo);
bool ChiudiChiave(platform::registry::Handle hChiave);

std::string NomeChiave(platform::registry::Handle hChiave);
std::string NomeRadice(platform::registry::Handle hChiave);
int16_t CercaChiaveAperta(platform::registry::Handle hChiave);
void RegistraChiaveAperta(platform::registry::Handle hChiave, const std::string& strPercorso);

// The text before its first NUL, or the whole text.
std::string TroncaAlNul(const std::string& testo);

}  // namespace sondalink
