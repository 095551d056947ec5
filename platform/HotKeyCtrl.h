#pragma once
#include "platform/Wnd.h"

// Hot-key field: one key with Shift, Ctrl and Alt, as a Windows virtual-key
// code and HOTKEYF_ bits.
class CHotKeyCtrl : public CWnd {
public:
    void SetHotKey(WORD wVirtualKeyCode, WORD wModifiers);
    DWORD GetHotKey() const;  // MAKEWORD(vk, modifiers)
    void GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const;
};
#ifndef _WIN32
constexpr UINT HKM_SETHOTKEY = WM_USER + 1;
constexpr UINT HKM_GETHOTKEY = WM_USER + 2;
constexpr UINT HKM_SETRULES = WM_USER + 3;
constexpr WORD HKCOMB_NONE = 0x0001;
constexpr WORD HKCOMB_S = 0x0002;
#endif
