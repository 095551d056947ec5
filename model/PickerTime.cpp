#include "model/PickerTime.h"

#include "platform/TimeZone.h"
#include "platform/Trace.h"

#include <climits>

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (month 1-12).
long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

// A wall clock counted in seconds as if it were UTC.
long long WallSeconds(const std::tm& tm)
{
    return DaysFromCivil(tm.tm_year + 1900LL, unsigned(tm.tm_mon + 1), unsigned(tm.tm_mday)) * 86400 +
           tm.tm_hour * 3600LL + tm.tm_min * 60LL + tm.tm_sec;
}

bool Local(std::time_t t, std::tm& tm) { return localtime_s(&tm, &t) == 0; }

// Local time minus UTC at instant t, in seconds.
long long OffsetAt(std::time_t t)
{
    std::tm tm{};
    return Local(t, tm) ? WallSeconds(tm) - t : 0;
}

}  // namespace

long LocalZoneOffset()
{
    _tzset();
    long seconds = 0;
    _get_timezone(&seconds);
    return seconds;
}

int LocalDaylight()
{
    _tzset();
    int hours = 0;
    _get_daylight(&hours);
    return hours;
}

std::int32_t ClampToInt32(long long value)
{
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::time_t LocalTimeToInstant(int year, int month, int day, int hour, int minute, int second,
                               const std::time_t* hint)
{
    _tzset();
    const long long wall = DaysFromCivil(year, unsigned(month), unsigned(day)) * 86400 + hour * 3600LL +
                           minute * 60LL + second;
    // Zone offsets lie within +-15 hours, so every instant that shows this
    // wall clock lies within 15 hours of it; the offsets in force at both
    // ends, and at the instants they point to, are all that can apply.
    constexpr long long kReach = 15 * 3600;
    const long long before = OffsetAt(std::time_t(wall - kReach));
    long long offsets[4] = {before, OffsetAt(std::time_t(wall + kReach)), 0, 0};
    offsets[2] = OffsetAt(std::time_t(wall - offsets[0]));
    offsets[3] = OffsetAt(std::time_t(wall - offsets[1]));

    bool found = false;
    long long first = 0;
    for (long long o : offsets) {
        const long long instant = wall - o;
        if (OffsetAt(std::time_t(instant)) != o)
            continue;
        if (hint && *hint == instant)
            return *hint;
        if (!found || instant < first)
            first = instant;
        found = true;
    }
    // None: the wall clock lies in a gap; the offset from before it reads
    // the time as if the clock had not yet been set forward.
    return std::time_t(found ? first : wall - before);
}

std::time_t ToPickerTime(std::time_t t) { return t + LocalZoneOffset(); }

std::time_t ToPickerTimeOfDay(std::time_t instant)
{
    std::tm tm{};
    if (!Local(instant, tm))
        return LocalTimeToInstant(1970, 1, 2, 0, 0, 0);
    return LocalTimeToInstant(1970, 1, 2, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

std::int32_t FromPickerTime(std::time_t date, std::time_t timeOfDay, const std::int32_t* shown)
{
    std::tm d{};
    std::tm t{};
    if (!Local(date, d) || !Local(timeOfDay, t))
        return ClampToInt32(static_cast<long long>(date) - LocalZoneOffset());
    const std::time_t hint = shown ? ToPickerTime(*shown) : 0;
    const std::time_t instant = LocalTimeToInstant(d.tm_year + 1900, d.tm_mon + 1, d.tm_mday, t.tm_hour, t.tm_min,
                                                   t.tm_sec, shown ? &hint : nullptr);
    std::tm chosen{};
    Trace("Daylight saving diff: %d\n", Local(instant, chosen) ? chosen.tm_isdst : 0);
    return ClampToInt32(static_cast<long long>(instant) - LocalZoneOffset());
}
