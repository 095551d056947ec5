#include "model/ReminderMerge.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <vector>

namespace {

struct ReminderLess {
    bool operator()(const CReminder& a, const CReminder& b) const
    {
        return std::tie(a.m_strText, a.m_nTime, a.m_bRemind, a.m_nPushTime, a.m_bPush) <
               std::tie(b.m_strText, b.m_nTime, b.m_bRemind, b.m_nPushTime, b.m_bPush);
    }
};

// Copies of one distinct reminder in each version.
struct Counts {
    int base = 0;
    int ours = 0;
    int theirs = 0;
    int result = 0;
};

using CountMap = std::map<CReminder, Counts, ReminderLess>;

void CountInto(CountMap& counts, const CReminderList& list, int Counts::*field)
{
    for (const CReminder& r : list.m_reminders)
        ++(counts[r].*field);
}

int Gone(int base, int side) { return std::max(0, base - side); }
int Gained(int base, int side) { return std::max(0, side - base); }

int MergedCount(const Counts& c)
{
    return c.base - std::max(Gone(c.base, c.ours), Gone(c.base, c.theirs)) +
           std::max(Gained(c.base, c.ours), Gained(c.base, c.theirs));
}

// One header value: the side that changed it; ours when both did.
template <class T>
T MergeValue(const T& base, const T& ours, const T& theirs, bool& fromTheirs)
{
    if (ours != base)
        return ours;
    if (theirs != base)
        fromTheirs = true;
    return theirs;
}

}  // namespace

CReminderList MergeReminderLists(const CReminderList& base, const CReminderList& ours, const CReminderList& theirs,
                                 CReminderMergeReport* report)
{
    CountMap counts;
    CountInto(counts, base, &Counts::base);
    CountInto(counts, ours, &Counts::ours);
    CountInto(counts, theirs, &Counts::theirs);
    for (auto& [r, c] : counts)
        c.result = MergedCount(c);

    // The frame gives the order; the other side's extra copies go in after
    // the nearest frame reminder that precedes them in the other side.
    const bool oursKeptOrder = ours.m_reminders == base.m_reminders;
    const std::vector<CReminder>& frame = oursKeptOrder ? theirs.m_reminders : ours.m_reminders;
    const std::vector<CReminder>& other = oursKeptOrder ? ours.m_reminders : theirs.m_reminders;

    std::vector<CReminder> kept;
    std::map<CReminder, std::vector<std::size_t>, ReminderLess> keptAt;  // positions in kept, by occurrence
    std::map<CReminder, int, ReminderLess> frameCount;
    for (const CReminder& r : frame) {
        int occurrence = ++frameCount[r];
        if (occurrence <= counts[r].result) {
            keptAt[r].push_back(kept.size());
            kept.push_back(r);
        }
    }

    // inserted[0] goes before kept[0], inserted[i + 1] after kept[i].
    std::vector<std::vector<CReminder>> inserted(kept.size() + 1);
    std::map<CReminder, int, ReminderLess> otherCount;
    std::size_t slot = 0;
    for (const CReminder& r : other) {
        int occurrence = ++otherCount[r];
        int inFrame = frameCount[r];
        if (occurrence <= inFrame) {
            const std::vector<std::size_t>& at = keptAt[r];
            if (static_cast<std::size_t>(occurrence) <= at.size())
                slot = at[static_cast<std::size_t>(occurrence) - 1] + 1;
        } else if (occurrence <= counts[r].result) {
            inserted[slot].push_back(r);
        }
    }

    CReminderList result;
    result.m_strFileName = ours.m_strFileName;
    result.m_nZoneOffset = ours.m_nZoneOffset;
    for (std::size_t i = 0; i <= kept.size(); ++i) {
        result.m_reminders.insert(result.m_reminders.end(), inserted[i].begin(), inserted[i].end());
        if (i < kept.size())
            result.m_reminders.push_back(kept[i]);
    }

    bool fromTheirs = false;
    result.m_strDefaultText = MergeValue(base.m_strDefaultText, ours.m_strDefaultText, theirs.m_strDefaultText, fromTheirs);
    result.m_nDefaultTimeAdd = MergeValue(base.m_nDefaultTimeAdd, ours.m_nDefaultTimeAdd, theirs.m_nDefaultTimeAdd, fromTheirs);
    result.m_bDefaultRemind = MergeValue(base.m_bDefaultRemind, ours.m_bDefaultRemind, theirs.m_bDefaultRemind, fromTheirs);
    result.m_nDefaultPushTime = MergeValue(base.m_nDefaultPushTime, ours.m_nDefaultPushTime, theirs.m_nDefaultPushTime, fromTheirs);
    result.m_bDefaultPush = MergeValue(base.m_bDefaultPush, ours.m_bDefaultPush, theirs.m_bDefaultPush, fromTheirs);

    if (report) {
        *report = CReminderMergeReport();
        report->m_bDefaultsFromTheirs = fromTheirs;
        bool goneFromBoth = false;
        bool oursOwnGain = false;
        bool theirsOwnGain = false;
        for (const auto& [r, c] : counts) {
            report->m_nAddedFromTheirs += std::max(0, c.result - c.ours);
            report->m_nRemovedByTheirs += std::max(0, c.ours - c.result);
            goneFromBoth = goneFromBoth || (Gone(c.base, c.ours) > 0 && Gone(c.base, c.theirs) > 0);
            oursOwnGain = oursOwnGain || Gained(c.base, c.ours) > Gained(c.base, c.theirs);
            theirsOwnGain = theirsOwnGain || Gained(c.base, c.theirs) > Gained(c.base, c.ours);
        }
        report->m_bKeptBothVersions = goneFromBoth && oursOwnGain && theirsOwnGain;
    }
    return result;
}

bool MergeKeepsEverything(const CReminderList& base, const CReminderList& ours, const CReminderList& theirs,
                          const CReminderList& result)
{
    CountMap counts;
    CountInto(counts, base, &Counts::base);
    CountInto(counts, ours, &Counts::ours);
    CountInto(counts, theirs, &Counts::theirs);
    CountInto(counts, result, &Counts::result);
    for (const auto& [r, c] : counts) {
        // A side's copies may go only as far as the other side deleted base
        // copies. Base copies need no rule of their own: each side still
        // holds every base copy it did not delete.
        if (c.result < c.ours - Gone(c.base, c.theirs) || c.result < c.theirs - Gone(c.base, c.ours))
            return false;
    }
    return true;
}
