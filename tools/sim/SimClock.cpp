#include "tools/sim/SimClock.h"

#include <chrono>
#include <cmath>

namespace vm415sim {
namespace {

using namespace std::chrono;

constexpr sys_days Epoch{year{1899} / December / 30};

bool InRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

} // namespace

std::optional<double> ToDateTime(const CivilTime& t) {
    if (!InRange(t.Year, 1, 9999) || !InRange(t.Month, 1, 12) || !InRange(t.Day, 1, 31)) return std::nullopt;
    if (!InRange(t.Hour, 0, 23) || !InRange(t.Minute, 0, 59) || !InRange(t.Second, 0, 59))
        return std::nullopt;
    const year_month_day ymd{year{t.Year}, month{unsigned(t.Month)}, day{unsigned(t.Day)}};
    if (!ymd.ok()) return std::nullopt;
    const double days = (sys_days{ymd} - Epoch).count();
    return days + (t.Hour * 3600 + t.Minute * 60 + t.Second) / 86400.0;
}

std::optional<CivilTime> FromDateTime(double value) {
    // Years 1..9999 lie within these day counts.
    if (!std::isfinite(value) || value < -693593.0 || value >= 2958466.0) return std::nullopt;
    double whole = std::floor(value);
    long long seconds = std::llround((value - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        whole += 1;
    }
    const year_month_day ymd{Epoch + days{static_cast<long long>(whole)}};
    if (!ymd.ok() || int(ymd.year()) < 1 || int(ymd.year()) > 9999) return std::nullopt;
    CivilTime t;
    t.Year = int(ymd.year());
    t.Month = int(unsigned(ymd.month()));
    t.Day = int(unsigned(ymd.day()));
    t.Hour = int(seconds / 3600);
    t.Minute = int(seconds / 60 % 60);
    t.Second = int(seconds % 60);
    return t;
}

SimClock::SimClock(platform::MonotonicClock source)
    : source_(source), setValue_(platform::NowDateTime()), setAt_(source_()) {}

double SimClock::Now() const {
    const double elapsed = duration<double>(source_() - setAt_).count();
    return setValue_ + elapsed / 86400.0;
}

void SimClock::Set(double value) {
    setValue_ = value;
    setAt_ = source_();
}

} // namespace vm415sim
