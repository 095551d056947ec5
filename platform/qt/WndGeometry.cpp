// A window's place and size, its styles, and its children.

#include "platform/Wnd.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"
#include "platform/qt/WndMap.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

using namespace afxwnd;

namespace {

// Origin of the client area inside the widget (below a dialog's menu bar).
QPoint ClientOrigin(const QWidget* w) { return w->contentsRect().topLeft(); }

}  // namespace

// ---- Geometry ---------------------------------------------------------------------

void CWnd::GetClientRect(LPRECT rect) const
{
    if (!rect)
        return;
    *rect = RECT{};
    QWidget* w = W(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return;
    QRect r = w->contentsRect();
    rect->right = r.width();
    rect->bottom = r.height();
}

void CWnd::GetWindowRect(LPRECT rect) const
{
    if (!rect)
        return;
    *rect = RECT{};
    QWidget* w = W(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return;
    QRect r = w->isWindow() ? w->frameGeometry() : QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
    rect->left = r.left();
    rect->top = r.top();
    rect->right = r.left() + r.width();
    rect->bottom = r.top() + r.height();
}

void CWnd::ScreenToClient(POINT* point) const
{
    QWidget* w = W(m_hWnd);
    if (!point || !AfxIsLiveWidget(w))
        return;
    QPoint p = w->mapFromGlobal(QPoint(point->x, point->y)) - ClientOrigin(w);
    point->x = p.x();
    point->y = p.y();
}

void CWnd::ScreenToClient(LPRECT rect) const
{
    if (!rect)
        return;
    POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
    ScreenToClient(&a);
    ScreenToClient(&b);
    *rect = RECT{a.x, a.y, b.x, b.y};
}

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL)
{
    QWidget* w = W(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return;
    if (w->isWindow()) {
        // Win32 sizes include the frame.
        QSize extra = w->frameGeometry().size() - w->size();
        w->move(x, y);
        w->resize(std::max(0, width - extra.width()), std::max(0, height - extra.height()));
    } else {
        QPoint origin = w->parentWidget() ? ClientOrigin(w->parentWidget()) : QPoint();
        w->setGeometry(origin.x() + x, origin.y() + y, std::max(0, width), std::max(0, height));
    }
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    QWidget* w = W(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return;
    if (!w->isWindow()) {
        QWidget* p = w->parentWidget();
        if (!p)
            return;
        QRect area = p->contentsRect();
        w->move(area.center() - QPoint(w->width() / 2, w->height() / 2));
        return;
    }
    QWidget* owner = nullptr;
    if (pAlternateOwner && AfxIsLiveWidget(W(pAlternateOwner->m_hWnd)))
        owner = W(pAlternateOwner->m_hWnd)->window();
    else if (w->parentWidget())
        owner = w->parentWidget()->window();
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Over a visible owner, else on the screen.
    QRect area = owner && owner->isVisible() && !owner->isMinimized() ? owner->frameGeometry() : avail;
    QSize frame = w->frameGeometry().size();
    QPoint topLeft = area.center() - QPoint(frame.width() / 2, frame.height() / 2);
    topLeft.setX(std::clamp(topLeft.x(), avail.left(), std::max(avail.left(), avail.right() - frame.width())));
    topLeft.setY(std::clamp(topLeft.y(), avail.top(), std::max(avail.top(), avail.bottom() - frame.height())));
    w->move(topLeft);
}

// ---- Styles ------------------------------------------------------------------------

DWORD CWnd::GetStyle() const
{
    QWidget* w = W(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return 0;
    DWORD style = w->property(kStyleProperty).toUInt() & ~(WS_VISIBLE | WS_DISABLED | WS_MINIMIZE);
    if (!w->isHidden())
        style |= WS_VISIBLE;
    if (!w->isEnabled())
        style |= WS_DISABLED;
    if (w->isWindow() && w->isMinimized())
        style |= WS_MINIMIZE;
    return style;
}

// ---- Children ----------------------------------------------------------------------

HWND GetDlgItem(HWND hDlg, int nID)
{
    QWidget* dlg = W(hDlg);
    if (!AfxIsLiveWidget(dlg))
        return nullptr;
    auto matches = [nID](const QWidget* c) {
        return AfxHasControlId(c) && int(AfxControlId(c)) == nID && !g_dead.contains(const_cast<QWidget*>(c));
    };
    for (QObject* o : dlg->children())
        if (auto* c = qobject_cast<QWidget*>(o); c && !c->isWindow() && matches(c))
            return HandleFromWidget(c);
    for (QWidget* c : dlg->findChildren<QWidget*>())
        if (!c->isWindow() && c->window() == dlg->window() && matches(c))
            return HandleFromWidget(c);
    return nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }

int CWnd::GetDlgCtrlID() const
{
    QWidget* w = W(m_hWnd);
    return AfxIsLiveWidget(w) ? int(AfxControlId(w)) : 0;
}

CWnd* CWnd::GetParent() const
{
    QWidget* w = W(m_hWnd);
    return AfxIsLiveWidget(w) && w->parentWidget() ? FromHandle(HandleFromWidget(w->parentWidget())) : nullptr;
}

void CWnd::SetDlgItemText(int nID, LPCSTR text)
{
    if (HWND h = ::GetDlgItem(m_hWnd, nID))
        ::SendMessage(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
}

int CWnd::GetDlgItemText(int nID, CString& text) const
{
    CWnd* p = GetDlgItem(nID);
    if (!p) {
        text = "";
        return 0;
    }
    p->GetWindowText(text);
    return text.GetLength();
}

void CWnd::CheckDlgButton(int nID, UINT nCheck)
{
    auto* b = qobject_cast<QAbstractButton*>(W(::GetDlgItem(m_hWnd, nID)));
    if (!b)
        return;
    if (auto* cb = qobject_cast<QCheckBox*>(b); cb && nCheck == 2) {
        cb->setTristate(true);
        cb->setCheckState(Qt::PartiallyChecked);
        return;
    }
    b->setChecked(nCheck != 0);
}

UINT CWnd::IsDlgButtonChecked(int nID) const
{
    auto* b = qobject_cast<QAbstractButton*>(W(::GetDlgItem(m_hWnd, nID)));
    if (!b)
        return 0;
    if (auto* cb = qobject_cast<QCheckBox*>(b))
        return cb->checkState() == Qt::PartiallyChecked ? 2 : cb->checkState() == Qt::Checked ? 1
                                                                                              : 0;
    return b->isChecked() ? 1 : 0;
}
