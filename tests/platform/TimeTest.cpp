// CTime's local-time fields in Europe/Stockholm (the test environment's zone),
// across both daylight-saving changes.
#include "platform/Time.h"

#include <gtest/gtest.h>

namespace {

// 2026-01-15 10:00:00 UTC, a Thursday in winter time (UTC+1).
constexpr std::time_t kWinter = 1768471200;

}  // namespace

TEST(Time, LocalFieldsAndSystemTimeRoundTrip)
{
    CTime t(kWinter);
    EXPECT_EQ(t.GetYear(), 2026);
    EXPECT_EQ(t.GetMonth(), 1);
    EXPECT_EQ(t.GetDay(), 15);
    EXPECT_EQ(t.GetHour(), 11);
    EXPECT_EQ(t.GetMinute(), 0);
    EXPECT_EQ(t.GetDayOfWeek(), 5) << "1 is Sunday";

    SYSTEMTIME st;
    ASSERT_TRUE(t.GetAsSystemTime(st));
    EXPECT_EQ(st.wDayOfWeek, 4) << "0 is Sunday in SYSTEMTIME";
    EXPECT_EQ(st.wHour, 11);
    EXPECT_EQ(CTime(st), t);
    EXPECT_EQ(CTime(2026, 1, 15, 11, 0, 0), t);
}

TEST(Time, DaylightSavingGapAndOverlap)
{
    // 02:30 on 29 March does not exist: the clock jumps from 02:00 to 03:00.
    // The C library reads it with the offset from before the jump (03:30);
    // the Windows C runtime with the one after it (01:30). Nothing in the
    // program builds a CTime from fields; the panel has its own rule.
    CTime gap(2026, 3, 29, 2, 30, 0);
#ifdef _WIN32
    EXPECT_EQ(gap.GetHour(), 1);
#else
    EXPECT_EQ(gap.GetHour(), 3);
#endif
    EXPECT_EQ(gap.GetMinute(), 30);

    // 02:30 on 25 October happens twice; the flag chooses which.
    CTime summer(2026, 10, 25, 2, 30, 0, 1);
    CTime winter(2026, 10, 25, 2, 30, 0, 0);
    EXPECT_EQ(winter.GetTime() - summer.GetTime(), 3600);
    EXPECT_EQ(summer.GetHour(), 2);
    EXPECT_EQ(winter.GetHour(), 2);

    // A summer date keeps its wall-clock fields through SYSTEMTIME.
    CTime july(2026, 7, 1, 23, 59, 59);
    SYSTEMTIME st;
    ASSERT_TRUE(july.GetAsSystemTime(st));
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wHour, 23);
    EXPECT_EQ(st.wSecond, 59);
}

TEST(Time, OutOfRangeYearsAreRefusedBySystemTime)
{
    // Year 1000 cannot be held by a SYSTEMTIME (which starts at 1601).
    CTime old(-30610224000LL);
    SYSTEMTIME st;
    st.wYear = 7;
    EXPECT_FALSE(old.GetAsSystemTime(st));
    EXPECT_EQ(st.wYear, 7) << "left untouched";
}
