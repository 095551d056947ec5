#pragma once
#include "platform/Win32.h"

#ifndef _WIN32
// The notification-area icon. NIM_ADD/NIM_MODIFY/NIM_DELETE; clicks arrive at
// hWnd as uCallbackMessage with the mouse message (WM_LBUTTONDOWN,
// WM_RBUTTONDOWN) in lParam. The icon is copied; the caller keeps its handle.
// Returns FALSE where the desktop has no tray (the state is kept and shown
// once a tray appears).
BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData);
#else
// shell32's, with what it shows kept for tests.
BOOL AfxShellNotifyIcon(DWORD dwMessage, PNOTIFYICONDATAA lpData);
#define Shell_NotifyIconA AfxShellNotifyIcon
#endif

// Whether a tray is available now (asked when it matters, not only at start).
bool IsSystemTrayAvailable();
