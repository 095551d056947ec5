#include "mainwnd/ReminderApp.h"

#include "mainwnd/CommandLine.h"
#include "mainwnd/DataFile.h"
#include "mainwnd/MainDlg.h"
#include "platform/Instance.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "settings/SettingsStore.h"

BEGIN_MESSAGE_MAP(CReminderApp, CWinApp)
    ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CReminderApp::CReminderApp() { AfxSetResourceTables(&TalvoResourceTables()); }

CReminderApp::~CReminderApp() = default;

BOOL CReminderApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();
    // The options first: asking for help or mistyping an option must not
    // open, create or remember any list.
    const CCommandLine cmd = ParseCommandLine(AfxGetArguments());
    if (cmd.action != CCommandLine::Run) {
        PostQuitMessage(ReportCommandLine(cmd));
        return FALSE;
    }
    // The list the command line names, without the options' "--".
    m_strFileArgument = cmd.file.GetString();
    m_lpCmdLine = m_strFileArgument.data();
    // One program per data file: a second start on the same file brings the
    // running one forward, and ends before it shows or changes anything.
    CReminderData settings;
    ::LoadSettings(settings);
    const CString path = ChooseDataFile(m_lpCmdLine, settings.m_reminderList.GetFileName(), nullptr);
    const InstanceClaim claim = AfxClaimInstance(path, g_nShowWindowMsg);
    if (claim == InstanceClaim::NotAnswering) {
        // The running one is stopped or hung: say so rather than wait for it.
        CString format, text;
        format.LoadString(IDS_NOT_ANSWERING);
        text.Format(format, path.GetString());
        Trace("%s\n", text.GetString());
        AfxMessageBox(text, MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (claim != InstanceClaim::Claimed) {
        Trace("Talvo runs already on %s.\n", path.GetString());
        return FALSE;
    }
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
