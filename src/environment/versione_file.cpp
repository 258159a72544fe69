// File versions. Portable logic: version.dll is reached through
// platform/version.h.
#include "environment/versione_file.h"

#include <cstring>
#include <vector>

#include "environment/trappola.h"
#include "platform/version.h"

namespace sondalink {

namespace {

// VS_FIXEDFILEINFO: thirteen 32-bit fields; only the file version is used.
struct InfoFissa {
  uint32_t dwSignature;
  uint32_t dwStrucVersion;
  uint32_t dwFileVersionMS;
  uint32_t dwFileVersionLS;
  uint32_t resto[9];
};
static_assert(sizeof(InfoFissa) == 52);

int16_t Alta(uint32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v >> 16)); }
int16_t Bassa(uint32_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }

}  // namespace

bool LeggiVersioneFile(const std::string& strFile, int16_t& nMajor, int16_t& nMinor,
                       int16_t& nBuild, int16_t& nRevision, std::string& strErrore) {
  namespace version = platform::version;
  try {
    nMajor = nMinor = nBuild = nRevision = -1;
    // The size as a signed number: anything below 1 means no version.
    const auto size = static_cast<int32_t>(version::VersionInfoSize(strFile));
    if (size < 1) return true;

    std::vector<unsigned char> buffer(static_cast<size_t>(size) + 1, 0);
    if (version::ReadVersionInfo(strFile, static_cast<uint32_t>(size), buffer.data()) == 0) {
      return true;
    }

    const void* fissa = nullptr;
    uint32_t lunghezza = 0;
    if (version::VerQueryRootBlock(buffer.data(), fissa, lunghezza) == 0) return true;
    // A resource without fixed information still answers for the root
    // block, with a shorter length: there is no record to copy then.
    const auto* inizio = static_cast<const unsigned char*>(fissa);
    if (inizio == nullptr || lunghezza < sizeof(InfoFissa) || inizio < buffer.data() ||
        inizio + sizeof(InfoFissa) > buffer.data() + buffer.size()) {
      return true;
    }

    InfoFissa info;
    std::memcpy(&info, fissa, sizeof info);
    nMajor = Alta(info.dwFileVersionMS);
    nMinor = Bassa(info.dwFileVersionMS);
    nBuild = Alta(info.dwFileVersionLS);
    nRevision = Bassa(info.dwFileVersionLS);
    return true;
  } catch (...) {
    strErrore = "routine 'LeggiVersioneFile', errore " + TestoErrore(ErroreInCorso());
    return false;
  }
}

}  // namespace sondalink
