// Moving the selection: next and previous due reminder, text search, new reminder.

#include "mainwnd/MainDlg.h"

#include "res/resource.h"

void CMainDlg::OnNextCurrent() { GoToCurrent(true); }

void CMainDlg::OnPrevCurrent() { GoToCurrent(false); }

void CMainDlg::GoToCurrent(bool bForward)
{
    const CReminderList& list = m_data.m_reminderList;
    if (list.GetCount() == 0)
        return;
    const int start = m_list.GetNextItem(-1, LVNI_SELECTED);
    const int i = list.FindDue(start, bForward);
    if (i != -1) {
        SelectItem(i);
    } else {
        CString text;
        text.LoadString(IDS_NO_MORE_CURRENT);
        MessageBox(text, nullptr, MB_ICONINFORMATION);
    }
}

void CMainDlg::OnEditFind()
{
    if (m_pFindDlg) {
        m_pFindDlg->SetActiveWindow();
        return;
    }
    m_pFindDlg = new CFindReplaceDialog;
    DWORD flags = FR_HIDEWHOLEWORD;
    if (m_bFindDown)
        flags |= FR_DOWN;
    if (m_bFindMatchCase)
        flags |= FR_MATCHCASE;
    if (!m_pFindDlg->Create(TRUE, m_strFindText, nullptr, flags, this)) {
        delete m_pFindDlg;
        m_pFindDlg = nullptr;
    }
}

LRESULT CMainDlg::OnFindReplace(WPARAM, LPARAM lParam)
{
    CFindReplaceDialog* dlg = CFindReplaceDialog::GetNotifier(lParam);
    if (!dlg)
        return 0;
    if (dlg->IsTerminating()) {
        Trace("Find dialog terminating!\n");
        m_pFindDlg = nullptr;
    } else if (dlg->FindNext()) {
        m_strFindText = dlg->GetFindString();
        m_bFindMatchCase = dlg->MatchCase() != FALSE;
        m_bFindDown = dlg->SearchDown() != FALSE;
        OnFindNext();
    }
    return 0;
}

void CMainDlg::OnFindNext()
{
    const CReminderList& list = m_data.m_reminderList;
    if (list.GetCount() == 0)
        return;
    if (m_strFindText.IsEmpty()) {
        OnEditFind();
        return;
    }
    int start = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (start == -1)
        start = 0;
    const int i = list.FindText(m_strFindText, start, m_bFindDown, m_bFindMatchCase);
    if (i != -1) {
        SelectItem(i);
        return;
    }
    CString format, text, caption;
    format.LoadString(IDS_NOT_FOUND);
    text.Format(format, m_strFindText.GetString());
    caption.LoadString(AFX_IDS_APP_TITLE);
    const HWND owner = m_pFindDlg && ::IsWindow(m_pFindDlg->m_hWnd) ? m_pFindDlg->m_hWnd : m_hWnd;
    ::MessageBoxA(owner, text, caption, MB_ICONINFORMATION);
}

void CMainDlg::OnNewMessage() { OnNew(); }
