#include "model/ReminderMerge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

CReminder R(const char* text, std::int32_t time = 3600, bool remind = true, std::int32_t pushTime = 86400, bool push = false)
{
    CReminder r;
    r.m_strText = text;
    r.m_nTime = time;
    r.m_bRemind = remind;
    r.m_nPushTime = pushTime;
    r.m_bPush = push;
    return r;
}

CReminderList List(std::initializer_list<CReminder> reminders)
{
    CReminderList l;
    l.m_reminders = reminders;
    return l;
}

std::vector<std::string> Texts(const CReminderList& l)
{
    std::vector<std::string> out;
    for (const CReminder& r : l.m_reminders)
        out.push_back(r.m_strText);
    return out;
}

using Texts_t = std::vector<std::string>;

CReminderList Merge(const CReminderList& base, const CReminderList& ours, const CReminderList& theirs, CReminderMergeReport* report = nullptr)
{
    CReminderList result = MergeReminderLists(base, ours, theirs, report);
    EXPECT_TRUE(MergeKeepsEverything(base, ours, theirs, result));
    return result;
}

TEST(Merge, AnUnchangedSideGivesTheOtherExactly)
{
    CReminderList base = List({R("a"), R("b"), R("b"), R("c")});
    base.m_strDefaultText = "ny";
    CReminderList changed = List({R("c"), R("x"), R("b"), R("a", 7200), R("b")});
    changed.m_strDefaultText = "annan";
    changed.m_nDefaultPushTime = 600;
    changed.m_bDefaultPush = true;

    CReminderMergeReport report;
    CReminderList result = Merge(base, base, changed, &report);
    EXPECT_EQ(result.Serialize(), changed.Serialize()) << "theirs' order, records and header";
    EXPECT_EQ(report.m_nAddedFromTheirs, 2);
    EXPECT_EQ(report.m_nRemovedByTheirs, 1);
    EXPECT_TRUE(report.m_bDefaultsFromTheirs);
    EXPECT_FALSE(report.m_bKeptBothVersions);

    result = Merge(base, changed, base, &report);
    EXPECT_EQ(result.Serialize(), changed.Serialize());
    EXPECT_EQ(report.m_nAddedFromTheirs, 0);
    EXPECT_EQ(report.m_nRemovedByTheirs, 0);
    EXPECT_FALSE(report.m_bDefaultsFromTheirs);

    // A reordering alone is a change too.
    CReminderList reordered = List({R("c"), R("b"), R("a"), R("b")});
    EXPECT_EQ(Texts(Merge(base, base, reordered)), Texts(reordered));
    EXPECT_EQ(Texts(Merge(base, reordered, base)), Texts(reordered));
}

TEST(Merge, KeepsTheMemoryOnlyFieldsOfOursAndNoDueRecords)
{
    CReminderList base = List({R("a")});
    CReminderList ours = base;
    ours.SetFileName("/tmp/lista.tlv");
    ours.m_nZoneOffset = -3600;
    ours.m_dueIndices = {0};
    CReminderList result = Merge(base, ours, List({}));
    EXPECT_EQ(result.GetCount(), 0);
    EXPECT_STREQ(result.GetFileName(), "/tmp/lista.tlv");
    EXPECT_EQ(result.m_nZoneOffset, -3600);
    EXPECT_TRUE(result.m_dueIndices.empty()) << "no index may point past the merged records";
}

TEST(Merge, AdditionsOnEitherSideAreKeptInTheirPlaces)
{
    CReminderList base = List({R("a"), R("b")});
    CReminderMergeReport report;
    CReminderList result = Merge(base, List({R("a"), R("b"), R("o")}), List({R("n1"), R("n2"), R("a"), R("b"), R("t")}), &report);
    EXPECT_EQ(Texts(result), (Texts_t{"n1", "n2", "a", "b", "t", "o"})) << "theirs' additions after their predecessor in theirs";
    EXPECT_EQ(report.m_nAddedFromTheirs, 3);
    EXPECT_EQ(report.m_nRemovedByTheirs, 0);

    // The predecessor in theirs is gone from the result: the next one before it counts.
    result = Merge(List({R("a"), R("b"), R("c")}), List({R("a"), R("c")}), List({R("a"), R("b"), R("t"), R("c")}));
    EXPECT_EQ(Texts(result), (Texts_t{"a", "t", "c"}));

    // The same addition on both sides is kept once.
    result = Merge(base, List({R("a"), R("b"), R("n")}), List({R("n"), R("a"), R("b")}), &report);
    EXPECT_EQ(Texts(result), (Texts_t{"a", "b", "n"}));
    EXPECT_EQ(report.m_nAddedFromTheirs, 0);
}

