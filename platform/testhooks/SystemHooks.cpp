// The hooks on what the program asks of the system: message boxes, file
// dialogs, modal dialogs, timers, the tray, sound, hotkeys, programs started
// and the session's end. Linking them switches recording on.

#include "platform/testhooks/TestHooks.h"

#include "platform/Wnd.h"

namespace {

[[maybe_unused]] const bool g_recording = [] {
    AfxQtSeam().recording = true;
    AfxPosixSeam().recording = true;
    return true;
}();

}  // namespace

namespace testhooks {

void EnableMessageBoxHook(bool enable)
{
    AfxQtSeam().answerMessageBoxes = enable;
    if (!enable)
        AfxQtSeam().messageBoxAnswers.clear();
}

void QueueMessageBoxAnswer(int id) { AfxQtSeam().messageBoxAnswers.push_back(id); }

const std::vector<MessageBoxRecord>& MessageBoxes() { return AfxQtSeam().messageBoxes; }

void ClearMessageBoxes()
{
    AfxQtSeam().messageBoxes.clear();
    AfxQtSeam().messageBoxAnswers.clear();
}

void QueueFileDialogAnswer(const FileDialogAnswer& answer) { AfxQtSeam().fileDialogAnswers.push_back(answer); }

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

const std::vector<FileDialogRequest>& FileDialogRequests() { return AfxQtSeam().fileDialogRequests; }

void ClearFileDialogs()
{
    AfxQtSeam().fileDialogRequests.clear();
    AfxQtSeam().fileDialogAnswers.clear();
}

void QueueModalDialogAction(void (*action)(HWND hDlg, void* context), void* context)
{
    if (action)
        AfxQtSeam().modalActions.emplace_back(action, context);
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
    AfxQtSeam().trayAvailable = available;
    AfxRefreshTray();
}

const std::vector<std::string>& SoundsPlayed() { return AfxQtSeam().soundsPlayed; }
void ClearSounds() { AfxQtSeam().soundsPlayed.clear(); }
int Beeps() { return AfxQtSeam().beeps; }

std::vector<HotKeyRecord> RegisteredHotKeys() { return AfxRegisteredHotKeys(); }

const std::vector<std::vector<std::string>>& ProgramsStarted() { return AfxPosixSeam().programsStarted; }
void ClearProgramsStarted() { AfxPosixSeam().programsStarted.clear(); }
void SetShellOpener(const std::string& program) { AfxPosixSeam().shellOpener = program; }
const std::vector<std::vector<std::string>>& ShellOpenerRuns() { return AfxPosixSeam().openerRuns; }
void ClearShellOpenerRuns() { AfxPosixSeam().openerRuns.clear(); }

void SetModuleFileName(const char* path)
{
    if (path)
        AfxPosixSeam().moduleFileName = path;
    else
        AfxPosixSeam().moduleFileName.reset();
}

void SetCoInitializeResult(HRESULT hr) { AfxPosixSeam().coInitializeResult = hr; }

bool QueryEndSession() { return AfxAskEndSession(0); }
bool QueryEndSessionWithoutQuestions() { return AfxAskEndSession(ENDSESSION_CRITICAL); }

}  // namespace testhooks
