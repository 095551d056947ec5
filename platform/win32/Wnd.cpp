// CWnd over real windows: the map from HWND to CWnd, the window procedure
// that routes messages into message maps, and the thin calls on the handle.

#include "platform/Wnd.h"

#include "platform/DataExchange.h"
#include "platform/FileWatch.h"
#include "platform/Font.h"
#include "platform/Menu.h"
#include "platform/WinApp.h"
#include "platform/portable/MessageDispatch.h"
#include "platform/win32/Internal.h"
#include "platform/win32/Seams.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace {

struct Hooked {
    CWnd* wnd = nullptr;
    WNDPROC super = nullptr;  // the procedure AfxWndProc stands in front of
};

std::unordered_map<HWND, Hooked> g_permanent;
std::unordered_map<HWND, CWnd*> g_temporary;
std::vector<MSG> g_msgStack;

struct MessageScope {
    MessageScope(HWND h, UINT m, WPARAM wp, LPARAM lp)
    {
        MSG msg{};
        msg.hwnd = h;
        msg.message = m;
        msg.wParam = wp;
        msg.lParam = lp;
        g_msgStack.push_back(msg);
    }
    ~MessageScope() { g_msgStack.pop_back(); }
    MessageScope(const MessageScope&) = delete;
    MessageScope& operator=(const MessageScope&) = delete;
};

}  // namespace

WNDPROC AfxSuperWndProc(HWND hWnd)
{
    auto it = g_permanent.find(hWnd);
    return it != g_permanent.end() ? it->second.super : nullptr;
}

void AfxHookWindow(CWnd* pWnd, HWND hWnd)
{
    Hooked& h = g_permanent[hWnd];
    h.wnd = pWnd;
    auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
    if (current != AfxWndProc) {
        h.super = current;
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
    }
    pWnd->m_hWnd = hWnd;
}

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto it = g_permanent.find(hWnd);
    if (it == g_permanent.end() || !it->second.wnd)
        return DefWindowProcW(hWnd, message, wParam, lParam);
    CWnd* pWnd = it->second.wnd;
    const WNDPROC super = it->second.super;
    // The clock was set, or the machine woke: due times are checked against
    // the clock at once. The taskbar was (re)started: the tray icon is added
    // again.
    static const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
    if (message == WM_TIMECHANGE)
        AfxTimeChanged(hWnd);
    else if (message == WM_POWERBROADCAST && (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND))
        AfxResumed(hWnd);
    else if (message == taskbarCreated)
        AfxRefreshTray();
    LRESULT result = 0;
    {
        MessageScope scope(hWnd, message, wParam, lParam);
        result = pWnd->WindowProc(message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        AfxNoteTimer(hWnd, 0, 0, false);
        AfxWatchFile(hWnd, nullptr, 0);
        // The window is gone: its CWnd lets go of it, and may delete itself.
        auto gone = g_permanent.find(hWnd);
        if (gone != g_permanent.end() && gone->second.wnd == pWnd) {
            if (super && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) == AfxWndProc)
                SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(super));
            g_permanent.erase(gone);
            pWnd->m_hWnd = nullptr;
            // The end of the main window is the end of the program, as in MFC.
            CWinApp* app = AfxGetApp();
            if (app && app->m_pMainWnd == pWnd) {
                app->m_pMainWnd = nullptr;
                ::PostQuitMessage(0);
            }
            pWnd->PostNcDestroy();
        }
    }
    return result;
}

void AfxDeleteTemporaryWnds()
{
    for (auto& [h, t] : g_temporary) {
        t->m_hWnd = nullptr;
        delete t;
    }
    g_temporary.clear();
}

bool AfxIsTopLevelWindow(HWND hWnd) { return !(GetWindowLongPtrW(hWnd, GWL_STYLE) & WS_CHILD); }

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }
const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

CWnd::CWnd() = default;

CWnd::~CWnd()
{
    if (!m_hWnd)
        return;
    auto it = g_permanent.find(m_hWnd);
    if (it == g_permanent.end() || it->second.wnd != this)
        return;  // a temporary wrapper never owns its window
    // A window that outlives its object would call into freed memory.
    if (!(GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD) && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
    if (m_hWnd)
        Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = g_permanent.find(hWnd);
    return it != g_permanent.end() ? it->second.wnd : nullptr;
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd))
        return p;
    if (auto it = g_temporary.find(hWnd); it != g_temporary.end())
        return it->second;
    if (!::IsWindow(hWnd))
        return nullptr;
    auto* t = new CWnd;
    t->m_hWnd = hWnd;
    g_temporary.emplace(hWnd, t);
    return t;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (!hWnd || m_hWnd || !::IsWindow(hWnd) || g_permanent.count(hWnd))
        return FALSE;
    AfxHookWindow(this, hWnd);
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (auto it = g_permanent.find(h); h && it != g_permanent.end() && it->second.wnd == this) {
        if (it->second.super && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC)) == AfxWndProc)
            SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(it->second.super));
        g_permanent.erase(it);
    }
    m_hWnd = nullptr;
    return h;
}


LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_hWnd)
        return 0;
    if (WNDPROC super = AfxSuperWndProc(m_hWnd))
        return CallWindowProcW(super, m_hWnd, message, wParam, lParam);
    return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    if (g_msgStack.empty())
        return 0;
    const MSG m = g_msgStack.back();
    return DefWindowProc(m.message, m.wParam, m.lParam);
}

const MSG* CWnd::GetCurrentMessage()
{
    static MSG none{};
    return g_msgStack.empty() ? &none : &g_msgStack.back();
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}
BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

BOOL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg)
{
    if (!pMsg)
        return FALSE;
    for (HWND h = pMsg->hwnd; h; h = ::GetParent(h)) {
        if (CWnd* p = FromHandlePermanent(h))
            if (p->PreTranslateMessage(pMsg))
                return TRUE;
        if (h == hWndStop || !(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD))
            break;
    }
    return FALSE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}


// ---- State ----------------------------------------------------------------------------

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* CWnd::GetCapture() { return FromHandle(::GetCapture()); }
void CWnd::SetRedraw(BOOL bRedraw) { ::SendMessageW(m_hWnd, WM_SETREDRAW, bRedraw, 0); }
void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }

// ---- Text, font, icon --------------------------------------------------------------------

void CWnd::SetWindowText(LPCSTR text) { ::SetWindowTextW(m_hWnd, AfxWide(text ? text : "").c_str()); }

void CWnd::GetWindowText(CString& text) const
{
    const int n = ::GetWindowTextLengthW(m_hWnd);
    std::wstring w(std::size_t(n) + 1, L'\0');
    const int got = ::GetWindowTextW(m_hWnd, w.data(), n + 1);
    w.resize(std::size_t(got > 0 ? got : 0));
    text = AfxNarrow(w).c_str();
}

int CWnd::GetWindowText(LPSTR buffer, int maxCount) const
{
    if (!buffer || maxCount <= 0)
        return 0;
    CString text;
    GetWindowText(text);
    lstrcpynA(buffer, text, maxCount);
    return int(std::strlen(buffer));
}

int CWnd::GetWindowTextLength() const
{
    CString text;
    GetWindowText(text);
    return text.GetLength();
}

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->m_hObject : nullptr), bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(
        ::SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

// ---- Geometry -----------------------------------------------------------------------------

void CWnd::GetClientRect(LPRECT rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::GetWindowRect(LPRECT rect) const { ::GetWindowRect(m_hWnd, rect); }
void CWnd::ScreenToClient(LPRECT rect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(rect), 2); }
void CWnd::ScreenToClient(POINT* point) const { ::ScreenToClient(m_hWnd, point); }

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, width, height, bRepaint);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner)
{
    RECT self{};
    ::GetWindowRect(m_hWnd, &self);
    HWND hOwner = pAlternateOwner ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    RECT area{};
    HMONITOR monitor = MonitorFromWindow(hOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    area = info.rcWork;
    RECT around = area;
    // An owner that is hidden or iconic is no place to centre on.
    if (hOwner && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
        ::GetWindowRect(hOwner, &around);
    const int w = self.right - self.left;
    const int h = self.bottom - self.top;
    int x = (around.left + around.right) / 2 - w / 2;
    int y = (around.top + around.bottom) / 2 - h / 2;
    x = std::max<int>(area.left, std::min<int>(x, area.right - w));
    y = std::max<int>(area.top, std::min<int>(y, area.bottom - h));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DWORD CWnd::GetStyle() const { return DWORD(GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }

// ---- Children -------------------------------------------------------------------------------

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

void CWnd::SetDlgItemText(int nID, LPCSTR text)
{
    ::SetDlgItemTextW(m_hWnd, nID, AfxWide(text ? text : "").c_str());
}

int CWnd::GetDlgItemText(int nID, CString& text) const
{
    text.Empty();
    if (CWnd* item = GetDlgItem(nID))
        item->GetWindowText(text);
    return text.GetLength();
}

void CWnd::CheckDlgButton(int nID, UINT nCheck) { ::CheckDlgButton(m_hWnd, nID, nCheck); }
UINT CWnd::IsDlgButtonChecked(int nID) const { return ::IsDlgButtonChecked(m_hWnd, nID); }

// ---- Timers, message boxes, menus -----------------------------------------------------------

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void*)
{
    const UINT_PTR id = ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
    if (id)
        AfxNoteTimer(m_hWnd, nIDEvent, nElapse, true);
    return id;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent)
{
    AfxNoteTimer(m_hWnd, nIDEvent, 0, false);
    return ::KillTimer(m_hWnd, nIDEvent);
}

int CWnd::MessageBox(LPCSTR text, LPCSTR caption, UINT type)
{
    return ::MessageBoxA(m_hWnd, text, caption ? caption : AfxGetAppName(), type);
}

CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
CMenu* CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }

// ---- Default handlers -------------------------------------------------------------------------

void CWnd::OnDestroy() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
