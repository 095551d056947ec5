#include "platform/TimeZone.h"

#include <cerrno>
#include <time.h>

void _tzset() { tzset(); }

errno_t _get_timezone(long* seconds)
{
    if (!seconds)
        return EINVAL;
    *seconds = timezone;
    return 0;
}

errno_t _get_daylight(int* hours)
{
    if (!hours)
        return EINVAL;
    *hours = daylight;
    return 0;
}

errno_t localtime_s(std::tm* result, const std::time_t* time)
{
    if (!result || !time)
        return EINVAL;
    return localtime_r(time, result) ? 0 : EINVAL;
}
