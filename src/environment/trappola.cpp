// Turning exceptions caught by a routine's own trap into error records.
#include "environment/trappola.h"

#include <exception>
#include <new>

namespace sondalink {

namespace {
constexpr int32_t kErrOutOfMemory = static_cast<int32_t>(0x8007000E);
}

ErrorRecord ErroreInCorso() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return ErrorRecord{kErrOutOfMemory, "Out of memory", "Sondalink"};
  } catch (const std::exception& e) {
    return ErrorRecord{kErrFail, e.what(), "Sondalink"};
  } catch (...) {
    return ErrorRecord{kErrFail, "Unspecified error", "Sondalink"};
  }
}

std::string TestoErrore(const ErrorRecord& errore) {
  return std::to_string(errore.number) + ": " + errore.description + " (linea 0)";
}

}  // namespace sondalink
