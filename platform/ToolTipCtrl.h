#pragma once
#include "platform/CString.h"
#include "platform/Wnd.h"

// A tooltip showing a text for tools (windows) of its owner: the toolkit's
// own tooltip of each tool window.
class CToolTipCtrl : public CWnd {
public:
    ~CToolTipCtrl() override;
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    BOOL AddTool(CWnd* pWnd, LPCSTR lpszText = nullptr, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void UpdateTipText(LPCSTR lpszText, CWnd* pWnd, UINT_PTR nIDTool = 0);
    // The toolkit follows the mouse itself; kept for the callers' shape.
    void RelayEvent(LPMSG lpMsg);
    BOOL DestroyWindow() override;

private:
    void Apply();

    HWND m_hOwner = nullptr;
    HWND m_hTool = nullptr;
    CString m_strText;
    bool m_bCreated = false;
    bool m_bActive = true;
};
