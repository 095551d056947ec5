// Another program's change to the list's file, seen while this one runs: an
// unchanged list is read again, a changed one takes the change in at once
// (and is written with it at its next write).

#include "mainwnd/MainDlg.h"

#include "platform/FileWatch.h"
#include "platform/WholeFile.h"

void CMainDlg::WatchListFile()
{
    const std::string& file = m_data.m_reminderList.m_strFileName;
    if (file == m_strWatchedFile)
        return;
    m_strWatchedFile = file;
    if (!AfxWatchFile(m_hWnd, file.c_str(), kListChangedOnDiskMessage))
        Trace("Cannot watch the folder of %s.\n", file.c_str());
}

LRESULT CMainDlg::OnListChangedOnDisk(WPARAM, LPARAM)
{
    // The folder changed: a sync tool may have left a conflict copy there.
    TakeInConflictCopies();
    CReminderList& list = m_data.m_reminderList;
    std::string disk;
    // Gone, or what this program read or wrote last (its own save): nothing
    // to take in. The next write writes the list whatever the file holds.
    if (!ReadWholeFile(list.m_strFileName, disk) ||
        (m_savedList && m_strSavedFile == list.m_strFileName && disk == *m_savedList))
        return 0;
    CReminderList theirs = list;
    if (!CReminderList::IsWhole(disk) || !theirs.Parse(disk)) {
        // An editor may be writing it in place: the next change or write sees it.
        Trace("The list changed on disk and cannot be read now.\n");
        return 0;
    }
    const bool modified = IsModified();
    if (!modified && theirs.Serialize() == list.Serialize()) {
        RememberSavedList();
        return 0;
    }

    // The panel stays as the user left it, unless the reminder it shows is gone.
    UpdateData(TRUE);
    const bool editing = m_bEditMode;
    const CString text = m_strText;
    const CTime date = m_date, time = m_time;
    const BOOL remind = m_bRemind, push = m_bPush;
    const long pushTime = m_nPushTime;
    if (modified) {
        TakeInChangesOnDisk();
        Trace("The list changed on disk: merged.\n");
    } else {
        const std::optional<CReminder> selected = SelectedReminder();
        list = std::move(theirs);
        RememberSavedList();
        UpdateList(-1);
        SelectReminder(selected);
        ResetAlarmTimer();
        Trace("The list changed on disk: reloaded.\n");
    }
    ++m_nChangesOnDiskTaken;
    if (editing && m_list.GetNextItem(-1, LVNI_SELECTED) < 0) {
        OnNew();
        return 0;
    }
    m_strText = text;
    m_date = date;
    m_time = time;
    m_bRemind = remind;
    m_bPush = push;
    m_nPushTime = pushTime;
    UpdateData(FALSE);
    SetEditMode(editing);
    return 0;
}
