#pragma once
// CWnd: a window or control, reached through its HWND. Messages go through
// WindowProc -> OnWndMsg (message maps) -> DefWindowProc, as in MFC.

#include "platform/CString.h"
#include "platform/CmdTarget.h"
#include "platform/Win32.h"

class CDataExchange;
class CMenu;
class CFont;

class CWnd : public CCmdTarget {
public:
    CWnd();
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The CWnd attached to hWnd; for a window without one, a temporary wrapper
    // that lives until the next idle moment (as MFC's temporary map).
    static CWnd* FromHandle(HWND hWnd);
    // The attached CWnd only, or null.
    static CWnd* FromHandlePermanent(HWND hWnd);

    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    virtual void PreSubclassWindow();

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual void PostNcDestroy();
    virtual BOOL DestroyWindow();
    // Default processing of the message being handled now.
    LRESULT Default();
    // The message currently dispatched on this thread (valid inside a handler).
    static const MSG* GetCurrentMessage();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Data exchange.
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // State.
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsIconic() const;
    BOOL SetForegroundWindow();
    void BringWindowToTop();
    CWnd* SetActiveWindow();
    CWnd* SetFocus();
    static CWnd* GetFocus();
    static CWnd* GetActiveWindow();
    CWnd* SetCapture();
    static CWnd* GetCapture();
    void SetRedraw(BOOL bRedraw = TRUE);
    void Invalidate(BOOL bErase = TRUE);

    // Text, font, icon.
    void SetWindowText(LPCSTR text);
    int GetWindowText(LPSTR buffer, int maxCount) const;
    void GetWindowText(CString& text) const;
    int GetWindowTextLength() const;
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);

    // Geometry (pixels).
    void GetClientRect(LPRECT rect) const;
    void GetWindowRect(LPRECT rect) const;
    void ScreenToClient(LPRECT rect) const;
    void ScreenToClient(POINT* point) const;
    void MoveWindow(int x, int y, int width, int height, BOOL bRepaint = TRUE);
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

    // Styles.
    DWORD GetStyle() const;

    // Children.
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    void SetDlgItemText(int nID, LPCSTR text);
    int GetDlgItemText(int nID, CString& text) const;
    void CheckDlgButton(int nID, UINT nCheck);
    UINT IsDlgButtonChecked(int nID) const;

    // Timers: WM_TIMER through the message map; any 32-bit period.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // Message box owned by this window; caption defaults to the application name.
    int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

    // Menus.
    CMenu* GetMenu() const;
    CMenu* GetSystemMenu(BOOL bRevert) const;

    // Default handlers, reached when a derived class names them in its map and
    // calls the base: each does the default processing of its message.
    void OnDestroy();
    void OnSize(UINT nType, int cx, int cy);
    void OnTimer(UINT_PTR nIDEvent);
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    // Walks PreTranslateMessage from the window of pMsg up to this one.
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);

protected:
    DECLARE_MESSAGE_MAP()
};

#ifndef _WIN32
// The Win32 calls on handles.
LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
BOOL PostMessage(HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
BOOL IsWindow(HWND hWnd);
BOOL IsWindowVisible(HWND hWnd);
BOOL IsWindowEnabled(HWND hWnd);
BOOL ShowWindow(HWND hWnd, int nCmdShow);
BOOL DestroyWindow(HWND hWnd);
BOOL SetForegroundWindow(HWND hWnd);
HWND GetDlgItem(HWND hDlg, int nID);
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT nElapse, void* lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR nIDEvent);
BOOL ReleaseCapture();
UINT RegisterWindowMessageA(LPCSTR name);
DWORD GetTickCount();
#endif
