// What a routine's own error trap makes of a failure, in one place so that
// every report reads the same: the error record of a C++ failure, the title
// of the program's message boxes, and the two texts that report an error.
#pragma once

#include <string>
#include <string_view>

#include "platform/error.h"

namespace sondalink {

// The title of every message box but the two of the input validation.
inline constexpr char kTitoloMessaggio[] = "Messaggio di Sondalink";

// How a trap numbers a failure of the C++ run time. The window's routines
// give the numbers of the language's own run-time errors (7 out of memory,
// 9 subscript out of range); the probe and the test handlers give HRESULTs.
enum class Numerazione { kHResult, kRunTime };

// The record of the exception being handled; call only inside a catch block.
ErrorRecord ErroreInCorso(Numerazione numeri = Numerazione::kHResult);

// "<number>: <description> (linea 0)", the text a routine hands back in its
// strErrore. The routines number none of their lines, so the line is 0.
std::string TestoErrore(const ErrorRecord& errore);

// "Routine <unit>:<routine>, linea 0, errore <number>, descrizione: <d>",
// the text of a trapped error's box and of its ERROR line.
std::string TestoRoutine(std::string_view unita, std::string_view routine,
                         const ErrorRecord& errore);

}  // namespace sondalink
