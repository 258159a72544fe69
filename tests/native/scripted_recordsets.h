// The two result sets that the ADO and DAO tests open in turn, SELECT
// @@VERSION and then sp_server_info, as scripted recordsets: the rows of
// each, and for each opening a failure to give or a change to make.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_automation.h"

namespace sondalink::testing {

// One row of sp_server_info.
inline fake::automation::Row Attributo(int id, const std::string& name, const std::string& value) {
  using fake::automation::Value;
  return {{"attribute_id", Value{int32_t{id}}},
          {"attribute_name", Value{name}},
          {"attribute_value", Value{value}}};
}

struct ScriptedRecordsets {
  explicit ScriptedRecordsets(const std::string& version)
      : versionRows{{{"", fake::automation::Value{version}}}} {}

  // The next recordset the test opens; `prepare` adds to it before the
  // test's own change.
  Outcome<fake::automation::FakePtr> NextRecordset(
      const std::string& className, void (*prepare)(fake::automation::FakeObject&) = nullptr) {
    size_t n = recordsets.size();
    if (n < recordsetFailures.size() && recordsetFailures[n].failed()) {
      recordsets.push_back(nullptr);
      return recordsetFailures[n];
    }
    fake::automation::FakePtr rs = fake::automation::NewRecordset(className, n == 0 ? versionRows : infoRows);
    if (prepare) prepare(*rs);
    if (n < recordsetSetup.size() && recordsetSetup[n]) recordsetSetup[n](*rs);
    recordsets.push_back(rs);
    return rs;
  }

  std::vector<fake::automation::Row> versionRows;
  std::vector<fake::automation::Row> infoRows{
      Attributo(1, "DBMS_NAME", "Microsoft SQL Server"),
      Attributo(2, "DBMS_VER", "Microsoft SQL Server 2000 - 8.00.2039"),
  };
  std::vector<ErrorRecord> recordsetFailures;                                      // by opening
  std::vector<std::function<void(fake::automation::FakeObject&)>> recordsetSetup;  // by opening
  std::vector<fake::automation::FakePtr> recordsets;
};

}  // namespace sondalink::testing
