#pragma once
#include <cstdint>
#include <ctime>

// The runtime's zone offset: UTC minus local standard time, in seconds
// (-3600 one hour east of Greenwich). Reads the zone afresh (tzset).
long LocalZoneOffset();
// Whether daylight saving is ever used in the local zone.
int LocalDaylight();
// Conversions between a stored due time and the edit panel's picker values.
std::time_t ToPickerTime(std::time_t t);
std::int32_t FromPickerTime(std::time_t t);
// Clamps a wide value into the stored 32-bit range.
std::int32_t ClampToInt32(long long value);
