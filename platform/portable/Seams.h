#pragma once
// Inside platform/ only: what the test hooks record and read, the same for
// every window layer, and the functions through which they observe and move
// it (each window layer implements them). Nothing is recorded unless the hooks
// have switched recording on.

#include "platform/Win32.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

struct AfxMessageBoxRecord {
    std::string text;
    std::string caption;
    UINT type = 0;                     // MB_ button, icon and default-button bits as asked
    std::vector<std::string> buttons;  // the labels shown, e.g. "Ja", "Nej", "Avbryt"
    HWND owner = nullptr;
    int answer = 0;  // IDYES, IDNO, ...
};

// What a file dialog was asked.
struct AfxFileDialogRequest {
    bool open = true;
    HWND owner = nullptr;
    std::string title;  // empty: the default caption
    std::string initialDir;
    std::string initialFile;                                   // lpstrFile's text at the call
    std::vector<std::pair<std::string, std::string>> filters;  // description, pattern
    DWORD filterIndex = 0;                                     // 1-based, as passed
    std::string defaultExt;
    DWORD flags = 0;
    DWORD structSize = 0;
    DWORD maxFile = 0;
};

// An answer given in place of the user. A relative path is taken in the
// dialog's start folder. filterIndex 0 keeps the type the dialog started with.
struct AfxFileDialogAnswer {
    bool cancel = false;
    std::vector<std::string> paths;
    DWORD filterIndex = 0;
};

using AfxModalAction = void (*)(HWND hDlg, void* context);

// What every window layer keeps for the hooks.
struct AfxWindowSeams {
    bool recording = false;
    // Message boxes are answered at once from the queue (an empty one gives
    // the default button) while answerMessageBoxes is on.
    bool answerMessageBoxes = false;
    std::deque<int> messageBoxAnswers;
    std::vector<AfxMessageBoxRecord> messageBoxes;
    // File dialogs take these answers in place of the user while any are queued.
    std::deque<AfxFileDialogAnswer> fileDialogAnswers;
    std::vector<AfxFileDialogRequest> fileDialogRequests;
    // Run once a modal dialog is up, one per dialog.
    std::deque<std::pair<AfxModalAction, void*>> modalActions;
    std::vector<std::string> soundsPlayed;
    int beeps = 0;
    int trayAvailable = -1;  // 1 yes, 0 no, -1 ask the desktop
};

// The window layer's state as the hooks read and move it.
struct AfxArmedTimer {
    HWND hWnd = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;  // milliseconds
};
std::vector<AfxArmedTimer> AfxArmedTimers();
// Makes an armed timer expire now; false when it is not armed.
bool AfxFireTimer(HWND hWnd, UINT_PTR id);
// As after the wall clock was set (every armed timer fires), or after a
// suspend of the given length (those whose deadlines passed fire).
void AfxExpireTimers(bool clockSet, unsigned long long suspendedMilliseconds);

struct AfxTrayShown {
    bool present = false;
    UINT iconId = 0;  // resource id of the icon shown
    std::string tip;
    std::string info;  // the balloon (desktop notification) shown, empty when none
    std::string infoTitle;
    UINT callbackMessage = 0;
    HWND hWnd = nullptr;
};
AfxTrayShown AfxTrayState();
// A message from the icon (a mouse button or NIN_BALLOONUSERCLICK).
void AfxDeliverTrayMessage(UINT message);
// Shows the icon again, as when the tray's availability changed.
void AfxRefreshTray();

struct AfxHotKeyRecord {
    HWND hWnd = nullptr;
    int id = 0;
    UINT modifiers = 0;
    UINT vk = 0;
};
std::vector<AfxHotKeyRecord> AfxRegisteredHotKeys();

// Asks every top-level window WM_QUERYENDSESSION with this lParam; true when
// all of them let the session end.
bool AfxAskEndSession(LPARAM lParam);
