// The copies sync tools leave beside the list when they cannot merge
// (model/ConflictCopy.h): taken into the list, then removed.

#include "mainwnd/MainDlg.h"

#include "model/ConflictCopy.h"
#include "model/ReminderMerge.h"
#include "platform/FileFind.h"
#include "platform/FileSystem.h"
#include "platform/WholeFile.h"
#include "support/ShellHelpers.h"

#include <algorithm>
#include <string>
#include <vector>

void CMainDlg::TakeInConflictCopies()
{
    // Its own saves come back through SaveDataFile.
    if (m_bTakingInCopies)
        return;
    m_bTakingInCopies = true;
    CReminderList& list = m_data.m_reminderList;
    const std::string listPath = list.m_strFileName;
    std::vector<std::string> copies;
    CFileFind finder;
    BOOL more = finder.FindFile(GetFolderPart(listPath.c_str()) + "*");
    while (more) {
        more = finder.FindNextFile();
        if (!finder.IsDirectory() && IsConflictCopyName(listPath, finder.GetFileName().GetString()))
            copies.push_back(finder.GetFilePath().GetString());
    }
    finder.Close();
    std::sort(copies.begin(), copies.end());  // oldest first where names hold a date
    // The list as its file holds it now comes first: a sync tool that made
    // a copy of this program's version put the other computer's in its
    // place, and the copy is merged against that.
    if (!copies.empty())
        TakeInChangesOnDisk();
    for (const std::string& path : copies) {
        if (!m_savedList || m_strSavedFile != list.m_strFileName) {
            // Without the list as its file holds it there is nothing to merge into.
            Trace("The list could not be read; conflict copies are left alone.\n");
            break;
        }
        std::string bytes;
        CReminderList copy;
        copy.m_nZoneOffset = list.m_nZoneOffset;
        // Read only whole: a copy still being written would lose its end.
        if (!ReadWholeFile(path, bytes) || !CReminderList::IsWhole(bytes) || !copy.Parse(bytes)) {
            Trace("Conflict copy %s cannot be read as a whole list; left where it is.\n", path.c_str());
            continue;
        }
        CReminderList saved;
        saved.m_nZoneOffset = list.m_nZoneOffset;
        saved.Parse(*m_savedList);
        const CReminderList base = ConflictCopyBase(saved, copy);
        CReminderMergeReport report;
        CReminderList merged = MergeReminderLists(base, list, copy, &report);
        if (!MergeKeepsEverything(base, list, copy, merged)) {
            Trace("Merging conflict copy %s would lose a reminder; left where it is.\n", path.c_str());
            continue;
        }
        list = std::move(merged);
        UpdateList(-1);
        ResetAlarmTimer();
        if (!SaveDataFile(false)) {
            Trace("The list with conflict copy %s could not be saved; the copy stays.\n", path.c_str());
            break;
        }
        // The copy's content is in the saved file now.
        if (DeleteFileA(path.c_str()))
            Trace("Conflict copy %s taken in (%d reminders) and removed.\n", path.c_str(),
                  int(report.m_nAddedFromTheirs));
        else
            Trace("Conflict copy %s taken in but could not be removed.\n", path.c_str());
        if (report.m_bKeptBothVersions)
            TellMergeKeptBoth();
    }
    m_bTakingInCopies = false;
}