TEST(Merge, DeletionsGoThroughUnlessTheOtherSideAddedOrChanged)
{
    CReminderList base = List({R("a"), R("b"), R("c")});
    CReminderMergeReport report;
    CReminderList result = Merge(base, List({R("a"), R("b"), R("c"), R("o")}), List({R("a"), R("c")}), &report);
    EXPECT_EQ(Texts(result), (Texts_t{"a", "c", "o"})) << "deleted in theirs, unchanged in ours";
    EXPECT_EQ(report.m_nRemovedByTheirs, 1);

    result = Merge(base, List({R("c"), R("a")}), List({R("a"), R("c"), R("b")}), &report);
    EXPECT_EQ(Texts(result), (Texts_t{"c", "a"})) << "deleted in ours, unchanged (only moved) in theirs";
    EXPECT_EQ(report.m_nAddedFromTheirs, 0);

    result = Merge(base, List({R("a"), R("c")}), List({R("c")}), &report);
    EXPECT_EQ(Texts(result), (Texts_t{"c"})) << "deleted on both sides";
    EXPECT_EQ(report.m_nRemovedByTheirs, 1);
    EXPECT_FALSE(report.m_bKeptBothVersions);

    // Changed on one side, deleted on the other: the change stays.
    result = Merge(base, List({R("a"), R("b", 90000), R("c")}), List({R("a"), R("c")}), &report);
    EXPECT_EQ(result.m_reminders, (std::vector<CReminder>{R("a"), R("b", 90000), R("c")}));
    EXPECT_FALSE(report.m_bKeptBothVersions);
    result = Merge(base, List({R("a"), R("c")}), List({R("a"), R("B"), R("c")}), &report);
    EXPECT_EQ(Texts(result), (Texts_t{"a", "B", "c"}));
    EXPECT_EQ(report.m_nAddedFromTheirs, 1);
}

TEST(Merge, EveryFieldTellsReminders)
{
    const CReminder b = R("b", 3600, true, 86400, false);
    const std::vector<CReminder> variants = {R("B", 3600, true, 86400, false), R("b", 3601, true, 86400, false),
                                             R("b", 3600, false, 86400, false), R("b", 3600, true, 86401, false),
                                             R("b", 3600, true, 86400, true)};
    for (std::size_t i = 0; i < variants.size(); ++i) {
        SCOPED_TRACE(i);
        CReminderList base = List({R("a"), b});
        CReminderList theirs = List({R("a"), variants[i]});
        EXPECT_EQ(Merge(base, base, theirs).m_reminders, theirs.m_reminders) << "a change in one field is taken";

        // Changed differently on both sides: both versions stay, theirs' after its predecessor in theirs.
        const CReminder& other = variants[(i + 1) % variants.size()];
        CReminderMergeReport report;
        CReminderList result = Merge(base, List({R("a"), other}), theirs, &report);
        EXPECT_EQ(result.m_reminders, (std::vector<CReminder>{R("a"), variants[i], other}));
        EXPECT_TRUE(report.m_bKeptBothVersions);
        EXPECT_EQ(report.m_nAddedFromTheirs, 1);
        EXPECT_EQ(report.m_nRemovedByTheirs, 0);

        // The same change on both sides is one change.
        result = Merge(base, theirs, theirs, &report);
        EXPECT_EQ(result.m_reminders, theirs.m_reminders);
        EXPECT_FALSE(report.m_bKeptBothVersions);
    }
}

