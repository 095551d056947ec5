// The system's find dialog, find-only and in Swedish, on a built-in template.

#include "platform/FindReplaceDialog.h"

#include "platform/Button.h"
#include "platform/Resource.h"
#include "platform/Trace.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// The control ids of the Win32 find dialog.
constexpr UINT kIdFindText = 1152;
constexpr UINT kIdWholeWord = 1040;
constexpr UINT kIdMatchCase = 1041;
constexpr UINT kIdUp = 1056;
constexpr UINT kIdDown = 1057;
constexpr UINT kIdDirection = 1072;

constexpr DWORD kTab = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const DialogItemTemplate kItems[] = {
    {IDC_STATIC, "Static", "S\xC3\xB6&k efter:", WS_CHILD | WS_VISIBLE | SS_LEFT, 6, 9, 40, 8},
    {kIdFindText, "Edit", "", kTab | WS_BORDER | ES_AUTOHSCROLL, 48, 7, 128, 13},
    {kIdWholeWord, "Button", "Matcha endast &hela ord", kTab | BS_AUTOCHECKBOX, 6, 28, 96, 10},
    {kIdMatchCase, "Button", "Matcha &gemener/VERSALER", kTab | BS_AUTOCHECKBOX, 6, 42, 100, 10},
    {kIdDirection, "Button", "Riktning", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 108, 25, 68, 30},
    {kIdUp, "Button", "&Upp", kTab | BS_AUTORADIOBUTTON, 113, 38, 28, 10},
    {kIdDown, "Button", "&Ned", kTab | BS_AUTORADIOBUTTON, 143, 38, 28, 10},
    {IDOK, "Button", "&S\xC3\xB6k n\xC3\xA4sta", kTab | BS_DEFPUSHBUTTON, 184, 6, 52, 14},
    {IDCANCEL, "Button", "Avbryt", kTab | BS_PUSHBUTTON, 184, 24, 52, 14},
};

const DialogTemplate kFindTemplate = {
    0, "S\xC3\xB6k", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, "MS Sans Serif", 8, 242, 62, kItems};

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
    if (!CreateIndirect(kFindTemplate, pParentWnd))
        return FALSE;
    ShowWindow(SW_SHOW);
    SetActiveWindow();
    return TRUE;
}

BOOL CFindReplaceDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(int(kIdFindText), m_szFindWhat);
    CheckDlgButton(int(kIdMatchCase), (m_fr.Flags & FR_MATCHCASE) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(int(kIdWholeWord), (m_fr.Flags & FR_WHOLEWORD) ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(int((m_fr.Flags & FR_DOWN) ? kIdDown : kIdUp), BST_CHECKED);
    auto hide = [this](UINT id) {
        if (CWnd* w = GetDlgItem(int(id)))
            w->ShowWindow(SW_HIDE);
    };
    if (m_fr.Flags & FR_HIDEWHOLEWORD)
        hide(kIdWholeWord);
    if (m_fr.Flags & FR_HIDEMATCHCASE)
        hide(kIdMatchCase);
    if (m_fr.Flags & FR_HIDEUPDOWN)
        for (UINT id : {kIdDirection, kIdUp, kIdDown})
            hide(id);
    if (CWnd* edit = GetDlgItem(int(kIdFindText)))
        GotoDlgCtrl(edit);
    return FALSE;
}

void CFindReplaceDialog::Notify(DWORD flags)
{
    CString text;
    GetDlgItemText(int(kIdFindText), text);
    std::strncpy(m_szFindWhat, text, sizeof m_szFindWhat - 1);
    DWORD keep = m_fr.Flags & (FR_HIDEWHOLEWORD | FR_HIDEMATCHCASE | FR_HIDEUPDOWN | FR_NOUPDOWN | FR_NOMATCHCASE |
                               FR_NOWHOLEWORD);
    if (IsDlgButtonChecked(int(kIdMatchCase)))
        keep |= FR_MATCHCASE;
    if (IsDlgButtonChecked(int(kIdWholeWord)))
        keep |= FR_WHOLEWORD;
    if (IsDlgButtonChecked(int(kIdDown)))
        keep |= FR_DOWN;
    m_fr.Flags = keep | flags;
    if (m_fr.hwndOwner && ::IsWindow(m_fr.hwndOwner))
        ::SendMessage(m_fr.hwndOwner, FindReplaceMessage(), 0, reinterpret_cast<LPARAM>(&m_fr));
}

void CFindReplaceDialog::OnOK()
{
    // Nothing to look for: the button does nothing, as on Windows.
    if (GetDlgItem(int(kIdFindText))->GetWindowTextLength() == 0)
        return;
    Notify(FR_FINDNEXT);
}

void CFindReplaceDialog::OnCancel()
{
    Notify(FR_DIALOGTERM);
    DestroyWindow();
}

void CFindReplaceDialog::PostNcDestroy() { delete this; }

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
