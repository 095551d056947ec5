#include "platform/Menu.h"

#include "platform/qt/Internal.h"

#include "platform/qt/QtHandles.h"
#include "platform/Resource.h"
#include "platform/qt/TextCodec.h"
#include "platform/Wnd.h"
#include "platform/qt/WndCore.h"

#include <QAction>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <functional>

// Menus are QMenuBar or QMenu widgets; entries are QActions that carry the
// command id. Nothing has a Qt shortcut: the accelerator table does the keys,
// and the text after "\t" is only shown.

namespace {

constexpr const char* kCmdProperty = "talvoCmd";
constexpr const char* kCheckedProperty = "talvoChecked";
constexpr const char* kEnableProperty = "talvoEnable";
constexpr const char* kTextProperty = "talvoText";
constexpr const char* kSysMenuProperty = "talvoSysMenu";

struct MenuOwner {
    QPointer<QWidget> window;
    bool systemMenu = false;
};

QHash<QWidget*, CMenu*> g_wrappers;
QHash<QWidget*, MenuOwner> g_owners;

QWidget* M(HMENU h) { return reinterpret_cast<QWidget*>(h); }
HMENU H(QWidget* w) { return reinterpret_cast<HMENU>(w); }

bool IsMenuWidget(QWidget* w)
{
    return w && AfxIsLiveWidget(w) && (qobject_cast<QMenu*>(w) || qobject_cast<QMenuBar*>(w));
}

// The menu bar or top popup an entry belongs to.
QWidget* RootOf(QWidget* menu)
{
    QWidget* w = menu;
    while (qobject_cast<QMenu*>(w) && w->parentWidget() &&
           (qobject_cast<QMenu*>(w->parentWidget()) || qobject_cast<QMenuBar*>(w->parentWidget())))
        w = w->parentWidget();
    return w;
}

void OnTriggered(QAction* a, QWidget* menu)
{
    // Qt toggles a checkable entry by itself; Win32 leaves that to the handler.
    a->setChecked(a->property(kCheckedProperty).toBool());
    QWidget* root = RootOf(menu);
    MenuOwner owner = g_owners.value(root);
    if (!owner.window)
        return;
    UINT id = a->property(kCmdProperty).toUInt();
    HWND h = HandleFromWidget(owner.window);
    // After the menu has closed, as Win32 posts it from the menu loop.
    if (owner.systemMenu)
        ::PostMessage(h, WM_SYSCOMMAND, id, 0);
    else
        ::PostMessage(h, WM_COMMAND, MAKELONG(WORD(id), 0), 0);
}

void TrackMenu(QWidget* menu)
{
    QObject::connect(menu, &QObject::destroyed, [menu]() {
        g_owners.remove(menu);
        if (CMenu* m = g_wrappers.take(menu)) {
            m->m_hMenu = nullptr;
            delete m;
        }
    });
}

QAction* AddCommand(QWidget* menu, UINT flags, UINT id, const char* text)
{
    auto* a = new QAction(FromAnsi(text), menu);
    a->setProperty(kCmdProperty, id);
    a->setProperty(kTextProperty, QByteArray(text ? text : ""));
    bool checked = (flags & MF_CHECKED) != 0;
    a->setCheckable(checked);
    a->setChecked(checked);
    a->setProperty(kCheckedProperty, checked);
    a->setProperty(kEnableProperty, flags & (MF_GRAYED | MF_DISABLED));
    a->setEnabled(!(flags & (MF_GRAYED | MF_DISABLED)));
    a->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(a, &QAction::triggered, menu, [a, menu]() { OnTriggered(a, menu); });
    menu->addAction(a);
    return a;
}

void AddSeparator(QWidget* menu)
{
    auto* a = new QAction(menu);
    a->setSeparator(true);
    menu->addAction(a);
}

void AddPopup(QWidget* menu, QMenu* sub, const char* text)
{
    sub->setParent(menu, sub->windowFlags());
    sub->setTitle(FromAnsi(text));
    sub->menuAction()->setProperty(kTextProperty, QByteArray(text ? text : ""));
    menu->addAction(sub->menuAction());
}

void AddItems(QWidget* menu, std::span<const MenuItemTemplate> items)
{
    for (const MenuItemTemplate& it : items) {
        if (it.flags & MF_POPUP) {
            auto* sub = new QMenu(menu);
            TrackMenu(sub);
            AddItems(sub, it.children);
            AddPopup(menu, sub, it.text);
        } else if ((it.flags & MF_SEPARATOR) || (!it.text && it.id == 0)) {
            AddSeparator(menu);
        } else {
            AddCommand(menu, it.flags, it.id, it.text);
        }
    }
}

QAction* FindAction(QWidget* menu, UINT nID, UINT nFlags, QWidget** owner = nullptr)
{
    if (!IsMenuWidget(menu))
        return nullptr;
    const QList<QAction*> actions = menu->actions();
    if (nFlags & MF_BYPOSITION) {
        if (nID >= UINT(actions.size()))
            return nullptr;
        if (owner)
            *owner = menu;
        return actions[qsizetype(nID)];
    }
    for (QAction* a : actions) {
        if (a->menu()) {
            if (QAction* found = FindAction(a->menu(), nID, nFlags, owner))
                return found;
            continue;
        }
        if (!a->isSeparator() && a->property(kCmdProperty).isValid() && a->property(kCmdProperty).toUInt() == nID) {
            if (owner)
                *owner = menu;
            return a;
        }
    }
    return nullptr;
}

UINT StateOf(QAction* a)
{
    if (a->isSeparator())
        return MF_SEPARATOR;
    UINT state = a->property(kCheckedProperty).toBool() ? MF_CHECKED : MF_UNCHECKED;
    state |= a->property(kEnableProperty).toUInt() & (MF_GRAYED | MF_DISABLED);
    if (!a->isEnabled() && !(state & (MF_GRAYED | MF_DISABLED)))
        state |= MF_GRAYED;
    if (a->menu())
        state |= MF_POPUP | (UINT(a->menu()->actions().size() & 0xFF) << 8);
    return state;
}

}  // namespace