TEST(Merge, EqualRemindersCountAsAMultiset)
{
    const CReminder x = R("x");
    CReminderMergeReport report;
    CReminderList result = Merge(List({x, x}), List({x, x}), List({x}), &report);
    EXPECT_EQ(result.GetCount(), 1) << "one of two deleted in theirs";
    EXPECT_EQ(report.m_nRemovedByTheirs, 1);

    result = Merge(List({x, x}), List({x, x, R("a"), x}), List({x}));
    EXPECT_EQ(result.m_reminders, (std::vector<CReminder>{x, x, R("a")})) << "ours added a third, theirs deleted one";

    result = Merge(List({x}), List({x, x}), List({x, x}));
    EXPECT_EQ(result.GetCount(), 2) << "the same copy added on both sides";
    result = Merge(List({x}), List({x, x}), List({x, x, x}), &report);
    EXPECT_EQ(result.GetCount(), 3);
    EXPECT_EQ(report.m_nAddedFromTheirs, 1);

    result = Merge(List({x, x, x}), List({x}), List({x, x}));
    EXPECT_EQ(result.GetCount(), 1) << "deletions on both sides overlap as far as they can";
}

TEST(Merge, HeaderValuesTakeTheLaterChange)
{
    using Field = std::function<void(CReminderList&, int)>;
    const std::vector<Field> fields = {
        [](CReminderList& l, int v) { l.m_strDefaultText = "text" + std::to_string(v); },
        [](CReminderList& l, int v) { l.m_nDefaultTimeAdd = v * 60; },
        [](CReminderList& l, int v) { l.m_bDefaultRemind = v % 2 == 0; },
        [](CReminderList& l, int v) { l.m_nDefaultPushTime = v * 3600; },
        [](CReminderList& l, int v) { l.m_bDefaultPush = v % 2 == 1; },
    };
    for (std::size_t i = 0; i < fields.size(); ++i) {
        SCOPED_TRACE(i);
        CReminderList base = List({R("a")});
        fields[i](base, 0);
        CReminderList changed1 = base, changed2 = base, changed3 = base;
        fields[i](changed1, 1);
        fields[i](changed2, 2);
        fields[i](changed3, 3);
        CReminderList ours = List({R("a"), R("o")});
        fields[i](ours, 0);

        CReminderMergeReport report;
        CReminderList result = Merge(base, ours, changed1, &report);
        EXPECT_EQ(result.Serialize(), [&] { CReminderList l = changed1; l.m_reminders = ours.m_reminders; return l.Serialize(); }());
        EXPECT_TRUE(report.m_bDefaultsFromTheirs) << "changed only in theirs";

        fields[i](ours, 1);
        result = Merge(base, ours, base, &report);
        EXPECT_EQ(result.Serialize(), ours.Serialize()) << "changed only in ours";
        EXPECT_FALSE(report.m_bDefaultsFromTheirs);

        fields[i](ours, 3);
        result = Merge(base, ours, changed2, &report);
        EXPECT_EQ(result.Serialize(), ours.Serialize()) << "changed on both sides: ours";
        EXPECT_FALSE(report.m_bDefaultsFromTheirs);
    }
}

TEST(Merge, OrderFollowsOursWhenOursChanged)
{
    CReminderList base = List({R("a"), R("b"), R("c")});
    EXPECT_EQ(Texts(Merge(base, List({R("c"), R("b"), R("a")}), List({R("a"), R("n"), R("b"), R("c")}))), (Texts_t{"c", "b", "a", "n"}));
    EXPECT_EQ(Texts(Merge(base, List({R("a"), R("b"), R("c"), R("o")}), List({R("c"), R("b"), R("a")}))), (Texts_t{"a", "b", "c", "o"}))
        << "theirs' reordering gives way to ours' change";
    EXPECT_EQ(Texts(Merge(base, List({R("b"), R("a"), R("c")}), List({R("a"), R("b")}))), (Texts_t{"b", "a"}));
}

