// The current local date and time.
#pragma once

namespace sondalink::platform::clock {

struct LocalTime {
  int year, month, day, hour, minute, second;
};

LocalTime Now();

}  // namespace sondalink::platform::clock
