// The end of the session: the session manager's commit-data request and
// SIGTERM both ask the main window WM_QUERYENDSESSION, as Windows asks before
// a logout. A TRUE answer lets the session end (SIGTERM then ends the message
// loop); FALSE cancels the logout where the session manager allows it.

#include "platform/Internal.h"
#include "platform/QtHandles.h"
#include "platform/TestHooks.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSigterm(int)
{
    const char byte = 1;
    (void)!::write(g_signalPipe[1], &byte, 1);  // async-signal-safe
}

bool AskMainWindow()
{
    CWnd* main = AfxGetMainWnd();
    if (!main || !::IsWindow(main->m_hWnd))
        return true;
    return ::SendMessage(main->m_hWnd, WM_QUERYENDSESSION, 0, 0) != FALSE;
}

} // namespace

void AfxInstallSessionHandlers()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    QObject::connect(app, &QGuiApplication::commitDataRequest, app, [](QSessionManager& manager) {
        if (!manager.allowsInteraction())
            return;  // no questions allowed; the autosave has kept the file current
        bool end = AskMainWindow();
        manager.release();
        if (!end)
            manager.cancel();
    }, Qt::DirectConnection);

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] {
        char buf[16];
        while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {
        }
        // Windows ends the process after a TRUE answer without closing any
        // window; quit() would close them, and the main window's WM_CLOSE
        // asks the user whether to quit.
        if (AskMainWindow())
            QCoreApplication::exit(0);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSigterm;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
}

namespace testhooks {

bool QueryEndSession() { return AskMainWindow(); }

} // namespace testhooks
