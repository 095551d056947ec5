#pragma once
#include "platform/Time.h"
#include "platform/Wnd.h"

// Date or time picker (DTS_SHORTDATEFORMAT or DTS_TIMEFORMAT in the template),
// in the locale's short formats.
class CDateTimeCtrl : public CWnd {
public:
    BOOL SetRange(const CTime* pMinRange, const CTime* pMaxRange);
    DWORD GetRange(CTime* pMinRange, CTime* pMaxRange) const;
    BOOL SetTime(const CTime& time);
    BOOL SetTime(const CTime* pTime);
    DWORD GetTime(CTime& time) const;  // GDT_VALID 0
};
#ifndef _WIN32
constexpr DWORD GDT_VALID = 0;
constexpr DWORD GDT_NONE = 1;
#endif
