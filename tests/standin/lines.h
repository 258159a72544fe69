// How scenario and journal lines write texts and codes, for the stand-in and
// for the tests that write its scenarios and read its journal.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace sondalink::standin {

// `text` with a backslash before CR, LF and tab (as r, n and t), before the
// backslash itself and before each of `specials`.
inline std::string Escape(const std::string& text, const std::string& specials) {
  const std::string control = "\r\n\t";
  std::string out;
  for (char c : text) {
    const size_t named = control.find(c);
    if (named != std::string::npos || c == '\\' || specials.find(c) != std::string::npos) out += '\\';
    out += named != std::string::npos ? "rnt"[named] : c;
  }
  return out;
}

// Escapes a text for a scenario value: \r \n \t \\ \| and a leading @.
inline std::string EscapeScenario(const std::string& text) {
  std::string out = Escape(text, "|");
  if (out.starts_with('@')) out.insert(0, "\\");
  return out;
}

// "0x800A0C4A": a code as scenarios and the journal write it.
inline std::string Hex(uint32_t code) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
  return hex;
}

}  // namespace sondalink::standin
