// The alarm: timer 1 checks the list, timer 2 blinks the tray icon, timer 3
// saves a minute after the last edit; the tray icon and its clicks.

#include "mainwnd/MainDlg.h"

#include "res/resource.h"
#include "settings/SettingsStore.h"
#include "support/ShellHelpers.h"

bool CMainDlg::s_bTrayIconAdded = false;
bool CMainDlg::s_bBlinkOn = true;

namespace {

constexpr UINT kTrayMessage = WM_APP + 100;
// Due texts named in the alarm's notification.
constexpr int kNotifiedTexts = 5;

}  // namespace

void CMainDlg::ResetAlarmTimer()
{
    KillTimer(1);
    KillTimer(2);
    CMenu* menu = GetMenu();
    if (!m_data.m_bDoAlarm) {
        if (menu)
            menu->CheckMenuItem(ID_OPTIONS_CHECKING, MF_UNCHECKED);
        UpdateTrayIcon(0);
        return;
    }
    if (menu)
        menu->CheckMenuItem(ID_OPTIONS_CHECKING, MF_CHECKED);

    CReminderList& list = m_data.m_reminderList;
    std::int32_t s = list.SecondsToNextAlarm();
    if (m_data.m_bDoRemind && (s == 0 || m_data.m_nRemindTime < s) && list.RefreshDueList() > 0)
        s = m_data.m_nRemindTime;

    if (s != 0) {
        UINT ms = UINT(s) * 1000u;
        if (ms / 1000u != UINT(s)) {
            Trace("Warning! To much time (%d), set next alarm to 300 seconds.\n", s);
            ms = 300000;
        }
        if (!SetTimer(1, ms)) {
            CString text;
            text.LoadString(IDS_TIMER_FAILED);
            MessageBox(text, nullptr, MB_ICONEXCLAMATION);
            if (menu)
                menu->CheckMenuItem(ID_OPTIONS_CHECKING, MF_UNCHECKED);
            m_data.m_bDoAlarm = false;
        }
    } else {
        Trace("No alarm timer is running\n");
    }

    const int n = list.RefreshDueList();
    UpdateTrayIcon(n);
    if (m_data.m_bBlinkOnAlarm && n > 0)
        SetTimer(2, 500);
}

void CMainDlg::OnTimer(UINT_PTR nIDEvent)
{
    const bool fromSystem = GetCurrentMessage()->message == WM_TIMER && GetCurrentMessage()->hwnd == m_hWnd;
    switch (nIDEvent) {
    case 1: {
        CReminderList& list = m_data.m_reminderList;
        const int n = list.RefreshDueList();
        for (std::int32_t i : list.m_dueIndices)
            m_list.SetItemImage(i, 1);
        if (n > 0) {
            UpdateTrayIcon(n);
            ShowAlarmNotification(n);
            PlayAlarmSound();
            Trace("ALARM!\n");
            // An iconified window counts as visible, but the user cannot see it.
            if (!IsWindowVisible() || IsIconic()) {
                Trace("Window isn't visible, restore, and select first alarm\n");
                ShowWindow(SW_RESTORE);
                SelectItem(-1);
                GoToCurrent(true);
            }
            ActivateWindow();
        } else {
            UpdateTrayIcon(0);
        }
        ResetAlarmTimer();
        break;
    }
    case 2:
        s_bBlinkOn = !s_bBlinkOn;
        TrayNotify(NIM_MODIFY, AfxGetApp()->LoadIcon(s_bBlinkOn ? IDI_TRAY_ALARM : IDI_TRAY_ON), "", false);
        break;
    case 3:
        // A change undone, a sort that moved nothing, or a save by command
        // since: nothing to write.
        if (IsModified()) {
            const bool saved = SaveDataFile(false);
            Trace("Autosave! Result: %d\n", int(saved));
        } else {
            Trace("Autosave: nothing changed.\n");
        }
        KillTimer(3);
        break;
    default:
        break;
    }
    if (fromSystem)
        CDialog::OnTimer(nIDEvent);
}

