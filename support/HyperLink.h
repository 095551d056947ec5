#pragma once
// A static text control made into a link: link colours, underlined, fitted
// to its text, hand cursor, the target as tooltip; a click or the space bar
// opens the target through the shell, with the desktop's web browser as the
// fallback.

#include "platform/Afx.h"

#include <string>
#include <vector>

class CHyperLink : public CStatic {
public:
    CHyperLink();
    ~CHyperLink() override;

    void SetTarget(LPCSTR target);
    void FollowLink();
    // Opens a target through the shell, else with the web browser; a result
    // above 32 means success, otherwise it is the shell's error code.
    static int OpenTarget(LPCSTR target, int showCommand);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // The text colour for the link's state (the WM_CTLCOLOR answer).
    COLORREF CtlColor() const;
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnSetFocus(CWnd* pOldWnd);
    void OnKillFocus(CWnd* pNewWnd);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);

    BOOL m_bActive = FALSE;
    BOOL m_bHot = FALSE;
    BOOL m_bFollowed = FALSE;
    DWORD m_dwOptions = 0x15;
    CString m_strTarget;
    CFont m_font;
    CToolTipCtrl m_tip;

    static const COLORREF s_crLink;
    static const COLORREF s_crActive;
    static const COLORREF s_crFollowed;
    static const COLORREF s_crHot;
    static HCURSOR s_hLinkCursor;

    // The fallback's argument list for a browser command line (Desktop
    // Entry quoting) and a target.
    static std::vector<std::string> BrowserArguments(const std::string& commandLine, const std::string& target);
    // The box text of ShowOpenError.
    static CString OpenErrorText(int code);

protected:
    void PreSubclassWindow() override;
    DECLARE_MESSAGE_MAP()

private:
    void FitToText();
    void Repaint();
    static void LoadLinkCursor();
    static void ShowOpenError(int code);
};
