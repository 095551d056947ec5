#include "platform/TestHooks.h"

#include "platform/Internal.h"
#include "platform/KeyMap.h"
#include "platform/QtHandles.h"
#include "platform/TextCodec.h"
#include "platform/Wnd.h"
#include "platform/WndCore.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

#include <deque>
#include <utility>

namespace {

std::deque<std::pair<AfxModalAction, void*>> g_modalActions;

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

} // namespace

void AfxRunQueuedModalAction(HWND hDlg)
{
    if (g_modalActions.empty())
        return;
    auto [action, context] = g_modalActions.front();
    g_modalActions.pop_front();
    // Runs inside the dialog's own loop, as a user would act on it.
    QMetaObject::invokeMethod(
        WidgetFromHandle(hDlg), [hDlg, action = action, context = context]() { action(hDlg, context); },
        Qt::QueuedConnection);
}

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

HWND FocusWindow() { return AfxFocusWindow(); }

void EnableMessageBoxHook(bool enable)
{
    AfxMessageBoxHook().enabled = enable;
    if (!enable)
        AfxMessageBoxHook().answers.clear();
}

void QueueMessageBoxAnswer(int id) { AfxMessageBoxHook().answers.push_back(id); }

const std::vector<MessageBoxRecord>& MessageBoxes() { return AfxMessageBoxHook().records; }

void ClearMessageBoxes()
{
    AfxMessageBoxHook().records.clear();
    AfxMessageBoxHook().answers.clear();
}

void QueueModalDialogAction(void (*action)(HWND hDlg, void* context), void* context)
{
    if (action)
        g_modalActions.emplace_back(action, context);
}

bool IsForeground(HWND hWnd) { return AfxIsForeground(hWnd); }

UINT IconId(HICON hIcon) { return AfxIconResourceId(hIcon); }

} // namespace testhooks
