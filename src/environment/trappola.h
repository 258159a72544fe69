// What a routine's own error trap makes of a run-time failure: the error
// record, and the "<number>: <description> (linea 0)" text the callers log.
#pragma once

#include <string>

#include "platform/error.h"

namespace sondalink {

// The record of the exception being handled; call only inside a catch block.
ErrorRecord ErroreInCorso();

// "<number>: <description> (linea 0)". The routines number none of their
// lines, so the line is always 0.
std::string TestoErrore(const ErrorRecord& errore);

}  // namespace sondalink
