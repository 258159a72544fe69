// Listings and readings shared by the ADO and DAO tests.
#include "connection/elenchi.h"

#include <cstdint>

#include "connection/connstring.h"
#include "connection/values.h"

namespace sondalink {

namespace au = platform::automation;

namespace {

constexpr char kErroreAttributi[] =
    "Errore durante la rilevazione dei campo 'attribute_name' e 'attribute_value' della "
    "sp_server_info: number=";

// The query line, then the open step.
void ApriRecordset(EsecuzioneTest& run, const RecordsetComponente& c, au::Object& rs,
                   const std::string& strQuery) {
  if (c.crea) c.crea(run, rs);
  run.LogWrite("Query in corso di esecuzione: " + strQuery);
  run.GuardedStep(c.apertura, [&] { return c.apri(run, rs, strQuery); });
}

void ChiudiRecordset(EsecuzioneTest& run, const RecordsetComponente& c, au::Object& rs) {
  run.GuardedStep(c.chiusura, [&] { return au::Call(rs, "Close").error; });
  run.LogWrite(c.strDistruzione);
  rs.reset();
}

}  // namespace

void InterrogaServer(EsecuzioneTest& run, const RecordsetComponente& componente) {
  au::Object rs;
  ApriRecordset(run, componente, rs, "SELECT @@VERSION");
  LeggiVersioneDaRecordset(run, rs, componente.campoVersione);
  ChiudiRecordset(run, componente, rs);

  run.LogConnectionConfirmed();
  run.LogVersionAndSucceed();

  ApriRecordset(run, componente, rs, "sp_server_info");
  ElencaAttributi(run, rs);
  ChiudiRecordset(run, componente, rs);
}

void ChiudiConnessione(EsecuzioneTest& run, const TestiPasso& chiusura,
                       const char* strDistruzione) {
  run.GuardedStep(chiusura, [&] { return au::Call(run.MainObject(), "Close").error; });
  run.EnterTrappedMode();
  run.LogWrite(strDistruzione);
  run.ReleaseMainObject();
}

void ElencaProprieta(EsecuzioneTest& run, const au::Object& proprietario,
                     const std::string& strIntestazione) {
  run.LogWrite(strIntestazione);
  au::Object proprieta = run.ValueOrTrap(LeggiOggetto(proprietario, "Properties"));
  if (!proprieta) return;
  const int64_t nConta = run.ValueOrTrap(ComeIntero(au::Get(proprieta, "Count")));
  for (int64_t i = 0; i < nConta; ++i) {
    // Items by position as a 32-bit number, as both components take it.
    Outcome<au::Object> elemento = ComeOggetto(au::Item(proprieta, static_cast<int32_t>(i)));
    Outcome<std::string> nome, valore;
    if (elemento.ok()) nome = LeggiTesto(elemento.value, "Name");
    if (elemento.ok() && nome.ok()) valore = LeggiTesto(elemento.value, "Value");
    if (elemento.ok() && nome.ok() && valore.ok()) {
      run.LogWrite("    " + nome.value + " = " + MascheraProprieta(nome.value, valore.value));
    }
    run.Err.clear();
  }
}

void ElencaAttributi(EsecuzioneTest& run, const au::Object& rs) {
  run.LogWrite("Lettura attributi istanza SQL SERVER mediante chiamata sp_server_info...");
  for (;;) {
    Outcome<bool> fine = ComeBooleano(au::Get(rs, "EOF"));
    if (fine.ok() && fine.value) break;
    if (!fine.ok()) {
      // Without EOF the loop could not end: warn and stop listing.
      run.NoteOrTrap(fine.error);
      run.ToleratedCheck(kErroreAttributi);
      break;
    }
    Outcome<au::Object> campi = LeggiOggetto(rs, "Fields");
    Outcome<std::string> nome, valore;
    if (campi.ok()) nome = LeggiValoreElemento(campi.value, std::string("attribute_name"));
    if (campi.ok() && nome.ok())
      valore = LeggiValoreElemento(campi.value, std::string("attribute_value"));
    if (campi.ok() && nome.ok() && valore.ok()) {
      run.LogWrite("    " + nome.value + " = " + valore.value);
    } else {
      run.NoteOrTrap(!campi.ok() ? campi.error : !nome.ok() ? nome.error : valore.error);
    }
    run.ToleratedCheck(kErroreAttributi);
    ErrorRecord avanti = au::Call(rs, "MoveNext").error;
    if (avanti.failed()) {
      // A row that cannot be left would be listed for ever: warn and stop.
      run.NoteOrTrap(avanti);
      run.ToleratedCheck(kErroreAttributi);
      break;
    }
  }
}

void LeggiVersioneDaRecordset(EsecuzioneTest& run, const au::Object& rs, const au::Value& campo) {
  Outcome<bool> fine = ComeBooleano(au::Get(rs, "EOF"));
  if (!fine.ok() || fine.value) return;
  Outcome<au::Object> campi = LeggiOggetto(rs, "Fields");
  if (!campi.ok()) return;
  Outcome<std::string> versione = LeggiValoreElemento(campi.value, campo);
  if (versione.ok()) run.SetVersion(versione.value);
}

}  // namespace sondalink
