#pragma once
// The modeless find dialog, in Swedish. It notifies its owner with the
// registered message "commdlg_FindReplace" (lParam = &m_fr) and deletes itself
// after it closed (FR_DIALOGTERM).

#include "platform/CString.h"
#include "platform/Dialog.h"

#ifndef _WIN32
struct FINDREPLACEA {
    DWORD lStructSize = sizeof(FINDREPLACEA);
    HWND hwndOwner = nullptr;
    HINSTANCE hInstance = nullptr;
    DWORD Flags = 0;
    LPSTR lpstrFindWhat = nullptr;
    LPSTR lpstrReplaceWith = nullptr;
    WORD wFindWhatLen = 0;
    WORD wReplaceWithLen = 0;
    LPARAM lCustData = 0;
};
using FINDREPLACE = FINDREPLACEA;

inline constexpr const char* FINDMSGSTRING = "commdlg_FindReplace";
#endif

class CFindReplaceDialog : public CDialog {
public:
    CFindReplaceDialog();
    ~CFindReplaceDialog() override;

    FINDREPLACE m_fr;

    // Must be allocated with new: the object deletes itself when the dialog ends.
    BOOL Create(BOOL bFindDialogOnly, LPCSTR lpszFindWhat, LPCSTR lpszReplaceWith = nullptr,
                DWORD dwFlags = FR_DOWN, CWnd* pParentWnd = nullptr);
    static CFindReplaceDialog* GetNotifier(LPARAM lParam);

    CString GetFindString() const;
    BOOL SearchDown() const;
    BOOL MatchCase() const;
    BOOL FindNext() const;
    BOOL IsTerminating() const;

    BOOL OnInitDialog() override;
    void OnOK() override;      // "Sök nästa"
    void OnCancel() override;  // "Avbryt", Esc, the close box

protected:
    void PostNcDestroy() override;

private:
    // Reads the fields into m_fr and tells the owner.
    void Notify(DWORD flags);

    char m_szFindWhat[128] = {};
    char m_szReplaceWith[128] = {};
};
