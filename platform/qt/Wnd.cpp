// Windows as widgets: the handle map that ties each CWnd to its widget, the
// bridge that turns a control's input events into window messages, key
// routing and destruction.

#include "platform/Wnd.h"

#include "platform/WinApp.h"
#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"
#include "platform/qt/WndMap.h"

#include <QApplication>
#include <QEventLoop>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QSet>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

using namespace afxwnd;

namespace afxwnd {

QHash<QWidget*, CWnd*> g_permanent;
QSet<QWidget*> g_dead;
QHash<QWidget*, AfxWidgetProc> g_widgetProcs;
std::vector<MSG> g_msgStack;
QPointer<QWidget> g_capture;
QPointer<QWidget> g_lastForeground;

}  // namespace afxwnd

namespace {

QHash<QWidget*, CWnd*> g_temporary;
QSet<QWidget*> g_tracked;

void OnWidgetGone(QWidget* w)
{
    g_tracked.remove(w);
    g_dead.remove(w);
    g_widgetProcs.remove(w);
    if (CWnd* p = g_permanent.take(w))
        p->m_hWnd = nullptr;
    if (CWnd* t = g_temporary.take(w)) {
        t->m_hWnd = nullptr;
        delete t;
    }
}

void Track(QWidget* w)
{
    if (g_tracked.contains(w))
        return;
    g_tracked.insert(w);
    QObject::connect(w, &QObject::destroyed, [w]() { OnWidgetGone(w); });
}

void CollectDescendants(QWidget* root, std::vector<QWidget*>& controls, std::vector<QWidget*>& windows)
{
    for (QObject* o : root->children()) {
        auto* c = qobject_cast<QWidget*>(o);
        if (!c)
            continue;
        if (c->isWindow()) {
            windows.push_back(c);
            continue;
        }
        controls.push_back(c);
        CollectDescendants(c, controls, windows);
    }
}

// A control's mouse, focus and key events reach its CWnd as window messages,
// for the controls whose class handles them in its message map (a hyperlink
// on a static, for example); the widget keeps every event nobody handles.
class InputBridge : public QObject {
public:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        auto* w = qobject_cast<QWidget*>(o);
        CWnd* p = w ? g_permanent.value(w, nullptr) : nullptr;
        if (!p)
            return false;
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        auto point = [](const QPoint& pt) { return LPARAM(MAKELONG(WORD(pt.x()), WORD(pt.y()))); };
        switch (e->type()) {
        case QEvent::MouseMove:
            message = WM_MOUSEMOVE;
            lParam = point(static_cast<QMouseEvent*>(e)->position().toPoint());
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() != Qt::LeftButton)
                return false;
            message = e->type() == QEvent::MouseButtonPress ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            lParam = point(me->position().toPoint());
            break;
        }
        case QEvent::Leave:
            // Under the capture Windows reports the pointer outside; Qt
            // reports the leaving itself.
            if (g_capture != w)
                return false;
            message = WM_MOUSEMOVE;
            lParam = point(QPoint(-1, -1));
            break;
        case QEvent::Enter:
            message = WM_SETCURSOR;
            wParam = reinterpret_cast<WPARAM>(HandleFromWidget(w));
            lParam = LPARAM(MAKELONG(WORD(1 /* HTCLIENT */), WORD(WM_MOUSEMOVE)));
            break;
        case QEvent::FocusIn:
            message = WM_SETFOCUS;
            break;
        case QEvent::FocusOut:
            message = WM_KILLFOCUS;
            break;
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(e);
            message = WM_KEYDOWN;
            wParam = WPARAM(AfxVirtualKeyFromQtKey(ke->key(), int(ke->modifiers())));
            if (!wParam)
                return false;
            break;
        }
        default:
            return false;
        }
        QPointer<QWidget> guard = w;
        BOOL handled = FALSE;
        {
            MessageScope scope(HandleFromWidget(w), message, wParam, lParam);
            LRESULT result = 0;
            handled = p->OnWndMsg(message, wParam, lParam, &result);
        }
        if (!guard)
            return true;
        // Focus changes still take place in the widget; the rest was handled.
        return handled && e->type() != QEvent::FocusIn && e->type() != QEvent::FocusOut && e->type() != QEvent::Enter &&
               e->type() != QEvent::Leave;
    }
};

InputBridge* Bridge()
{
    static auto* bridge = new InputBridge;
    return bridge;
}

}  // namespace

// ---- Handles and the window map ----------------------------------------------

bool AfxIsLiveWidget(const QWidget* w)
{
    if (!w)
        return false;
    auto* mw = const_cast<QWidget*>(w);
    if (g_dead.contains(mw))
        return false;
    if (g_tracked.contains(mw))
        return true;
    if (!qApp || !QApplication::allWidgets().contains(mw))
        return false;
    Track(mw);
    return true;
}

