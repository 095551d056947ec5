// The main window's frame: creation, the start-up sequence, hiding to the
// tray and the way out.

#include "mainwnd/MainDlg.h"

#include "mainwnd/DataFile.h"
#include "model/PickerTime.h"
#include "platform/FileSystem.h"
#include "res/resource.h"
#include "settings/SettingsDlg.h"
#include "settings/SettingsStore.h"
#include "support/AboutDlg.h"
#include "support/ShellHelpers.h"

HACCEL g_hAccel = nullptr;
HWND g_hMainWnd = nullptr;
const UINT g_nFindReplaceMsg = RegisterWindowMessageA(FINDMSGSTRING);
const UINT g_nShowWindowMsg = RegisterWindowMessageA("Talvo_ShowWindow");

namespace {

constexpr UINT kTrayMessage = WM_APP + 100;

}  // namespace

BEGIN_MESSAGE_MAP(CMainDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_SIZE()
    ON_WM_CLOSE()
    ON_WM_DESTROY()
    ON_BN_CLICKED(IDC_ADD, OnAddOrChange)
    ON_BN_CLICKED(IDC_NEW, OnNew)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST, OnListItemChanged)
    ON_NOTIFY(LVN_KEYDOWN, IDC_LIST, OnListKeyDown)
    ON_NOTIFY(LVN_COLUMNCLICK, IDC_LIST, OnColumnClick)
    ON_WM_TIMER()
    ON_COMMAND(ID_FILE_QUIT, OnExit)
    ON_COMMAND(ID_OPTIONS_CHECKING, OnToggleChecking)
    ON_COMMAND(ID_EDIT_CHECKNOW, OnCheckNow)
    ON_COMMAND(ID_EDIT_PUSHFORWARD, OnPushForward)
    ON_COMMAND(ID_GOTO_NEXTCURRENT, OnNextCurrent)
    ON_COMMAND(ID_GOTO_PREVCURRENT, OnPrevCurrent)
    ON_COMMAND(ID_EDIT_FIND, OnEditFind)
    ON_REGISTERED_MESSAGE(g_nFindReplaceMsg, OnFindReplace)
    ON_COMMAND(ID_EDIT_FINDNEXT, OnFindNext)
    ON_COMMAND(ID_FILE_NEWMESSAGE, OnNewMessage)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVEAS, OnFileSaveAs)
    ON_COMMAND(ID_EDIT_MOVEUP, OnMoveUp)
    ON_COMMAND(ID_EDIT_MOVEDOWN, OnMoveDown)
    ON_COMMAND(ID_SORT_DESCENDING, OnSortDescending)
    ON_COMMAND(ID_SORT_MARKEDFIRST, OnSortMarkedFirst)
    ON_COMMAND(ID_EDIT_SORTBYTIME, OnSortByTime)
    ON_COMMAND(ID_EDIT_SORTALPHA, OnSortAlphabetical)
    ON_COMMAND(ID_EDIT_DELETE, OnDelete)
    ON_MESSAGE(WM_HOTKEY, OnHotKey)
    ON_REGISTERED_MESSAGE(g_nShowWindowMsg, OnStartedAgain)
    ON_MESSAGE(WM_QUERYENDSESSION, OnQueryEndSession)
    ON_MESSAGE(kListChangedOnDiskMessage, OnListChangedOnDisk)
    ON_COMMAND(ID_OPTIONS_SETTINGS, OnSettings)
    ON_COMMAND(ID_HELP_README, OnReadMe)
    ON_COMMAND(ID_HELP_ABOUT, OnAbout)
    ON_WM_HELPINFO()
END_MESSAGE_MAP()

CMainDlg::CMainDlg(CWnd* pParent)
{
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    Create(IDD_TALVO_DIALOG, pParent);
}

CMainDlg::~CMainDlg()
{
    if (m_hIcon)
        DestroyIcon(m_hIcon);
}

void CMainDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SPIN_PUSHTIME, m_spinPushTime);
    DDX_Control(pDX, IDC_TIME, m_ctlTime);
    DDX_Control(pDX, IDC_DATE, m_ctlDate);
    DDX_Control(pDX, IDC_ADD, m_btnAdd);
    DDX_Control(pDX, IDC_LIST, m_list);
    DDX_DateTimeCtrl(pDX, IDC_DATE, m_date);
    DDX_DateTimeCtrl(pDX, IDC_TIME, m_time);
    DDX_Text(pDX, IDC_TEXT, m_strText);
    DDX_Text(pDX, IDC_PUSHTIME, m_nPushTime);
    DDX_Check(pDX, IDC_REMIND, m_bRemind);
    DDX_Check(pDX, IDC_PUSH, m_bPush);
}

