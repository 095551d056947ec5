// Whether the notification area is there. The icon itself goes through the
// shell's Shell_NotifyIconA (see Seams.cpp).

#include "platform/Tray.h"

#include "platform/win32/Seams.h"

// Asked each time: Explorer may be restarting, or not started yet at login.
bool IsSystemTrayAvailable()
{
    if (AfxWin32Seam().trayAvailable >= 0)
        return AfxWin32Seam().trayAvailable == 1;
    return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}
