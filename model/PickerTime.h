#pragma once
// Between stored due times and the edit panel's two pickers.
//
// The date picker holds the due instant itself (a time_t; it shows the
// instant's local date). The time picker holds an instant on 1970-01-02
// whose local time of day is the due instant's. Reading the panel back joins
// the date picker's local date with the time picker's local time of day and
// finds the instant that wall clock names in the local zone:
// - a time that the spring change skips is read as the clock would have
//   shown it without the change: 02:30 on a day that jumps from 02:00 to
//   03:00 is 03:30 (with a 30-minute change, 02:15 is 02:45);
// - a time that the autumn change repeats is its first occurrence, still in
//   daylight-saving time, unless it is the wall clock of the stored time the
//   panel was filled from, which is then kept as it is. So an unchanged edit
//   never moves a reminder.

#include <cstdint>
#include <ctime>

// The runtime's zone offset: UTC minus local standard time, in seconds
// (-3600 one hour east of Greenwich). Reads the zone afresh (tzset).
long LocalZoneOffset();
// Whether daylight saving is ever used in the local zone.
int LocalDaylight();

// The due instant of stored time t: the date picker's value.
std::time_t ToPickerTime(std::time_t t);
// The time picker's value for an instant: its local time of day on 1970-01-02.
std::time_t ToPickerTimeOfDay(std::time_t instant);
// The stored time for the date picker's local date and the time picker's
// local time of day. shown: the stored time the panel was filled from, or
// null for a new reminder.
std::int32_t FromPickerTime(std::time_t date, std::time_t timeOfDay, const std::int32_t* shown = nullptr);

// Local wall-clock fields (as struct tm counts them, month 1-12) to the
// instant they name, by the rules above; hint, when it names the same wall
// clock, wins over the first occurrence.
std::time_t LocalTimeToInstant(int year, int month, int day, int hour, int minute, int second,
                               const std::time_t* hint = nullptr);

// Clamps a wide value into the stored 32-bit range.
std::int32_t ClampToInt32(long long value);
