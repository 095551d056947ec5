#include "mainwnd/ReminderApp.h"

#include "mainwnd/MainDlg.h"
#include "res/Resources.h"

BEGIN_MESSAGE_MAP(CReminderApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CReminderApp::CReminderApp() { AfxSetResourceTables(&TalvoResourceTables()); }

CReminderApp::~CReminderApp() = default;

BOOL CReminderApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();
    m_pMainWnd = new CMainDlg(nullptr);
    return TRUE;
}

BOOL CReminderApp::ProcessMessageFilter(int code, LPMSG lpMsg)
{
    if (code < 0)
        return CWinApp::ProcessMessageFilter(code, lpMsg);
    if (g_hMainWnd && g_hAccel && TranslateAcceleratorA(g_hMainWnd, g_hAccel, lpMsg))
        return TRUE;
    return CWinApp::ProcessMessageFilter(code, lpMsg);
}
