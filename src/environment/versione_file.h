// The file version of a file, from its version resource.
#pragma once

#include <cstdint>
#include <string>

namespace sondalink {

// Reads the four parts of the file version, most significant first, each as
// a signed 16-bit number; -1 each when none can be read (no resource, a file
// that is missing or unreadable, a path Windows cannot use). False only when
// a run-time error interrupted the reading: `strErrore` then holds
// "routine 'LeggiVersioneFile', errore <n>: <description> (linea 0)".
bool LeggiVersioneFile(const std::string& strFile, int16_t& nMajor, int16_t& nMinor,
                       int16_t& nBuild, int16_t& nRevision, std::string& strErrore);

}  // namespace sondalink
