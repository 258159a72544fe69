// One trap for every routine: what each kind of C++ failure becomes under
// either numbering, and the routine text built from a record.
#include <functional>
#include <new>
#include <stdexcept>

#include <gtest/gtest.h>

#include "environment/trappola.h"

namespace sondalink {
namespace {

ErrorRecord Intrappola(const std::function<void()>& guasto, Numerazione numeri) {
  try {
    guasto();
  } catch (...) {
    return ErroreInCorso(numeri);
  }
  return {};
}

TEST(Trappola, EachFailureHasTheNumberOfItsRoutinesNumbering) {
  constexpr int32_t kMemoria = static_cast<int32_t>(0x8007000E);
  struct Caso {
    std::function<void()> guasto;
    Numerazione numeri;
    int32_t number;
    const char* description;
  } casi[] = {
      {[] { throw std::bad_alloc(); }, Numerazione::kHResult, kMemoria, "Out of memory"},
      {[] { throw std::bad_alloc(); }, Numerazione::kRunTime, 7, "Out of memory"},
      {[] { throw std::out_of_range("indice"); }, Numerazione::kHResult, kErrFail, "indice"},
      {[] { throw std::out_of_range("indice"); }, Numerazione::kRunTime, 9, "Subscript out of range"},
      {[] { throw std::runtime_error("rotto"); }, Numerazione::kRunTime, kErrFail, "rotto"},
      {[] { throw 42; }, Numerazione::kHResult, kErrFail, "Unspecified error"},
  };
  for (const Caso& c : casi) {
    ErrorRecord e = Intrappola(c.guasto, c.numeri);
    EXPECT_EQ(e.number, c.number) << c.description;
    EXPECT_EQ(e.description, c.description);
  }
}

TEST(Trappola, TextsCarryNumberInSignedDecimalAndLineZero) {
  const ErrorRecord e{INT32_MIN, "", "ignorata"};
  EXPECT_EQ(TestoRoutine("busConn", "Main", e),
            "Routine busConn:Main, linea 0, errore -2147483648, descrizione: ");
  EXPECT_EQ(TestoErrore({53, "File not found", "x"}), "53: File not found (linea 0)");
}

}  // namespace
}  // namespace sondalink
