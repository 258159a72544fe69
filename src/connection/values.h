// Small readers over late-bound members that the connection tests share:
// each answers with the value or the error of the first access that failed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/automation.h"
#include "platform/error.h"

namespace sondalink {

// DISP_E_TYPEMISMATCH: a member gave a value of an unexpected kind.
inline constexpr int32_t kErrTipoNonValido = static_cast<int32_t>(0x80020005);

Outcome<platform::automation::Object> ComeOggetto(Outcome<platform::automation::Value> valore);
// Any whole number, or a Boolean as VB counts it (True is -1).
Outcome<int64_t> ComeIntero(Outcome<platform::automation::Value> valore);
Outcome<bool> ComeBooleano(Outcome<platform::automation::Value> valore);
Outcome<std::string> ComeTesto(Outcome<platform::automation::Value> valore);

// `oggetto.membro` as an object, and as text.
Outcome<platform::automation::Object> LeggiOggetto(const platform::automation::Object& oggetto,
                                                   const std::string& strMembro);
Outcome<std::string> LeggiTesto(const platform::automation::Object& oggetto,
                                const std::string& strMembro);
// `collezione(chiave).Value` as text: a field's or a property's value.
Outcome<std::string> LeggiValoreElemento(const platform::automation::Object& collezione,
                                         const platform::automation::Value& chiave);

}  // namespace sondalink
