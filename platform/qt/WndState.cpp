// A window's text, icons and font, and its state: shown, enabled, active,
// focused, captured.

#include "platform/Wnd.h"

#include "platform/Font.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/qt/WndCore.h"
#include "platform/qt/WndMap.h"

#include <QApplication>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

#include <vector>

using namespace afxwnd;

namespace {

QWidget* FocusWidget()
{
    // While a modal window runs, the keyboard is its, even before the window
    // manager has made it the active one.
    if (QWidget* m = AfxTopModalWindow(); m && m->focusWidget())
        return m->focusWidget();
    if (QWidget* f = QApplication::focusWidget())
        return f;
    if (QWidget* a = QApplication::activeWindow())
        return a->focusWidget();
    if (g_lastForeground)
        return g_lastForeground->focusWidget();
    return nullptr;
}

}  // namespace

// ---- Text ------------------------------------------------------------------------

QString AfxWidgetText(const QWidget* w)
{
    if (!w)
        return QString();
    if (w->isWindow())
        return w->windowTitle();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* pe = qobject_cast<const QPlainTextEdit*>(w))
        return pe->toPlainText();
    if (auto* te = qobject_cast<const QTextEdit*>(w))
        return te->toPlainText();
    QVariant v = w->property("text");
    return v.isValid() ? v.toString() : QString();
}

void AfxSetWidgetText(QWidget* w, const QString& text)
{
    if (!w)
        return;
    if (w->isWindow())
        w->setWindowTitle(text);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(text);
    else if (auto* pe = qobject_cast<QPlainTextEdit*>(w))
        pe->setPlainText(text);
    else if (auto* te = qobject_cast<QTextEdit*>(w))
        te->setPlainText(text);
    else
        w->setProperty("text", text);
}

void CWnd::SetWindowText(LPCSTR text)
{
    ::SendMessage(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

int CWnd::GetWindowText(LPSTR buffer, int maxCount) const
{
    return int(::SendMessage(m_hWnd, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

void CWnd::GetWindowText(CString& text) const
{
    if (!m_hWnd) {
        text = "";
        return;
    }
    std::vector<char> buffer(std::size_t(GetWindowTextLength()) + 1 + (g_widgetProcs.contains(W(m_hWnd)) ? 65536 : 0));
    GetWindowText(buffer.data(), int(buffer.size()));
    text = buffer.data();
}

int CWnd::GetWindowTextLength() const
{
    return m_hWnd && AfxIsLiveWidget(W(m_hWnd)) ? int(ToAnsi(AfxWidgetText(W(m_hWnd))).size()) : 0;
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    ::SendMessage(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const
{
    if (!m_hWnd || !AfxIsLiveWidget(W(m_hWnd)))
        return nullptr;
    auto h = reinterpret_cast<HFONT>(W(m_hWnd)->property(kFontProperty).value<quintptr>());
    return h ? CFont::FromHandle(h) : nullptr;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        ::SendMessage(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

// ---- State -----------------------------------------------------------------------

BOOL ShowWindow(HWND hWnd, int nCmdShow)
{
    QWidget* w = W(hWnd);
    if (!AfxIsLiveWidget(w))
        return FALSE;
    BOOL wasVisible = w->isVisible();
    bool top = w->isWindow();
    switch (nCmdShow) {
    case SW_HIDE:
        w->hide();
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        if (top)
            w->showMinimized();
        else
            w->show();
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        if (top && (w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
            w->setWindowState(w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        w->show();
        if (top)
            w->activateWindow();
        break;
    default:
        w->show();
        if (top)
            w->activateWindow();
        break;
    }
    return wasVisible;
}

BOOL IsWindowVisible(HWND hWnd)
{
    QWidget* w = W(hWnd);
    return AfxIsLiveWidget(w) && w->isVisible();
}

BOOL IsWindowEnabled(HWND hWnd)
{
    QWidget* w = W(hWnd);
    return AfxIsLiveWidget(w) && w->isEnabled() && !AfxIsModalDisabled(w);
}

BOOL SetForegroundWindow(HWND hWnd)
{
    QWidget* w = W(hWnd);
    if (!AfxIsLiveWidget(w))
        return FALSE;
    QWidget* top = w->window();
    top->raise();
    top->activateWindow();
    g_lastForeground = top;
    return top->isVisible();
}

bool AfxIsForeground(HWND hWnd)
{
    QWidget* w = W(hWnd);
    if (!AfxIsLiveWidget(w) || !w->window()->isVisible())
        return false;
    QWidget* top = w->window();
    QWidget* active = QApplication::activeWindow();
    return active ? active == top : g_lastForeground == top;
}

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }

BOOL CWnd::EnableWindow(BOOL bEnable)
{
    QWidget* w = W(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return FALSE;
    BOOL wasDisabled = !w->isEnabled();
    w->setEnabled(bEnable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsIconic() const
{
    QWidget* w = W(m_hWnd);
    return AfxIsLiveWidget(w) && w->isWindow() && w->isMinimized();
}

BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }

void CWnd::BringWindowToTop()
{
    QWidget* w = W(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return;
    w->window()->raise();
    w->window()->activateWindow();
}

CWnd* CWnd::SetActiveWindow()
{
    CWnd* prev = GetActiveWindow();
    if (QWidget* w = W(m_hWnd); AfxIsLiveWidget(w))
        w->window()->activateWindow();
    return prev;
}

CWnd* CWnd::SetFocus()
{
    CWnd* prev = GetFocus();
    if (QWidget* w = W(m_hWnd); AfxIsLiveWidget(w))
        w->setFocus(Qt::OtherFocusReason);
    return prev;
}

CWnd* CWnd::GetFocus() { return FromHandle(HandleFromWidget(FocusWidget())); }

HWND AfxFocusWindow() { return HandleFromWidget(FocusWidget()); }

CWnd* CWnd::GetActiveWindow()
{
    QWidget* a = QApplication::activeWindow();
    return a ? FromHandle(HandleFromWidget(a)) : nullptr;
}

CWnd* CWnd::SetCapture()
{
    CWnd* prev = GetCapture();
    QWidget* w = W(m_hWnd);
    if (AfxIsLiveWidget(w)) {
        if (g_capture && g_capture != w)
            ReleaseCapture();
        g_capture = w;
        if (w->isVisible())
            w->grabMouse();
    }
    return prev;
}

CWnd* CWnd::GetCapture()
{
    return g_capture && AfxIsLiveWidget(g_capture) ? FromHandle(HandleFromWidget(g_capture)) : nullptr;
}

BOOL ReleaseCapture()
{
    QPointer<QWidget> old = g_capture;
    g_capture = nullptr;
    if (old && AfxIsLiveWidget(old)) {
        old->releaseMouse();
        ::SendMessage(HandleFromWidget(old), WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

void CWnd::SetRedraw(BOOL bRedraw) { ::SendMessage(m_hWnd, WM_SETREDRAW, WPARAM(bRedraw), 0); }

void CWnd::Invalidate(BOOL)
{
    if (QWidget* w = W(m_hWnd); AfxIsLiveWidget(w))
        w->update();
}
