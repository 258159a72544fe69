// What the late-binding layer promises whatever stands behind it: one table
// checked natively against the scriptable fake (which the connection tests
// trust to behave as Windows does) and under Wine against the real back end.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

#include "platform/automation.h"

namespace sondalink::testing {

// An error record's number, description and source, to check in one go.
inline std::tuple<int32_t, std::string, std::string> Parts(const ErrorRecord& e) {
  return {e.number, e.description, e.source};
}

namespace contract {

namespace pa = platform::automation;

// A value and its text under the English (United States) user locale of
// the test prefix: what VariantChangeTypeEx gives for it there.
struct TextCase {
  pa::Value value;
  const char* text;
};

inline const TextCase kTextCases[] = {
    {pa::Value{}, ""},
    {pa::Null{}, ""},
    {true, "True"},
    {false, "False"},
    {uint8_t{200}, "200"},
    {int16_t{-5}, "-5"},
    {int16_t{-32768}, "-32768"},
    {int32_t{-2147467259}, "-2147467259"},
    {uint32_t{4294967295u}, "4294967295"},
    {int64_t{1} << 40, "1099511627776"},
    {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
    {2.5, "2.5"},
    {0.1, "0.1"},
    {1e20, "1E+20"},
    {1e15, "1E+15"},
    {123456789012345.0, "123456789012345"},
    {1e-5, "1E-05"},
    {0.0001, "0.0001"},
    {1.0 / 3, "0.333333333333333"},
    {-0.0, "0"},
    {2.5e-10, "2.5E-10"},
    {0.1f, "0.1"},
    {12345678.f, "1.234568E+07"},
    {pa::Currency{125000}, "12.5"},
    {pa::Currency{30000}, "3"},
    {pa::Currency{-1}, "-0.0001"},
    {pa::Currency{123456789}, "12345.6789"},
    {pa::Currency{std::numeric_limits<int64_t>::min()}, "-922337203685477.5808"},
    {pa::Decimal{2, false, 0, 150}, "1.5"},
    {pa::Decimal{0, true, 1, 0}, "-18446744073709551616"},
    {pa::Decimal{3, false, 0, 5}, "0.005"},
    {pa::Date{36525.0}, "12/31/1999"},
    {pa::Date{36525.4375}, "12/31/1999 10:30:00 AM"},
    {pa::Date{0.4375}, "10:30:00 AM"},
    {pa::Date{0.0}, "12:00:00 AM"},
    {pa::Date{2.5}, "1/1/1900 12:00:00 PM"},
    {pa::Date{-1.25}, "12/29/1899 6:00:00 AM"},
    {std::string("Microsoft SQL Server"), "Microsoft SQL Server"},
};

inline void ExpectTexts() {
  for (const TextCase& c : kTextCases) {
    Outcome<std::string> text = pa::ToText(c.value);
    EXPECT_TRUE(text.ok()) << c.text;
    EXPECT_EQ(text.value, c.text) << "alternative " << c.value.index();
  }
}

// Classes the machine does not have, by identity and by name: no object,
// and the error record of the failed creation named after the class.
inline void ExpectUnknownClasses() {
  const ErrorRecord notRegistered{-2147221164, "Class not registered", "DAO.DBEngine.35"};
  Outcome<pa::Object> dao =
      pa::CreateFromClassId("{00000010-0000-0010-8000-00AA006D2EA4}", "DAO.DBEngine.35");
  EXPECT_FALSE(dao.value);
  EXPECT_EQ(Parts(dao.error), Parts(notRegistered));
  // With a licence key the class object is asked for first: the same record.
  Outcome<pa::Object> keyed = pa::CreateFromClassId("{00000010-0000-0010-8000-00AA006D2EA4}",
                                                    "DAO.DBEngine.35", "mbmabptebkjcdlgtjmskjwtsdhjbmkmwtrak");
  EXPECT_FALSE(keyed.value);
  EXPECT_EQ(Parts(keyed.error), Parts(notRegistered));

  Outcome<pa::Object> dmo = pa::CreateFromName("SQLDMO.SQLServer");
  EXPECT_FALSE(dmo.value);
  EXPECT_EQ(Parts(dmo.error), Parts({-2147221005, "Invalid class string", "SQLDMO.SQLServer"}));
}

}  // namespace contract
}  // namespace sondalink::testing
