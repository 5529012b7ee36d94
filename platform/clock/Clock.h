#pragma once
// Two clocks. Deadlines run on the monotonic clock, so that a deadline spanning midnight or a change
// of the wall clock still expires. Date-time values shown and stored (the panel clock, event dates)
// are doubles counting days from 30/12/1899, the fraction being the time of day.
#include <chrono>

namespace platform {

using Instant = std::chrono::steady_clock::time_point;
using Duration = std::chrono::steady_clock::duration;
// A source of monotonic time; tests pass a fake one.
using MonotonicClock = Instant (*)();

Instant SteadyNow();

// Local wall-clock time as a date-time value (days since 30/12/1899).
double NowDateTime();

} // namespace platform
