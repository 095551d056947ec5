#include "platform/qt/DialogBuilder.h"

#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/Trace.h"
#include "platform/Wnd.h"
#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHideEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMetaObject>
#include <QPixmapCache>
#include <QPointer>
#include <QShowEvent>
#include <QWindowStateChangeEvent>

#include <cstring>

CDialogWidget::CDialogWidget(QWidget* parent, Qt::WindowFlags flags) : QDialog(parent, flags)
{
    setModal(false);
    setSizeGripEnabled(false);
}

void CDialogWidget::SetMenuBar(QMenuBar* bar)
{
    m_pMenuBar = bar;
    if (!bar)
        return;
    bar->setParent(this);
    bar->setNativeMenuBar(false);
    bar->setGeometry(0, 0, width(), bar->sizeHint().height());
    bar->show();
}

void CDialogWidget::closeEvent(QCloseEvent* event)
{
    // The window stays until DestroyWindow; WM_CLOSE decides.
    event->ignore();
    ::SendMessage(HandleFromWidget(this), WM_CLOSE, 0, 0);
}

void CDialogWidget::keyPressEvent(QKeyEvent* event)
{
    // Esc and Enter were offered to PreTranslateMessage already; QDialog must
    // not close the window on its own.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->ignore();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

namespace {

// Qt's pixmap cache flushes itself on a timer while it holds anything. Once
// none of the program's dialogs is active, the pixmaps the style cached go,
// and with them the timer.
void DropPixmapsWhenIdle()
{
    if (!AfxIsDialogWidget(QApplication::activeWindow()))
        QPixmapCache::clear();
}

}  // namespace

void CDialogWidget::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    // The inactive look is painted after this: drop the pixmaps after that.
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        m_bDropPixmaps = true;
        update();
    }
    if (event->type() != QEvent::WindowStateChange)
        return;
    // Reported once the state change is complete (showMinimized shows the
    // window after setting the state), as Win32 reports after iconifying.
    QPointer<CDialogWidget> self(this);
    QMetaObject::invokeMethod(
        this,
        [self]() {
            if (!self)
                return;
            bool minimized = self->isMinimized();
            if (minimized == self->m_bMinimized)
                return;
            self->m_bMinimized = minimized;
            HWND h = HandleFromWidget(self);
            if (minimized) {
                ::SendMessage(h, WM_SIZE, SIZE_MINIMIZED, 0);
            } else {
                QSize client = self->contentsRect().size();
                ::SendMessage(h, WM_SIZE, SIZE_RESTORED, LPARAM(MAKELONG(WORD(client.width()), WORD(client.height()))));
            }
        },
        Qt::QueuedConnection);
}

void CDialogWidget::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // A hidden window has no focus: its edit's caret must stop blinking
    // (and waking the program), whether or not the platform deactivates it.
    if (QWidget* focus = focusWidget(); focus && !event->spontaneous()) {
        m_pHiddenFocus = focus;
        focus->clearFocus();
    }
    QMetaObject::invokeMethod(
        qApp, [] { DropPixmapsWhenIdle(); }, Qt::QueuedConnection);
}

bool CDialogWidget::event(QEvent* event)
{
    const bool result = QDialog::event(event);
    // An update request paints the window and every control in it.
    if (event->type() == QEvent::UpdateRequest && m_bDropPixmaps) {
        m_bDropPixmaps = false;
        DropPixmapsWhenIdle();
    }
    return result;
}

void CDialogWidget::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_pHiddenFocus && !event->spontaneous())
        m_pHiddenFocus->setFocus(Qt::ActiveWindowFocusReason);
    m_pHiddenFocus = nullptr;
}

void CDialogWidget::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_pMenuBar)
        m_pMenuBar->setGeometry(0, 0, width(), m_pMenuBar->height());
}

bool AfxIsDialogWidget(const QWidget* w) { return dynamic_cast<const CDialogWidget*>(w) != nullptr; }

int AfxMulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    long long p = static_cast<long long>(number) * numerator;
    long long half = (denominator > 0 ? denominator : -denominator) / 2;
    long long q = (p >= 0) == (denominator > 0) ? (p + (p >= 0 ? half : -half)) / denominator
                                                : (p - (p >= 0 ? half : -half)) / denominator;
    return static_cast<int>(q);
}

QFont AfxDialogFont(const DialogTemplate& t)
{
    // "MS Sans Serif" does not exist here: the desktop's UI font, a little
    // larger than the template asks, reads like the Windows dialog.
    QFont font = QApplication::font();
    int points = t.pointSize > 0 ? t.pointSize + 1 : 9;
    font.setPointSize(points);
    return font;
}

QFont AfxDialogUnitsFont(const QFont& shown)
{
    // Texts were fitted to MS Sans Serif; the desktop font runs wider for the
    // same average width, so the units come from one point more.
    QFont units = shown;
    units.setPointSizeF(shown.pointSizeF() + 1.0);
    return units;
}

DialogBaseUnits AfxDialogBaseUnits(const QFont& font)
{
    QFontMetrics fm(font);
    int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogBaseUnits u;
    u.cx = (width / 26 + 1) / 2;
    u.cy = fm.height();
    if (u.cx <= 0)
        u.cx = 6;
    if (u.cy <= 0)
        u.cy = 13;
    return u;
}

