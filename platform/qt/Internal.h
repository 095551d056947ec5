#pragma once
// Inside platform/ only: how its pieces reach each other.

#include "platform/Resource.h"
#include "platform/Win32.h"

class QObject;
class QWidget;

// A control's id, set once when the dialog is built. (Controls.)
void AfxSetControlId(QWidget* control, int id);
bool AfxHasControlId(const QWidget* control);

// Widget properties the window layer keeps on every control.
inline constexpr const char* kStyleProperty = "talvoStyle";        // uint: WS_/BS_/... bits
inline constexpr const char* kClassProperty = "talvoClass";        // QByteArray: Win32 class name
inline constexpr const char* kMnemonicProperty = "talvoMnemonic";  // QChar: a label's '&' letter, upper case

// Builds the widget of one template control as a child of parent, with its
// text and style applied; null for an unknown class. The caller sets geometry,
// the id property and the tab order. (Controls.)
QWidget* AfxCreateControlWidget(const DialogItemTemplate& item, QWidget* parent);

// Stops every timer of a window being destroyed. (Timers.)
void AfxKillWindowTimers(HWND hWnd);
// Releases the hotkeys of a window being destroyed. (HotKey.)
void AfxReleaseWindowHotKeys(HWND hWnd);
// Connects the session manager's end-of-session request and SIGTERM to
// WM_QUERYENDSESSION of the main window. Called once by AfxWinInit. (Session.)
void AfxInstallSessionHandlers();

// Icons: a loaded icon knows its resource id (0 for none).
HICON AfxLoadIconHandle(UINT nID, int size = 0);
UINT AfxIconResourceId(HICON hIcon);

// Lets a control handle messages sent to its widget before the generic default
// processing (DefWindowProc, and messages to widgets without a CWnd). (Core.)
using AfxWidgetProc = BOOL (*)(QWidget* w, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
void AfxSetWidgetProc(QWidget* w, AfxWidgetProc proc);

// True while a modal dialog or message box of the program runs; windows
// report themselves disabled then. (Core.)
bool AfxInModalState();
// True while CWinApp::Run's message loop runs. (WinApp.)
bool AfxMainLoopRunning();
// The parent of what the platform keeps for the program's lifetime (the tray
// icon, the notification sender, notifiers): owned by the application object
// and ended before it, never among the statics after main. (WinApp.)
QObject* AfxProgramLifetime();
