// CToolTipCtrl over the common controls' tooltip. The tooltip watches its
// tools' mouse messages itself (TTF_SUBCLASS), so RelayEvent has nothing to
// add. A tool added without a rectangle is its whole window.

#include "platform/ToolTipCtrl.h"

#include "platform/win32/Internal.h"

namespace {

TTTOOLINFOW ToolInfo(HWND hTool, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_SUBCLASS;
    if (lpRectTool) {
        ti.hwnd = hTool;
        ti.uId = nIDTool;
        ti.rect = *lpRectTool;
    } else {
        ti.uFlags |= TTF_IDISHWND;
        HWND parent = ::GetParent(hTool);
        ti.hwnd = parent ? parent : hTool;
        ti.uId = reinterpret_cast<UINT_PTR>(hTool);
    }
    return ti;
}

bool HasTool(HWND hTip, TTTOOLINFOW ti)
{
    ti.lpszText = nullptr;
    return ::SendMessageW(hTip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&ti)) != 0;
}

}  // namespace

CToolTipCtrl::~CToolTipCtrl() { DestroyWindow(); }

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle)
{
    if (m_hWnd || !pParentWnd || !::IsWindow(pParentWnd->m_hWnd))
        return FALSE;
    // A tip shows a target as it is: an '&' in an address is no mnemonic.
    HWND h = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | dwStyle, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, pParentWnd->m_hWnd, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    // Attached, so that the object learns when its owner takes the tip along.
    if (!h || !Attach(h)) {
        if (h)
            ::DestroyWindow(h);
        return FALSE;
    }
    m_hOwner = pParentWnd->m_hWnd;
    m_bCreated = true;
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCSTR lpszText, LPCRECT lpRectTool, UINT_PTR nIDTool)
{
    if (!m_hWnd || !pWnd || !::IsWindow(pWnd->m_hWnd))
        return FALSE;
    m_strText = lpszText;
    std::wstring text = AfxWide(lpszText ? lpszText : "");
    TTTOOLINFOW ti = ToolInfo(pWnd->m_hWnd, lpRectTool, nIDTool);
    ti.lpszText = text.data();
    if (!::SendMessageW(m_hWnd, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)))
        return FALSE;
    m_hTool = pWnd->m_hWnd;
    return TRUE;
}

void CToolTipCtrl::UpdateTipText(LPCSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool)
{
    if (!m_hWnd || !pWnd || !pWnd->m_hWnd)
        return;
    // The tool by its id when it was added with a rectangle, else by its window.
    RECT none{};
    TTTOOLINFOW ti = ToolInfo(pWnd->m_hWnd, &none, nIDTool);
    if (nIDTool == 0 || !HasTool(m_hWnd, ti))
        ti = ToolInfo(pWnd->m_hWnd, nullptr, 0);
    m_strText = lpszText;
    std::wstring text = AfxWide(lpszText ? lpszText : "");
    ti.lpszText = text.data();
    ::SendMessageW(m_hWnd, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::RelayEvent(LPMSG) {}

BOOL CToolTipCtrl::DestroyWindow()
{
    m_bCreated = false;
    m_hTool = nullptr;
    m_hOwner = nullptr;
    m_strText.Empty();
    return CWnd::DestroyWindow();
}