namespace {

Qt::WindowFlags FlagsFor(const DialogTemplate& t, QWidget* owner)
{
    // A window with its own taskbar button is a normal window; others are
    // dialogs that stay above their owner.
    bool appWindow = !owner && ((t.exStyle & WS_EX_APPWINDOW) || (t.style & WS_MINIMIZEBOX));
    Qt::WindowFlags f = appWindow ? Qt::Window : Qt::Dialog;
    f |= Qt::CustomizeWindowHint;
    if ((t.style & WS_CAPTION) == WS_CAPTION || (t.style & WS_DLGFRAME))
        f |= Qt::WindowTitleHint;
    if (t.style & WS_SYSMENU)
        f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (t.style & WS_MINIMIZEBOX)
        f |= Qt::WindowMinimizeButtonHint;
    if (t.style & WS_MAXIMIZEBOX)
        f |= Qt::WindowMaximizeButtonHint;
    return f;
}

QRect ControlRect(const DialogItemTemplate& item, DialogBaseUnits u, int top)
{
    return QRect(AfxMulDiv(item.x, u.cx, 4), top + AfxMulDiv(item.y, u.cy, 8), AfxMulDiv(item.cx, u.cx, 4),
                 AfxMulDiv(item.cy, u.cy, 8));
}

}  // namespace

CDialogWidget* AfxBuildDialog(const DialogTemplate& t, QWidget* owner, CWnd* pWnd)
{
    auto* dlg = new CDialogWidget(owner, FlagsFor(t, owner));
    dlg->setAttribute(Qt::WA_DeleteOnClose, false);
    dlg->setProperty(kStyleProperty, uint(t.style & ~WS_VISIBLE));
    dlg->setProperty("talvoExStyle", uint(t.exStyle));
    dlg->setProperty(kClassProperty, QByteArray("#32770"));
    dlg->setWindowTitle(FromAnsi(t.caption));
    QFont font = AfxDialogFont(t);
    dlg->setFont(font);
    DialogBaseUnits u = AfxDialogBaseUnits(AfxDialogUnitsFont(font));

    int menuHeight = 0;
    if (t.menuId) {
        if (HMENU hMenu = AfxLoadMenuBar(t.menuId)) {
            auto* bar = static_cast<QMenuBar*>(reinterpret_cast<QWidget*>(hMenu));
            bar->setFont(font);
            dlg->SetMenuBar(bar);
            menuHeight = bar->sizeHint().height();
            AfxSetWindowMenu(dlg, hMenu);
            AfxSetMenuOwner(hMenu, dlg, false);
        } else {
            Trace("Dialog %u: menu %u not found.\n", t.id, t.menuId);
        }
    }
    // The client area keeps the template's size; the menu bar sits above it.
    dlg->setContentsMargins(0, menuHeight, 0, 0);
    QSize client(AfxMulDiv(t.cx, u.cx, 4), AfxMulDiv(t.cy, u.cy, 8));
    QSize total(client.width(), client.height() + menuHeight);
    if (t.style & WS_THICKFRAME)
        dlg->resize(total);
    else
        dlg->setFixedSize(total);

    if (pWnd && !pWnd->Attach(HandleFromWidget(dlg))) {
        delete dlg;
        return nullptr;
    }
    if (pWnd && ::SendMessage(HandleFromWidget(dlg), WM_CREATE, 0, 0) == -1) {
        pWnd->Detach();
        delete dlg;
        return nullptr;
    }

    QWidget* previous = nullptr;
    QWidget* previousControl = nullptr;
    for (const DialogItemTemplate& item : t.items) {
        QWidget* c = AfxCreateControlWidget(item, dlg);
        if (!c) {
            Trace("Dialog %u: control %u of class %s not created.\n", t.id, item.id, item.className);
            continue;
        }
        if (!c->property(kStyleProperty).isValid())
            c->setProperty(kStyleProperty, uint(item.style));
        if (!c->property(kClassProperty).isValid())
            c->setProperty(kClassProperty, QByteArray(item.className));
        c->setProperty("talvoExStyle", uint(item.exStyle));
        AfxSetControlId(c, int(item.id));
        QRect r = ControlRect(item, u, menuHeight);
        // An up-down control with UDS_AUTOBUDDY | UDS_ALIGNRIGHT sits inside
        // the right edge of the control before it, which gives up that room.
        if (std::strcmp(item.className, "msctls_updown32") == 0 && (item.style & UDS_AUTOBUDDY) && previousControl &&
            (item.style & UDS_ALIGNRIGHT)) {
            QRect b = previousControl->geometry();
            int width = std::max(r.width(), 12);
            previousControl->setGeometry(b.x(), b.y(), std::max(0, b.width() - width), b.height());
            r = QRect(b.x() + b.width() - width, b.y(), width, b.height());
        }
        c->setGeometry(r);
        // A style written out in full (with WS_CHILD) is taken literally; a
        // short one gets the resource compiler's defaults (visible, tab stop).
        bool fullStyle = (item.style & WS_CHILD) != 0;
        if (fullStyle && (c->focusPolicy() & Qt::TabFocus) && !(item.style & WS_TABSTOP))
            c->setFocusPolicy(Qt::ClickFocus);
        if (previous)
            QWidget::setTabOrder(previous, c);
        previous = c;
        previousControl = c;
        c->setEnabled(!(item.style & WS_DISABLED));
        c->setVisible(!fullStyle || (item.style & WS_VISIBLE) != 0);
    }
    return dlg;
}
