#pragma once
// CWinApp: the one application object; AfxWinMain starts Qt, runs InitInstance and the loop.

#include "platform/CmdTarget.h"
#include "platform/Wnd.h"

#include <string>
#include <vector>

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    LPCSTR m_pszAppName = nullptr;  // string AFX_IDS_APP_TITLE when none was given
    LPCSTR m_pszExeName = nullptr;  // the executable's name without folder and extension
    LPSTR m_lpCmdLine = nullptr;    // the arguments joined by single blanks
    int m_nCmdShow = SW_SHOWNORMAL;
    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;

    virtual BOOL InitInstance();
    virtual int Run();
    // The program's exit status: the code given to PostQuitMessage (also
    // when InitInstance posted it and failed), else 0.
    virtual int ExitInstance();
    // Sees every keyboard message before it reaches a window (code >= 0).
    virtual BOOL ProcessMessageFilter(int code, LPMSG lpMsg);
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    HICON LoadIcon(UINT nIDResource) const;
    BOOL Enable3dControls() { return TRUE; }
    void OnHelp();

protected:
    DECLARE_MESSAGE_MAP()
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
LPCSTR AfxGetAppName();
void AfxEnableControlContainer();
// Message box owned by the main window, captioned with the application name.
int AfxMessageBox(LPCSTR text, UINT type = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT type = MB_OK, UINT nIDHelp = UINT(-1));

// The program's arguments as given, in UTF-8, without the program's own
// name; m_lpCmdLine joins them.
const std::vector<std::string>& AfxGetArguments();
// Writes text to the standard output, or with toError to the standard error,
// where whoever started the program reads it. FALSE when there is no such
// stream (a window program started from the desktop on Windows).
BOOL AfxWriteStandardStream(LPCSTR text, BOOL toError);
// Whether that stream is a terminal a person reads; a desktop launcher's
// streams go to a log nobody watches.
BOOL AfxStandardStreamIsTerminal(BOOL toError);

// Starts the toolkit and fills m_lpCmdLine and m_nCmdShow (tests call this
// instead of AfxWinMain and drive the loop themselves).
BOOL AfxWinInit(int argc, char** argv);
// AfxWinInit, InitInstance, Run, ExitInstance.
int AfxWinMain(int argc, char** argv);

#ifndef _WIN32
// Win32 calls of the application layer.
// Ends every running message loop, modal ones included, and every loop that
// would start after it; the program then leaves Run.
void PostQuitMessage(int nExitCode);
int MessageBoxA(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type);
HACCEL LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName);
int TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg);
BOOL DestroyIcon(HICON hIcon);
HCURSOR LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName);
HCURSOR SetCursor(HCURSOR hCursor);
LPSTR lstrcpynA(LPSTR dest, LPCSTR src, int maxLength);
BOOL MessageBeep(UINT uType);
#define IDC_ARROW MAKEINTRESOURCE(IDC_ARROW_ID)
#define IDC_WAIT  MAKEINTRESOURCE(IDC_WAIT_ID)
#define IDC_HAND  MAKEINTRESOURCE(IDC_HAND_ID)
#else
// The window layer stands between the program and these calls so that tests
// can answer and count them; otherwise they go straight to the system.
int AfxMessageBoxA(HWND hWnd, LPCSTR text, LPCSTR caption, UINT type);
BOOL AfxMessageBeep(UINT uType);
#define MessageBoxA AfxMessageBoxA
#define MessageBeep AfxMessageBeep
#endif
