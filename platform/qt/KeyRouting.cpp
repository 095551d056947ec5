// The application-wide key path: every key press is a WM_KEYDOWN that passes
// the message filter, PreTranslateMessage and the accelerator tables before
// the widget sees it.

#include "platform/WinApp.h"

#include "platform/Menu.h"
#include "platform/Resource.h"
#include "platform/Wnd.h"
#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include <cstdint>

namespace {

// The modifiers of the key being translated, for TranslateAccelerator.
Qt::KeyboardModifiers g_keyModifiers;
bool g_haveKeyModifiers = false;

void SendHelp(HWND hFocus)
{
    HELPINFO info;
    info.iContextType = 1;  // HELPINFO_WINDOW
    info.iCtrlId = int(AfxControlId(WidgetFromHandle(hFocus)));
    info.hItemHandle = hFocus;
    QPoint p = QCursor::pos();
    info.MousePos.x = p.x();
    info.MousePos.y = p.y();
    ::SendMessage(hFocus, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

// Alt and the letter a label marks with '&': the focus goes to the next
// control after the label that takes it, as the dialog manager does; an
// edit reached so has its whole text selected, even when it had the focus.
bool FocusByLabelMnemonic(QWidget* top, UINT vk)
{
    if (!((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')))
        return false;
    for (QLabel* label : top->findChildren<QLabel*>()) {
        if (label->property(kMnemonicProperty).toChar() != QChar(char16_t(vk)) || !label->isVisible())
            continue;
        for (QWidget* next = label->nextInFocusChain(); next && next != label; next = next->nextInFocusChain()) {
            if (next->window() == top && (next->focusPolicy() & Qt::TabFocus) && next->isVisible() &&
                next->isEnabled()) {
                next->setFocus(Qt::ShortcutFocusReason);
                if (auto* edit = qobject_cast<QLineEdit*>(next))
                    edit->selectAll();
                return true;
            }
        }
    }
    return false;
}

}  // namespace

bool AfxPreTranslateKeyEvent(QWidget* receiver, QKeyEvent* event)
{
    QWidget* top = receiver->window();
    // Open menus handle their own keys.
    if (qobject_cast<QMenu*>(top) || qobject_cast<QMenuBar*>(receiver))
        return false;
    UINT vk = AfxVirtualKeyFromQtKey(event->key(), int(event->modifiers()));
    if (vk == 0)
        return false;
    Qt::KeyboardModifiers mods = event->modifiers();
    bool alt = (mods & Qt::AltModifier) != 0;
    MSG msg;
    msg.hwnd = HandleFromWidget(receiver);
    msg.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = vk;
    msg.lParam = LPARAM(1 | (event->isAutoRepeat() ? (1 << 30) : 0) | (alt ? (1 << 29) : 0));
    msg.time = GetTickCount();
    QPoint p = QCursor::pos();
    msg.pt.x = p.x();
    msg.pt.y = p.y();

    Qt::KeyboardModifiers savedMods = g_keyModifiers;
    bool savedHave = g_haveKeyModifiers;
    g_keyModifiers = mods;
    g_haveKeyModifiers = true;
    QPointer<QWidget> guard(receiver);
    QPointer<QWidget> topGuard(top);

    CWinApp* app = AfxGetApp();
    bool done = app && app->ProcessMessageFilter(0, &msg);
    if (!done && guard && IsWindow(msg.hwnd))
        done = app ? app->PreTranslateMessage(&msg) : CWnd::WalkPreTranslateTree(HandleFromWidget(top), &msg);
    if (!done && guard && topGuard && IsWindow(msg.hwnd)) {
        bool plain = !(mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        if (vk == VK_F1 && plain) {
            // Win32 sends WM_HELP for an F1 nobody translated.
            SendHelp(msg.hwnd);
            done = true;
        } else if (!AfxIsDialogWidget(top)) {
            // Qt's own dialogs (message boxes, file dialogs) close themselves.
        } else if (vk == VK_F4 && alt && !(mods & (Qt::ShiftModifier | Qt::ControlModifier))) {
            ::SendMessage(HandleFromWidget(top), WM_SYSCOMMAND, SC_CLOSE, 0);
            done = true;
        } else if (alt && !(mods & Qt::ControlModifier) && FocusByLabelMnemonic(top, vk)) {
            done = true;
        } else if (vk == VK_SPACE && alt) {
            if (HMENU h = AfxSystemMenu(top, true)) {
                reinterpret_cast<QMenu*>(h)->popup(top->mapToGlobal(QPoint(0, 0)));
                done = true;
            }
        }
    }
    g_keyModifiers = savedMods;
    g_haveKeyModifiers = savedHave;
    // A receiver that went away must not get the event.
    return done || !guard;
}

// ---- Accelerators -----------------------------------------------------------------------

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR lpTableName)
{
    if (!IS_INTRESOURCE(lpTableName))
        return nullptr;
    const AccelTableTemplate* t = AfxFindAccelTable(UINT(reinterpret_cast<std::uintptr_t>(lpTableName)));
    return reinterpret_cast<HACCEL>(const_cast<AccelTableTemplate*>(t));
}

int TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg)
{
    if (!hWnd || !hAccTable || !lpMsg || !IsWindow(hWnd))
        return 0;
    if (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN)
        return 0;
    // Only handles that LoadAcceleratorsA gave out.
    const ResourceTables* tables = AfxGetResourceTables();
    if (!tables)
        return 0;
    const AccelTableTemplate* table = nullptr;
    for (const AccelTableTemplate& t : tables->accelerators)
        if (reinterpret_cast<HACCEL>(const_cast<AccelTableTemplate*>(&t)) == hAccTable)
            table = &t;
    if (!table)
        return 0;
    Qt::KeyboardModifiers mods = g_haveKeyModifiers ? g_keyModifiers : QGuiApplication::queryKeyboardModifiers();
    bool shift = mods & Qt::ShiftModifier;
    bool ctrl = mods & Qt::ControlModifier;
    bool alt = (mods & Qt::AltModifier) || lpMsg->message == WM_SYSKEYDOWN;
    for (const AccelTemplate& e : table->entries) {
        if (!(e.fVirt & FVIRTKEY) || e.key != lpMsg->wParam)
            continue;
        if (bool(e.fVirt & FSHIFT) != shift || bool(e.fVirt & FCONTROL) != ctrl || bool(e.fVirt & FALT) != alt)
            continue;
        // A disabled window (its modal dialog runs) gets no menu commands.
        QWidget* w = WidgetFromHandle(hWnd);
        if (!IsWindowEnabled(hWnd) || (AfxInModalState() && AfxTopModalWindow() != w->window()))
            return 0;
        HMENU hMenu = GetMenu(hWnd);
        UINT state = hMenu ? GetMenuState(hMenu, e.cmd, MF_BYCOMMAND) : UINT(-1);
        if (state != UINT(-1) && (state & (MF_GRAYED | MF_DISABLED)))
            return 1;
        ::SendMessage(hWnd, WM_COMMAND, MAKELONG(e.cmd, 1), 0);
        return 1;
    }
    return 0;
}
