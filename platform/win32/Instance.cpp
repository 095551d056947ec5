// The claim is a named mutex of the session, named after the data file's
// full path (case folded: Windows names one file either way); the holder
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

std::wstring ClaimName(LPCSTR path)
{
    std::wstring wide = AfxWide(path ? path : "");
    wchar_t full[32768];
    const DWORD n = ::GetFullPathNameW(wide.c_str(), DWORD(std::size(full)), full, nullptr);
    if (n > 0 && n < std::size(full))
        wide.assign(full, n);
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

}  // namespace

InstanceClaim AfxClaimInstance(LPCSTR path, UINT message)
{
    const std::wstring name = ClaimName(path);
    HANDLE mutex = ::CreateMutexW(nullptr, TRUE, (L"Local\\" + name).c_str());
    if (!mutex)
        return InstanceClaim::Claimed;  // nothing can be told: running twice beats not running
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
    // The mutex handle is kept open for the life of the process.
    g_message = message;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ListenerProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    if (::RegisterClassW(&wc))
        ::CreateWindowExW(0, name.c_str(), name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    else
        Trace("The second start on this file cannot reach this one (error %lu).\n", ::GetLastError());
    return InstanceClaim::Claimed;
}
