// The notification-area icon on QSystemTrayIcon. The state is kept even while
// the desktop has no tray, so the icon appears with the right image and tip
// once a tray shows up.

#include "platform/Tray.h"

#include "platform/qt/Internal.h"
#include "platform/qt/Notification.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/Seams.h"
#include "platform/qt/TextCodec.h"
#include "platform/Wnd.h"
#include "platform/qt/WndCore.h"

#include <QPointer>
#include <QSystemTrayIcon>

#include <cstring>
#include <string>

namespace {

struct TrayIcon {
    bool present = false;
    HWND hWnd = nullptr;
    UINT uID = 0;
    UINT callback = 0;
    HICON hIcon = nullptr;
    UINT iconId = 0;
    QIcon icon;  // a copy: the caller may destroy its handle
    std::string tip;
    std::string info;  // the balloon's text and title, empty when none is shown
    std::string infoTitle;
    // Owned by the application object, so it ends before the application
    // does, never among the statics at exit.
    QPointer<QSystemTrayIcon> shown;
};

TrayIcon g_tray;

// Win32 cuts a text at its field's size less the terminator. A caller that
// cut its own text to fit may have split a UTF-8 character; an incomplete
// last character is dropped whole.
std::string CutText(const char* tip, size_t limit)
{
    size_t n = strnlen(tip, limit);
    size_t lead = n;
    while (lead > 0 && (static_cast<unsigned char>(tip[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0) {
        const unsigned char c = static_cast<unsigned char>(tip[lead - 1]);
        const size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3
                                        : c >= 0xC0   ? 2
                                                      : 1;
        if (lead - 1 + need > n)
            n = lead - 1;
    }
    return std::string(tip, n);
}

void Deliver(UINT mouseMessage)
{
    if (g_tray.present && g_tray.hWnd && ::IsWindow(g_tray.hWnd))
        ::SendMessage(g_tray.hWnd, g_tray.callback, WPARAM(g_tray.uID), LPARAM(mouseMessage));
}

// The first layout (88 bytes) has no balloon and a 64-byte tip.
constexpr DWORD kFirstLayoutSize = 88;

// The icon is shown whether or not a tray is there now: Qt puts it into a
// tray as soon as one comes up (at login the tray often starts after us).
void Show()
{
    if (!g_tray.present) {
        delete g_tray.shown;
        return;
    }
    if (!g_tray.shown) {
        g_tray.shown = new QSystemTrayIcon(AfxProgramLifetime());
        QObject::connect(g_tray.shown, &QSystemTrayIcon::activated,
                         [](QSystemTrayIcon::ActivationReason reason) {
                             if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                                 Deliver(WM_LBUTTONDOWN);
                             else if (reason == QSystemTrayIcon::Context)
                                 Deliver(WM_RBUTTONDOWN);
                         });
    }
    g_tray.shown->setIcon(g_tray.icon);
    g_tray.shown->setToolTip(FromAnsi(g_tray.tip.c_str()));
    g_tray.shown->show();
}

}  // namespace

bool IsSystemTrayAvailable()
{
    if (AfxQtSeam().trayAvailable >= 0)
        return AfxQtSeam().trayAvailable == 1;
    return QSystemTrayIcon::isSystemTrayAvailable();
}

BOOL Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA d)
{
    if (!d)
        return FALSE;
    switch (dwMessage) {
    case NIM_ADD:
        if (g_tray.present)
            return FALSE;  // one icon per program, as Talvo uses it
        g_tray.present = true;
        g_tray.hWnd = d->hWnd;
        g_tray.uID = d->uID;
        g_tray.tip.clear();
        g_tray.info.clear();
        g_tray.iconId = 0;
        g_tray.icon = QIcon();
        [[fallthrough]];
    case NIM_MODIFY:
        if (!g_tray.present || d->hWnd != g_tray.hWnd || d->uID != g_tray.uID)
            return FALSE;
        if (d->uFlags & NIF_MESSAGE)
            g_tray.callback = d->uCallbackMessage;
        if (d->uFlags & NIF_ICON) {
            g_tray.hIcon = d->hIcon;
            g_tray.iconId = AfxIconResourceId(d->hIcon);
            const QIcon* icon = AfxIconFromHandle(d->hIcon);
            g_tray.icon = icon ? *icon : QIcon();
        }
        if (d->uFlags & NIF_TIP)
            g_tray.tip = CutText(d->szTip, d->cbSize <= kFirstLayoutSize ? 63 : sizeof d->szTip - 1);
        if ((d->uFlags & NIF_INFO) && d->cbSize > kFirstLayoutSize) {
            g_tray.info = CutText(d->szInfo, sizeof d->szInfo - 1);
            g_tray.infoTitle = CutText(d->szInfoTitle, sizeof d->szInfoTitle - 1);
            if (g_tray.info.empty())
                AfxWithdrawNotification();
            else
                AfxShowNotification(FromAnsi(g_tray.infoTitle.c_str()), FromAnsi(g_tray.info.c_str()),
                                    [] { Deliver(NIN_BALLOONUSERCLICK); });
        }
        Show();
        return IsSystemTrayAvailable() ? TRUE : FALSE;
    case NIM_DELETE:
        if (!g_tray.present || d->hWnd != g_tray.hWnd || d->uID != g_tray.uID)
            return FALSE;
        delete g_tray.shown;
        g_tray.present = false;
        if (!g_tray.info.empty())
            AfxWithdrawNotification();
        g_tray.info.clear();
        return TRUE;
    default:
        return FALSE;
    }
}

AfxTrayShown AfxTrayState()
{
    return AfxTrayShown{g_tray.present, g_tray.iconId, g_tray.tip, g_tray.info,
                        g_tray.infoTitle, g_tray.callback, g_tray.hWnd};
}

void AfxDeliverTrayMessage(UINT message) { Deliver(message); }

void AfxRefreshTray() { Show(); }
