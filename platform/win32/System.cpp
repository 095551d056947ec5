// Small calls that Windows answers differently from Linux, and the C
// runtime's zone calls that mingw-w64's msvcrt does not export.

#include "platform/Path.h"
#include "platform/TimeZone.h"

#include <ctime>

BOOL AfxFileNamesAreCaseSensitive() { return FALSE; }

// msvcrt.dll has the variables _timezone and _daylight but not the calls the
// program uses (they came with later runtimes); the SDK headers declare them
// as imports, so the import slots are provided here.
namespace {

errno_t GetTimezone(long* seconds)
{
    if (!seconds)
        return EINVAL;
    *seconds = _timezone;
    return 0;
}

errno_t GetDaylight(int* hours)
{
    if (!hours)
        return EINVAL;
    *hours = _daylight;
    return 0;
}

}  // namespace

extern "C" {
errno_t (*__imp__get_timezone)(long*) = GetTimezone;
errno_t (*__imp__get_daylight)(int*) = GetDaylight;
}
