#pragma once
// kernel32's GetDateFormatA and GetTimeFormatA. The user's locale is the first
// of LC_ALL, LC_TIME and LANG that is set, as POSIX orders them; its default
// formats are Qt's short date and its time with seconds (without the zone).
// The C and POSIX locales give ISO 8601: "2026-12-06" and "14:05:09".
// A format picture uses the Win32 letters (d, dd, ddd, dddd, M.., y.., h, hh,
// H, HH, m, mm, s, ss, t, tt, 'quoted text'). Text is UTF-8; sizes count bytes.

#include "platform/Win32.h"

#ifndef _WIN32
using LCID = DWORD;

constexpr LCID LOCALE_INVARIANT = 0x007F;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr DWORD LOCALE_NOUSEROVERRIDE = 0x80000000;

constexpr DWORD DATE_SHORTDATE = 0x00000001;
constexpr DWORD DATE_LONGDATE = 0x00000002;
constexpr DWORD TIME_NOMINUTESORSECONDS = 0x00000001;
constexpr DWORD TIME_NOSECONDS = 0x00000002;
constexpr DWORD TIME_NOTIMEMARKER = 0x00000004;
constexpr DWORD TIME_FORCE24HOURFORMAT = 0x00000008;

// Both return the length written including the terminator, or with cch 0 the
// size needed; 0 on failure (ERROR_INSUFFICIENT_BUFFER when the text does not
// fit, ERROR_INVALID_PARAMETER for a bad time or locale, ERROR_INVALID_FLAGS).
// A null time formats the current local time.
int GetDateFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCSTR lpFormat, LPSTR lpDateStr,
                   int cchDate);
int GetTimeFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCSTR lpFormat, LPSTR lpTimeStr,
                   int cchTime);
#endif
