#include "platform/Time.h"

#include "platform/TimeZone.h"

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int nDST)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = nDST < 0 ? -1 : (nDST > 0 ? 1 : 0);
    std::time_t t = std::mktime(&tm);
    // An unrepresentable local time gives the invalid time -1, as MFC's does.
    m_time = t;
}

CTime::CTime(const SYSTEMTIME& st, int nDST)
    : CTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, nDST)
{
}

std::tm CTime::GetLocalTm() const
{
    std::tm tm{};
    if (localtime_s(&tm, &m_time) != 0)
        tm = std::tm{};
    return tm;
}

int CTime::GetYear() const { return GetLocalTm().tm_year + 1900; }
int CTime::GetMonth() const { return GetLocalTm().tm_mon + 1; }
int CTime::GetDay() const { return GetLocalTm().tm_mday; }
int CTime::GetHour() const { return GetLocalTm().tm_hour; }
int CTime::GetMinute() const { return GetLocalTm().tm_min; }
int CTime::GetDayOfWeek() const { return GetLocalTm().tm_wday + 1; }

bool CTime::GetAsSystemTime(SYSTEMTIME& st) const
{
    std::tm tm{};
    if (localtime_s(&tm, &m_time) != 0)
        return false;
    int year = tm.tm_year + 1900;
    // SYSTEMTIME years are unsigned 16-bit and start at 1601.
    if (year < 1601 || year > 30827)
        return false;
    st = SYSTEMTIME{};
    st.wYear = WORD(year);
    st.wMonth = WORD(tm.tm_mon + 1);
    st.wDayOfWeek = WORD(tm.tm_wday);
    st.wDay = WORD(tm.tm_mday);
    st.wHour = WORD(tm.tm_hour);
    st.wMinute = WORD(tm.tm_min);
    st.wSecond = WORD(tm.tm_sec);
    st.wMilliseconds = 0;
    return true;
}
