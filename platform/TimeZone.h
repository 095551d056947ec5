#pragma once
// The C runtime's local-time calls in their Windows form, which the program
// uses wherever it needs the zone: the zone's standard offset, whether it
// has daylight saving, and an instant's local time. Qt-free.

#include <ctime>

#ifndef _WIN32
using errno_t = int;

// Reads the zone afresh (TZ here, the system's zone on Windows).
void _tzset();
// UTC minus local standard time, in seconds (-3600 one hour east of Greenwich).
errno_t _get_timezone(long* seconds);
// Non-zero when the zone uses daylight saving.
errno_t _get_daylight(int* hours);
// The local time of an instant; non-zero when it cannot be converted.
errno_t localtime_s(std::tm* result, const std::time_t* time);
#endif
