#pragma once
// The panel's clock and the calendar arithmetic of its date-time values (days since 30/12/1899, the
// fraction being the time of day).
#include "platform/clock/Clock.h"

#include <optional>

namespace vm415sim {

struct CivilTime {
    int Year = 2000, Month = 1, Day = 1;
    int Hour = 0, Minute = 0, Second = 0;
};

// Nothing when the parts do not form a real date and time (31/04, 29/02 of a common year, 24:00).
std::optional<double> ToDateTime(const CivilTime& t);
// Rounded to the second. Nothing for values the calendar cannot hold (not finite, before year 1,
// after year 9999).
std::optional<CivilTime> FromDateTime(double value);

// A settable clock that runs on with real time from the moment it was set.
class SimClock {
  public:
    explicit SimClock(platform::MonotonicClock source = platform::SteadyNow);
    double Now() const;
    void Set(double value);

  private:
    platform::MonotonicClock source_;
    double setValue_;
    platform::Instant setAt_;
};

} // namespace vm415sim
