#include "base/clock.h"

namespace qrp {

namespace {

// Days from 1 Jan 1970 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day)
{
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

int64_t LocalWallClockSeconds(std::time_t moment)
{
    std::tm local{};
#ifdef _WIN32
    ::localtime_s(&local, &moment);
#else
    ::localtime_r(&moment, &local);
#endif
    return DaysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * 86400 + local.tm_hour * 3600 +
           local.tm_min * 60 + local.tm_sec;
}

}  // namespace qrp
