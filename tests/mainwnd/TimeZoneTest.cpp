// The edit panel in zones east and west of Greenwich, with half-hour and
// 45-minute offsets and 30-minute daylight-saving shifts: through the real
// window, a reminder shows its local date and time and an unchanged edit
// ("Ändra") never moves it.

#include "MainWndFixture.h"

#include "model/PickerTime.h"
#include "tests/TestZone.h"

#include <cstdlib>
#include <ctime>

namespace {

class TimeZoneTest : public MainWndTest {
protected:
    void TearDown() override
    {
        MainWndTest::TearDown();
        UseTestZone("Europe/Stockholm");
    }
};

std::string Strftime(const char* format, std::time_t t)
{
    const std::tm tm = LocalTimeOf(t);
    char buf[64];
    std::strftime(buf, sizeof buf, format, &tm);
    return buf;
}

// The date and time the panel's pickers show: their text on Linux; on
// Windows the pickers' own values (their text is drawn, in the locale's
// format), written as strftime's "%Y-%m-%d" and "%H:%M:%S" would.
std::string Shown(HWND hPicker, bool date)
{
#ifdef _WIN32
    SYSTEMTIME st{};
    if (::SendMessageW(hPicker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)) != GDT_VALID)
        return "(none)";
    char buf[32];
    if (date)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", st.wHour, st.wMinute, st.wSecond);
    return buf;
#else
    (void)date;
    return testhooks::WindowText(hPicker);
#endif
}

#ifdef _WIN32
const char* const kDateFormat = "%Y-%m-%d";
#else
const char* const kDateFormat = "%-d %b %Y";
#endif

constexpr std::time_t kYearStart = 1767225600;  // 2026-01-01 00:00 UTC
constexpr std::time_t kYearEnd = kYearStart + 366 * 86400;

// Due instants over a whole year in steps that are not whole minutes, with
// the hours around each change of offset taken densely.
std::vector<std::time_t> YearOfInstants()
{
    std::vector<std::time_t> out;
    long previous = UtcOffsetAt(kYearStart);
    for (std::time_t u = kYearStart; u < kYearEnd; u += 23'761) {
        out.push_back(u);
        const long offset = UtcOffsetAt(u);
        if (offset == previous)
            continue;
        previous = offset;
        for (std::time_t v = u - 23'761; v < u; v += 97)
            out.push_back(v);
    }
    return out;
}

}  // namespace

TEST_F(TimeZoneTest, UnchangedEditsKeepEveryStoredTimeOfAYear)
{
    for (const char* zone : {"Europe/Stockholm", "America/New_York", "Asia/Kolkata", "Australia/Lord_Howe",
                             "Pacific/Chatham", "UTC"}) {
        SCOPED_TRACE(zone);
        if (!UseTestZone(zone))
            continue;  // Windows: only the zone the tests were started in
        const std::string f = Path("year.tlv");
        std::vector<TlvRecord> records;
        for (std::time_t u : YearOfInstants())
            records.push_back({"r" + std::to_string(u), u, false});
        WriteTlv(f, records);
        const std::string before = ReadFile(f);
        Create(f);
        ASSERT_EQ(Rows().size(), records.size());

        // "Ändra" moves the panel on to the next row, so pressing it again and
        // again walks the whole list.
        testhooks::ClickListItem(List(), 0);
        int wrong = 0;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const std::time_t u = records[i].utc;
            const std::string date = Shown(Item(1003), true);
            const std::string time = Shown(Item(1004), false);
            if ((date != Strftime(kDateFormat, u) || time != Strftime("%H:%M:%S", u)) && ++wrong < 5)
                ADD_FAILURE() << "row " << i << " (UTC " << u << ") shows " << date << " " << time;
            ASSERT_EQ(testhooks::WindowText(Item(1009)), "&Ändra");
            testhooks::ClickButton(Item(1009));
        }
        Cmd(ID_FILE_SAVE);
        EXPECT_EQ(ReadFile(f), before);
        Destroy();
    }
}

TEST_F(TimeZoneTest, NewRemindersAtAnyHourStoreThePanelsTime)
{
    for (const char* zone : {"Europe/Stockholm", "America/New_York", "Asia/Kolkata"}) {
        SCOPED_TRACE(zone);
        if (!UseTestZone(zone))
            continue;  // Windows: only the zone the tests were started in
        const std::string f = Path("new.tlv");
        WriteTlv(f, {});
        // Just after midnight, late in the evening, in winter and in summer.
        const std::time_t times[] = {LocalTimeToInstant(2026, 1, 15, 0, 30, 7), LocalTimeToInstant(2026, 1, 15, 20, 0, 0),
                                     LocalTimeToInstant(2026, 7, 15, 0, 5, 59), LocalTimeToInstant(2026, 7, 15, 23, 59, 59)};
        for (std::time_t now : times) {
            SetNow(now);
            Create(f);
            const int row = int(Rows().size());
            testhooks::TypeText(Item(1006), "ny");
            testhooks::ClickButton(Item(1009));
            EXPECT_EQ(std::to_string(m_pDlg->m_data.m_reminderList.GetAt(row).m_nTime), Stored(now));
            Cmd(ID_FILE_SAVE);
            Destroy();
        }
    }
}

TEST_F(TimeZoneTest, RepeatedAutumnHourKeepsEachPassAndNewTimesTakeTheFirst)
{
    if (!UseTestZone("Europe/Stockholm"))
        GTEST_SKIP() << "the zone cannot be set here";
    const std::time_t firstPass = 1792888200;  // 2026-10-25 02:30 CEST
    const std::string f = Path("autumn.tlv");
    WriteTlv(f, {{"första", firstPass, false}, {"andra", firstPass + 3600, false}});
    const std::string before = ReadFile(f);
    Create(f);
    testhooks::ClickListItem(List(), 0);
    EXPECT_EQ(Shown(Item(1004), false), "02:30:00");
    testhooks::ClickButton(Item(1009));
    EXPECT_EQ(Shown(Item(1004), false), "02:30:00");  // the second pass shows the same clock
    testhooks::ClickButton(Item(1009));
    Cmd(ID_FILE_SAVE);
    EXPECT_EQ(ReadFile(f), before);

    // The second pass under another text is still kept; as a new reminder the
    // same wall clock means the first pass.
    testhooks::ClickListItem(List(), 1);
    testhooks::TypeText(Item(1006), "andra igen");
    testhooks::ClickButton(Item(1009));
    EXPECT_EQ(std::to_string(m_pDlg->m_data.m_reminderList.GetAt(1).m_nTime), Stored(firstPass + 3600));
    testhooks::ClickListItem(List(), 1);
    Key(VK_F2);  // new: the panel keeps nothing of the row
    m_pDlg->m_date = firstPass + 3600;
    m_pDlg->m_time = ToPickerTimeOfDay(firstPass + 3600);
    m_pDlg->UpdateData(FALSE);
    testhooks::TypeText(Item(1006), "ny");
    testhooks::ClickButton(Item(1009));
    EXPECT_EQ(std::to_string(m_pDlg->m_data.m_reminderList.GetAt(2).m_nTime), Stored(firstPass));
}
