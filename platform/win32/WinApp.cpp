// The application object and the message loop over Win32: every message
// passes the application's filter (accelerators) and PreTranslateMessage
// (the dialogs' keyboard handling) before it is dispatched.

#include "platform/WinApp.h"

#include "platform/Trace.h"
#include "platform/win32/Internal.h"
#include "platform/win32/Seams.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

CWinApp* g_pApp = nullptr;
std::string g_appName;
std::string g_exeName;
std::vector<char> g_cmdLine(1, '\0');
bool g_quitSeen = false;
int g_quitCode = 0;
std::vector<std::string> g_arguments;  // without the program's name
int g_waitCursors = 0;

}  // namespace

// ---- Wait cursor ------------------------------------------------------------------------

void CCmdTarget::BeginWaitCursor()
{
    ++g_waitCursors;
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
}

void CCmdTarget::EndWaitCursor()
{
    if (g_waitCursors == 0)
        return;
    if (--g_waitCursors == 0)
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
}

CWaitCursor::CWaitCursor() { CCmdTarget().BeginWaitCursor(); }
CWaitCursor::~CWaitCursor() { CCmdTarget().EndWaitCursor(); }

// ---- The loop ------------------------------------------------------------------------------

bool AfxQuitPosted() { return g_quitSeen; }

void AfxNoteQuit(int exitCode)
{
    g_quitSeen = true;
    g_quitCode = exitCode;
}

bool AfxPumpMessage(HWND hModal)
{
    if (g_quitSeen)
        return false;
    MSG msg{};
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        AfxNoteQuit(int(msg.wParam));
        return false;
    }
    AfxDispatchMessage(msg, hModal);
    return true;
}

void AfxDispatchMessage(MSG& msg, HWND hModal)
{
    bool done = false;
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        CWinApp* app = AfxGetApp();
        if (hModal) {
            // A modal dialog keeps its keys: the main window's accelerators
            // do not reach past it.
            done = CWnd::WalkPreTranslateTree(hModal, &msg);
        } else if (app) {
            done = app->ProcessMessageFilter(0, &msg) || app->PreTranslateMessage(&msg);
        }
    } else if (!hModal) {
        if (CWinApp* app = AfxGetApp())
            done = app->PreTranslateMessage(&msg);
    } else {
        done = CWnd::WalkPreTranslateTree(hModal, &msg);
    }
    if (!done) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    MSG peek{};
    if (!::PeekMessageW(&peek, nullptr, 0, 0, PM_NOREMOVE))
        AfxDeleteTemporaryWnds();
}

// ---- The application object ------------------------------------------------------------------

