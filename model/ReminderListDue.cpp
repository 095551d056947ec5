#include "model/CircularSearch.h"
#include "model/Clock.h"
#include "model/PickerTime.h"
#include "model/ReminderList.h"

#include <climits>

// All time arithmetic is done in 64 bits so that due instants near the end of
// the 32-bit range, large push intervals and zone offsets cannot overflow.

bool CReminderList::IsDueAt(const CReminder& r, long long now) const
{
    return r.m_bRemind && static_cast<long long>(r.m_nTime) + m_nZoneOffset <= now;
}

bool CReminderList::IsDue(int i) const { return IsDueAt(GetAt(i), ClockNow()); }

std::int32_t CReminderList::RefreshDueList()
{
    m_dueIndices.clear();
    const long long now = ClockNow();
    for (std::int32_t i = 0; i < GetCount(); ++i)
        if (IsDueAt(GetAt(i), now))
            m_dueIndices.push_back(i);
    return static_cast<std::int32_t>(m_dueIndices.size());
}

std::int32_t CReminderList::SecondsToNextAlarm() const
{
    const long long t0 = static_cast<long long>(ClockNow()) - m_nZoneOffset;
    long long best = 0;
    for (const CReminder& r : m_reminders) {
        if (!r.m_bRemind || r.m_nTime <= t0)
            continue;
        if (best == 0 || r.m_nTime < best + t0)
            best = r.m_nTime - t0;
    }
    return ClampToInt32(best);
}

int CReminderList::FindDue(int start, bool down) const
{
    const long long t0 = static_cast<long long>(ClockNow()) - m_nZoneOffset;
    return CircularSearch(GetCount(), start, down, [&](int i) {
        const CReminder& r = GetAt(i);
        return r.m_bRemind && r.m_nTime <= t0;
    });
}

void CReminderList::PushTimesForward()
{
    const long long now = ClockNow();
    for (CReminder& r : m_reminders) {
        if (!r.m_bPush || !IsDueAt(r, now) || r.m_nPushTime <= 0)
            continue;
        const long long overdue = now - (static_cast<long long>(r.m_nTime) + m_nZoneOffset);
        const long long next = r.m_nTime + static_cast<long long>(r.m_nPushTime) * (overdue / r.m_nPushTime + 1);
        // Past the end of the 32-bit range the last representable second is
        // the sound choice: still after now, so the reminder stops being due.
        r.m_nTime = ClampToInt32(next);
    }
}
