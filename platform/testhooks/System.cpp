// The hooks on what the program asks of the system: message boxes, file
// dialogs, modal dialogs, timers, the tray, sound, hotkeys, programs started
// and the session's end. Linking them switches recording on.

#include "platform/testhooks/TestHooks.h"

#include "platform/Wnd.h"
#ifdef _WIN32
#include "platform/win32/Seams.h"
#else
#include "platform/posix/Seams.h"
#include "platform/qt/Seams.h"
#endif

namespace {

// Where the window layer and the system calls keep what is recorded: one
// place on Windows, the Qt layer and the POSIX layer elsewhere.
#ifdef _WIN32
auto& WindowSeam = AfxWin32Seam;
auto& SystemSeam = AfxWin32Seam;
#else
auto& WindowSeam = AfxQtSeam;
auto& SystemSeam = AfxPosixSeam;
#endif

[[maybe_unused]] const bool g_recording = [] {
    WindowSeam().recording = true;
    SystemSeam().recording = true;
    return true;
}();

}  // namespace

namespace testhooks {

void EnableMessageBoxHook(bool enable)
{
    WindowSeam().answerMessageBoxes = enable;
    if (!enable)
        WindowSeam().messageBoxAnswers.clear();
}

void QueueMessageBoxAnswer(int id) { WindowSeam().messageBoxAnswers.push_back(id); }

const std::vector<MessageBoxRecord>& MessageBoxes() { return WindowSeam().messageBoxes; }

void ClearMessageBoxes()
{
    WindowSeam().messageBoxes.clear();
    WindowSeam().messageBoxAnswers.clear();
}

void QueueFileDialogAnswer(const FileDialogAnswer& answer) { WindowSeam().fileDialogAnswers.push_back(answer); }

void QueueFileDialogPath(const std::string& path, DWORD filterIndex)
{
    FileDialogAnswer answer;
    answer.paths.push_back(path);
    answer.filterIndex = filterIndex;
    QueueFileDialogAnswer(answer);
}

void QueueFileDialogCancel()
{
    FileDialogAnswer answer;
    answer.cancel = true;
    QueueFileDialogAnswer(answer);
}

const std::vector<FileDialogRequest>& FileDialogRequests() { return WindowSeam().fileDialogRequests; }

void ClearFileDialogs()
{
    WindowSeam().fileDialogRequests.clear();
    WindowSeam().fileDialogAnswers.clear();
}

void QueueModalDialogAction(void (*action)(HWND hDlg, void* context), void* context)
{
    if (action)
        WindowSeam().modalActions.emplace_back(action, context);
}

bool IsTimerArmed(HWND hWnd, UINT_PTR id, UINT* period)
{
    for (const TimerInfo& t : AfxArmedTimers()) {
        if (t.hWnd == hWnd && t.id == id) {
            if (period)
                *period = t.period;
            return true;
        }
    }
    return false;
}

bool FireTimer(HWND hWnd, UINT_PTR id) { return AfxFireTimer(hWnd, id); }
void SimulateClockChange() { AfxExpireTimers(true, 0); }
void SimulateSuspend(unsigned long long milliseconds) { AfxExpireTimers(false, milliseconds); }

TrayState Tray() { return AfxTrayState(); }
void ClickTray(UINT mouseMessage) { AfxDeliverTrayMessage(mouseMessage); }

void SetTrayAvailable(int available)
{
    WindowSeam().trayAvailable = available;
    AfxRefreshTray();
}

const std::vector<std::string>& SoundsPlayed() { return WindowSeam().soundsPlayed; }
void ClearSounds() { WindowSeam().soundsPlayed.clear(); }
int Beeps() { return WindowSeam().beeps; }

std::vector<HotKeyRecord> RegisteredHotKeys() { return AfxRegisteredHotKeys(); }

const std::vector<std::vector<std::string>>& ProgramsStarted() { return SystemSeam().programsStarted; }
void ClearProgramsStarted() { SystemSeam().programsStarted.clear(); }
#ifdef _WIN32
// Windows' own associations open documents; the runs are ShellExecuteA's
// calls (verb, file, parameters).
void SetShellOpener(const std::string&) {}
const std::vector<std::vector<std::string>>& ShellOpenerRuns() { return SystemSeam().shellRuns; }
void ClearShellOpenerRuns() { SystemSeam().shellRuns.clear(); }
#else
void SetShellOpener(const std::string& program)
{
    SystemSeam().shellOpener = program;
}
const std::vector<std::vector<std::string>>& ShellOpenerRuns() { return SystemSeam().openerRuns; }
void ClearShellOpenerRuns() { SystemSeam().openerRuns.clear(); }
#endif

void SetModuleFileName(const char* path)
{
    if (path)
        SystemSeam().moduleFileName = path;
    else
        SystemSeam().moduleFileName.reset();
}

void SetCoInitializeResult(HRESULT hr) { SystemSeam().coInitializeResult = hr; }

bool QueryEndSession() { return AfxAskEndSession(0); }
bool QueryEndSessionWithoutQuestions() { return AfxAskEndSession(ENDSESSION_CRITICAL); }

}  // namespace testhooks
