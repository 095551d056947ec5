#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/Font.h"
#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/Menu.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/WinApp.h"
#include "platform/qt/WndCore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QGroupBox>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QSet>
#include <QTextEdit>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

QHash<QWidget*, CWnd*> g_permanent;
QHash<QWidget*, CWnd*> g_temporary;
QSet<QWidget*> g_tracked;
QSet<QWidget*> g_dead;  // destroyed by DestroyWindow, deletion pending
QHash<QWidget*, AfxWidgetProc> g_widgetProcs;
std::vector<MSG> g_msgStack;
QPointer<QWidget> g_capture;
QPointer<QWidget> g_lastForeground;

constexpr const char* kExStyleProperty = "talvoExStyle";
constexpr const char* kIconBigProperty = "talvoIconBig";
constexpr const char* kIconSmallProperty = "talvoIconSmall";
constexpr const char* kFontProperty = "talvoFont";
constexpr const char* kMenuProperty = "talvoMenu";
constexpr const char* kModalLoopProperty = "talvoModalLoop";

QWidget* W(HWND h) { return WidgetFromHandle(h); }

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

struct MessageScope {
    MessageScope(HWND h, UINT m, WPARAM wp, LPARAM lp)
    {
        MSG msg;
        msg.hwnd = h;
        msg.message = m;
        msg.wParam = wp;
        msg.lParam = lp;
        g_msgStack.push_back(msg);
    }
    ~MessageScope() { g_msgStack.pop_back(); }
};

// Origin of the client area inside the widget (below a dialog's menu bar).
QPoint ClientOrigin(const QWidget* w) { return w->contentsRect().topLeft(); }

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


} // namespace

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

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    if (!pParent)
        return FALSE;
    HWND h = ::GetDlgItem(pParent->m_hWnd, int(nID));
    return h ? SubclassWindow(h) : FALSE;
}

void CWnd::PreSubclassWindow() {}

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

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
    } else if (message == WM_NOTIFY) {
        if (!OnNotify(wParam, lParam, &result))
            return FALSE;
    } else {
        const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message, 0, 0);
        if (!e || !e->pfn(this, message, wParam, lParam, &result))
            return FALSE;
    }
    if (pResult)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    // Menus send code 0 and accelerators code 1; both reach ON_COMMAND entries.
    if (lParam == 0 && nCode == 1)
        nCode = 0;
    if (OnCmdMsg(nID, nCode, wParam, lParam))
        return TRUE;
    // Commands nobody in the window handled go to the application, as MFC routes them.
    if (lParam == 0 && m_hWnd && W(m_hWnd)->isWindow())
        if (CWinApp* app = AfxGetApp())
            return app->OnCmdMsg(nID, nCode, wParam, lParam);
    return FALSE;
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    (void)wParam;
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr)
        return FALSE;
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), WM_NOTIFY, UINT(hdr->code), UINT(hdr->idFrom));
    if (!e)
        return FALSE;
    LRESULT result = 0;
    e->pfn(this, WM_NOTIFY, wParam, lParam, &result);
    if (pResult)
        *pResult = result;
    return TRUE;
}

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

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessage(m_hWnd, message, wParam, lParam);
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

HICON CWnd::GetIcon(BOOL bBigIcon) const
{
    if (!m_hWnd || !AfxIsLiveWidget(W(m_hWnd)))
        return nullptr;
    return reinterpret_cast<HICON>(W(m_hWnd)->property(bBigIcon ? kIconBigProperty : kIconSmallProperty).value<quintptr>());
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

HWND GetForegroundWindow()
{
    if (QWidget* a = QApplication::activeWindow())
        return HandleFromWidget(a);
    if (g_lastForeground && AfxIsLiveWidget(g_lastForeground) && g_lastForeground->isVisible())
        return HandleFromWidget(g_lastForeground);
    return nullptr;
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

void CWnd::UpdateWindow()
{
    if (QWidget* w = W(m_hWnd); AfxIsLiveWidget(w) && w->isVisible())
        w->repaint();
}

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

void CWnd::ClientToScreen(POINT* point) const
{
    QWidget* w = W(m_hWnd);
    if (!point || !AfxIsLiveWidget(w))
        return;
    QPoint p = w->mapToGlobal(ClientOrigin(w) + QPoint(point->x, point->y));
    point->x = p.x();
    point->y = p.y();
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

void CWnd::ClientToScreen(LPRECT rect) const
{
    if (!rect)
        return;
    POINT a{rect->left, rect->top}, b{rect->right, rect->bottom};
    ClientToScreen(&a);
    ClientToScreen(&b);
    *rect = RECT{a.x, a.y, b.x, b.y};
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

void CWnd::MoveWindow(LPRECT rect, BOOL bRepaint)
{
    if (rect)
        MoveWindow(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, bRepaint);
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

DWORD CWnd::GetExStyle() const
{
    QWidget* w = W(m_hWnd);
    return AfxIsLiveWidget(w) ? w->property(kExStyleProperty).toUInt() : 0;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT)
{
    QWidget* w = W(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return FALSE;
    DWORD old = w->property(kStyleProperty).toUInt();
    DWORD style = (old & ~remove) | add;
    if (style == old)
        return FALSE;
    w->setProperty(kStyleProperty, style);
    return TRUE;
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

CWnd* CWnd::GetTopLevelParent() const
{
    QWidget* w = W(m_hWnd);
    return AfxIsLiveWidget(w) ? FromHandle(HandleFromWidget(w->window())) : nullptr;
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
        return cb->checkState() == Qt::PartiallyChecked ? 2 : cb->checkState() == Qt::Checked ? 1 : 0;
    return b->isChecked() ? 1 : 0;
}

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

void CWnd::DrawMenuBar()
{
    if (QWidget* w = W(m_hWnd); AfxIsLiveWidget(w))
        w->update();
}

// ---- Data exchange -------------------------------------------------------------------

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

// ---- Default handlers -----------------------------------------------------------------

int CWnd::OnCreate(void*) { return int(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
BOOL CWnd::OnHelpInfo(HELPINFO*) { return BOOL(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return BOOL(Default()); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }

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
