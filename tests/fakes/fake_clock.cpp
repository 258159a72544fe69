#include "fakes/fake_clock.h"

namespace sondalink {
namespace fake::clock {
namespace {

constexpr platform::clock::LocalTime kDefault{2026, 3, 7, 9, 5, 4};

platform::clock::LocalTime& Current() {
  static platform::clock::LocalTime time = kDefault;
  return time;
}

}  // namespace

void Set(const platform::clock::LocalTime& time) { Current() = time; }
void Reset() { Current() = kDefault; }

}  // namespace fake::clock

namespace platform::clock {

LocalTime Now() { return fake::clock::Current(); }

}  // namespace platform::clock
}  // namespace sondalink