TEST(Merge, TheSafetyCheckRefusesALostReminder)
{
    const CReminderList base = List({R("a"), R("a"), R("b")});
    const CReminderList ours = List({R("a"), R("a"), R("b"), R("o")});
    const CReminderList theirs = List({R("a"), R("t")});
    EXPECT_TRUE(MergeKeepsEverything(base, ours, theirs, List({R("a"), R("o"), R("t")})));
    EXPECT_TRUE(MergeKeepsEverything(base, ours, theirs, List({R("t"), R("o"), R("a"), R("a"), R("b")}))) << "keeping more is safe";
    EXPECT_FALSE(MergeKeepsEverything(base, ours, theirs, List({R("a"), R("t")}))) << "ours' addition lost";
    EXPECT_FALSE(MergeKeepsEverything(base, ours, theirs, List({R("a"), R("o")}))) << "theirs' addition lost";
    EXPECT_FALSE(MergeKeepsEverything(base, ours, theirs, List({R("o"), R("t")}))) << "a copy nobody deleted lost";
    EXPECT_FALSE(MergeKeepsEverything(base, ours, theirs, List({R("a"), R("o"), R("t", 1)}))) << "matched by every field";
    EXPECT_FALSE(MergeKeepsEverything(base, base, base, List({}))) << "nothing deleted";
    EXPECT_TRUE(MergeKeepsEverything(base, List({R("a")}), List({R("a")}), List({}))) << "deleted on both sides, different copies perhaps";
}

// Random edits, deterministic on every standard library: only raw mt19937 output.
class Random {
public:
    explicit Random(std::uint32_t seed) : m_gen(seed) {}
    int Below(int n) { return static_cast<int>(m_gen() % static_cast<std::uint32_t>(n)); }
    bool OneIn(int n) { return Below(n) == 0; }

    // A small pool, so that equal reminders and duplicates are common.
    CReminder Reminder()
    {
        static const char* const texts[] = {"a", "b", "c", "Ärende"};
        static const std::int32_t times[] = {0, 60, 86400};
        return R(texts[Below(4)], times[Below(3)], OneIn(2), OneIn(2) ? 86400 : 600, OneIn(2));
    }

    CReminderList Base()
    {
        CReminderList l;
        int n = Below(7);
        for (int i = 0; i < n; ++i)
            l.m_reminders.push_back(OneIn(4) && i > 0 ? l.m_reminders[static_cast<std::size_t>(Below(i))] : Reminder());
        return l;
    }

    CReminderList Edit(const CReminderList& base)
    {
        CReminderList l = base;
        if (OneIn(4))
            return l;
        std::vector<CReminder>& v = l.m_reminders;
        for (int edits = 1 + Below(4); edits > 0; --edits) {
            int n = static_cast<int>(v.size());
            switch (Below(6)) {
            case 0: v.insert(v.begin() + Below(n + 1), Reminder()); break;
            case 1:
                if (n > 0) v.erase(v.begin() + Below(n));
                break;
            case 2:
                if (n > 0) {
                    CReminder& r = v[static_cast<std::size_t>(Below(n))];
                    switch (Below(3)) {
                    case 0: r.m_strText += "'"; break;
                    case 1: r.m_nTime += 86400; break;
                    default: r.m_bRemind = !r.m_bRemind; break;
                    }
                }
                break;
            case 3:
                if (n > 1) std::swap(v[static_cast<std::size_t>(Below(n))], v[static_cast<std::size_t>(Below(n))]);
                break;
            case 4:
                if (n > 0) v.insert(v.begin() + Below(n + 1), v[static_cast<std::size_t>(Below(n))]);
                break;
            default:
                if (OneIn(2))
                    l.m_strDefaultText += "x";
                else
                    l.m_nDefaultTimeAdd += 60;
                break;
            }
        }
        return l;
    }

private:
    std::mt19937 m_gen;
};

struct Counts {
    int base = 0, ours = 0, theirs = 0, result = 0;
};

bool SameHeader(const CReminderList& a, const CReminderList& b)
{
    return std::tie(a.m_strDefaultText, a.m_nDefaultTimeAdd, a.m_bDefaultRemind, a.m_nDefaultPushTime, a.m_bDefaultPush) ==
           std::tie(b.m_strDefaultText, b.m_nDefaultTimeAdd, b.m_bDefaultRemind, b.m_nDefaultPushTime, b.m_bDefaultPush);
}

