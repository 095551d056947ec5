// Whether the notification area is there: the icon itself goes through the
// shell's Shell_NotifyIconA, which the program calls directly.

#include "platform/Tray.h"

// Asked each time: Explorer may be restarting, or not started yet at login.
bool IsSystemTrayAvailable() { return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }
