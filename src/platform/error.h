// The error record that a failing platform or component call turns into.
// Only portable declarations live in src/platform/*.h; no Windows header.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace sondalink {

// Number, description and source of one failure. A number of 0 means none.
// Windows and COM failures carry their HRESULT as a signed 32-bit number.
struct ErrorRecord {
  int32_t number = 0;
  std::string description;
  std::string source;

  bool failed() const { return number != 0; }
  void clear() { *this = ErrorRecord{}; }
};

// A value, or the error that kept it from being produced.
template <class T>
struct Outcome {
  T value{};
  ErrorRecord error;

  Outcome() = default;
  Outcome(T v) : value(std::move(v)) {}  // NOLINT: a value is a success
  Outcome(ErrorRecord e) : error(std::move(e)) {}  // NOLINT: so is a failure
  bool ok() const { return !error.failed(); }
};

// Common HRESULTs that the portable code itself raises.
inline constexpr int32_t kErrInvalidArg = static_cast<int32_t>(0x80070057);
inline constexpr int32_t kErrFail = static_cast<int32_t>(0x80004005);

}  // namespace sondalink
