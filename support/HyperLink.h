#pragma once
// A static text control made into a link: link colours, underlined, fitted
// to its text, hand cursor, the target as tooltip; a click or the space bar
// opens the target through the shell, with the program registered for web
// pages as the fallback.

#include "platform/Afx.h"
#include "platform/Registry.h"

class CHyperLink : public CStatic {
public:
    CHyperLink();
    ~CHyperLink() override;

    void SetTarget(LPCSTR target);
    void FollowLink();
    // Opens a target through the shell, else with the program registered for
    // web pages; a result above 32 means success, otherwise it is the shell's
    // error code (or 0 when the fallback's program cannot be started).
    static int OpenTarget(LPCSTR target, int showCommand);
    // The default value of a key of root, into out; 0, or the error of
    // opening the key (out is then left alone).
    static LONG ReadClassKeyDefault(HKEY root, LPCSTR subKey, CString& out);

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