void AfxSetWidgetProc(QWidget* w, AfxWidgetProc proc)
{
    if (!w)
        return;
    Track(w);
    if (proc)
        g_widgetProcs.insert(w, proc);
    else
        g_widgetProcs.remove(w);
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    QWidget* w = W(m_hWnd);
    if (g_permanent.value(w) != this)
        return;  // a temporary wrapper never owns its window
    if (w->isWindow() && AfxIsLiveWidget(w))
        ::DestroyWindow(m_hWnd);
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? g_permanent.value(W(hWnd), nullptr) : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    QWidget* w = W(hWnd);
    if (CWnd* p = g_permanent.value(w, nullptr))
        return p;
    if (CWnd* t = g_temporary.value(w, nullptr))
        return t;
    if (!AfxIsLiveWidget(w))
        return nullptr;
    auto* t = new CWnd;
    t->m_hWnd = hWnd;
    g_temporary.insert(w, t);
    return t;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd || !AfxIsLiveWidget(W(hWnd)))
        return FALSE;
    QWidget* w = W(hWnd);
    if (g_permanent.contains(w))
        return FALSE;
    Track(w);
    g_permanent.insert(w, this);
    m_hWnd = hWnd;
    if (!w->isWindow()) {
        w->installEventFilter(Bridge());
        // A static sees the pointer move only with tracking on.
        if (qobject_cast<QLabel*>(w))
            w->setMouseTracking(true);
    }
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h && g_permanent.value(W(h)) == this) {
        g_permanent.remove(W(h));
        if (AfxIsLiveWidget(W(h)))
            W(h)->removeEventFilter(Bridge());
    }
    m_hWnd = nullptr;
    return h;
}


// ---- Key routing and destruction -----------------------------------------------------------

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    if (!pMsg)
        return FALSE;
    for (QWidget* w = W(pMsg->hwnd); w && AfxIsLiveWidget(w); w = w->parentWidget()) {
        if (CWnd* p = FromHandlePermanent(HandleFromWidget(w)))
            if (p->PreTranslateMessage(pMsg))
                return TRUE;
        if (HandleFromWidget(w) == hWndStop || w->isWindow())
            break;
    }
    return FALSE;
}

BOOL DestroyWindow(HWND hWnd)
{
    QWidget* w = W(hWnd);
    if (!AfxIsLiveWidget(w))
        return FALSE;
    std::vector<QWidget*> controls, windows;
    CollectDescendants(w, controls, windows);
    // Owned windows go first, as in Win32.
    for (QWidget* owned : windows)
        if (AfxIsLiveWidget(owned))
            DestroyWindow(HandleFromWidget(owned));
    // A modal loop running for this window ends with it.
    if (auto* loop = reinterpret_cast<QEventLoop*>(w->property(kModalLoopProperty).value<quintptr>()))
        loop->quit();

    CWinApp* app = AfxGetApp();
    bool isMain = app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd == hWnd;

    std::vector<QPointer<QWidget>> all;
    all.emplace_back(w);
    for (QWidget* c : controls)
        all.emplace_back(c);
    for (auto& c : all) {
        if (!c)
            continue;
        AfxKillWindowTimers(HandleFromWidget(c));
        AfxReleaseWindowHotKeys(HandleFromWidget(c));
    }
    if (g_capture && std::find(all.begin(), all.end(), g_capture) != all.end())
        ReleaseCapture();
    for (auto& c : all)
        if (c)
            ::SendMessage(HandleFromWidget(c), WM_DESTROY, 0, 0);
    if (isMain)
        app->m_pMainWnd = nullptr;
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (*it)
            ::SendMessage(HandleFromWidget(*it), WM_NCDESTROY, 0, 0);
    for (auto& c : all) {
        if (!c)
            continue;
        g_dead.insert(c);
        if (CWnd* t = g_temporary.take(c)) {
            t->m_hWnd = nullptr;
            delete t;
        }
        if (CWnd* p = g_permanent.take(c))
            p->m_hWnd = nullptr;
    }
    if (g_lastForeground == w)
        g_lastForeground = nullptr;
    if (QPointer<QWidget> guard = w) {
        w->hide();
        w->deleteLater();
    }
    // The message loop ends with the main window; a program that drives the
    // events itself (the tests) has no loop to end, and Qt would otherwise
    // end every later loop at once.
    if (isMain && AfxMainLoopRunning())
        QCoreApplication::exit(0);
    return TRUE;
}

DWORD GetTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return DWORD(std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u);
}
