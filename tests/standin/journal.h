// The journal: one line per call the program made into a stand-in object,
// with the arguments and their variant types, so that end-to-end tests can
// check what actually reached the component. Line formats are listed in
// standin_control.h.
#pragma once

#include <string>

#include "node.h"

namespace sondalink::standin {

// Appends one line (UTF-8, LF) to the current run's journal, if it has one.
void Journal(const std::wstring& line);

// "VT_I2 60", "VT_BSTR \"text\"", "VT_BSTR|VT_BYREF \"text\"", "VT_DISPATCH <ado.Connection>".
std::wstring Describe(const VARIANT& value);

// "0x800A0C4A": a code as the journal writes it.
std::wstring Hex(HRESULT code);

// Escapes CR, LF, tab, backslash and double quote so a value stays on one line.
std::wstring EscapeForJournal(const std::wstring& text);

}  // namespace sondalink::standin
