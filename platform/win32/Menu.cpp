// Menus: the bars and popups of res/'s menu templates built with the menu
// calls, and CMenu as a thin wrapper of a handle.

#include "platform/Menu.h"

#include "platform/win32/Internal.h"

#include <memory>
#include <unordered_map>

namespace {

// The wrappers FromHandle hands out live as long as the program: a menu
// handle is used again and again, and MFC's temporary map would hand out a
// new one each time.
std::unordered_map<HMENU, std::unique_ptr<CMenu>> g_wrappers;

bool AppendItems(HMENU hMenu, std::span<const MenuItemTemplate> items)
{
    for (const MenuItemTemplate& item : items) {
        if (item.flags & MF_POPUP) {
            HMENU popup = ::CreatePopupMenu();
            if (!popup || !AppendItems(popup, item.children) ||
                !::AppendMenuW(hMenu, item.flags, reinterpret_cast<UINT_PTR>(popup), AfxWide(item.text).c_str()))
                return false;
        } else if (item.flags & MF_SEPARATOR) {
            ::AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
        } else if (!::AppendMenuW(hMenu, item.flags, item.id, AfxWide(item.text).c_str())) {
            return false;
        }
    }
    return true;
}

}  // namespace

HMENU AfxBuildMenu(UINT nID)
{
    const MenuTemplate* t = AfxFindMenuTemplate(nID);
    if (!t)
        return nullptr;
    HMENU bar = ::CreateMenu();
    if (bar && !AppendItems(bar, t->items)) {
        ::DestroyMenu(bar);
        return nullptr;
    }
    return bar;
}

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    if (!hMenu)
        return nullptr;
    std::unique_ptr<CMenu>& w = g_wrappers[hMenu];
    if (!w) {
        w = std::make_unique<CMenu>();
        w->m_hMenu = hMenu;
    }
    return w.get();
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem)
{
    if (nFlags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW))
        return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, nullptr);
    return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, AfxWide(lpszNewItem ? lpszNewItem : "").c_str());
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return DWORD(::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck)); }
UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return UINT(::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable)); }
UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
int CMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
UINT CMenu::GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    wchar_t buffer[256] = {};
    const int n = ::GetMenuStringW(m_hMenu, nIDItem, buffer, int(std::size(buffer)), nFlags);
    rString = AfxNarrow(std::wstring_view(buffer, std::size_t(n > 0 ? n : 0))).c_str();
    return rString.GetLength();
}
