// Listings and readings that the ADO and DAO tests share: every property of
// an object, the rows of sp_server_info, and the version from field 0.
#pragma once

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

}  // namespace sondalink
