// The one data file: the title, loading, saving, Open, Save and Save As.

#include "mainwnd/MainDlg.h"

#include "mainwnd/DataFile.h"
#include "platform/AtomicFile.h"
#include "platform/CommonDialogs.h"
#include "platform/FileSystem.h"
#include "res/resource.h"
#include "support/ShellHelpers.h"

void CMainDlg::UpdateWindowTitle()
{
    CString title;
    title.LoadString(AFX_IDS_APP_TITLE);
    SetWindowText(title + " - " + GetFileNamePart(m_data.m_reminderList.GetFileName()));
}

void CMainDlg::LoadDataFile(bool reportError)
{
    CReminderList& list = m_data.m_reminderList;
    const bool loaded = list.Load();
    Trace(loaded ? "No problems when reading file.\n" : "Couldn't read file.\n");
    m_strUnreadFile = !loaded && FileExists(list.GetFileName()) ? list.GetFileName() : "";
    // A list that could not be read counts as changed: the next save of any
    // kind writes it (the unreadable file kept aside first), as 60302 warns.
    if (loaded)
        RememberSavedList();
    else
        m_savedList.reset();
    if (!loaded && reportError) {
        CString format, text;
        format.LoadString(IDS_LOAD_FAILED);
        text.Format(format, list.GetFileName());
        MessageBox(text, nullptr, MB_OK | MB_ICONSTOP);
    }
    UpdateList(-1);
    OnNew();
    ResetAlarmTimer();
    UpdateWindowTitle();
    KillTimer(3);
}

bool CMainDlg::SaveDataFile(bool askOnError)
{
    UpdateWindowTitle();
    CReminderList& list = m_data.m_reminderList;
    if (KeepUnreadFile() && list.Save()) {
        RememberSavedList();
        Trace("File saved.\n");
        return true;
    }
    if (!askOnError)
        return false;
    CString format, text;
    format.LoadString(IDS_SAVE_FAILED);
    text.Format(format, list.GetFileName());
    if (MessageBox(text, nullptr, MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES) {
        Trace("Couldn't save file, but user doesn't care.\n");
        return true;
    }
    Trace("Couldn't save file.\n");
    return false;
}

void CMainDlg::RememberSavedList()
{
    const CReminderList& list = m_data.m_reminderList;
    m_savedList = list.Serialize();
    m_strSavedFile = list.m_strFileName;
}

bool CMainDlg::IsModified() const
{
    const CReminderList& list = m_data.m_reminderList;
    return !m_savedList || m_strSavedFile != list.m_strFileName || *m_savedList != list.Serialize();
}

bool CMainDlg::KeepUnreadFile()
{
    if (m_strUnreadFile.IsEmpty() || m_strUnreadFile != m_data.m_reminderList.GetFileName())
        return true;
    if (FileExists(m_strUnreadFile)) {
        // "talvo.tlv.unreadable-20261207-221500" beside it.
        const CString copy = FreeFileName(m_strUnreadFile + ".unreadable-", "");
        if (!CopyFileA(m_strUnreadFile, copy, TRUE)) {
            Trace("Couldn't keep the unreadable file %s.\n", m_strUnreadFile.GetString());
            return false;
        }
        Trace("Kept the unreadable file as %s.\n", copy.GetString());
    }
    m_strUnreadFile.Empty();
    return true;
}

bool CMainDlg::SaveRecoveryFile()
{
    const CString folder = DefaultDataFolder();
    CreateFolderPath(folder);
    const CString name = FreeFileName(JoinPath(folder, "talvo-recovery-"), ".tlv");
    // The user's alone, wherever the data folder lies.
    const bool saved = WriteFileAtomically(name.GetString(), m_data.m_reminderList.Serialize(), true, nullptr,
                                           FileAccess::OwnerOnly);
    Trace("Recovery file %s: %d\n", name.GetString(), int(saved));
    return saved;
}

void CMainDlg::OnFileOpen()
{
    Trace("Show opendialog\n");
    CString filter;
    filter.LoadString(IDS_FILE_FILTER);
    const CString current = m_data.m_reminderList.GetFileName();
    CString path;
    if (!ShowFileDialog(path, true, m_hWnd, current, current, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, filter,
                        nullptr, nullptr, nullptr, 260))
        return;
    // A changed list on screen is saved first, as quitting saves it; No to
    // the save error keeps it on screen.
    if (IsModified() && !SaveDataFile(true))
        return;
    m_data.m_reminderList.SetFileName(path);
    LoadDataFile(true);
}

void CMainDlg::OnFileSave()
{
    Trace("Save file!\n");
    SaveDataFile(true);
}

void CMainDlg::OnFileSaveAs()
{
    Trace("Show savedialog\n");
    CString filter, ext;
    filter.LoadString(IDS_FILE_FILTER);
    ext.LoadString(IDS_DEFAULT_EXT);
    const CString current = m_data.m_reminderList.GetFileName();
    CString path;
    if (!ShowFileDialog(path, false, m_hWnd, current, current, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, filter, ext,
                        nullptr, nullptr, 260))
        return;
    m_data.m_reminderList.SetFileName(path);
    SaveDataFile(true);
}
