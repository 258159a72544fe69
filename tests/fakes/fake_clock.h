// A clock that tells the time the test set.
#pragma once

#include "platform/clock.h"

namespace sondalink::fake::clock {

// The time Now() gives; Reset() puts back a fixed default with single-digit
// month, day, hour, minute and second, so that padding shows.
void Set(const platform::clock::LocalTime& time);
void Reset();

}  // namespace sondalink::fake::clock
