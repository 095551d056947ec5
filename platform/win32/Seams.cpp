// The system calls the program makes, passed through to Windows, and kept
// for the test hooks when they record: message boxes (answered in place of
// the user while the hooks ask it), file dialogs, the tray, hotkeys, sounds,
// beeps, programs started, timers.

#include "platform/win32/Seams.h"

#include "platform/CommonDialogs.h"
#include "platform/FileSystem.h"
#include "platform/HotKey.h"
#include "platform/Shell.h"
#include "platform/ShellLink.h"
#include "platform/Tray.h"
#include "platform/WinApp.h"
#include "platform/win32/Internal.h"

#include <algorithm>
#include <cstring>
#include <map>

// The system's own calls, under the names the contract headers took over.
#undef MessageBoxA
#undef MessageBeep
#undef Shell_NotifyIconA
#undef RegisterHotKey
#undef UnregisterHotKey
#undef GetOpenFileNameA
#undef GetSaveFileNameA
#undef ShellExecuteA
#undef CreateProcessA
#undef GetModuleFileNameA
#undef CoInitialize

AfxWin32Seams& AfxWin32Seam()
{
    static AfxWin32Seams seams;
    return seams;
}

namespace {

// ---- Message boxes -----------------------------------------------------------------------

struct PendingBox {
    AfxMessageBoxRecord* record = nullptr;
    bool answered = false;
};
PendingBox* g_pendingBox = nullptr;

std::string ButtonLabel(HWND hButton)
{
    wchar_t text[128] = {};
    ::GetWindowTextW(hButton, text, 127);
    std::string label = AfxNarrow(text);
    label.erase(std::remove(label.begin(), label.end(), '&'), label.end());
    return label;
}

// Once the box has laid itself out: its buttons as shown, left to right, and
// the answer clicked.
LRESULT CALLBACK AnswerBox(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    wchar_t cls[16] = {};
    if (code == HC_ACTION && g_pendingBox && !g_pendingBox->answered && call->message == WM_INITDIALOG &&
        ::GetClassNameW(call->hwnd, cls, 16) && std::wcscmp(cls, L"#32770") == 0) {
        g_pendingBox->answered = true;
        std::vector<std::pair<LONG, HWND>> buttons;
        for (HWND c = ::GetWindow(call->hwnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            wchar_t childClass[16] = {};
            RECT r{};
            if (::GetClassNameW(c, childClass, 16) && _wcsicmp(childClass, L"Button") == 0 &&
                (::GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE) &&
                ::GetWindowRect(c, &r))
                buttons.emplace_back(r.left, c);
        }
        std::sort(buttons.begin(), buttons.end());
        std::vector<int> ids;
        int defaultId = 0;
        for (const auto& b : buttons) {
            g_pendingBox->record->buttons.push_back(ButtonLabel(b.second));
            ids.push_back(::GetDlgCtrlID(b.second));
            if ((::GetWindowLongPtrW(b.second, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                defaultId = ids.back();
        }
        const auto shown = [&](int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); };
        // The default button: the one the box marks, else the one its type names.
        if (!shown(defaultId)) {
            const std::size_t n = (g_pendingBox->record->type & MB_DEFMASK) >> 8;
            if (n < ids.size())
                defaultId = ids[n];
            else
                defaultId = ids.empty() ? IDOK : ids.front();
        }
        // A queued answer the box does not offer gives the default, as a
        // user could not click it.
        auto& answers = AfxWin32Seam().messageBoxAnswers;
        int id = defaultId;
        if (!answers.empty()) {
            if (shown(answers.front()))
                id = answers.front();
            answers.pop_front();
        }
        ::PostMessageW(call->hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(call->hwnd, id)));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// ---- File dialogs ------------------------------------------------------------------------

bool FileExists(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(AfxWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsAbsolute(const std::string& path)
{
    return (path.size() > 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::vector<std::pair<std::string, std::string>> ParseFilter(LPCSTR filter)
{
    std::vector<std::pair<std::string, std::string>> filters;
    while (filter && *filter) {
        std::string description = filter;
        filter += description.size() + 1;
        std::string pattern = *filter ? filter : "";
        filter += pattern.size() + 1;
        filters.emplace_back(description, pattern);
        if (pattern.empty())
            break;
    }
    return filters;
}

// The queued answers taken in place of the user, with the checks the
// dialog's own choice gets. False when they end in a cancel.
BOOL AnswerFileDialog(bool open, OPENFILENAMEA& ofn)
{
    auto& answers = AfxWin32Seam().fileDialogAnswers;
    std::string startDir = ofn.lpstrInitialDir ? ofn.lpstrInitialDir : "";
    const std::string current = ofn.lpstrFile ? ofn.lpstrFile : "";
    if (startDir.empty() && current.find_last_of("\\/") != std::string::npos)
        startDir = current.substr(0, current.find_last_of("\\/"));
    const char* caption = ofn.lpstrTitle ? ofn.lpstrTitle : (open ? "Öppna" : "Spara som");
    while (!answers.empty()) {
        const AfxFileDialogAnswer answer = answers.front();
        answers.pop_front();
        if (answer.cancel || answer.paths.empty())
            return FALSE;
        std::string path = answer.paths.front();
        if (!IsAbsolute(path))
            path = startDir + "\\" + path;
        if (ofn.lpstrDefExt && *ofn.lpstrDefExt && NameOf(path).find('.') == std::string::npos)
            path += std::string(".") + ofn.lpstrDefExt;
        if (open && (ofn.Flags & OFN_FILEMUSTEXIST) && !FileExists(path))
            continue;
        if (!open && (ofn.Flags & OFN_OVERWRITEPROMPT) && FileExists(path)) {
            const std::string question = NameOf(path) + " finns redan.\nVill du ersätta den?";
            if (AfxMessageBoxA(ofn.hwndOwner, question.c_str(), caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) !=
                IDYES)
                continue;
        }
        if (path.size() + 1 > ofn.nMaxFile)
            return FALSE;
        std::memcpy(ofn.lpstrFile, path.c_str(), path.size() + 1);
        const std::size_t name = path.size() - NameOf(path).size();
        const std::size_t dot = path.find_last_of('.');
        ofn.nFileOffset = WORD(name);
        ofn.nFileExtension = WORD(dot == std::string::npos || dot < name ? path.size() : dot + 1);
        if (answer.filterIndex)
            ofn.nFilterIndex = answer.filterIndex;
        return TRUE;
    }
    return FALSE;
}

BOOL RunFileDialog(bool open, LPOPENFILENAMEA ofn)
{
    AfxWin32Seams& seam = AfxWin32Seam();
    if (seam.recording && ofn) {
        AfxFileDialogRequest request;
        request.open = open;
        request.owner = ofn->hwndOwner;
        request.title = ofn->lpstrTitle ? ofn->lpstrTitle : "";
        request.initialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
        request.initialFile = ofn->lpstrFile ? std::string(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile)) : "";
        request.filters = ParseFilter(ofn->lpstrFilter);
        request.filterIndex = ofn->nFilterIndex;
        request.defaultExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
        request.flags = ofn->Flags;
        request.structSize = ofn->lStructSize;
        request.maxFile = ofn->nMaxFile;
        seam.fileDialogRequests.push_back(request);
        if (!seam.fileDialogAnswers.empty())
            return AnswerFileDialog(open, *ofn);
    }
    return open ? ::GetOpenFileNameA(ofn) : ::GetSaveFileNameA(ofn);
}

// ---- Tray and timers ---------------------------------------------------------------------

struct TrayIcon {
    AfxTrayShown shown;
    UINT uID = 0;
    NOTIFYICONDATAA data{};  // all that was set, to add the icon again
};
TrayIcon g_tray;

struct Timer {
    HWND hWnd;
    UINT_PTR id;
    UINT period;
    ULONGLONG armedAt;
};
std::vector<Timer> g_timers;
// Sleep the tests made believe (the tick count goes on while a machine sleeps).
ULONGLONG g_asleepMilliseconds = 0;

std::map<HICON, UINT> g_iconIds;
std::vector<AfxHotKeyRecord> g_hotKeys;

// The top-level windows of this thread.
std::vector<HWND> ThreadWindows()
{
    std::vector<HWND> windows;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND h, LPARAM all) {
            reinterpret_cast<std::vector<HWND>*>(all)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

// ---- The calls the program makes -----------------------------------------------------------

int AfxMessageBoxA(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type)
{
    AfxWin32Seams& seam = AfxWin32Seam();
    const std::wstring wideText = AfxWide(text ? text : ""), wideCaption = AfxWide(caption ? caption : "");
    // No caption: the system's own ("Fel" on a Swedish Windows).
    LPCWSTR shownCaption = caption ? wideCaption.c_str() : nullptr;
    if (!seam.recording)
        return ::MessageBoxW(hWnd, wideText.c_str(), shownCaption, type);
    AfxMessageBoxRecord record;
    record.text = text ? text : "";
    record.caption = caption ? caption : "";
    record.type = type;
    record.owner = hWnd;
    PendingBox pending{&record};
    PendingBox* outer = g_pendingBox;
    HHOOK hook = nullptr;
    if (seam.answerMessageBoxes) {
        g_pendingBox = &pending;
        hook = ::SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerBox, nullptr, ::GetCurrentThreadId());
    }
    record.answer = ::MessageBoxW(hWnd, wideText.c_str(), shownCaption, type);
    if (hook)
        ::UnhookWindowsHookEx(hook);
    g_pendingBox = outer;
    seam.messageBoxes.push_back(record);
    return record.answer;
}

BOOL AfxMessageBeep(UINT uType)
{
    if (AfxWin32Seam().recording)
        ++AfxWin32Seam().beeps;
    return ::MessageBeep(uType);
}

BOOL AfxGetOpenFileName(LPOPENFILENAMEA lpofn) { return RunFileDialog(true, lpofn); }
BOOL AfxGetSaveFileName(LPOPENFILENAMEA lpofn) { return RunFileDialog(false, lpofn); }

BOOL AfxShellNotifyIcon(DWORD dwMessage, PNOTIFYICONDATAA d)
{
    if (!d)
        return FALSE;
    AfxTrayShown& shown = g_tray.shown;
    NOTIFYICONDATAA& data = g_tray.data;
    if (dwMessage == NIM_DELETE) {
        g_tray = TrayIcon{};
    } else if (dwMessage == NIM_ADD || dwMessage == NIM_MODIFY) {
        shown.present = true;
        shown.hWnd = data.hWnd = d->hWnd;
        g_tray.uID = data.uID = d->uID;
        if (d->uFlags & NIF_ICON) {
            shown.iconId = AfxIconResourceId(d->hIcon);
            data.hIcon = d->hIcon;
        }
        if (d->uFlags & NIF_TIP) {
            shown.tip = d->szTip;
            std::memcpy(data.szTip, d->szTip, sizeof d->szTip);
        }
        if (d->uFlags & NIF_MESSAGE)
            shown.callbackMessage = data.uCallbackMessage = d->uCallbackMessage;
        if ((d->uFlags & NIF_INFO) && d->cbSize > NOTIFYICONDATAA_V1_SIZE) {
            shown.info = d->szInfo;
            shown.infoTitle = d->szInfoTitle;
        }
    }
    if (AfxWin32Seam().trayAvailable == 0 && dwMessage != NIM_DELETE)
        return FALSE;
    return ::Shell_NotifyIconA(dwMessage, d);
}

BOOL AfxRegisterHotKey(HWND hWnd, int id, UINT fsModifiers, UINT vk)
{
    if (!::RegisterHotKey(hWnd, id, fsModifiers, vk))
        return FALSE;
    g_hotKeys.push_back(AfxHotKeyRecord{hWnd, id, fsModifiers, vk});
    return TRUE;
}

BOOL AfxUnregisterHotKey(HWND hWnd, int id)
{
    std::erase_if(g_hotKeys, [&](const AfxHotKeyRecord& k) { return k.hWnd == hWnd && k.id == id; });
    return ::UnregisterHotKey(hWnd, id);
}

HINSTANCE AfxShellExecute(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                          int nShowCmd)
{
    if (AfxWin32Seam().recording)
        AfxWin32Seam().shellRuns.push_back({lpOperation ? lpOperation : "", lpFile ? lpFile : "",
                                            lpParameters ? lpParameters : ""});
    const auto wide = [](LPCSTR text) { return text ? AfxWide(text) : std::wstring(); };
    const std::wstring operation = wide(lpOperation), file = wide(lpFile), parameters = wide(lpParameters),
                       directory = wide(lpDirectory);
    return ::ShellExecuteW(hwnd, lpOperation ? operation.c_str() : nullptr, lpFile ? file.c_str() : nullptr,
                           lpParameters ? parameters.c_str() : nullptr, lpDirectory ? directory.c_str() : nullptr,
                           nShowCmd);
}

BOOL AfxCreateProcess(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES lpProcessAttributes,
                      LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                      LPVOID lpEnvironment, LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                      LPPROCESS_INFORMATION lpProcessInformation)
{
    if (AfxWin32Seam().recording) {
        int count = 0;
        std::vector<std::string> args;
        if (LPWSTR* argv = ::CommandLineToArgvW(AfxWide(lpCommandLine ? lpCommandLine : "").c_str(), &count)) {
            for (int i = 0; i < count; ++i)
                args.push_back(AfxNarrow(argv[i]));
            ::LocalFree(argv);
        }
        if (lpApplicationName && *lpApplicationName) {
            if (args.empty())
                args.emplace_back(lpApplicationName);
            else
                args.front() = lpApplicationName;
        }
        AfxWin32Seam().programsStarted.push_back(args);
    }
    // The wide call, whose command line it may write to.
    const std::wstring application = lpApplicationName ? AfxWide(lpApplicationName) : std::wstring();
    const std::wstring directory = lpCurrentDirectory ? AfxWide(lpCurrentDirectory) : std::wstring();
    std::wstring commandLine = lpCommandLine ? AfxWide(lpCommandLine) : std::wstring();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring desktop, title;
    if (lpStartupInfo) {
        desktop = lpStartupInfo->lpDesktop ? AfxWide(lpStartupInfo->lpDesktop) : std::wstring();
        title = lpStartupInfo->lpTitle ? AfxWide(lpStartupInfo->lpTitle) : std::wstring();
        startup.lpDesktop = lpStartupInfo->lpDesktop ? desktop.data() : nullptr;
        startup.lpTitle = lpStartupInfo->lpTitle ? title.data() : nullptr;
        startup.dwX = lpStartupInfo->dwX;
        startup.dwY = lpStartupInfo->dwY;
        startup.dwXSize = lpStartupInfo->dwXSize;
        startup.dwYSize = lpStartupInfo->dwYSize;
        startup.dwXCountChars = lpStartupInfo->dwXCountChars;
        startup.dwYCountChars = lpStartupInfo->dwYCountChars;
        startup.dwFillAttribute = lpStartupInfo->dwFillAttribute;
        startup.dwFlags = lpStartupInfo->dwFlags;
        startup.wShowWindow = lpStartupInfo->wShowWindow;
        startup.hStdInput = lpStartupInfo->hStdInput;
        startup.hStdOutput = lpStartupInfo->hStdOutput;
        startup.hStdError = lpStartupInfo->hStdError;
    }
    return ::CreateProcessW(lpApplicationName ? application.c_str() : nullptr,
                            lpCommandLine ? commandLine.data() : nullptr, lpProcessAttributes, lpThreadAttributes,
                            bInheritHandles, dwCreationFlags, lpEnvironment,
                            lpCurrentDirectory ? directory.c_str() : nullptr, lpStartupInfo ? &startup : nullptr,
                            lpProcessInformation);
}

DWORD AfxGetModuleFileName(HMODULE hModule, LPSTR lpFilename, DWORD nSize)
{
    std::optional<std::string> name = AfxWin32Seam().moduleFileName;
    if (!name || hModule) {
        // The wide name, however long, in UTF-8.
        std::wstring wide(MAX_PATH, L'\0');
        DWORD n = 0;
        while ((n = ::GetModuleFileNameW(hModule, wide.data(), DWORD(wide.size()))) >= wide.size() &&
               wide.size() < 32768)
            wide.resize(wide.size() * 2);
        if (n == 0 || n >= wide.size())
            return 0;
        wide.resize(n);
        name = AfxNarrow(wide);
    }
    if (nSize == 0)
        return 0;
    // As Windows: a name that does not fit is cut, and the size returned.
    const DWORD n = DWORD(std::min<std::size_t>(name->size(), nSize - 1));
    std::memcpy(lpFilename, name->data(), n);
    lpFilename[n] = '\0';
    if (name->size() >= nSize) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    return n;
}

HRESULT AfxCoInitialize(LPVOID pvReserved)
{
    if (FAILED(AfxWin32Seam().coInitializeResult))
        return AfxWin32Seam().coInitializeResult;
    return ::CoInitialize(pvReserved);
}

// ---- The window layer's state, for the hooks -------------------------------------------------

UINT AfxIconResourceId(HICON hIcon)
{
    auto it = g_iconIds.find(hIcon);
    return it == g_iconIds.end() ? 0 : it->second;
}

void AfxNoteIconResource(HICON hIcon, UINT nID)
{
    if (hIcon)
        g_iconIds[hIcon] = nID;
}

void AfxNoteTimer(HWND hWnd, UINT_PTR id, UINT period, bool armed)
{
    std::erase_if(g_timers, [&](const Timer& t) { return t.hWnd == hWnd && (t.id == id || (!armed && id == 0)); });
    if (armed)
        g_timers.push_back(Timer{hWnd, id, period, ::GetTickCount64() + g_asleepMilliseconds});
}

void AfxRunQueuedModalAction(HWND hDlg)
{
    auto& actions = AfxWin32Seam().modalActions;
    if (actions.empty())
        return;
    auto [action, context] = actions.front();
    actions.pop_front();
    action(hDlg, context);
}

std::vector<AfxArmedTimer> AfxArmedTimers()
{
    std::vector<AfxArmedTimer> armed;
    for (const Timer& t : g_timers)
        if (::IsWindow(t.hWnd))
            armed.push_back(AfxArmedTimer{t.hWnd, t.id, t.period});
    return armed;
}

bool AfxFireTimer(HWND hWnd, UINT_PTR id)
{
    auto it = std::find_if(g_timers.begin(), g_timers.end(),
                           [&](const Timer& t) { return t.hWnd == hWnd && t.id == id && ::IsWindow(hWnd); });
    if (it == g_timers.end())
        return false;
    // As the system's: the period starts again, then the message arrives.
    ::SetTimer(hWnd, id, it->period, nullptr);
    it->armedAt = ::GetTickCount64() + g_asleepMilliseconds;
    ::SendMessageW(hWnd, WM_TIMER, id, 0);
    return true;
}

void AfxExpireTimers(bool clockSet, unsigned long long suspendedMilliseconds)
{
    if (clockSet) {
        // What Windows tells every top-level window when the clock is set.
        for (HWND h : ThreadWindows())
            ::SendMessageW(h, WM_TIMECHANGE, 0, 0);
        return;
    }
    // What Windows tells every top-level window on waking, the time asleep
    // counted as the tick count would count it.
    g_asleepMilliseconds += suspendedMilliseconds;
    for (HWND h : ThreadWindows())
        ::SendMessageW(h, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
}

void AfxResumed(HWND hWnd)
{
    const ULONGLONG now = ::GetTickCount64() + g_asleepMilliseconds;
    std::vector<UINT_PTR> due;
    for (const Timer& t : g_timers)
        if (t.hWnd == hWnd && t.armedAt + t.period <= now)
            due.push_back(t.id);
    for (UINT_PTR id : due)
        AfxFireTimer(hWnd, id);
}

void AfxTimeChanged(HWND hWnd)
{
    std::vector<UINT_PTR> ids;
    for (const Timer& t : g_timers)
        if (t.hWnd == hWnd)
            ids.push_back(t.id);
    for (UINT_PTR id : ids)
        ::PostMessageW(hWnd, WM_TIMER, id, 0);
}

AfxTrayShown AfxTrayState() { return g_tray.shown; }

void AfxDeliverTrayMessage(UINT message)
{
    const AfxTrayShown& shown = g_tray.shown;
    if (shown.present && ::IsWindow(shown.hWnd))
        ::SendMessageW(shown.hWnd, shown.callbackMessage, g_tray.uID, message);
}

void AfxRefreshTray()
{
    if (!g_tray.shown.present || !::IsWindow(g_tray.data.hWnd) || AfxWin32Seam().trayAvailable == 0)
        return;
    NOTIFYICONDATAA data = g_tray.data;
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    ::Shell_NotifyIconA(NIM_ADD, &data);
}

std::vector<AfxHotKeyRecord> AfxRegisteredHotKeys()
{
    std::vector<AfxHotKeyRecord> keys;
    for (const AfxHotKeyRecord& k : g_hotKeys)
        if (::IsWindow(k.hWnd))
            keys.push_back(k);
    return keys;
}

bool AfxAskEndSession(LPARAM lParam)
{
    bool end = true;
    for (HWND h : ThreadWindows())
        if (::IsWindow(h) && ::SendMessageW(h, WM_QUERYENDSESSION, 0, lParam) == FALSE)
            end = false;
    return end;
}