bool IsSubsequence(const std::vector<CReminder>& part, const std::vector<CReminder>& whole)
{
    std::size_t i = 0;
    for (const CReminder& r : whole)
        if (i < part.size() && part[i] == r)
            ++i;
    return i == part.size();
}

TEST(Merge, RandomTriplesLoseNothing)
{
    Random random(20240611);
    int unchangedOurs = 0, unchangedTheirs = 0, keptBoth = 0;
    for (int round = 0; round < 600; ++round) {
        SCOPED_TRACE(round);
        CReminderList base = random.Base();
        CReminderList ours = random.Edit(base);
        CReminderList theirs = random.Edit(base);
        CReminderMergeReport report;
        CReminderList result = MergeReminderLists(base, ours, theirs, &report);
        ASSERT_TRUE(MergeKeepsEverything(base, ours, theirs, result));
        keptBoth += report.m_bKeptBothVersions;

        if (ours.m_reminders == base.m_reminders && SameHeader(ours, base)) {
            ++unchangedOurs;
            ASSERT_EQ(result.Serialize(), theirs.Serialize());
        }
        if (theirs.m_reminders == base.m_reminders && SameHeader(theirs, base)) {
            ++unchangedTheirs;
            ASSERT_EQ(result.Serialize(), ours.Serialize());
        }

        std::map<std::string, Counts> counts;  // keyed by the record's file lines
        auto key = [](const CReminder& r) { CReminderList l; l.m_reminders = {r}; return l.Serialize(); };
        for (const CReminder& r : base.m_reminders) ++counts[key(r)].base;
        for (const CReminder& r : ours.m_reminders) ++counts[key(r)].ours;
        for (const CReminder& r : theirs.m_reminders) ++counts[key(r)].theirs;
        for (const CReminder& r : result.m_reminders) ++counts[key(r)].result;
        int added = 0, removed = 0;
        bool theirsRemovedFromOurs = false;
        for (const auto& [k, c] : counts) {
            SCOPED_TRACE(k);
            ASSERT_GE(c.result, c.ours - c.base) << "added in ours";
            ASSERT_GE(c.result, c.theirs - c.base) << "added in theirs";
            if (c.ours == c.base && c.theirs < c.base) {
                ASSERT_EQ(c.result, c.theirs) << "deleted in theirs, unchanged in ours";
            }
            if (c.theirs == c.base && c.ours < c.base) {
                ASSERT_EQ(c.result, c.ours) << "deleted in ours, unchanged in theirs";
            }
            ASSERT_GE(c.result, std::min(c.ours, c.theirs)) << "kept on both sides";
            ASSERT_LE(c.result, std::max(c.ours, c.theirs)) << "nothing made up or doubled";
            added += std::max(0, c.result - c.ours);
            removed += std::max(0, c.ours - c.result);
            theirsRemovedFromOurs = theirsRemovedFromOurs || c.result < c.ours;

            // Dropping one copy of an addition must trip the safety check.
            if (c.result > 0 && (c.ours > c.base || c.theirs > c.base)) {
                CReminderList less = result;
                for (std::size_t i = 0; i < less.m_reminders.size(); ++i)
                    if (key(less.m_reminders[i]) == k) {
                        less.m_reminders.erase(less.m_reminders.begin() + static_cast<std::ptrdiff_t>(i));
                        break;
                    }
                ASSERT_FALSE(MergeKeepsEverything(base, ours, theirs, less));
            }
        }
        ASSERT_EQ(report.m_nAddedFromTheirs, added);
        ASSERT_EQ(report.m_nRemovedByTheirs, removed);
        if (ours.m_reminders != base.m_reminders && !theirsRemovedFromOurs) {
            ASSERT_TRUE(IsSubsequence(ours.m_reminders, result.m_reminders)) << "ours' order kept";
        }
    }
    // The generator reaches every branch often enough to mean something.
    EXPECT_GT(unchangedOurs, 60);
    EXPECT_GT(unchangedTheirs, 60);
    EXPECT_GT(keptBoth, 20);
}

}  // namespace