void CMainDlg::UpdateTrayIcon(int dueCount)
{
    UINT icon = IDI_TRAY_OFF;
    CString tip;
    if (!m_data.m_bDoAlarm) {
        tip.LoadString(IDS_TIP_OFF);
    } else if (dueCount == 0) {
        icon = IDI_TRAY_ON;
        tip.LoadString(IDS_TIP_ON);
    } else {
        icon = IDI_TRAY_ALARM;
        CString format;
        format.LoadString(IDS_TIP_DUE);
        tip.Format(format, dueCount);
    }
    DWORD message = NIM_MODIFY;
    if (!s_bTrayIconAdded) {
        message = NIM_ADD;
        s_bTrayIconAdded = true;
    }
    TrayNotify(message, AfxGetApp()->LoadIcon(icon), tip, true);
    if (icon != IDI_TRAY_ALARM && m_bAlarmNotified) {
        // Nothing is due any more: the notification would only mislead.
        NOTIFYICONDATAA nid{};
        nid.cbSize = sizeof nid;
        nid.hWnd = m_hWnd;
        nid.uFlags = NIF_INFO;
        Shell_NotifyIconA(NIM_MODIFY, &nid);
        m_bAlarmNotified = false;
    }
}

void CMainDlg::ShowAlarmNotification(int dueCount)
{
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = m_hWnd;
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = NIIF_INFO;
    CString title, format, text;
    title.LoadString(AFX_IDS_APP_TITLE);
    lstrcpynA(nid.szInfoTitle, title, int(sizeof nid.szInfoTitle));
    format.LoadString(IDS_TIP_DUE);
    text.Format(format, dueCount);
    // The count, then the first due texts, a line each, as many as fit whole.
    const CReminderList& list = m_data.m_reminderList;
    int lines = 0;
    for (std::int32_t i : list.m_dueIndices) {
        const std::string& line = list.GetAt(i).m_strText;
        if (lines == kNotifiedTexts || (lines > 0 && text.GetLength() + 1 + int(line.size()) >= int(sizeof nid.szInfo)))
            break;
        text += "\n";
        text += line.c_str();
        ++lines;
    }
    lstrcpynA(nid.szInfo, text, int(sizeof nid.szInfo));
    Shell_NotifyIconA(NIM_MODIFY, &nid);
    m_bAlarmNotified = true;
}

BOOL CMainDlg::TrayNotify(DWORD dwMessage, HICON hIcon, LPCSTR lpszTip, bool bSetTip)
{
    NOTIFYICONDATAA nid{};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = m_hWnd;
    nid.uID = 0;
    nid.uFlags = bSetTip ? NIF_MESSAGE | NIF_ICON | NIF_TIP : NIF_MESSAGE | NIF_ICON;
    nid.uCallbackMessage = kTrayMessage;
    nid.hIcon = hIcon;
    lstrcpynA(nid.szTip, lpszTip ? lpszTip : "", 64);
    const BOOL result = Shell_NotifyIconA(dwMessage, &nid);
    if (hIcon)
        DestroyIcon(hIcon);
    return result;
}

LRESULT CMainDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kTrayMessage) {
        switch (UINT(lParam)) {
        case WM_LBUTTONDOWN:
        case NIN_BALLOONUSERCLICK:  // the alarm's notification
            Trace("Left button on tray icon.\n");
            ShowWindow(SW_RESTORE);
            ActivateWindow();
            break;
        case WM_RBUTTONDOWN:
            Trace("Right button on tray icon.\n");
            OnToggleChecking();
            break;
        default:
            break;
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CMainDlg::PlayAlarmSound()
{
    if (!m_data.m_bPlaySound) {
        Trace("User doesn't want any sound.\n");
        return;
    }
    const CString path = SoundFilePath(m_data.m_strSoundFileAlarm);
    Trace("Start playing sound, file %s\n", path.GetString());
    const BOOL result = PlaySoundA(path, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
    Trace("Play sound result: %d\n", result);
}

void CMainDlg::OnToggleChecking()
{
    m_data.m_bDoAlarm = !m_data.m_bDoAlarm;
    OnTimer(1);
}

void CMainDlg::OnCheckNow() { OnTimer(1); }

void CMainDlg::OnPushForward()
{
    m_data.m_reminderList.PushTimesForward();
    UpdateList(-1);
    // Nothing pushed is due now: the tray must stop alarming at once.
    ResetAlarmTimer();
}