BOOL CMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CString about;
    about.LoadString(IDS_ABOUTBOX);
    if (CMenu* sysMenu = GetSystemMenu(FALSE); sysMenu && !about.IsEmpty()) {
        sysMenu->AppendMenu(MF_SEPARATOR);
        sysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, about);
    }

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    g_hMainWnd = m_hWnd;
    g_hAccel = LoadAcceleratorsA(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_ACCELERATOR));

    m_imageList.Create(IDB_LISTICONS, 16, 1, RGB(255, 255, 255));
    m_list.SetImageList(&m_imageList, LVSIL_SMALL);

    CString heading;
    heading.LoadString(IDS_COLUMN_TIME);
    m_list.InsertColumn(0, heading, LVCFMT_LEFT, 142);
    heading.LoadString(IDS_COLUMN_TEXT);
    m_list.InsertColumn(1, heading, LVCFMT_LEFT, 308);
    m_list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);

    const long zone = LocalZoneOffset();
    // One local day, 1970-01-02, whatever the zone's offset was in 1970.
    const CTime timeMin(LocalTimeToInstant(1970, 1, 2, 0, 0, 0));
    const CTime timeMax(LocalTimeToInstant(1970, 1, 3, 0, 0, 0));
    m_ctlTime.SetRange(&timeMin, &timeMax);
    const CTime dateMin(std::time_t(0));
    const CTime dateMax(std::time_t(2147483647));
    m_ctlDate.SetRange(&dateMin, &dateMax);
    m_spinPushTime.SetRange32(1, 2147483647);

    UpdateData(FALSE);
    UpdateTrayIcon(0);
    LoadSettings();

    bool reportLoadError = true;
    CReminderList& list = m_data.m_reminderList;
    list.SetFileName(ChooseDataFile(AfxGetApp()->m_lpCmdLine, list.GetFileName(), &reportLoadError));
    Trace("Talvo filename: %s\n", list.GetFileName());

    m_nTimeZone = int(zone);
    list.m_nZoneOffset = std::int32_t(zone);

    CenterWindow();
    LoadDataFile(reportLoadError);
    TakeInConflictCopies();

    const bool startHidden = m_data.m_bStartMinimized || AfxGetApp()->m_nCmdShow == SW_SHOWMINNOACTIVE;
    if (!startHidden || list.RefreshDueList() > 0) {
        Trace("Open window on startup.\n");
        ShowWindow(SW_RESTORE);
    } else if (!CanHideToTray()) {
        // Without a tray a hidden window could never come back.
        ShowWindow(SW_SHOWMINIMIZED);
    }

    RegisterAppHotKey();

    m_pFindDlg = nullptr;
    m_strFindText = "";
    m_bFindDown = true;
    m_bFindMatchCase = false;
    // FALSE: the focus is set already. Loading put it in the message edit,
    // where the user types; TRUE would move it to the first tab stop, the list.
    return FALSE;
}

void CMainDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX)
        OnAbout();
    else
        CDialog::OnSysCommand(nID, lParam);
}

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) {
        OnSize(SIZE_MINIMIZED, 0, 0);
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

bool CMainDlg::CanHideToTray() const { return IsSystemTrayAvailable(); }

void CMainDlg::OnSize(UINT nType, int cx, int cy)
{
    Trace("OnSize() called.\n");
    CDialog::OnSize(nType, cx, cy);
    if (nType != SIZE_MINIMIZED)
        return;
    if (m_data.m_bPushOnMinimize)
        OnPushForward();
    if (CanHideToTray()) {
        Trace("Hide window.\n");
        ShowWindow(SW_HIDE);
    } else if (!IsIconic()) {
        // No tray to come back from: iconify instead (Esc lands here too).
        ShowWindow(SW_MINIMIZE);
    }
    ResetAlarmTimer();
}

void CMainDlg::OnClose()
{
    Trace("OnClose().\n");
    if (QuitApplication(true))
        DestroyWindow();
}

void CMainDlg::OnExit()
{
    if (QuitApplication(true))
        DestroyWindow();
}

void CMainDlg::OnDestroy()
{
    CDialog::OnDestroy();
    UnregisterHotKey(m_hWnd, 1);
    KillTimer(1);
    KillTimer(2);
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = m_hWnd;
    nid.uID = 0;
    nid.uFlags = NIF_MESSAGE;
    nid.uCallbackMessage = kTrayMessage;
    Shell_NotifyIconA(NIM_DELETE, &nid);
    s_bTrayIconAdded = false;
    if (m_pFindDlg && ::IsWindow(m_pFindDlg->m_hWnd))
        m_pFindDlg->DestroyWindow();
    m_pFindDlg = nullptr;
    if (g_hMainWnd == m_hWnd)
        g_hMainWnd = nullptr;
}

void CMainDlg::PostNcDestroy()
{
    if (AfxGetApp() && AfxGetApp()->m_pMainWnd == this)
        AfxGetApp()->m_pMainWnd = nullptr;
    delete this;
}

BOOL CMainDlg::OnHelpInfo(HELPINFO*) { return FALSE; }

void CMainDlg::OnReadMe()
{
    if (!OpenReadMe("ReadMe.txt")) {
        CString text;
        text.LoadString(IDS_README_FAILED);
        MessageBox(text, nullptr, MB_ICONEXCLAMATION);
    }
}

void CMainDlg::OnAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

void CMainDlg::OnSettings()
{
    CSettingsDlg dlg;
    dlg.m_pData = &m_data;
    const bool viewPushTime = m_data.m_bViewPushTime;
    if (dlg.DoModal() != IDOK)
        return;
    Trace("User pressed OK.\n");
    // At once, not only at quit: a program that is killed keeps the change,
    // and another Talvo that starts sees it.
    SaveSettings();
    if (m_data.m_bViewPushTime != viewPushTime)
        UpdateList(-1);
    ResetAlarmTimer();
    RegisterAppHotKey();
    if (!m_data.m_bAutoSave)
        KillTimer(3);
}

void CMainDlg::LoadSettings() { ::LoadSettings(m_data); }

void CMainDlg::SaveSettings() { ::SaveSettings(m_data); }
