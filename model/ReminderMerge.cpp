#include "model/ReminderMerge.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// Reminders are told apart by their five stored fields; the lists are
// indexed by pointer into them, so nothing is copied to be counted.
struct ReminderHash {
    std::size_t operator()(const CReminder* r) const
    {
        std::size_t h = std::hash<std::string>()(r->m_strText);
        for (std::size_t v : {std::size_t(std::uint32_t(r->m_nTime)), std::size_t(std::uint32_t(r->m_nPushTime)),
                              std::size_t(r->m_bRemind) << 1 | std::size_t(r->m_bPush)})
            h = h * 1000003u ^ v;
        return h;
    }
};

struct ReminderEqual {
    bool operator()(const CReminder* a, const CReminder* b) const
    {
        return a->m_strText == b->m_strText && a->m_nTime == b->m_nTime && a->m_bRemind == b->m_bRemind &&
               a->m_nPushTime == b->m_nPushTime && a->m_bPush == b->m_bPush;
    }
};

// Copies of one distinct reminder in each version.
struct Counts {
    int base = 0;
    int ours = 0;
    int theirs = 0;
    int result = 0;
};

// Each distinct reminder gets a number; its counts are counts[number].
class CountTable {
public:
    int Id(const CReminder& r)
    {
        auto [it, added] = m_ids.try_emplace(&r, int(counts.size()));
        if (added)
            counts.emplace_back();
        return it->second;
    }
    void Count(const CReminderList& list, int Counts::*field)
    {
        for (const CReminder& r : list.m_reminders)
            ++(counts[std::size_t(Id(r))].*field);
    }
    std::vector<Counts> counts;

private:
    std::unordered_map<const CReminder*, int, ReminderHash, ReminderEqual> m_ids;
};

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
    CountTable table;
    table.Count(base, &Counts::base);
    table.Count(ours, &Counts::ours);
    table.Count(theirs, &Counts::theirs);
    for (Counts& c : table.counts)
        c.result = MergedCount(c);

    // The frame gives the order; the other side's extra copies go in after
    // the nearest frame reminder that precedes them in the other side.
    const bool oursKeptOrder = ours.m_reminders == base.m_reminders;
    const std::vector<CReminder>& frame = oursKeptOrder ? theirs.m_reminders : ours.m_reminders;
    const std::vector<CReminder>& other = oursKeptOrder ? ours.m_reminders : theirs.m_reminders;

    const std::size_t distinct = table.counts.size();
    std::vector<const CReminder*> kept;
    std::vector<std::vector<std::size_t>> keptAt(distinct);  // positions in kept, by occurrence
    std::vector<int> frameCount(distinct);
    for (const CReminder& r : frame) {
        const std::size_t id = std::size_t(table.Id(r));
        const int occurrence = ++frameCount[id];
        if (occurrence <= table.counts[id].result) {
            keptAt[id].push_back(kept.size());
            kept.push_back(&r);
        }
    }

    // inserted[0] goes before kept[0], inserted[i + 1] after kept[i].
    std::vector<std::vector<const CReminder*>> inserted(kept.size() + 1);
    std::vector<int> otherCount(distinct);
    std::size_t slot = 0;
    for (const CReminder& r : other) {
        const std::size_t id = std::size_t(table.Id(r));
        const int occurrence = ++otherCount[id];
        if (occurrence <= frameCount[id]) {
            const std::vector<std::size_t>& at = keptAt[id];
            if (static_cast<std::size_t>(occurrence) <= at.size())
                slot = at[static_cast<std::size_t>(occurrence) - 1] + 1;
        } else if (occurrence <= table.counts[id].result) {
            inserted[slot].push_back(&r);
        }
    }

    CReminderList result;
    result.m_strFileName = ours.m_strFileName;
    result.m_nZoneOffset = ours.m_nZoneOffset;
    result.m_reminders.reserve(kept.size() + other.size());
    for (std::size_t i = 0; i <= kept.size(); ++i) {
        for (const CReminder* r : inserted[i])
            result.m_reminders.push_back(*r);
        if (i < kept.size())
            result.m_reminders.push_back(*kept[i]);
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
        for (const Counts& c : table.counts) {
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
    CountTable table;
    table.Count(base, &Counts::base);
    table.Count(ours, &Counts::ours);
    table.Count(theirs, &Counts::theirs);
    table.Count(result, &Counts::result);
    for (const Counts& c : table.counts) {
        // A side's copies may go only as far as the other side deleted base
        // copies. Base copies need no rule of their own: each side still
        // holds every base copy it did not delete.
        if (c.result < c.ours - Gone(c.base, c.theirs) || c.result < c.theirs - Gone(c.base, c.ours))
            return false;
    }
    return true;
}
