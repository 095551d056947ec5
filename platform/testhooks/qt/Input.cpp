// The hooks on windows and input: key presses, clicks, texts and states as
// a person would produce and see them.

#include "platform/testhooks/TestHooks.h"

#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/Wnd.h"
#include "platform/qt/WndCore.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

namespace {

QString KeyText(UINT vk, bool shift)
{
    if (vk >= 'A' && vk <= 'Z')
        return QString(QChar(shift ? char16_t(vk) : char16_t(vk - 'A' + 'a')));
    if (vk >= '0' && vk <= '9' && !shift)
        return QString(QChar(char16_t(vk)));
    if (vk == VK_SPACE)
        return QStringLiteral(" ");
    if (vk == VK_RETURN)
        return QStringLiteral("\r");
    if (vk == VK_ESCAPE)
        return QString(QChar(0x1B));
    if (vk == VK_BACK)
        return QString(QChar(0x08));
    return QString();
}

}  // namespace

namespace testhooks {

void ProcessEvents()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    // Windows destroyed meanwhile go now, unless a modal loop is up.
    if (!AfxInModalState())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void PostCommand(HWND hWnd, UINT nID) { ::SendMessage(hWnd, WM_COMMAND, MAKELONG(WORD(nID), 0), 0); }

void SendKey(HWND hWnd, UINT vk, bool shift, bool ctrl, bool alt)
{
    if (!IsWindow(hWnd))
        return;
    QWidget* w = WidgetFromHandle(hWnd);
    QWidget* target = w;
    if (w->isWindow()) {
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->window() == w)
            target = focus;
        else if (w->focusWidget())
            target = w->focusWidget();
    }
    Qt::KeyboardModifiers mods;
    if (shift)
        mods |= Qt::ShiftModifier;
    if (ctrl)
        mods |= Qt::ControlModifier;
    if (alt)
        mods |= Qt::AltModifier;
    if (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE)
        mods |= Qt::KeypadModifier;
    int key = AfxQtKeyFromVirtualKey(vk);
    if (vk == VK_TAB && shift)
        key = Qt::Key_Backtab;
    QString text = ctrl || alt ? QString() : KeyText(vk, shift);
    QPointer<QWidget> guard(target);
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    if (guard) {
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(target, &release);
    }
}

void ClickClose(HWND hWnd)
{
    if (!IsWindow(hWnd))
        return;
    QWidget* top = WidgetFromHandle(hWnd)->window();
    if (AfxIsDialogWidget(top)) {
        QCloseEvent event;
        QApplication::sendEvent(top, &event);
    } else {
        ::SendMessage(HandleFromWidget(top), WM_CLOSE, 0, 0);
    }
}

void ClickMinimize(HWND hWnd)
{
    if (!IsWindow(hWnd))
        return;
    QWidget* top = WidgetFromHandle(hWnd)->window();
    top->setWindowState((top->windowState() & ~Qt::WindowMaximized) | Qt::WindowMinimized);
}

bool ClickMenuItem(HWND hWnd, UINT nID) { return AfxInvokeMenuItem(hWnd, nID, false); }

bool ClickSystemMenuItem(HWND hWnd, UINT nID) { return AfxInvokeMenuItem(hWnd, nID, true); }

void ClickButton(HWND hButton)
{
    if (!IsWindow(hButton))
        return;
    if (auto* b = qobject_cast<QAbstractButton*>(WidgetFromHandle(hButton)))
        b->click();
}

void TypeText(HWND hEdit, const char* text)
{
    if (!IsWindow(hEdit))
        return;
    QWidget* w = WidgetFromHandle(hEdit);
    QString t = FromAnsi(text ? text : "");
    if (auto* le = qobject_cast<QLineEdit*>(w)) {
        le->setFocus(Qt::OtherFocusReason);
        le->selectAll();
        if (t.isEmpty())
            le->del();
        else
            le->insert(t);
    } else if (auto* pe = qobject_cast<QPlainTextEdit*>(w)) {
        pe->selectAll();
        pe->insertPlainText(t);
    } else if (auto* te = qobject_cast<QTextEdit*>(w)) {
        te->selectAll();
        te->insertPlainText(t);
    } else if (auto* sb = qobject_cast<QAbstractSpinBox*>(w)) {
        sb->selectAll();
        QLineEdit* inner = sb->findChild<QLineEdit*>();
        if (inner)
            inner->insert(t);
    } else {
        ::SendMessage(hEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
    }
}

bool IsChecked(HWND hButton)
{
    if (!IsWindow(hButton))
        return false;
    auto* b = qobject_cast<QAbstractButton*>(WidgetFromHandle(hButton));
    return b && b->isChecked();
}

std::string WindowText(HWND hWnd)
{
    if (!IsWindow(hWnd))
        return std::string();
    return ToAnsi(AfxWidgetText(WidgetFromHandle(hWnd))).toStdString();
}

std::string VisibleEditText(HWND hEdit)
{
    auto* le = qobject_cast<QLineEdit*>(WidgetFromHandle(hEdit));
    if (!IsWindow(hEdit) || !le)
        return std::string();
    le->ensurePolished();
    // From the character boundary nearest the text area's left edge to the
    // one nearest its right edge (Qt keeps two pixels free on either side).
    const QRect area = le->contentsRect().marginsRemoved(le->textMargins()).adjusted(2, 0, -2, 0);
    const int y = area.center().y();
    const int first = le->cursorPositionAt(QPoint(area.left(), y));
    const int last = le->cursorPositionAt(QPoint(area.right(), y));
    return ToAnsi(le->displayText().mid(first, last - first)).toStdString();
}

HWND FocusWindow() { return AfxFocusWindow(); }

bool IsForeground(HWND hWnd) { return AfxIsForeground(hWnd); }

COLORREF TextColor(HWND hWnd)
{
    QWidget* w = WidgetFromHandle(hWnd);
    if (!AfxIsLiveWidget(w))
        return 0;
    const QColor c = w->palette().color(QPalette::WindowText);
    return RGB(c.red(), c.green(), c.blue());
}

std::string ToolTip(HWND hWnd)
{
    QWidget* w = WidgetFromHandle(hWnd);
    return AfxIsLiveWidget(w) ? w->toolTip().toStdString() : std::string();
}

bool IsUnderlined(HWND hWnd)
{
    QWidget* w = WidgetFromHandle(hWnd);
    return AfxIsLiveWidget(w) && w->font().underline();
}

}  // namespace testhooks
