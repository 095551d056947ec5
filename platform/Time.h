#pragma once
// CTime: a time_t with local-time accessors, as MFC's. Qt-free.

#include "platform/Win32.h"

#include <ctime>

class CTime {
public:
    CTime() = default;
    CTime(std::time_t t) : m_time(t) {}
    // Local time; nDST < 0 lets the C library decide whether daylight saving applies.
    CTime(int year, int month, int day, int hour, int minute, int second, int nDST = -1);
    explicit CTime(const SYSTEMTIME& st, int nDST = -1);

    std::time_t GetTime() const { return m_time; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetDayOfWeek() const;  // 1 = Sunday
    // Local time as SYSTEMTIME; false when the value cannot be converted.
    bool GetAsSystemTime(SYSTEMTIME& st) const;
    // Local time with local-time fields filled (never null).
    std::tm GetLocalTm() const;

    CTime& operator=(std::time_t t)
    {
        m_time = t;
        return *this;
    }
    bool operator==(const CTime& o) const { return m_time == o.m_time; }
    bool operator!=(const CTime& o) const { return m_time != o.m_time; }
    bool operator<(const CTime& o) const { return m_time < o.m_time; }
    bool operator<=(const CTime& o) const { return m_time <= o.m_time; }
    bool operator>(const CTime& o) const { return m_time > o.m_time; }
    bool operator>=(const CTime& o) const { return m_time >= o.m_time; }

private:
    std::time_t m_time = 0;
};
