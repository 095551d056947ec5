// CSpinButtonCtrl over the common controls' up-down control, which keeps its
// buddy's number itself (UDS_SETBUDDYINT).

#include "platform/SpinButtonCtrl.h"

#include "platform/win32/Internal.h"

void CSpinButtonCtrl::SetRange32(int nLower, int nUpper)
{
    ::SendMessageW(m_hWnd, UDM_SETRANGE32, WPARAM(nLower), LPARAM(nUpper));
}

void CSpinButtonCtrl::GetRange32(int& nLower, int& nUpper) const
{
    nLower = 0;
    nUpper = 0;
    ::SendMessageW(m_hWnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&nLower), reinterpret_cast<LPARAM>(&nUpper));
}

int CSpinButtonCtrl::SetPos32(int nPos) { return int(::SendMessageW(m_hWnd, UDM_SETPOS32, 0, LPARAM(nPos))); }

int CSpinButtonCtrl::GetPos32(BOOL* pbError) const
{
    BOOL error = TRUE;  // the control sets it; without a control it stays
    const int pos = int(::SendMessageW(m_hWnd, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)));
    if (pbError)
        *pbError = error;
    return pos;
}

CWnd* CSpinButtonCtrl::GetBuddy() const
{
    return CWnd::FromHandle(reinterpret_cast<HWND>(::SendMessageW(m_hWnd, UDM_GETBUDDY, 0, 0)));
}