CWinApp::CWinApp(LPCSTR lpszAppName) : m_pszAppName(lpszAppName)
{
    g_pApp = this;
    m_hInstance = AfxGetInstanceHandle();
    m_lpCmdLine = g_cmdLine.data();
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run()
{
    // Without a window the program could never be ended by the user.
    if (!m_pMainWnd || !::IsWindow(m_pMainWnd->m_hWnd)) {
        Trace("No main window; ending.\n");
        return ExitInstance();
    }
    while (AfxPumpMessage(nullptr)) {
    }
    const int code = ExitInstance();
    return code ? code : g_quitCode;
}

int CWinApp::ExitInstance()
{
    // A quit that InitInstance posted before failing never reached a loop.
    MSG msg{};
    if (!g_quitSeen && ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        AfxNoteQuit(int(msg.wParam));
    return g_quitCode;
}
BOOL CWinApp::ProcessMessageFilter(int, LPMSG) { return FALSE; }

BOOL CWinApp::PreTranslateMessage(MSG* pMsg)
{
    if (!pMsg || !::IsWindow(pMsg->hwnd))
        return FALSE;
    return CWnd::WalkPreTranslateTree(::GetAncestor(pMsg->hwnd, GA_ROOT), pMsg);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    // Icons are shared system resources: the same handle for every call.
    HICON icon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nIDResource),
                                                 IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    AfxNoteIconResource(icon, nIDResource);
    return icon;
}

void CWinApp::OnHelp() { Trace("No help file.\n"); }

CWinApp* AfxGetApp() { return g_pApp; }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() { return ::GetModuleHandleW(nullptr); }
void AfxEnableControlContainer() {}

LPCSTR AfxGetAppName()
{
    if (g_pApp && g_pApp->m_pszAppName)
        return g_pApp->m_pszAppName;
    if (const char* s = AfxFindString(AFX_IDS_APP_TITLE))
        return s;
    return g_exeName.c_str();
}

int AfxMessageBox(LPCSTR text, UINT type, UINT)
{
    CWnd* main = AfxGetMainWnd();
    HWND owner = main && ::IsWindow(main->m_hWnd) ? main->m_hWnd : nullptr;
    // A box that comes up while a modal dialog runs belongs to that dialog.
    if (HWND active = ::GetActiveWindow(); active && owner && !::IsWindowEnabled(owner))
        owner = active;
    return ::MessageBoxA(owner, text, AfxGetAppName(), type);
}

int AfxMessageBox(UINT nIDPrompt, UINT type, UINT nIDHelp)
{
    const char* text = AfxFindString(nIDPrompt);
    return AfxMessageBox(text ? text : "", type, nIDHelp == UINT(-1) ? nIDPrompt : nIDHelp);
}

namespace {

// The process's own arguments come from the wide command line, in UTF-8: the
// C runtime's argv is in the ANSI code page, which is UTF-8 only where the
// manifest's code page is honoured (Windows 10 1903 on), so "Björn" would
// not survive elsewhere. Arguments a caller made up are taken as given.
std::vector<std::string> Arguments(int argc, char** argv)
{
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = argv && argv == __argv ? ::CommandLineToArgvW(::GetCommandLineW(), &count) : nullptr;
    if (wide && count == argc) {
        for (int i = 0; i < count; ++i)
            args.push_back(AfxNarrow(wide[i]));
    } else {
        for (int i = 0; i < argc; ++i)
            args.emplace_back(argv && argv[i] ? argv[i] : "");
    }
    if (wide)
        ::LocalFree(wide);
    return args;
}

}  // namespace

BOOL AfxWinInit(int argc, char** argv)
{
    const std::vector<std::string> args = Arguments(argc, argv);
    g_arguments.assign(args.begin() + (args.empty() ? 0 : 1), args.end());
    // The command line: the arguments joined by single blanks.
    std::string cmd;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (i > 1)
            cmd += ' ';
        cmd += args[i];
    }
    g_cmdLine.assign(cmd.begin(), cmd.end());
    g_cmdLine.push_back('\0');

    std::string exe = !args.empty() && !args[0].empty() ? args[0] : "talvo";
    if (auto slash = exe.find_last_of("\\/"); slash != std::string::npos)
        exe = exe.substr(slash + 1);
    if (auto dot = exe.find_last_of('.'); dot != std::string::npos && dot > 0)
        exe = exe.substr(0, dot);
    g_exeName = exe;

    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_UPDOWN_CLASS |
                ICC_HOTKEY_CLASS | ICC_TAB_CLASSES | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);

    if (CWinApp* app = g_pApp) {
        app->m_lpCmdLine = g_cmdLine.data();
        app->m_nCmdShow = SW_SHOWNORMAL;
        app->m_hInstance = AfxGetInstanceHandle();
        app->m_pszExeName = g_exeName.c_str();
        if (!app->m_pszAppName) {
            if (const char* s = AfxFindString(AFX_IDS_APP_TITLE)) {
                g_appName = s;
                app->m_pszAppName = g_appName.c_str();
            }
        }
    }
    return TRUE;
}

const std::vector<std::string>& AfxGetArguments() { return g_arguments; }

namespace {

// A window program has no console of its own. Its streams are those it was
// started with (redirected to a file or a pipe), else the console of the
// program that started it, if any.
HANDLE StandardStream(BOOL toError)
{
    const DWORD which = toError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    HANDLE h = ::GetStdHandle(which);
    if (h && h != INVALID_HANDLE_VALUE)
        return h;
    static const bool attached = ::AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
    if (!attached)
        return nullptr;
    h = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return nullptr;
    ::SetStdHandle(which, h);
    return h;
}

}  // namespace

BOOL AfxWriteStandardStream(LPCSTR text, BOOL toError)
{
    HANDLE h = StandardStream(toError);
    if (!h)
        return FALSE;
    DWORD mode = 0;
    DWORD written = 0;
    if (::GetConsoleMode(h, &mode)) {
        const std::wstring wide = AfxWide(text ? text : "");
        return ::WriteConsoleW(h, wide.data(), DWORD(wide.size()), &written, nullptr);
    }
    const DWORD size = DWORD(text ? std::strlen(text) : 0);
    return ::WriteFile(h, text, size, &written, nullptr) && written == size;
}

BOOL AfxStandardStreamIsTerminal(BOOL toError)
{
    DWORD mode = 0;
    HANDLE h = StandardStream(toError);
    return h && ::GetConsoleMode(h, &mode);
}

int AfxWinMain(int argc, char** argv)
{
    CWinApp* app = AfxGetApp();
    if (!app || !AfxWinInit(argc, argv))
        return -1;
    return app->InitInstance() ? app->Run() : app->ExitInstance();
}
