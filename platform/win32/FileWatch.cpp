// Watching a data file: a change notification on its folder (writes, sizes,
// names: renames, deletions and creations) waited on by a small thread that
// posts the message once a burst has settled. The window's end ends it
// (AfxWndProc at WM_NCDESTROY).

#include "platform/FileWatch.h"

#include "platform/win32/Internal.h"

#include <map>
#include <string>

namespace {

constexpr DWORD kSettleMs = 200;
constexpr DWORD kLongestWaitMs = 1000;

struct Watch {
    HWND hWnd = nullptr;
    UINT message = 0;
    HANDLE change = INVALID_HANDLE_VALUE;  // the folder's change notification
    HANDLE stop = nullptr;                 // set to end the thread
    HANDLE thread = nullptr;
};

DWORD WINAPI WatchThread(LPVOID param)
{
    Watch* w = static_cast<Watch*>(param);
    const HANDLE handles[2] = {w->stop, w->change};
    for (;;) {
        if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
            return 0;
        // Changes come in bursts: told once it has been quiet a while.
        const DWORD first = ::GetTickCount();
        for (;;) {
            if (!::FindNextChangeNotification(w->change))
                return 0;
            const DWORD r = ::WaitForMultipleObjects(2, handles, FALSE, kSettleMs);
            if (r == WAIT_OBJECT_0 || r == WAIT_FAILED)
                return 0;
            if (r == WAIT_TIMEOUT || ::GetTickCount() - first >= kLongestWaitMs)
                break;
        }
        ::PostMessageW(w->hWnd, w->message, 0, 0);
        // A change that came as the burst was cut short is still signalled.
    }
}

void End(Watch& w)
{
    if (w.thread) {
        ::SetEvent(w.stop);
        ::WaitForSingleObject(w.thread, INFINITE);
        ::CloseHandle(w.thread);
    }
    if (w.stop)
        ::CloseHandle(w.stop);
    if (w.change != INVALID_HANDLE_VALUE)
        ::FindCloseChangeNotification(w.change);
}

// Only the thread of the windows calls in.
std::map<HWND, Watch*>& Watches()
{
    static std::map<HWND, Watch*> watches;
    return watches;
}

std::wstring FolderOf(LPCSTR path)
{
    const std::wstring wide = AfxWide(path);
    std::wstring full = wide;
    wchar_t buffer[32768];
    const DWORD n = ::GetFullPathNameW(wide.c_str(), DWORD(std::size(buffer)), buffer, nullptr);
    if (n > 0 && n < std::size(buffer))
        full.assign(buffer, n);
    const std::size_t slash = full.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return L".";
    // "C:\talvo.tlv": the root keeps its backslash.
    return full.substr(0, slash == 2 && full[1] == L':' ? 3 : slash);
}

}  // namespace

BOOL AfxWatchFile(HWND hWnd, LPCSTR path, UINT message)
{
    auto& watches = Watches();
    if (auto it = watches.find(hWnd); it != watches.end()) {
        End(*it->second);
        delete it->second;
        watches.erase(it);
    }
    if (!path || !*path || !::IsWindow(hWnd))
        return FALSE;
    auto* w = new Watch;
    w->hWnd = hWnd;
    w->message = message;
    w->change = ::FindFirstChangeNotificationW(
        FolderOf(path).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE);
    if (w->change != INVALID_HANDLE_VALUE)
        w->stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (w->stop)
        w->thread = ::CreateThread(nullptr, 0, WatchThread, w, 0, nullptr);
    if (!w->thread) {
        End(*w);
        delete w;
        return FALSE;
    }
    watches.emplace(hWnd, w);
    return TRUE;
}
