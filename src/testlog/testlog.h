// The test log: one file per test in the data folder, each line stamped, and
// its echo in the window's log box.
#pragma once

#include <cstdint>
#include <string>

namespace sondalink {

// Log levels; any other value is written as INFO and counted nowhere.
enum : int16_t { kLogInfo = 0, kLogWarning = 1, kLogError = 2 };

extern std::string gstrFileLog;  // file name of the current test's log
extern bool gbLogAperto;
extern int32_t glngNumWarning;
extern int32_t glngNumErrori;

// The text box that every message is echoed into, bare; the window that owns
// it hands it over before the first log starts. 0: no echo.
void LogEchoInto(int nControllo);

bool LogStart(bool bSkipHeader = false);
void LogWrite(const std::string& strMsg, int16_t nTypeLog = kLogInfo);
bool LogStop();

}  // namespace sondalink
