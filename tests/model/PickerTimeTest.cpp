// The edit panel's pickers against stored times, in zones with whole, half
// and 45-minute offsets and daylight-saving shifts of an hour and of 30
// minutes.

#include "model/PickerTime.h"
#include "tests/TestZone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <time.h>
#include <vector>

namespace {

std::tm LocalOf(std::time_t t) { return LocalTimeOf(t); }

// The instants at which the zone's offset changes in [from, to).
std::vector<std::time_t> Transitions(std::time_t from, std::time_t to)
{
    std::vector<std::time_t> out;
    long previous = UtcOffsetAt(from);
    for (std::time_t t = from + 3600; t < to; t += 3600) {
        if (UtcOffsetAt(t) == previous)
            continue;
        std::time_t lo = t - 3600, hi = t;  // first second of the new offset
        while (hi - lo > 1) {
            const std::time_t mid = lo + (hi - lo) / 2;
            (UtcOffsetAt(mid) == previous ? lo : hi) = mid;
        }
        out.push_back(hi);
        previous = UtcOffsetAt(t);
    }
    return out;
}

constexpr std::time_t kYearStart = 1767225600;  // 2026-01-01 00:00 UTC
constexpr std::time_t kYearEnd = kYearStart + 366 * 86400;

const char* const kZones[] = {"Europe/Stockholm", "America/New_York", "Asia/Kolkata",
                              "Australia/Lord_Howe", "Pacific/Chatham", "UTC"};

// Every stored time of a year, in steps that are not whole minutes, and every
// second around each change of offset: the pickers show its local date and
// time of day, and reading them back gives it exactly.
TEST(PickerTime, ShowsTheLocalDateAndTimeAndReadsBackTheSameStoredTime)
{
    for (const char* zone : kZones) {
        SCOPED_TRACE(zone);
        ZoneScope scope(zone);
        if (!scope.ok())
            continue;
        const long offset = LocalZoneOffset();
        std::vector<std::time_t> instants;
        for (std::time_t u = kYearStart; u < kYearEnd; u += 7919)
            instants.push_back(u);
        const std::vector<std::time_t> changes = Transitions(kYearStart, kYearEnd);
        if (std::string(zone) != "UTC" && std::string(zone) != "Asia/Kolkata") {
            EXPECT_EQ(changes.size(), 2u);
        }
        for (std::time_t c : changes)
            for (std::time_t u = c - 7200; u <= c + 7200; u += 13)
                instants.push_back(u);

        int failures = 0;
        for (std::time_t u : instants) {
            const auto stored = std::int32_t(u - offset);
            const std::time_t date = ToPickerTime(stored);
            const std::time_t timeOfDay = ToPickerTimeOfDay(date);
            const std::tm want = LocalOf(u);
            const std::tm shownDate = LocalOf(date);
            const std::tm shownTime = LocalOf(timeOfDay);
            const bool ok = shownDate.tm_year == want.tm_year && shownDate.tm_mon == want.tm_mon &&
                            shownDate.tm_mday == want.tm_mday && shownTime.tm_hour == want.tm_hour &&
                            shownTime.tm_min == want.tm_min && shownTime.tm_sec == want.tm_sec &&
                            shownTime.tm_year == 70 && shownTime.tm_mon == 0 && shownTime.tm_mday == 2 &&
                            FromPickerTime(date, timeOfDay, &stored) == stored;
            // Without the stored time only the repeated hour's second pass is
            // read differently: as the first.
            const std::int32_t fresh = FromPickerTime(date, timeOfDay);
            const bool freshOk = fresh == stored || (fresh < stored && LocalOf(fresh + offset).tm_hour == want.tm_hour &&
                                                     LocalOf(fresh + offset).tm_min == want.tm_min);
            if ((!ok || !freshOk) && ++failures <= 5)
                ADD_FAILURE() << "stored " << stored << " (UTC " << u << ") read back as "
                              << FromPickerTime(date, timeOfDay, &stored) << " / " << fresh;
        }
    }
}

// The two wall clocks a change of offset makes special, and times typed
// into the panel around them.
TEST(PickerTime, SkippedTimesMoveForwardAndRepeatedTimesMeanTheFirst)
{
    struct Case {
        const char* zone;
        int year, month, day, hour, minute;
        std::time_t expectUtc;
    };
    const Case cases[] = {
        // Stockholm, 2026-03-29 02:00 -> 03:00: 02:30 reads as 03:30 CEST.
        {"Europe/Stockholm", 2026, 3, 29, 2, 30, 1774747800},
        // Stockholm, 2026-10-25 03:00 -> 02:00: 02:30 is first met in CEST.
        {"Europe/Stockholm", 2026, 10, 25, 2, 30, 1792888200},
        // New York, 2026-03-08 02:00 -> 03:00 and 2026-11-01 02:00 -> 01:00.
        {"America/New_York", 2026, 3, 8, 2, 30, 1772955000},
        {"America/New_York", 2026, 11, 1, 1, 30, 1793511000},
        // Lord Howe shifts by 30 minutes: 2026-10-04 02:00 -> 02:30 (02:15 reads
        // as 02:45) and
        // 2026-04-05 02:00 -> 01:30.
        {"Australia/Lord_Howe", 2026, 10, 4, 2, 15, 1791042300},
        {"Australia/Lord_Howe", 2026, 4, 5, 1, 45, 1775313900},
        // Chatham (+12:45/+13:45): 2026-09-27 02:45 -> 03:45; 03:00 reads as 04:00.
        {"Pacific/Chatham", 2026, 9, 27, 3, 0, 1790432100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.month) + "-" + std::to_string(c.day));
        ZoneScope scope(c.zone);
        if (!scope.ok())
            continue;
        EXPECT_EQ(LocalTimeToInstant(c.year, c.month, c.day, c.hour, c.minute, 0), c.expectUtc);
    }

