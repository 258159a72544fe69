// Listings, readings and steps that the ADO and DAO tests share: every
// property of an object, the queries with their recordsets, the rows of
// sp_server_info, the version from field 0, and the connection's close.
#pragma once

#include <functional>
#include <string>

#include "connection/frame.h"
#include "platform/automation.h"

namespace sondalink {

// Writes `strIntestazione`, then one line per item of `proprietario`'s
// Properties, by position from 0 (Count is read once). An item whose name
// or value cannot be read gives no line and is not reported; a password
// property, or a password key inside a value, is masked.
void ElencaProprieta(EsecuzioneTest& run, const platform::automation::Object& proprietario,
                     const std::string& strIntestazione);

// The rows of sp_server_info on the open recordset `rs`; a row that cannot
// be read gives one WARNING and the listing goes on.
void ElencaAttributi(EsecuzioneTest& run, const platform::automation::Object& rs);

// When `rs` has a current row, sets the version text to its field `campo`
// (Null gives an empty text). Nothing is logged; a failure is dropped.
void LeggiVersioneDaRecordset(EsecuzioneTest& run, const platform::automation::Object& rs,
                              const platform::automation::Value& campo);

// How one component opens a recordset on a query.
struct RecordsetComponente {
  // Runs before the query line, or nothing: ADO creates its recordset here.
  std::function<void(EsecuzioneTest&, platform::automation::Object& rs)> crea;
  // Opens `rs` on the query; the operation of the step `apertura`.
  std::function<ErrorRecord(EsecuzioneTest&, platform::automation::Object& rs,
                            const std::string& strQuery)>
      apri;
  TestiPasso apertura;          // the Open step
  TestiPasso chiusura;          // the Close step that ends each query
  const char* strDistruzione;   // "Distruzione dell'oggetto ADODB.Recordset..."
  platform::automation::Value campoVersione;  // the version's field in its row
};

// The queries that ADO and DAO send once connected: the version from
// "SELECT @@VERSION", the success block, then the rows of sp_server_info;
// each on a recordset of its own, opened, read, closed and released.
void InterrogaServer(EsecuzioneTest& run, const RecordsetComponente& componente);

// The main object's Close step, back to trapped mode, and its release:
// the last steps of the ADO and DAO tests.
void ChiudiConnessione(EsecuzioneTest& run, const TestiPasso& chiusura,
                       const char* strDistruzione);

}  // namespace sondalink
