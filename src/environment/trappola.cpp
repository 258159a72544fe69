// Turning a failure caught by a routine's own trap into its record and text.
#include "environment/trappola.h"

#include <exception>
#include <new>
#include <stdexcept>

namespace sondalink {

namespace {

constexpr int32_t kErrOutOfMemory = static_cast<int32_t>(0x8007000E);
constexpr int32_t kRunTimeOutOfMemory = 7;
constexpr int32_t kRunTimeSubscript = 9;
// The source is never shown: every report gives number and description only.
constexpr char kSource[] = "Sondalink";

}  // namespace

ErrorRecord ErroreInCorso(Numerazione numeri) {
  const bool runTime = numeri == Numerazione::kRunTime;
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return ErrorRecord{runTime ? kRunTimeOutOfMemory : kErrOutOfMemory, "Out of memory", kSource};
  } catch (const std::out_of_range& e) {
    if (runTime) return ErrorRecord{kRunTimeSubscript, "Subscript out of range", kSource};
    return ErrorRecord{kErrFail, e.what(), kSource};
  } catch (const std::exception& e) {
    return ErrorRecord{kErrFail, e.what(), kSource};
  } catch (...) {
    return ErrorRecord{kErrFail, "Unspecified error", kSource};
  }
}

std::string TestoErrore(const ErrorRecord& errore) {
  return std::to_string(errore.number) + ": " + errore.description + " (linea 0)";
}

std::string TestoRoutine(std::string_view unita, std::string_view routine,
                         const ErrorRecord& errore) {
  std::string testo = "Routine ";
  testo += unita;
  testo += ':';
  testo += routine;
  testo += ", linea 0, errore " + std::to_string(errore.number) + ", descrizione: ";
  testo += errore.description;
  return testo;
}

}  // namespace sondalink
