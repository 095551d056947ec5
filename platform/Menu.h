#pragma once
// CMenu: a menu bar, popup or system menu built from a menu template.

#include "platform/CString.h"
#include "platform/Win32.h"

class CMenu {
public:
    CMenu() = default;
    HMENU m_hMenu = nullptr;

    static CMenu* FromHandle(HMENU hMenu);
    operator HMENU() const { return m_hMenu; }
    HMENU GetSafeHmenu() const { return m_hMenu; }

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    // Returns the previous state (MF_CHECKED or MF_UNCHECKED), or (UINT)-1 when the item is missing.
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    // MF_CHECKED, MF_GRAYED, MF_SEPARATOR, MF_POPUP bits, or (UINT)-1 when the item is missing.
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    int GetMenuItemCount() const;
    UINT GetMenuItemID(int nPos) const;
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    CMenu* GetSubMenu(int nPos) const;
};

#ifndef _WIN32
UINT CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
HMENU GetMenu(HWND hWnd);
HMENU GetSystemMenu(HWND hWnd, BOOL bRevert);
#endif
