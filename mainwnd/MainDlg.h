#pragma once
// The main window: a modeless dialog with the reminder list, the edit panel,
// the tray icon, the timers and the hotkey. Its member functions are spread
// over a few files by concern: MainDlg.cpp (start-up, hiding, ending),
// MainDlgList.cpp (list and panel), MainDlgAlarm.cpp (timers and tray),
// MainDlgNavigate.cpp (due rows and search), MainDlgFile.cpp (data file),
// MainDlgOrder.cpp (moving, sorting, deleting), MainDlgQuit.cpp (hotkey and
// quitting).

#include "model/ReminderData.h"
#include "platform/Afx.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

// Set once at start-up; used by the application's accelerator filter.
extern HACCEL g_hAccel;
extern HWND g_hMainWnd;
// The find dialog's notification ("commdlg_FindReplace").
extern const UINT g_nFindReplaceMsg;
// Sent by a second start on the same data file: come forward.
extern const UINT g_nShowWindowMsg;

class CMainDlg : public CDialog {
public:
    // Creates the window at once: OnInitDialog runs inside the constructor.
    explicit CMainDlg(CWnd* pParent = nullptr);
    ~CMainDlg() override;

    CSpinButtonCtrl m_spinPushTime;
    CDateTimeCtrl m_ctlTime;
    CDateTimeCtrl m_ctlDate;
    CButton m_btnAdd;
    CListCtrl m_list;
    CTime m_date;
    CTime m_time;
    CString m_strText;
    BOOL m_bRemind = FALSE;
    BOOL m_bPush = FALSE;
    long m_nPushTime = 0;
    HICON m_hIcon = nullptr;
    CFindReplaceDialog* m_pFindDlg = nullptr;
    CImageList m_imageList;
    CReminderData m_data;
    bool m_bEditMode = false;
    int m_nTimeZone = 0;
    CString m_strFindText;
    bool m_bFindDown = true;
    bool m_bFindMatchCase = false;

    // List and edit panel.
    void UpdateList(int nItem);
    void OnNew();
    void ShowSelected();
    void SelectItem(int nItem);
    void UpdateItemIcon(int nItem);
    void SetEditMode(bool bChange);
    void OnDataChanged();

    // Alarm, timers and tray.
    void ResetAlarmTimer();
    void UpdateTrayIcon(int dueCount);
    BOOL TrayNotify(DWORD dwMessage, HICON hIcon, LPCSTR lpszTip, bool bSetTip);
    void PlayAlarmSound();
    // The desktop notification of an alarm (the tray icon's balloon).
    void ShowAlarmNotification(int dueCount);

    // Navigation.
    void GoToCurrent(bool bForward);

    // Data file.
    void UpdateWindowTitle();
    void LoadDataFile(bool reportError);
    bool SaveDataFile(bool askOnError);
    // Whether the list differs from what its file held when this program last
    // read or wrote it. Quitting, the session end, Open and the autosave
    // write only then: another program may have changed the file meanwhile.
    bool IsModified() const;
    // Writes the list to a new file in the application-data folder, for when
    // its own file cannot be written and nobody can be asked.
    bool SaveRecoveryFile();
    // Has the list's file watched, when its name changed: another program's
    // change shows while this one runs, not only at its next write.
    void WatchListFile();
    // Posted by the watch when the list's file may have changed on disk.
    static constexpr UINT kListChangedOnDiskMessage = WM_APP + 101;
    // How often a change on disk was taken into the list (for tests).
    int m_nChangesOnDiskTaken = 0;

    // Settings.
    void LoadSettings();
    void SaveSettings();

    // Hotkey and quitting.
    void RegisterAppHotKey();
    bool ActivateWindow();
    // Shows a hidden or iconified window and brings it forward.
    void ShowAndActivate();
    bool QuitApplication(bool askUser);

    // Moving and ordering.
    void MoveSelected(bool up);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Handlers (public so that the message map's thunks and tests reach them).
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnSize(UINT nType, int cx, int cy);
    void OnClose();
    void OnDestroy();
    void OnTimer(UINT_PTR nIDEvent);
    BOOL OnHelpInfo(HELPINFO* pHelpInfo);
    void OnExit();
    void OnAddOrChange();
    void OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    void OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnToggleChecking();
    void OnCheckNow();
    void OnPushForward();
    void OnNextCurrent();
    void OnPrevCurrent();
    void OnEditFind();
    LRESULT OnFindReplace(WPARAM wParam, LPARAM lParam);
    void OnFindNext();
    void OnNewMessage();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnMoveUp();
    void OnMoveDown();
    void OnSortDescending();
    void OnSortMarkedFirst();
    void OnSortByTime();
    void OnSortAlphabetical();
    void OnDelete();
    LRESULT OnHotKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnStartedAgain(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnListChangedOnDisk(WPARAM wParam, LPARAM lParam);
    void OnReadMe();
    void OnAbout();
    void OnSettings();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    BOOL OnInitDialog() override;
    DECLARE_MESSAGE_MAP()

private:
    // The list's indexes of the selected rows, ascending.
    std::vector<int> SelectedRows() const;
    // Runs the sort with the menu's two options.
    void SortList(bool byTime);
    // Whether menu command nID carries its check mark.
    bool IsMenuChecked(UINT nID) const;
    // Whether a hidden window could be brought back from the tray.
    bool CanHideToTray() const;
    // Copies a data file that could not be read aside before the first write
    // over it; false when that fails (and the write must not happen).
    bool KeepUnreadFile();
    // Takes the list as it is now as what its file holds.
    void RememberSavedList();
    // Before a write: what another program wrote to the file since this one
    // last read or wrote it is merged into the list (base = what was read or
    // written, theirs = the file now, ours = the list in memory).
    void TakeInChangesOnDisk();
    // The selected reminder, to select it again where a new list holds it.
    std::optional<CReminder> SelectedReminder() const;
    void SelectReminder(const std::optional<CReminder>& wanted);
    // Keeps the three versions of a merge that would lose a reminder.
    void KeepMergeVersions(const CReminderList& base, const CReminderList& theirs);
    // Says once, without a box, that a reminder changed on both sides is
    // kept in both versions.
    void TellMergeKeptBoth();
    // The copies a sync tool left beside the list when it could not merge:
    // each that reads as a list is merged in and saved, and removed only once
    // the save holds it. Called at start-up and before every write.
    void TakeInConflictCopies();

    // Set while UpdateList writes rows: its own check marks are not clicks.
    bool m_bFillingList = false;
    // Whether the alarm's notification may still be on screen.
    bool m_bAlarmNotified = false;
    // A data file that exists but could not be read: it is copied aside
    // before anything is written over it. Empty when there is none.
    CString m_strUnreadFile;
    // The list's bytes as last read from or written to m_strSavedFile; none
    // when the file could not be read (the list on screen is not the file's).
    // A copy, not a flag set by each command: no way of changing the list
    // can be missed, and a change undone is no change.
    std::optional<std::string> m_savedList;
    std::string m_strSavedFile;
    // Set while TakeInConflictCopies runs: its own saves do not look again.
    bool m_bTakingInCopies = false;
    // The file the watch is on.
    std::string m_strWatchedFile;

    static bool s_bTrayIconAdded;
    static bool s_bBlinkOn;
};
