// CHotKeyCtrl over the common controls' hot-key control. Its modifiers are
// HOTKEYF_ bits; the control's own HOTKEYF_EXT (a key of the extended
// block) is kept inside: the program's modifiers are Shift, Ctrl and Alt,
// and it stores the Windows key in the bit HOTKEYF_EXT has.

#include "platform/HotKeyCtrl.h"

#include "platform/win32/Internal.h"

namespace {

// Keys whose scan codes come with the extended prefix: the control names
// them by it ("Home", not "Num 7").
bool IsExtendedKey(WORD vk)
{
    return (vk >= VK_PRIOR && vk <= VK_DOWN) || vk == VK_INSERT || vk == VK_DELETE || vk == VK_DIVIDE ||
           vk == VK_NUMLOCK || (vk >= VK_LWIN && vk <= VK_APPS);
}

}  // namespace

void CHotKeyCtrl::SetHotKey(WORD wVirtualKeyCode, WORD wModifiers)
{
    // No key, no modifiers: an empty field.
    WORD modifiers = wVirtualKeyCode ? WORD(wModifiers & ~HOTKEYF_EXT) : 0;
    if (IsExtendedKey(wVirtualKeyCode))
        modifiers |= HOTKEYF_EXT;
    ::SendMessageW(m_hWnd, HKM_SETHOTKEY, MAKEWORD(BYTE(wVirtualKeyCode), BYTE(modifiers)), 0);
}

DWORD CHotKeyCtrl::GetHotKey() const
{
    WORD vk = 0;
    WORD modifiers = 0;
    GetHotKey(vk, modifiers);
    return MAKEWORD(BYTE(vk), BYTE(modifiers));
}

void CHotKeyCtrl::GetHotKey(WORD& wVirtualKeyCode, WORD& wModifiers) const
{
    const auto key = WORD(::SendMessageW(m_hWnd, HKM_GETHOTKEY, 0, 0));
    wVirtualKeyCode = LOBYTE(key);
    wModifiers = WORD(HIBYTE(key) & ~HOTKEYF_EXT);
}
