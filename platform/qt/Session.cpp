// The end of the session. The session manager's commit-data request asks the
// main window WM_QUERYENDSESSION, as Windows asks before a logout: a TRUE
// answer lets the logout go on, FALSE cancels it where the session manager
// allows that. When no questions may be asked (a logout without interaction,
// SIGTERM, SIGHUP, SIGINT, SIGQUIT) the question carries ENDSESSION_CRITICAL: the
// program saves what it can without asking; a signal then ends it, whatever
// dialog is open.

#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/Seams.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QWidget>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <vector>

namespace {

int g_signalPipe[2] = {-1, -1};
bool g_ending = false;

void OnSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    (void)!::write(g_signalPipe[1], &byte, 1);  // async-signal-safe
    errno = saved;
}

// The program's own top-level windows, as Windows finds the windows it asks:
// the main window even while it is still being set up (a message box of its
// start-up may be open), the dialogs of the moment, not the boxes.
std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> out;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        const HWND h = HandleFromWidget(w);
        if (!w->parentWidget() && ::IsWindow(h) && CWnd::FromHandlePermanent(h))
            out.push_back(h);
    }
    return out;
}

}  // namespace

bool AfxAskEndSession(LPARAM lParam)
{
    bool end = true;
    for (HWND h : TopLevelWindows())
        if (::IsWindow(h) && ::SendMessage(h, WM_QUERYENDSESSION, 0, lParam) == FALSE)
            end = false;
    return end;
}

namespace {

// Saves without questions and ends the program, once however many signals
// come. A dialog that is open (even one shown during start-up) closes with
// every other loop.
void EndNow()
{
    if (g_ending)
        return;
    g_ending = true;
    AfxAskEndSession(ENDSESSION_CRITICAL);
    for (HWND h : TopLevelWindows())
        ::SendMessage(h, WM_ENDSESSION, TRUE, ENDSESSION_CRITICAL);
    PostQuitMessage(0);
}

}  // namespace

void AfxInstallSessionHandlers()
{
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    QObject::connect(
        app, &QGuiApplication::commitDataRequest, app, [](QSessionManager& manager) {
            if (!manager.allowsInteraction()) {
                AfxAskEndSession(ENDSESSION_CRITICAL);  // the session ends anyway
                return;
            }
            bool end = AfxAskEndSession(0);
            manager.release();
            if (!end)
                manager.cancel();
        },
        Qt::DirectConnection);

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, AfxProgramLifetime());
    QObject::connect(notifier, &QSocketNotifier::activated, app, [] {
        char buf[16];
        while (::read(g_signalPipe[0], buf, sizeof buf) > 0) {
        }
        // Windows ends the process after the session's end without closing
        // any window; closing the main window would ask whether to quit.
        EndNow();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    // SIGQUIT (Ctrl+\ in a terminal) too: a core file is of no use to the
    // user, the unsaved reminders are.
    for (int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT})
        sigaction(signal, &sa, nullptr);
}
