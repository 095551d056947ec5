#include "model/PickerTime.h"

#include <climits>
#include "platform/Trace.h"

#include <time.h>

namespace {

// 3600 when local time at t is in daylight saving, else 0.
long DstOf(std::time_t t, int* isDst = nullptr)
{
    std::tm local {};
    int flag = localtime_r(&t, &local) ? local.tm_isdst : 0;
    if (isDst)
        *isDst = flag;
    return flag == 1 ? 3600 : 0;
}

} // namespace

long LocalZoneOffset()
{
    tzset();
    return timezone;
}

int LocalDaylight()
{
    tzset();
    return daylight;
}

std::int32_t ClampToInt32(long long value)
{
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

std::time_t ToPickerTime(std::time_t t) { return t + LocalZoneOffset() + 86400 + DstOf(t); }

std::int32_t FromPickerTime(std::time_t t)
{
    int isDst = 0;
    long dst = DstOf(t, &isDst);
    Trace("Daylight saving diff: %d\n", isDst);
    return ClampToInt32(static_cast<long long>(t) - 86400 - LocalZoneOffset() - dst);
}
