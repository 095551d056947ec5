// Window messages: sending, posting, message maps, default processing, and
// the CWnd calls that are messages underneath (timers, message boxes, menus,
// data exchange, default handlers).

#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/Font.h"
#include "platform/Menu.h"
#include "platform/WinApp.h"
#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/qt/WndCore.h"
#include "platform/qt/WndMap.h"

#include <QIcon>
#include <QMetaObject>

#include <algorithm>
#include <cstring>

using namespace afxwnd;

// ---- Messages ------------------------------------------------------------------

// No entries of its own: everything falls through to default processing.
const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }
const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

bool AfxIsTopLevelWindow(HWND hWnd) { return W(hWnd)->isWindow(); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    return m_hWnd ? AfxDefWindowProc(m_hWnd, message, wParam, lParam) : 0;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}
BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

LRESULT CWnd::Default()
{
    if (g_msgStack.empty())
        return 0;
    MSG m = g_msgStack.back();
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

const MSG* CWnd::GetCurrentMessage()
{
    static MSG none;
    return g_msgStack.empty() ? &none : &g_msgStack.back();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessage(m_hWnd, message, wParam, lParam);
}

LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* w = W(hWnd);
    if (!AfxIsLiveWidget(w))
        return 0;
    MessageScope scope(hWnd, message, wParam, lParam);
    CWnd* p = g_permanent.value(w, nullptr);
    if (!p)
        return AfxDefWindowProc(hWnd, message, wParam, lParam);
    LRESULT r = p->WindowProc(message, wParam, lParam);
    if (message == WM_NCDESTROY && g_permanent.value(w) == p) {
        p->Detach();
        p->PostNcDestroy();  // may delete p
    }
    return r;
}

BOOL PostMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* w = W(hWnd);
    if (!AfxIsLiveWidget(w))
        return FALSE;
    // The widget is the context: the message is dropped if it dies first.
    QMetaObject::invokeMethod(
        w, [hWnd, message, wParam, lParam]() { ::SendMessage(hWnd, message, wParam, lParam); },
        Qt::QueuedConnection);
    return TRUE;
}

LRESULT AfxDefWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    QWidget* w = W(hWnd);
    if (!AfxIsLiveWidget(w))
        return 0;
    if (AfxWidgetProc proc = g_widgetProcs.value(w, nullptr)) {
        LRESULT r = 0;
        if (proc(w, message, wParam, lParam, &r))
            return r;
    }
    switch (message) {
    case WM_SETTEXT:
        AfxSetWidgetText(w, FromAnsi(reinterpret_cast<LPCSTR>(lParam)));
        return TRUE;
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<char*>(lParam);
        int max = int(wParam);
        if (!buffer || max <= 0)
            return 0;
        QByteArray t = ToAnsi(AfxWidgetText(w));
        int n = std::min<int>(int(t.size()), max - 1);
        if (n < t.size())
            while (n > 0 && (static_cast<unsigned char>(t[n]) & 0xC0) == 0x80)
                --n;
        std::memcpy(buffer, t.constData(), std::size_t(n));
        buffer[n] = '\0';
        return n;
    }
    case WM_SETICON: {
        const char* prop = wParam == ICON_BIG ? kIconBigProperty : kIconSmallProperty;
        auto old = reinterpret_cast<HICON>(w->property(prop).value<quintptr>());
        auto hIcon = reinterpret_cast<HICON>(lParam);
        w->setProperty(prop, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(hIcon)));
        // Qt keeps one icon per window: the big one wins, the small one stands in.
        auto big = reinterpret_cast<HICON>(w->property(kIconBigProperty).value<quintptr>());
        auto small = reinterpret_cast<HICON>(w->property(kIconSmallProperty).value<quintptr>());
        HICON shown = big ? big : small;
        if (shown && AfxIconFromHandle(shown))
            w->setWindowIcon(*AfxIconFromHandle(shown));
        else if (!shown)
            w->setWindowIcon(QIcon());
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_SETREDRAW:
        w->setUpdatesEnabled(wParam != 0);
        if (auto* target = dynamic_cast<AfxRedrawTarget*>(w))
            target->RedrawChanged(wParam != 0);
        if (wParam)
            w->update();
        return 0;
    case WM_SETFONT:
        w->setProperty(kFontProperty, QVariant::fromValue<quintptr>(quintptr(wParam)));
        AfxApplyFont(w, reinterpret_cast<HFONT>(wParam));
        return 0;
    case WM_CLOSE:
        if (AfxIsDialogWidget(w)) {
            // The dialog manager turns a close into Cancel.
            HWND hCancel = ::GetDlgItem(hWnd, int(IDCANCEL));
            if (!hCancel || ::IsWindowEnabled(hCancel))
                ::SendMessage(hWnd, WM_COMMAND, MAKELONG(WORD(IDCANCEL), WORD(BN_CLICKED)), reinterpret_cast<LPARAM>(hCancel));
        } else {
            ::DestroyWindow(hWnd);
        }
        return 0;
    case WM_SYSCOMMAND:
        switch (UINT(wParam) & 0xFFF0) {
        case SC_MINIMIZE:
            ::ShowWindow(hWnd, SW_MINIMIZE);
            break;
        case SC_RESTORE:
            ::ShowWindow(hWnd, SW_RESTORE);
            break;
        case SC_MAXIMIZE:
            w->showMaximized();
            break;
        case SC_CLOSE:
            ::SendMessage(hWnd, WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
        return 0;
    case WM_HELP:
        // A child passes help on to its parent.
        if (!w->isWindow() && w->parentWidget())
            return ::SendMessage(HandleFromWidget(w->parentWidget()), WM_HELP, wParam, lParam);
        return TRUE;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_SETCURSOR:
        return FALSE;
    default:
        return 0;
    }
}

BOOL IsWindow(HWND hWnd) { return hWnd && AfxIsLiveWidget(W(hWnd)); }

// ---- Timers, message boxes, menus ------------------------------------------------------

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type)
{
    return MessageBoxA(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

HMENU GetMenu(HWND hWnd)
{
    QWidget* w = W(hWnd);
    return AfxIsLiveWidget(w) ? reinterpret_cast<HMENU>(w->property(kMenuProperty).value<quintptr>()) : nullptr;
}

void AfxSetWindowMenu(QWidget* w, HMENU hMenu)
{
    w->setProperty(kMenuProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(hMenu)));
}

CMenu* CWnd::GetMenu() const
{
    HMENU h = ::GetMenu(m_hWnd);
    return h ? CMenu::FromHandle(h) : nullptr;
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const
{
    HMENU h = ::GetSystemMenu(m_hWnd, bRevert);
    return h ? CMenu::FromHandle(h) : nullptr;
}

// ---- Data exchange -------------------------------------------------------------------


// ---- Default handlers -----------------------------------------------------------------

void CWnd::OnDestroy() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
