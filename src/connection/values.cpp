// Readers over late-bound members.
#include "connection/values.h"

#include <type_traits>
#include <variant>

namespace sondalink {

namespace au = platform::automation;

namespace {

ErrorRecord TipoNonValido() { return ErrorRecord{kErrTipoNonValido, "Type mismatch", ""}; }

}  // namespace

Outcome<au::Object> ComeOggetto(Outcome<au::Value> valore) {
  if (!valore.ok()) return valore.error;
  if (auto* oggetto = std::get_if<au::Object>(&valore.value); oggetto && *oggetto) return *oggetto;
  return TipoNonValido();
}

Outcome<int64_t> ComeIntero(Outcome<au::Value> valore) {
  if (!valore.ok()) return valore.error;
  return std::visit(
      [](const auto& v) -> Outcome<int64_t> {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, bool>) {
          return int64_t{v ? -1 : 0};
        } else if constexpr (std::is_integral_v<T>) {
          return static_cast<int64_t>(v);
        } else {
          return TipoNonValido();
        }
      },
      valore.value);
}

Outcome<bool> ComeBooleano(Outcome<au::Value> valore) {
  Outcome<int64_t> intero = ComeIntero(std::move(valore));
  if (!intero.ok()) return intero.error;
  return intero.value != 0;
}

Outcome<std::string> ComeTesto(Outcome<au::Value> valore) {
  if (!valore.ok()) return valore.error;
  return au::ToText(valore.value);
}

Outcome<au::Object> LeggiOggetto(const au::Object& oggetto, const std::string& strMembro) {
  return ComeOggetto(au::Get(oggetto, strMembro));
}

Outcome<std::string> LeggiTesto(const au::Object& oggetto, const std::string& strMembro) {
  return ComeTesto(au::Get(oggetto, strMembro));
}

Outcome<std::string> LeggiValoreElemento(const au::Object& collezione, const au::Value& chiave) {
  Outcome<au::Object> elemento = ComeOggetto(au::Item(collezione, chiave));
  if (!elemento.ok()) return elemento.error;
  return LeggiTesto(elemento.value, "Value");
}

}  // namespace sondalink
