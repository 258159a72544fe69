// Windows version records and the names the program gives them, one table
// for both builds: natively each record comes from the fake, under Wine the
// rows with a Wine name come from Wine itself, told through its AppDefaults
// which version to report to the probe program. A row without one is a
// record only the fake can give (an edge of a rule, a platform no Windows has).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "environment/sistema.h"

namespace sondalink::testing {

struct OsCase {
  const char* wine;  // the version Wine reports the record as, or nullptr
  uint32_t platform, major, minor, build;
  const char* csd;
  const char* nome;
  int32_t codice;
  const char* versione;
  const char* testoBuild;
  const char* servicePack;
};

inline const OsCase kOsCases[] = {
    // As Wine reports each version (wine-notes), 8.1 and 10 only to a
    // program whose manifest names them, as the product's does.
    {"win31", 0, 3, 10, 0, "Win32s 1.3", "Win 32s", 32, "3.10", "", "Win32s 1.3"},
    {"win95", 1, 4, 0, 67109814, "", "Windows 95", 95, "4.0", "950", ""},
    {"win98", 1, 4, 10, 67766446, " A ", "Windows 98", 98, "4.10", "2222", "A"},
    {"winme", 1, 4, 90, 73010104, " ", "Windows ME", 99, "4.90", "3000", ""},
    {"nt351", 2, 3, 51, 1057, "Service Pack 5", "Windows NT 3.51", 351, "3.51", "1057", "Service Pack 5"},
    {"nt40", 2, 4, 0, 1381, "Service Pack 6a", "Windows NT 4.0", 40, "4.0", "1381", "Service Pack 6a"},
    {"win2k", 2, 5, 0, 2195, "Service Pack 4", "Windows 2000", 2000, "5.0", "2195", "Service Pack 4"},
    {"winxp", 2, 5, 1, 2600, "Service Pack 3", "Windows XP", 50, "5.1", "2600", "Service Pack 3"},
    {"win2003", 2, 5, 2, 3790, "Service Pack 2", "Windows Server 2003", 2003, "5.2", "3790", "Service Pack 2"},
    {"vista", 2, 6, 0, 6002, "Service Pack 2", "Windows Vista (o Windows Server 2008)", 60, "6.0", "6002",
     "Service Pack 2"},
    {"win7", 2, 6, 1, 7601, "Service Pack 1", "Windows 7 (o Windows Server 2008 R2)", 61, "6.1", "7601",
     "Service Pack 1"},
    {"win8", 2, 6, 2, 9200, "", "Sconosciuto: 6.2.9200", 0, "6.2", "9200", ""},
    {"win81", 2, 6, 3, 9600, "", "Sconosciuto: 6.3.9600", 0, "6.3", "9600", ""},
    {"win10", 2, 10, 0, 18362, "", "Sconosciuto: 10.0.18362", 0, "10.0", "18362", ""},
    // Each name once more at an edge of its rule: the build Win32s ignores,
    // the major the 95 family ignores, any minor of NT 3 and 4, the first
    // unknown minor after each known one.
    {nullptr, 0, 3, 10, 1234, "", "Win 32s", 32, "3.10", "", ""},
    {nullptr, 1, 7, 10, 67766446, "", "Windows 98", 98, "7.10", "2222", ""},
    // The low word read as a signed 16-bit number.
    {nullptr, 1, 4, 10, 0x0400F000, "", "Windows 98", 98, "4.10", "-4096", ""},
    // An unknown minor keeps the whole number, high word included.
    {nullptr, 1, 4, 20, 67766446, "", "Sconosciuto", 0, "4.20", "67766446", ""},
    {nullptr, 2, 3, 10, 528, "", "Windows NT 3.51", 351, "3.10", "528", ""},
    {nullptr, 2, 4, 7, 1381, "", "Windows NT 4.0", 40, "4.7", "1381", ""},
    {nullptr, 2, 5, 3, 4001, "", "Sconosciuto: 5.3.4001", 0, "5.3", "4001", ""},
    {nullptr, 2, 10, 0, 0x80000001u, "", "Sconosciuto: 10.0.-2147483647", 0, "10.0", "-2147483647", ""},
    {nullptr, 2, 1, 0, 5, "", "Sconosciuto: 1.0.5", 0, "1.0", "5", ""},
    {nullptr, 3, 10, 0, 100, "", "Piattaforma S.O. sconosciuta", 0, "10.0", "100", ""},
    {nullptr, 0xFFFFFFFFu, 4, 0, 100, "", "Piattaforma S.O. sconosciuta", 0, "4.0", "100", ""},
};

// Facts keyed as the probe program prints them.
using OsFacts = std::map<std::string, std::string>;

inline OsFacts ExpectedFacts(const OsCase& c) {
  return {{"ok", "1"},          {"codice", std::to_string(c.codice)}, {"nome", c.nome},
          {"servicepack", c.servicePack}, {"versione", c.versione},  {"build", c.testoBuild},
          {"errore", ""}};
}

// What LeggiSistemaOperativo gives in this process; or, of what the probe
// program printed, the same keys.
inline OsFacts ReadFacts() {
  int32_t codice = -1;
  std::string nome, servicePack, versione, build, errore;
  bool ok = LeggiSistemaOperativo(codice, nome, servicePack, versione, build, errore);
  return {{"ok", ok ? "1" : "0"}, {"codice", std::to_string(codice)}, {"nome", nome},
          {"servicepack", servicePack}, {"versione", versione}, {"build", build}, {"errore", errore}};
}
inline OsFacts ReadFacts(OsFacts printed) {
  OsFacts facts;
  for (const auto& entry : ExpectedFacts(kOsCases[0])) facts[entry.first] = printed[entry.first];
  return facts;
}

inline std::string RowName(const OsCase& c) {
  return std::to_string(c.platform) + " " + std::to_string(c.major) + "." + std::to_string(c.minor) + "." +
         std::to_string(c.build);
}

}  // namespace sondalink::testing
