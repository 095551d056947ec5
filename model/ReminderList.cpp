#include "model/ReminderList.h"

#include <utility>

void CReminderList::Add(const char* text, std::int32_t time, bool remind, std::int32_t pushTime, bool push)
{
    CReminder r;
    r.m_strText = text ? text : "";
    r.m_nTime = time;
    r.m_bRemind = remind;
    r.m_nPushTime = pushTime;
    r.m_bPush = push;
    m_reminders.push_back(std::move(r));
}

void CReminderList::Set(int i, const char* text, std::int32_t time, bool remind, std::int32_t pushTime, bool push)
{
    CReminder& r = GetAt(i);
    r.m_strText = text ? text : "";
    r.m_nTime = time;
    r.m_bRemind = remind;
    r.m_nPushTime = pushTime;
    r.m_bPush = push;
}

void CReminderList::RemoveAt(int i) { m_reminders.erase(m_reminders.begin() + i); }

void CReminderList::MoveItem(int i, bool up) { std::swap(GetAt(i), GetAt(up ? i - 1 : i + 1)); }
