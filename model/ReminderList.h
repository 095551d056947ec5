#pragma once
// The reminder collection: the records in display order, the values a new
// reminder starts from, the records found due, and the data file's name.

#include "model/Reminder.h"

#include <cstdint>
#include <string>
#include <vector>

class CReminderList {
public:
    std::string m_strDefaultText;
    std::int32_t m_nDefaultTimeAdd = 0;
    bool m_bDefaultRemind = true;
    std::int32_t m_nDefaultPushTime = 86400;
    bool m_bDefaultPush = false;
    std::vector<CReminder> m_reminders;
    std::vector<std::int32_t> m_dueIndices;
    std::int32_t m_nZoneOffset = 0;
    std::string m_strFileName;

    // Records.
    std::int32_t GetCount() const { return static_cast<std::int32_t>(m_reminders.size()); }
    CReminder& GetAt(int i) { return m_reminders[static_cast<std::size_t>(i)]; }
    const CReminder& GetAt(int i) const { return m_reminders[static_cast<std::size_t>(i)]; }
    void Add(const char* text, std::int32_t time, bool remind, std::int32_t pushTime, bool push);
    void Set(int i, const char* text, std::int32_t time, bool remind, std::int32_t pushTime, bool push);
    void RemoveAt(int i);
    void MoveItem(int i, bool up);
    const char* GetFileName() const { return m_strFileName.c_str(); }
    void SetFileName(const char* path) { m_strFileName = path ? path : ""; }

    // Due times; each reads the clock itself.
    bool IsDue(int i) const;
    std::int32_t RefreshDueList();
    std::int32_t SecondsToNextAlarm() const;
    int FindDue(int start, bool down) const;
    void PushTimesForward();

    // The data file.
    bool Save() const;
    bool Load();
    // The file's bytes for this list, as Save writes them.
    std::string Serialize() const;
    // Replaces records and defaults from file bytes; false for an unknown version tag.
    bool Parse(const std::string& bytes);
    // Whether bytes hold a whole list: a known version tag, the header, and
    // only whole records, the last line ended. Parse takes a list cut short
    // too; a file another program may still be writing is read only whole,
    // or its missing end would count as deleted reminders.
    static bool IsWhole(const std::string& bytes);

    // Ordering and search.
    void Sort(bool byTime, bool ascending, bool checkedFirst);
    int FindText(const char* text, int start, bool down, bool matchCase) const;

private:
    bool IsDueAt(const CReminder& r, long long now) const;
};
