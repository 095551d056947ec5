#include "support/AboutDlg.h"

#include "res/resource.h"
#include "support/ShellHelpers.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr) {}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LINK_README, m_linkReadMe);
    DDX_Control(pDX, IDC_LINK_WEB, m_linkWeb);
    DDX_Control(pDX, IDC_LINK_MAIL, m_linkMail);
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CString text;
    text.LoadString(IDS_URL);
    m_linkWeb.SetTarget(text);
    text.LoadString(IDS_MAILTO);
    m_linkMail.SetTarget(text);
    // The same file that F1 opens.
    text.LoadString(IDS_README);
    m_linkReadMe.SetTarget(GetProgramPath(true) + text);
    return TRUE;
}

BOOL CAboutDlg::OnHelpInfo(HELPINFO*)
{
    OpenReadMe("ReadMe.txt");
    return FALSE;
}
