// The log header's version line, from the numbers the version resource is
// made of, so that a release changes one file: the major as it stands, the
// minor in two digits, the revision in four ("Versione 15.00.0022").
#pragma once

#include <string>

#include "../../resources/version.h"

namespace sondalink::testing {

inline std::string VersionLine() {
  auto digits = [](int n, size_t width) {
    std::string s = std::to_string(n);
    return std::string(width > s.size() ? width - s.size() : 0, '0') + s;
  };
  return "Versione " + std::to_string(SONDALINK_VERSION_MAJOR) + "." +
         digits(SONDALINK_VERSION_MINOR, 2) + "." + digits(SONDALINK_VERSION_REVISION, 4);
}

}  // namespace sondalink::testing
