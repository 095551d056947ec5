// The claim is a named mutex of the session (Local\: one user rarely runs two
// sessions at once on Windows), named after the data file's canonical path:
// links and junctions resolved, also through the folder of a file that does
// not exist yet, case folded as Windows names one file either way; the holder
// keeps a message-only window of the same name that a later start asks for
// the main window, waiting a bounded time for a holder that is hung. The
// system drops the mutex when the holder ends.

#include "platform/Instance.h"

#include "platform/Trace.h"
#include "platform/WinApp.h"
#include "platform/win32/Internal.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

UINT g_message = 0;
constexpr UINT kAskForWindow = WM_APP + 1;
constexpr DWORD kAnswerWait = 2000;  // milliseconds, in all

// The final path of an existing file or folder, or empty.
std::wstring FinalPath(const std::wstring& path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    static wchar_t final[32768];
    const DWORD n = ::GetFinalPathNameByHandleW(file, final, DWORD(std::size(final)), FILE_NAME_NORMALIZED);
    ::CloseHandle(file);
    return n > 0 && n < std::size(final) ? std::wstring(final, n) : std::wstring();
}

std::wstring ClaimName(LPCSTR path)
{
    std::wstring wide = AfxWide(path ? path : "");
    static wchar_t full[32768];
    wchar_t* file = nullptr;
    const DWORD n = ::GetFullPathNameW(wide.c_str(), DWORD(std::size(full)), full, &file);
    if (n > 0 && n < std::size(full)) {
        wide.assign(full, n);
        if (std::wstring final = FinalPath(wide); !final.empty())
            wide = final;
        else if (file && file > full) {
            // Not there yet: the folder's final path and the name.
            const std::wstring folder(full, std::size_t(file - full));
            if (std::wstring finalFolder = FinalPath(folder); !finalFolder.empty())
                wide = finalFolder + L"\\" + std::wstring(file);
        }
    }
    ::CharLowerBuffW(wide.data(), DWORD(wide.size()));
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a over the UTF-16 units
    for (wchar_t c : wide) {
        h ^= std::uint16_t(c);
        h *= 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, std::size(name), L"Talvo-%016llx", static_cast<unsigned long long>(h));
    return name;
}

LRESULT CALLBACK ListenerProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kAskForWindow) {
        if (CWnd* main = AfxGetMainWnd(); main && ::IsWindow(main->m_hWnd) && g_message)
            ::PostMessageW(main->m_hWnd, g_message, 0, 0);
        return 0;
    }
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

HANDLE g_mutex = nullptr;
HWND g_listener = nullptr;
std::wstring g_name;

void Release()
{
    if (g_listener)
        ::DestroyWindow(g_listener);
    if (!g_name.empty())
        ::UnregisterClassW(g_name.c_str(), ::GetModuleHandleW(nullptr));
    if (g_mutex)
        ::CloseHandle(g_mutex);
    g_listener = nullptr;
    g_mutex = nullptr;
    g_name.clear();
}

InstanceClaim Claim(const std::wstring& name, UINT message)
{
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, (L"Local\\" + name).c_str());
    if (!mutex) {
        Release();
        return InstanceClaim::Claimed;  // nothing can be told: running twice beats not running
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        // The holder may still be starting: its listener comes up soon after.
        const DWORD start = ::GetTickCount();
        while (true) {
            const DWORD spent = ::GetTickCount() - start;
            if (HWND listener = ::FindWindowExW(HWND_MESSAGE, nullptr, name.c_str(), nullptr)) {
                DWORD pid = 0;
                ::GetWindowThreadProcessId(listener, &pid);
                ::AllowSetForegroundWindow(pid);  // the user started us: the window may come forward
                DWORD_PTR result = 0;
                const DWORD left = spent < kAnswerWait ? kAnswerWait - spent : 1;
                return ::SendMessageTimeoutW(listener, kAskForWindow, 0, 0, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                                             left, &result)
                           ? InstanceClaim::Forwarded
                           : InstanceClaim::NotAnswering;
            }
            if (spent >= kAnswerWait)
                return InstanceClaim::NotAnswering;
            ::Sleep(100);
        }
    }
    // The mutex handle is kept open until the claim moves or the process ends.
    Release();
    g_mutex = mutex;
    g_name = name;
    g_message = message;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ListenerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    if (::RegisterClassW(&wc))
        g_listener = ::CreateWindowExW(0, name.c_str(), name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       wc.hInstance, nullptr);
    else
        Trace("The second start on this file cannot reach this one (error %lu).\n", ::GetLastError());
    return InstanceClaim::Claimed;
}

}  // namespace

InstanceClaim AfxClaimInstance(LPCSTR path, UINT message) { return Claim(ClaimName(path), message); }

InstanceClaim AfxMoveInstanceClaim(LPCSTR path)
{
    const std::wstring name = ClaimName(path);
    if (g_mutex && name == g_name)
        return InstanceClaim::Claimed;
    return Claim(name, g_message);
}
