#include "model/ReminderList.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Texts(const CReminderList& l)
{
    std::vector<std::string> out;
    for (const CReminder& r : l.m_reminders)
        out.push_back(r.m_strText);
    return out;
}

TEST(Sort, CheckedFirstThenTimeThenText)
{
    CReminderList l;
    l.Add("10", 36000, true, 0, false);
    l.Add("09", 32400, false, 0, false);
    l.Add("11", 39600, true, 0, false);
    l.Sort(true, true, true);
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"10", "11", "09"}));
    l.Add("b", 39600, true, 0, false);
    l.Sort(true, false, false);
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"b", "11", "10", "09"})) << "latest first, equal times by text in the same direction";
}

TEST(Sort, ByteOrderOfTexts)
{
    CReminderList l;
    for (const char* t : {"Ärende", "apa", "Zebra", "zon", "Öl", "ab"})
        l.Add(t, 0, true, 0, false);
    l.Sort(false, true, true);
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"Zebra", "ab", "apa", "zon", "Ärende", "Öl"}));
    l.Sort(false, false, false);
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"Öl", "Ärende", "zon", "apa", "ab", "Zebra"}));
}

TEST(Sort, ManyEqualKeysStayAValidPermutation)
{
    // Equal records once made the comparison answer "after" both ways.
    CReminderList l;
    std::mt19937 random(7);
    for (int i = 0; i < 2000; ++i)
        l.Add(("t" + std::to_string(random() % 3)).c_str(), static_cast<std::int32_t>(random() % 2), random() % 2, 0, false);
    for (bool byTime : {false, true})
        for (bool ascending : {false, true})
            for (bool checked : {false, true}) {
                l.Sort(byTime, ascending, checked);
                ASSERT_EQ(l.GetCount(), 2000);
                for (int i = 1; i < l.GetCount(); ++i) {
                    const CReminder& a = l.GetAt(i - 1);
                    const CReminder& b = l.GetAt(i);
                    if (checked && a.m_bRemind != b.m_bRemind) {
                        EXPECT_TRUE(a.m_bRemind);
                        continue;
                    }
                    if (byTime && a.m_nTime != b.m_nTime) {
                        EXPECT_EQ(a.m_nTime < b.m_nTime, ascending);
                        continue;
                    }
                    if (a.m_strText != b.m_strText) {
                        EXPECT_EQ(a.m_strText < b.m_strText, ascending);
                    }
                }
            }
}

TEST(FindText, VisitingOrderWrapAndCase)
{
    CReminderList l;
    for (int i = 0; i < 5; ++i)
        l.Add(("rad " + std::to_string(i)).c_str(), 0, true, 0, false);
    l.GetAt(1).m_strText = "KÖP bröd";
    l.GetAt(3).m_strText = "KöP smör";
    EXPECT_EQ(l.FindText("köp", 1, true, false), 3) << "Ö matches only itself";
    EXPECT_EQ(l.FindText("köp", 3, true, false), 3) << "start examined last";
    EXPECT_EQ(l.FindText("KöP", 0, true, true), 3);
    EXPECT_EQ(l.FindText("köp", 0, true, true), -1);
    EXPECT_EQ(l.FindText("rad", 1, true, false), 2) << "2, 3, 4, 0, 1";
    EXPECT_EQ(l.FindText("rad", 1, false, false), 0) << "0, 4, 3, 2, 1";
    EXPECT_EQ(l.FindText("rad 0", 4, true, false), 0) << "wraps";
    EXPECT_EQ(l.FindText("rad 4", -1, false, false), 4);
    l.GetAt(4).m_strText = "x";
    EXPECT_EQ(l.FindText("rad 0", -1, false, false), 0) << "one pass from the end";
    EXPECT_EQ(l.FindText("none", -1, true, false), -1);
    CReminderList empty;
    EXPECT_EQ(empty.FindText("a", -1, true, false), -1);
}

TEST(Collection, AddSetRemoveMove)
{
    CReminderList l;
    EXPECT_EQ(l.GetCount(), 0);
    EXPECT_EQ(std::string(l.GetFileName()), "");
    EXPECT_TRUE(l.m_bDefaultRemind);
    EXPECT_EQ(l.m_nDefaultPushTime, 86400);
    for (int i = 0; i < 5; ++i)
        l.Add(std::to_string(i).c_str(), i, true, 0, false);
    l.MoveItem(2, true);
    l.MoveItem(3, true);
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"0", "2", "3", "1", "4"}));
    l.Set(0, "z", 9, false, 5, true);
    EXPECT_EQ(l.GetAt(0), (CReminder{"z", 9, 5, false, true}));
    for (int i : {4, 3, 1})
        l.RemoveAt(i);
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"z", "3"}));
}

}  // namespace
