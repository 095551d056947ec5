#pragma once
// Hooks through which tests drive and observe the real widgets. Qt-free.
// Nothing here replaces a component: message boxes and file dialogs are still
// built, the hook only answers them in place of the user. Linked into tests
// only; a program that links them records what the hooks report (message
// boxes, file dialogs, sounds, beeps, programs started), which production
// never does.

#include "platform/Win32.h"
#include "platform/portable/Seams.h"

#include <string>
#include <vector>

namespace testhooks {

// ---- Event loop -------------------------------------------------------------
// Processes pending events (posted messages, queued notifications).
void ProcessEvents();

// ---- Input ------------------------------------------------------------------
// Sends WM_COMMAND with this id to the window, as a menu choice would.
void PostCommand(HWND hWnd, UINT nID);
// Delivers a real key press (and release) to the widget that has the focus in
// hWnd's window, or to hWnd itself when focusOnly is false. Goes through the
// application's message filter and PreTranslateMessage like a typed key.
void SendKey(HWND hWnd, UINT vk, bool shift = false, bool ctrl = false, bool alt = false);
// Closes the window as its title-bar button would (WM_CLOSE).
void ClickClose(HWND hWnd);
// Minimises the window as its title-bar button would.
void ClickMinimize(HWND hWnd);
// Runs an entry of the window's menu bar, or of its system menu (which Qt
// does not show; Alt+Space pops it up), as a click would: WM_COMMAND or
// WM_SYSCOMMAND. False when there is no such enabled entry.
bool ClickMenuItem(HWND hWnd, UINT nID);
bool ClickSystemMenuItem(HWND hWnd, UINT nID);
// Clicks a button (BN_CLICKED through the real widget).
void ClickButton(HWND hButton);
// Sets an edit's text as typing would.
void TypeText(HWND hEdit, const char* text);
// List view: click an item's check box / select rows as the user would.
void ClickListCheckBox(HWND hList, int nItem);
void ClickListItem(HWND hList, int nItem, bool ctrl = false, bool shift = false);
void ClickListColumn(HWND hList, int nCol);
struct ListRow {
    std::vector<std::string> texts;  // one per column
    int image = 0;
    bool checked = false;
    bool selected = false;
};
std::vector<ListRow> ListRows(HWND hList);
std::vector<int> ListColumnWidths(HWND hList);
// Checked state of a check box or radio button.
bool IsChecked(HWND hButton);
// The window's text as shown (button labels, edits, captions), UTF-8.
std::string WindowText(HWND hWnd);
// The part of a one-line edit's text that is on screen, UTF-8.
std::string VisibleEditText(HWND hEdit);
// The widget that has the keyboard focus (its HWND), or null.
HWND FocusWindow();

// ---- Message boxes ----------------------------------------------------------
using MessageBoxRecord = AfxMessageBoxRecord;
// While enabled, message boxes are still built (with their real buttons) but
// answered at once from the queue; an empty queue answers the default button.
void EnableMessageBoxHook(bool enable);
void QueueMessageBoxAnswer(int id);
const std::vector<MessageBoxRecord>& MessageBoxes();
void ClearMessageBoxes();

// ---- File dialogs -------------------------------------------------------------
using FileDialogRequest = AfxFileDialogRequest;
using FileDialogAnswer = AfxFileDialogAnswer;
// Answers the next dialogs in place of the user. The real dialog is still
// built and shown; each entry picks its type in the dialog's list and is
// taken with the checks the user's own choice gets, or cancels it. An answer
// the dialog does not take (an existing file whose overwrite question is
// answered No, a missing file under OFN_FILEMUSTEXIST) makes it take the next
// entry; with none left it is cancelled. The overwrite question is a
// MessageBoxA: answer it through the message-box hook. Without a QApplication
// the answers are taken with the same checks, and no dialog.
void QueueFileDialogAnswer(const FileDialogAnswer& answer);
void QueueFileDialogPath(const std::string& path, DWORD filterIndex = 0);
void QueueFileDialogCancel();
const std::vector<FileDialogRequest>& FileDialogRequests();
// Forgets the requests and any answers still queued.
void ClearFileDialogs();

// ---- Modal dialogs ----------------------------------------------------------
// Called with the dialog's HWND once a modal dialog (DoModal) is up and its
// OnInitDialog has run; the callback drives it (e.g. ClickButton on IDOK).
// One callback per queued entry, in order.
void QueueModalDialogAction(void (*action)(HWND hDlg, void* context), void* context = nullptr);

// ---- Timers -----------------------------------------------------------------
using TimerInfo = AfxArmedTimer;
// True when timer id of hWnd is armed; its period in *period.
bool IsTimerArmed(HWND hWnd, UINT_PTR id, UINT* period = nullptr);
// Makes an armed timer expire now (the WM_TIMER arrives as from the system).
bool FireTimer(HWND hWnd, UINT_PTR id);
// The timer source's clock seam: simulate the wall clock being set, or a
// suspend of the given length (armed timers whose deadlines passed fire).
void SimulateClockChange();
void SimulateSuspend(unsigned long long milliseconds);

// ---- Tray -------------------------------------------------------------------
using TrayState = AfxTrayShown;
TrayState Tray();
// A mouse button on the tray icon (WM_LBUTTONDOWN or WM_RBUTTONDOWN), or a
// click on its balloon (NIN_BALLOONUSERCLICK).
void ClickTray(UINT mouseMessage);
// Whether the desktop offers a tray; tests may pretend either way.
void SetTrayAvailable(int available);  // 1 yes, 0 no, -1 ask the desktop

// ---- Sound and hotkeys -------------------------------------------------------
const std::vector<std::string>& SoundsPlayed();  // paths PlaySoundA was asked to play
void ClearSounds();
using HotKeyRecord = AfxHotKeyRecord;
std::vector<HotKeyRecord> RegisteredHotKeys();

// ---- Programs and files -------------------------------------------------------
// The argument lists of the programs CreateProcessA started.
const std::vector<std::vector<std::string>>& ProgramsStarted();
void ClearProgramsStarted();
// Runs this program instead of xdg-open (empty restores xdg-open).
void SetShellOpener(const std::string& program);
// The argument lists of the openers started so far (program first).
const std::vector<std::vector<std::string>>& ShellOpenerRuns();
void ClearShellOpenerRuns();
// Makes GetModuleFileNameA report this path; null restores the real one.
void SetModuleFileName(const char* path);
// Makes the next CoInitialize calls return hr (S_OK restores the real behaviour).
void SetCoInitializeResult(HRESULT hr);

// ---- Session end -------------------------------------------------------------
// Runs the session manager's end-of-session question; returns the program's
// answer. Without questions: as a logout that allows none, or a SIGTERM.
bool QueryEndSession();
bool QueryEndSessionWithoutQuestions();

// ---- Window state -------------------------------------------------------------
bool IsForeground(HWND hWnd);
// A control's text colour, tooltip and whether its font is underlined.
COLORREF TextColor(HWND hWnd);
std::string ToolTip(HWND hWnd);
bool IsUnderlined(HWND hWnd);
// How many times MessageBeep was called.
int Beeps();

}  // namespace testhooks
