// The one data file: the title, loading, saving, Open, Save and Save As.

#include "mainwnd/MainDlg.h"

#include "mainwnd/DataFile.h"
#include "model/ReminderMerge.h"
#include "platform/AtomicFile.h"
#include "platform/CommonDialogs.h"
#include "platform/FileSystem.h"
#include "platform/WholeFile.h"
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
    WatchListFile();
}

bool CMainDlg::SaveDataFile(bool askOnError)
{
    UpdateWindowTitle();
    WatchListFile();
    CReminderList& list = m_data.m_reminderList;
    TakeInChangesOnDisk();
    TakeInConflictCopies();
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

void CMainDlg::TakeInChangesOnDisk()
{
    CReminderList& list = m_data.m_reminderList;
    if (!m_savedList || m_strSavedFile != list.m_strFileName)
        return;  // no common version to merge from
    std::string disk;
    if (!ReadWholeFile(list.m_strFileName, disk) || disk == *m_savedList)
        return;  // unchanged, or gone: the list is written as it is
    CReminderList base, theirs;
    base.m_nZoneOffset = theirs.m_nZoneOffset = list.m_nZoneOffset;
    base.Parse(*m_savedList);
    if (!CReminderList::IsWhole(disk) || !theirs.Parse(disk)) {
        // Another program left something that is no whole list (or is still
        // writing it): it is kept aside before it is written over, never
        // merged, so a missing end never counts as deleted reminders.
        Trace("The file changed on disk and cannot be read; kept aside before the save.\n");
        m_strUnreadFile = list.GetFileName();
        return;
    }
    CReminderMergeReport report;
    CReminderList merged = MergeReminderLists(base, list, theirs, &report);
    if (!MergeKeepsEverything(base, list, theirs, merged)) {
        KeepMergeVersions(base, theirs);
        return;
    }
    Trace("The file changed on disk: %d reminders taken in, %d removed.\n", int(report.m_nAddedFromTheirs),
          int(report.m_nRemovedByTheirs));
    // The selection follows its reminder where the merge kept it.
    const std::optional<CReminder> selected = SelectedReminder();
    list = std::move(merged);
    m_savedList = std::move(disk);  // what the file holds now is the common version
    UpdateList(-1);
    SelectReminder(selected);
    ResetAlarmTimer();
    if (report.m_bKeptBothVersions)
        TellMergeKeptBoth();
}

std::optional<CReminder> CMainDlg::SelectedReminder() const
{
    const CReminderList& list = m_data.m_reminderList;
    const int sel = m_list.GetNextItem(-1, LVNI_SELECTED);
    return sel >= 0 && sel < list.GetCount() ? std::optional<CReminder>(list.GetAt(sel)) : std::nullopt;
}

void CMainDlg::SelectReminder(const std::optional<CReminder>& wanted)
{
    const CReminderList& list = m_data.m_reminderList;
    for (int i = 0; wanted && i < list.GetCount(); ++i) {
        const CReminder& r = list.GetAt(i);
        if (r.m_strText == wanted->m_strText && r.m_nTime == wanted->m_nTime && r.m_bRemind == wanted->m_bRemind &&
            r.m_nPushTime == wanted->m_nPushTime && r.m_bPush == wanted->m_bPush) {
            SelectItem(i);
            return;
        }
    }
}

void CMainDlg::KeepMergeVersions(const CReminderList& base, const CReminderList& theirs)
{
    // Never reached by a merge that works as designed: the three versions
    // are kept for the user, and the list is written as it is.
    const CString folder = DefaultDataFolder();
    CreateFolderPath(folder);
    const struct {
        const char* prefix;
        std::string bytes;
    } versions[] = {{"talvo-merge-base-", base.Serialize()},
                    {"talvo-merge-ours-", m_data.m_reminderList.Serialize()},
                    {"talvo-merge-theirs-", theirs.Serialize()}};
    for (const auto& v : versions) {
        const CString name = FreeFileName(JoinPath(folder, v.prefix), ".tlv");
        WriteFileAtomically(name.GetString(), v.bytes, true, nullptr, FileAccess::OwnerOnly);
        Trace("A merge would lose a reminder; kept %s\n", name.GetString());
    }
}

void CMainDlg::TellMergeKeptBoth()
{
    // A notification, not a box: it stands in no alarm's way, reaches a
    // hidden window's user, and a click on it brings the window.
    NOTIFYICONDATAA nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = m_hWnd;
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = NIIF_INFO;
    CString title, text;
    title.LoadString(AFX_IDS_APP_TITLE);
    text.LoadString(IDS_MERGE_KEPT_BOTH);
    lstrcpynA(nid.szInfoTitle, title, int(sizeof nid.szInfoTitle));
    lstrcpynA(nid.szInfo, text, int(sizeof nid.szInfo));
    Shell_NotifyIconA(NIM_MODIFY, &nid);
    Trace("%s\n", text.GetString());
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
    if (!ClaimDataFile(path))
        return;
    // A changed list on screen is saved first, as quitting saves it; No to
    // the save error keeps it on screen, and its claim.
    if (IsModified() && !SaveDataFile(true))
        return (void)ClaimDataFile(current);
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
    if (!ClaimDataFile(path))
        return;
    m_data.m_reminderList.SetFileName(path);
    SaveDataFile(true);
}