    // The second pass of a repeated time is kept when it is the shown one.
    ZoneScope scope("Europe/Stockholm");
    if (!scope.ok())
        GTEST_SKIP() << "Europe/Stockholm cannot be set here";
    const std::time_t secondPass = 1792888200 + 3600;  // 02:30 CET
    const auto stored = std::int32_t(secondPass - LocalZoneOffset());
    const std::time_t date = ToPickerTime(stored);
    EXPECT_EQ(FromPickerTime(date, ToPickerTimeOfDay(date), &stored), stored);
    EXPECT_EQ(FromPickerTime(date, ToPickerTimeOfDay(date)), stored - 3600);
    // Another shown time does not make the second pass win.
    const std::int32_t other = stored + 86400;
    EXPECT_EQ(FromPickerTime(date, ToPickerTimeOfDay(date), &other), stored - 3600);
}

// A time of day keeps its reading on any date: joining 00:30 with a date
// does not move it to the day before, in zones east and west of Greenwich.
TEST(PickerTime, EarlyAndLateTimesKeepTheirDate)
{
    for (const char* zone : {"Europe/Stockholm", "America/New_York", "Pacific/Chatham"}) {
        SCOPED_TRACE(zone);
        ZoneScope scope(zone);
        if (!scope.ok())
            continue;
        const std::time_t day = LocalTimeToInstant(2026, 7, 14, 12, 0, 0);
        for (int hour : {0, 23}) {
            const std::time_t timeOfDay = LocalTimeToInstant(1970, 1, 2, hour, 30, 5);
            const std::int32_t stored = FromPickerTime(day, timeOfDay);
            const std::tm tm = LocalOf(stored + LocalZoneOffset());
            EXPECT_EQ(tm.tm_mday, 14);
            EXPECT_EQ(tm.tm_hour, hour);
            EXPECT_EQ(tm.tm_min, 30);
            EXPECT_EQ(tm.tm_sec, 5);
        }
    }
}

}  // namespace
