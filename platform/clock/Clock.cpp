#include "platform/clock/Clock.h"

#include <ctime>

namespace platform {

Instant SteadyNow() { return std::chrono::steady_clock::now(); }

double NowDateTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    // Day count of the local calendar date, from the civil-date algorithm.
    const year_month_day ymd{year{local.tm_year + 1900}, month{unsigned(local.tm_mon + 1)},
                             day{unsigned(local.tm_mday)}};
    const int days = (sys_days{ymd} - sys_days{year{1899} / December / 30}).count();
    const double secs = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ms / 1000.0;
    return days + secs / 86400.0;
}

} // namespace platform
