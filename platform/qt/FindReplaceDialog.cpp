// The system's find dialog, find-only and in Swedish, on the shared template
// (platform/portable/FindDialogTemplate.cpp).

#include "platform/FindReplaceDialog.h"

#include "platform/Button.h"
#include "platform/Resource.h"
#include "platform/Trace.h"
#include "platform/portable/FindDialogTemplate.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

std::vector<CFindReplaceDialog*> g_live;  // for GetNotifier

UINT FindReplaceMessage()
{
    static const UINT message = RegisterWindowMessageA(FINDMSGSTRING);
    return message;
}

}  // namespace

CFindReplaceDialog::CFindReplaceDialog()
{
    m_fr.lpstrFindWhat = m_szFindWhat;
    m_fr.wFindWhatLen = WORD(sizeof m_szFindWhat);
    m_fr.lpstrReplaceWith = m_szReplaceWith;
    m_fr.wReplaceWithLen = WORD(sizeof m_szReplaceWith);
    g_live.push_back(this);
}

CFindReplaceDialog::~CFindReplaceDialog() { std::erase(g_live, this); }

BOOL CFindReplaceDialog::Create(BOOL bFindDialogOnly, LPCSTR lpszFindWhat, LPCSTR lpszReplaceWith, DWORD dwFlags,
                                CWnd* pParentWnd)
{
    if (!bFindDialogOnly)
        return FALSE;  // only the find dialog is offered
    m_fr.Flags = dwFlags;
    m_fr.hwndOwner = pParentWnd ? pParentWnd->m_hWnd : nullptr;
    std::strncpy(m_szFindWhat, lpszFindWhat ? lpszFindWhat : "", sizeof m_szFindWhat - 1);
    std::strncpy(m_szReplaceWith, lpszReplaceWith ? lpszReplaceWith : "", sizeof m_szReplaceWith - 1);
    if (!CreateIndirect(AfxFindTextTemplate(), pParentWnd))
        return FALSE;
    ShowWindow(SW_SHOW);
    SetActiveWindow();
    return TRUE;
}

BOOL CFindReplaceDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(int(kFindIdText), m_szFindWhat);
    CheckDlgButton(int(kFindIdMatchCase), (m_fr.Flags & FR_MATCHCASE) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(int(kFindIdWholeWord), (m_fr.Flags & FR_WHOLEWORD) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(int((m_fr.Flags & FR_DOWN) ? kFindIdDown : kFindIdUp), BST_CHECKED);
    auto hide = [this](UINT id) {
        if (CWnd* w = GetDlgItem(int(id)))
            w->ShowWindow(SW_HIDE);
    };
    if (m_fr.Flags & FR_HIDEWHOLEWORD)
        hide(kFindIdWholeWord);
    if (m_fr.Flags & FR_HIDEMATCHCASE)
        hide(kFindIdMatchCase);
    if (m_fr.Flags & FR_HIDEUPDOWN)
        for (UINT id : {kFindIdDirection, kFindIdUp, kFindIdDown})
            hide(id);
    if (CWnd* edit = GetDlgItem(int(kFindIdText)))
        GotoDlgCtrl(edit);
    return FALSE;
}

void CFindReplaceDialog::Notify(DWORD flags)
{
    CString text;
    GetDlgItemText(int(kFindIdText), text);
    std::strncpy(m_szFindWhat, text, sizeof m_szFindWhat - 1);
    DWORD keep = m_fr.Flags & (FR_HIDEWHOLEWORD | FR_HIDEMATCHCASE | FR_HIDEUPDOWN | FR_NOUPDOWN | FR_NOMATCHCASE |
                               FR_NOWHOLEWORD);
    if (IsDlgButtonChecked(int(kFindIdMatchCase)))
        keep |= FR_MATCHCASE;
    if (IsDlgButtonChecked(int(kFindIdWholeWord)))
        keep |= FR_WHOLEWORD;
    if (IsDlgButtonChecked(int(kFindIdDown)))
        keep |= FR_DOWN;
    m_fr.Flags = keep | flags;
    if (m_fr.hwndOwner && ::IsWindow(m_fr.hwndOwner))
        ::SendMessage(m_fr.hwndOwner, FindReplaceMessage(), 0, reinterpret_cast<LPARAM>(&m_fr));
}

void CFindReplaceDialog::OnOK()
{
    // Nothing to look for: the button does nothing, as on Windows.
    if (GetDlgItem(int(kFindIdText))->GetWindowTextLength() == 0)
        return;
    Notify(FR_FINDNEXT);
}

void CFindReplaceDialog::OnCancel()
{
    Notify(FR_DIALOGTERM);
    DestroyWindow();
}

void CFindReplaceDialog::PostNcDestroy()
{
    // Ended with its owner rather than by the user: the owner is told all the
    // same, so that it lets go of this object before it is deleted.
    if (!(m_fr.Flags & FR_DIALOGTERM) && m_fr.hwndOwner && ::IsWindow(m_fr.hwndOwner)) {
        m_fr.Flags = (m_fr.Flags & ~FR_FINDNEXT) | FR_DIALOGTERM;
        ::SendMessage(m_fr.hwndOwner, FindReplaceMessage(), 0, reinterpret_cast<LPARAM>(&m_fr));
    }
    delete this;
}

CFindReplaceDialog* CFindReplaceDialog::GetNotifier(LPARAM lParam)
{
    auto* fr = reinterpret_cast<const FINDREPLACE*>(lParam);
    auto it = std::find_if(g_live.begin(), g_live.end(), [fr](CFindReplaceDialog* d) { return &d->m_fr == fr; });
    return it == g_live.end() ? nullptr : *it;
}

CString CFindReplaceDialog::GetFindString() const { return CString(m_fr.lpstrFindWhat); }
BOOL CFindReplaceDialog::SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }
BOOL CFindReplaceDialog::MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
BOOL CFindReplaceDialog::FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
BOOL CFindReplaceDialog::IsTerminating() const { return (m_fr.Flags & FR_DIALOGTERM) != 0; }
