// CDateTimeCtrl over the common controls' date and time picker. Its times
// are local SYSTEMTIMEs; CTime converts them.

#include "platform/DateTimeCtrl.h"

#include "platform/win32/Internal.h"

namespace {

// The picker's limits; the flags tell which exist.
DWORD GetLimits(HWND h, SYSTEMTIME (&range)[2])
{
    range[0] = SYSTEMTIME{};
    range[1] = SYSTEMTIME{};
    return DWORD(::SendMessageW(h, DTM_GETRANGE, 0, reinterpret_cast<LPARAM>(range)));
}

}  // namespace

// A limit not given stays as it was.
BOOL CDateTimeCtrl::SetRange(const CTime* pMinRange, const CTime* pMaxRange)
{
    SYSTEMTIME range[2];
    DWORD flags = GetLimits(m_hWnd, range);
    if (pMinRange) {
        if (!pMinRange->GetAsSystemTime(range[0]))
            return FALSE;
        flags |= GDTR_MIN;
    }
    if (pMaxRange) {
        if (!pMaxRange->GetAsSystemTime(range[1]))
            return FALSE;
        flags |= GDTR_MAX;
    }
    return BOOL(::SendMessageW(m_hWnd, DTM_SETRANGE, WPARAM(flags), reinterpret_cast<LPARAM>(range)));
}

DWORD CDateTimeCtrl::GetRange(CTime* pMinRange, CTime* pMaxRange) const
{
    SYSTEMTIME range[2];
    const DWORD flags = GetLimits(m_hWnd, range);
    if (pMinRange && (flags & GDTR_MIN))
        *pMinRange = CTime(range[0]);
    if (pMaxRange && (flags & GDTR_MAX))
        *pMaxRange = CTime(range[1]);
    return flags;
}

BOOL CDateTimeCtrl::SetTime(const CTime& time) { return SetTime(&time); }

BOOL CDateTimeCtrl::SetTime(const CTime* pTime)
{
    SYSTEMTIME st{};
    if (!pTime || !pTime->GetAsSystemTime(st))
        return FALSE;
    // A time outside the range is refused, not moved into it.
    SYSTEMTIME range[2];
    const DWORD flags = GetLimits(m_hWnd, range);
    if (((flags & GDTR_MIN) && *pTime < CTime(range[0])) || ((flags & GDTR_MAX) && *pTime > CTime(range[1])))
        return FALSE;
    return BOOL(::SendMessageW(m_hWnd, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)));
}

DWORD CDateTimeCtrl::GetTime(CTime& time) const
{
    SYSTEMTIME st{};
    const auto result = DWORD(::SendMessageW(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&st)));
    if (result == GDT_VALID)
        time = CTime(st);
    return result;
}
