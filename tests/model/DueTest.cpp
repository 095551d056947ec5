#include "model/Clock.h"
#include "model/PickerTime.h"
#include "model/ReminderList.h"
#include "tests/TestZone.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <time.h>
#include <vector>

namespace {

constexpr std::time_t kNow = 1'700'000'000;

class DueTest : public ::testing::Test {
protected:
    void SetUp() override { SetClockForTests(kNow); }
    void TearDown() override { ResetClock(); }
    CReminderList list;
    void AddAt(long long offsetFromNow, bool remind = true, std::int32_t push = 86400, bool pushOn = false)
    {
        list.Add("x", static_cast<std::int32_t>(kNow + offsetFromNow - list.m_nZoneOffset), remind, push, pushOn);
    }
};

TEST_F(DueTest, DueAtTheExactSecondAndNotOneLater)
{
    list.m_nZoneOffset = -3600;
    AddAt(0);
    AddAt(1);
    AddAt(-5, false);
    EXPECT_TRUE(list.IsDue(0));
    EXPECT_FALSE(list.IsDue(1));
    EXPECT_FALSE(list.IsDue(2)) << "a reminder that is off is never due";
    EXPECT_EQ(list.RefreshDueList(), 1);
    EXPECT_EQ(list.m_dueIndices, std::vector<std::int32_t>{0});
    EXPECT_EQ(list.SecondsToNextAlarm(), 1);
}

TEST_F(DueTest, SecondsToNextAlarmTakesTheEarliestFutureReminderOnly)
{
    EXPECT_EQ(list.SecondsToNextAlarm(), 0);
    AddAt(60);
    AddAt(30);
    AddAt(10, false);
    AddAt(-100);
    EXPECT_EQ(list.SecondsToNextAlarm(), 30);
    list.GetAt(0).m_bRemind = list.GetAt(1).m_bRemind = false;
    EXPECT_EQ(list.SecondsToNextAlarm(), 0) << "only due or off reminders left";
}

TEST_F(DueTest, FindDueVisitsNeighboursFirstAndWraps)
{
    for (int i = 0; i < 5; ++i)
        AddAt(100);  // none due
    EXPECT_EQ(list.FindDue(2, true), -1);
    EXPECT_EQ(list.FindDue(-1, true), -1);
    list.GetAt(1).m_nTime = list.GetAt(2).m_nTime = static_cast<std::int32_t>(kNow - 10);
    EXPECT_EQ(list.FindDue(2, true), 1) << "3, 4, 0, then 1";
    EXPECT_EQ(list.FindDue(1, true), 2);
    EXPECT_EQ(list.FindDue(1, false), 2) << "0, 4, 3, 2";
    list.GetAt(1).m_bRemind = false;
    EXPECT_EQ(list.FindDue(2, true), 2) << "start itself is examined last";
    EXPECT_EQ(list.FindDue(-1, false), 2);
    list.GetAt(2).m_bRemind = false;
    list.GetAt(0).m_nTime = static_cast<std::int32_t>(kNow - 1);
    EXPECT_EQ(list.FindDue(-1, false), 0) << "one pass from the end, no wrap";
    CReminderList empty;
    EXPECT_EQ(empty.FindDue(-1, true), -1);
}

TEST_F(DueTest, PushMovesToTheFirstGridPointAfterNow)
{
    // Due at 10:00 with one hour interval.
    const std::int32_t ten = static_cast<std::int32_t>(kNow - 9000);  // now = 12:30
    list.Add("a", ten, true, 3600, true);
    list.Add("b", static_cast<std::int32_t>(kNow - 7200), true, 3600, true);  // exactly 2 intervals overdue
    list.Add("c", ten, true, 3600, false);
    list.Add("d", ten, true, 0, true);
    list.Add("e", static_cast<std::int32_t>(kNow + 60), true, 3600, true);
    list.PushTimesForward();
    EXPECT_EQ(list.GetAt(0).m_nTime, ten + 3 * 3600) << "13:00";
    EXPECT_EQ(list.GetAt(1).m_nTime, kNow + 3600) << "an exact multiple moves a full interval past now";
    EXPECT_EQ(list.GetAt(2).m_nTime, ten);
    EXPECT_EQ(list.GetAt(3).m_nTime, ten);
    EXPECT_EQ(list.GetAt(4).m_nTime, kNow + 60);
}

TEST_F(DueTest, ArithmeticNearTheEndOfTheRangeDoesNotOverflow)
{
    SetClockForTests(INT32_MAX - 10);
    list.m_nZoneOffset = 3600;  // west of Greenwich: instants beyond the 32-bit range
    list.Add("late", INT32_MAX - 5000, true, INT32_MAX, true);
    list.Add("future", INT32_MAX, true, 86400, false);
    EXPECT_TRUE(list.IsDue(0));
    EXPECT_EQ(list.SecondsToNextAlarm(), 3600 + 10) << "the zone offset is added without overflow";
    list.PushTimesForward();
    EXPECT_EQ(list.GetAt(0).m_nTime, INT32_MAX) << "a push past 2038 stops at the last second";
    EXPECT_FALSE(list.IsDue(0));
    list.m_nZoneOffset = 50400;  // UTC-14
    list.GetAt(1).m_nTime = INT32_MAX;
    EXPECT_FALSE(list.IsDue(1));
}

TEST(DueRule, EastOfGreenwichTheZoneOffsetIsAdded)
{
    if (!UseTestZone("Europe/Stockholm"))
        GTEST_SKIP() << "Europe/Stockholm cannot be set here";
    EXPECT_EQ(LocalZoneOffset(), -3600);
    // Stored 86400 is due at 1970-01-01 23:00 UTC.
    CReminderList list;
    list.m_nZoneOffset = static_cast<std::int32_t>(LocalZoneOffset());
    list.Add("x", 86400, true, 0, false);
    SetClockForTests(86400 - 3600);
    EXPECT_TRUE(list.IsDue(0));
    SetClockForTests(86400 - 3601);
    EXPECT_FALSE(list.IsDue(0));
    ResetClock();
}

}  // namespace
