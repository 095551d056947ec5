#pragma once
// Inside platform/ only: where the test hooks steer the Windows layer. The
// system calls the program makes go through it (see the macros in the
// contract headers); unless the hooks switch recording on they pass straight
// through.

#include "platform/portable/Seams.h"

#include <optional>
#include <string>
#include <vector>

// Message boxes are still shown while the hooks answer them; queued
// file-dialog answers are taken in place of comdlg32's dialog, with its checks.
struct AfxWin32Seams : AfxWindowSeams {
    std::optional<std::string> moduleFileName;  // reported by GetModuleFileNameA when set
    HRESULT coInitializeResult = S_OK;          // CoInitialize fails with it when not S_OK
    // Argument lists, program first: CreateProcessA's, and ShellExecuteA's
    // (verb, file, parameters).
    std::vector<std::vector<std::string>> programsStarted;
    std::vector<std::vector<std::string>> shellRuns;
};
AfxWin32Seams& AfxWin32Seam();

// The resource id an icon handle of CWinApp::LoadIcon was loaded from, or 0.
UINT AfxIconResourceId(HICON hIcon);
void AfxNoteIconResource(HICON hIcon, UINT nID);
// Timers the window layer armed (CWnd::SetTimer), for the hooks.
void AfxNoteTimer(HWND hWnd, UINT_PTR id, UINT period, bool armed);
// Runs the action the hooks queued for a modal dialog that is up.
void AfxRunQueuedModalAction(HWND hDlg);
// WM_TIMECHANGE at hWnd: its armed timers fire, so that due times are
// checked against the new clock at once.
void AfxTimeChanged(HWND hWnd);
// WM_POWERBROADCAST at hWnd after a sleep: its timers whose time passed
// meanwhile fire now.
void AfxResumed(HWND hWnd);
