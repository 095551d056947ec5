#pragma once
#include "platform/Wnd.h"

// Edit fields. Positions and limits count characters (Win32 counts bytes of
// the ANSI text; here the text is UTF-8 and Qt counts characters).
class CEdit : public CWnd {
public:
};

#ifndef _WIN32
constexpr DWORD ES_MULTILINE = 0x0004;

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;
#endif
