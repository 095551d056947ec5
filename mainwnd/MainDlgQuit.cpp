// The global hotkey, bringing the window forward, and the one way out.

#include "mainwnd/MainDlg.h"

#include "res/resource.h"

void CMainDlg::RegisterAppHotKey()
{
    UnregisterHotKey(m_hWnd, 1);
    Trace("Hotkey unregistred.\n");
    if (m_data.m_wHotKey == 0) {
        Trace("No hotkey set.\n");
        return;
    }
    const WORD mods = m_data.m_wHotModifier;
    UINT fsModifiers = 0;
    if (mods & HOTKEYF_SHIFT)
        fsModifiers |= MOD_SHIFT;
    if (mods & HOTKEYF_CONTROL)
        fsModifiers |= MOD_CONTROL;
    if (mods & HOTKEYF_ALT)
        fsModifiers |= MOD_ALT;
    if (mods & 8)
        fsModifiers |= MOD_WIN;
    if (!RegisterHotKey(m_hWnd, 1, fsModifiers, m_data.m_wHotKey)) {
        Trace("Can't use current HotKey.\n");
        CString text;
        text.LoadString(IDS_HOTKEY_FAILED);
        MessageBox(text, nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    Trace("Hotkey set without problems.\n");
}

LRESULT CMainDlg::OnHotKey(WPARAM, LPARAM)
{
    Trace("Hotkey pressed!\n");
    ShowAndActivate();
    return 0;
}

LRESULT CMainDlg::OnStartedAgain(WPARAM, LPARAM)
{
    Trace("Started again on the same file.\n");
    ShowAndActivate();
    return 0;
}

void CMainDlg::ShowAndActivate()
{
    // An iconified window counts as visible, but the user cannot see it.
    if (!IsWindowVisible() || IsIconic())
        ShowWindow(SW_RESTORE);
    ActivateWindow();
}

bool CMainDlg::ActivateWindow()
{
    if (!IsWindowEnabled()) {
        Trace("Couldn't set focus to mainwindow.\n");
        return false;
    }
    SetForegroundWindow();
    BringWindowToTop();
    Trace("Set focus on window.\n");
    return true;
}

bool CMainDlg::QuitApplication(bool askUser)
{
    if (askUser) {
        CString text;
        text.LoadString(IDS_ASK_QUIT);
        if (MessageBox(text, nullptr, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3) != IDYES) {
            Trace("Don't quit, user doesn't want.\n");
            return false;
        }
    }
    Trace("Trying to quit...\n");
    if (!IsModified()) {
        Trace("Nothing changed, the file is not written.\n");
    } else if (!SaveDataFile(true)) {
        Trace("Don't quit, couldn't save.\n");
        return false;
    }
    SaveSettings();
    Trace("OK to quit!\n");
    return true;
}

LRESULT CMainDlg::OnQueryEndSession(WPARAM, LPARAM lParam)
{
    Trace("Windows want's to quit...\n");
    if (lParam & ENDSESSION_CRITICAL) {
        // The session ends whatever is answered, and nobody can be asked:
        // what cannot go to its own file goes to a recovery file.
        if (IsModified() && !SaveDataFile(false))
            SaveRecoveryFile();
        SaveSettings();
        return TRUE;
    }
    return QuitApplication(false) ? TRUE : FALSE;
}