CMenu* CMenu::FromHandle(HMENU hMenu)
{
    QWidget* w = M(hMenu);
    if (!IsMenuWidget(w))
        return nullptr;
    if (CMenu* m = g_wrappers.value(w, nullptr))
        return m;
    auto* m = new CMenu;
    m->m_hMenu = hMenu;
    g_wrappers.insert(w, m);
    return m;
}

HMENU AfxLoadMenuBar(UINT nID)
{
    const MenuTemplate* t = AfxFindMenuTemplate(nID);
    if (!t)
        return nullptr;
    auto* bar = new QMenuBar;
    bar->setNativeMenuBar(false);
    TrackMenu(bar);
    AddItems(bar, t->items);
    return H(bar);
}

void AfxSetMenuOwner(HMENU hMenu, QWidget* window, bool systemMenu)
{
    QWidget* m = M(hMenu);
    if (!IsMenuWidget(m))
        return;
    MenuOwner owner;
    owner.window = window;
    owner.systemMenu = systemMenu;
    g_owners.insert(m, owner);
}

HMENU AfxSystemMenu(QWidget* window, bool create)
{
    if (!window || !AfxIsLiveWidget(window))
        return nullptr;
    window = window->window();
    auto* existing = reinterpret_cast<QWidget*>(window->property(kSysMenuProperty).value<quintptr>());
    if (existing && AfxIsLiveWidget(existing))
        return H(existing);
    if (!create)
        return nullptr;
    // Qt has no system menu: this one is kept by the window and shown with
    // Alt+Space; its entries send WM_SYSCOMMAND.
    auto* menu = new QMenu(window);
    TrackMenu(menu);
    DWORD style = window->property(kStyleProperty).toUInt();
    AddCommand(menu, 0, SC_RESTORE, "&\xC3\x85terst\xC3\xA4ll");
    if (style & WS_MINIMIZEBOX)
        AddCommand(menu, 0, SC_MINIMIZE, "Mi&nimera");
    AddSeparator(menu);
    AddCommand(menu, 0, SC_CLOSE, "&St\xC3\xA4ng\tAlt+F4");
    window->setProperty(kSysMenuProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(menu)));
    AfxSetMenuOwner(H(menu), window, true);
    QObject::connect(menu, &QObject::destroyed, window, [window]() { window->setProperty(kSysMenuProperty, QVariant()); });
    return H(menu);
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem)
{
    QWidget* menu = M(m_hMenu);
    if (!IsMenuWidget(menu))
        return FALSE;
    if (nFlags & MF_SEPARATOR) {
        AddSeparator(menu);
        return TRUE;
    }
    if (nFlags & MF_POPUP) {
        auto* sub = qobject_cast<QMenu*>(M(reinterpret_cast<HMENU>(nIDNewItem)));
        if (!sub || !AfxIsLiveWidget(sub))
            return FALSE;
        AddPopup(menu, sub, lpszNewItem);
        return TRUE;
    }
    AddCommand(menu, nFlags, UINT(nIDNewItem), lpszNewItem);
    return TRUE;
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck)
{
    QAction* a = FindAction(M(m_hMenu), nIDCheckItem, nCheck);
    if (!a || a->isSeparator())
        return UINT(-1);
    UINT previous = a->property(kCheckedProperty).toBool() ? MF_CHECKED : MF_UNCHECKED;
    bool checked = (nCheck & MF_CHECKED) != 0;
    a->setProperty(kCheckedProperty, checked);
    a->setCheckable(checked);
    a->setChecked(checked);
    return previous;
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable)
{
    QAction* a = FindAction(M(m_hMenu), nIDEnableItem, nEnable);
    if (!a)
        return UINT(-1);
    UINT previous = a->property(kEnableProperty).toUInt() & (MF_GRAYED | MF_DISABLED);
    UINT now = nEnable & (MF_GRAYED | MF_DISABLED);
    a->setProperty(kEnableProperty, now);
    a->setEnabled(now == 0);
    return previous;
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const
{
    QAction* a = FindAction(M(m_hMenu), nID, nFlags);
    return a ? StateOf(a) : UINT(-1);
}

int CMenu::GetMenuItemCount() const
{
    QWidget* menu = M(m_hMenu);
    return IsMenuWidget(menu) ? int(menu->actions().size()) : -1;
}

UINT CMenu::GetMenuItemID(int nPos) const
{
    QWidget* menu = M(m_hMenu);
    if (!IsMenuWidget(menu) || nPos < 0 || nPos >= menu->actions().size())
        return UINT(-1);
    QAction* a = menu->actions()[nPos];
    if (a->menu())
        return UINT(-1);
    if (a->isSeparator())
        return 0;
    return a->property(kCmdProperty).toUInt();
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const
{
    QAction* a = FindAction(M(m_hMenu), nIDItem, nFlags);
    if (!a || a->isSeparator()) {
        rString = "";
        return 0;
    }
    QByteArray text = a->property(kTextProperty).toByteArray();
    rString = text.constData();
    return rString.GetLength();
}

CMenu* CMenu::GetSubMenu(int nPos) const
{
    QWidget* menu = M(m_hMenu);
    if (!IsMenuWidget(menu) || nPos < 0 || nPos >= menu->actions().size())
        return nullptr;
    QMenu* sub = menu->actions()[nPos]->menu();
    return sub ? FromHandle(H(sub)) : nullptr;
}

UINT CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck)
{
    CMenu* m = CMenu::FromHandle(hMenu);
    return m ? m->CheckMenuItem(uIDCheckItem, uCheck) : UINT(-1);
}

UINT GetMenuState(HMENU hMenu, UINT uId, UINT uFlags)
{
    CMenu* m = CMenu::FromHandle(hMenu);
    return m ? m->GetMenuState(uId, uFlags) : UINT(-1);
}

HMENU GetSystemMenu(HWND hWnd, BOOL bRevert)
{
    QWidget* w = WidgetFromHandle(hWnd);
    if (!AfxIsLiveWidget(w))
        return nullptr;
    if (bRevert) {
        // Back to the default entries; Win32 returns null then.
        if (HMENU old = AfxSystemMenu(w, false))
            delete M(old);
        return nullptr;
    }
    return AfxSystemMenu(w, true);
}

// Used by the test hooks: runs a menu entry of a window as a click would.
bool AfxInvokeMenuItem(HWND hWnd, UINT nID, bool systemMenu)
{
    QWidget* w = WidgetFromHandle(hWnd);
    if (!AfxIsLiveWidget(w))
        return false;
    HMENU h = systemMenu ? AfxSystemMenu(w, false) : GetMenu(hWnd);
    QAction* a = FindAction(M(h), nID, MF_BYCOMMAND);
    if (!a || !a->isEnabled())
        return false;
    a->setChecked(a->property(kCheckedProperty).toBool());
    if (systemMenu)
        ::SendMessage(hWnd, WM_SYSCOMMAND, nID, 0);
    else
        ::SendMessage(hWnd, WM_COMMAND, MAKELONG(WORD(nID), 0), 0);
    return true;
}
