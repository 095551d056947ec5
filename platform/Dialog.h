#pragma once
// CDialog: a window built from a dialog template, modeless (Create) or modal (DoModal).

#include "platform/Wnd.h"

struct DialogTemplate;

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Modeless: builds the window from the template, runs OnInitDialog, returns at once.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Modeless from a template that is not in the resource tables.
    BOOL CreateIndirect(const DialogTemplate& t, CWnd* pParentWnd = nullptr);
    // Modal: builds the window, disables the owner, runs a local message loop
    // until EndDialog, and returns its result (IDOK, IDCANCEL, ...; -1 on failure).
    virtual std::intptr_t DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();      // UpdateData(TRUE), then EndDialog(IDOK) when it succeeded
    virtual void OnCancel();  // EndDialog(IDCANCEL)

    void GotoDlgCtrl(CWnd* pWndCtrl);
    DWORD GetDefID() const;

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
    DECLARE_MESSAGE_MAP()

private:
    // Builds the window from the template with hOwner as owner and runs OnInitDialog.
    BOOL CreateFromTemplate(UINT nIDTemplate, HWND hOwner);
    BOOL CreateFromTemplate(const DialogTemplate* t, HWND hOwner);

    int m_nModalResult = -1;
    bool m_bModalEnded = false;
    UINT m_nDefID = 0;
};
