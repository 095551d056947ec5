// The members of CWnd, CDialog and CWinApp that are the same over every
// window system: they are written in terms of the contract's own calls.

#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/Resource.h"
#include "platform/MessageMap.h"
#include "platform/Trace.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"
#include "platform/portable/DataExchange.h"

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!Attach(hWnd))
        return FALSE;
    PreSubclassWindow();
    return TRUE;
}

void CWnd::PreSubclassWindow() {}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CDataExchangeFailure&) {
        return FALSE;
    }
    return TRUE;
}

// No entries of its own: everything falls through to default processing.
const AFX_MSGMAP* CWinApp::GetMessageMap() const { return GetThisMessageMap(); }
const AFX_MSGMAP* CWinApp::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, &entries[0]};
    return &map;
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::CreateFromTemplate(UINT nIDTemplate, HWND hOwner)
{
    const DialogTemplate* t = AfxFindDialogTemplate(nIDTemplate);
    if (!t || m_hWnd) {
        Trace("Dialog template %u not found.\n", nIDTemplate);
        return FALSE;
    }
    m_nIDTemplate = nIDTemplate;
    return CreateFromTemplate(t, hOwner);
}

BOOL CDialog::CreateIndirect(const DialogTemplate& t, CWnd* pParentWnd)
{
    if (m_hWnd)
        return FALSE;
    m_pParentWnd = pParentWnd;
    return CreateFromTemplate(&t, pParentWnd && ::IsWindow(pParentWnd->m_hWnd) ? pParentWnd->m_hWnd : nullptr);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) {
        Trace("UpdateData failed during dialog termination.\n");
        return;
    }
    EndDialog(int(IDOK));
}

void CDialog::OnCancel() { EndDialog(int(IDCANCEL)); }
