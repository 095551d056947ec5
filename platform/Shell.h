#pragma once
// shell32's ShellExecuteA: "open" hands a document, folder or URL to the
// desktop's default application through the freedesktop opener (xdg-open),
// started directly with an argument list, never through a shell. Qt-free.

#include "platform/Win32.h"

#include <string>
#include <vector>

#ifndef _WIN32
constexpr long SE_ERR_FNF = 2;
constexpr long SE_ERR_PNF = 3;
constexpr long SE_ERR_OOM = 8;
constexpr long SE_ERR_DDEFAIL = 29;

// Returns a value above 32 on success; otherwise ERROR_FILE_NOT_FOUND (2) for a
// missing file, ERROR_PATH_NOT_FOUND (3) for a missing folder, SE_ERR_NOASSOC (31)
// for an unknown verb or when no opener can be started or the opener fails at once.
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                        int nShowCmd);

using HANDLE = void*;

constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;
constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;

struct STARTUPINFOA {
    DWORD cb = 0;
    LPSTR lpReserved = nullptr;
    LPSTR lpDesktop = nullptr;
    LPSTR lpTitle = nullptr;
    DWORD dwX = 0, dwY = 0, dwXSize = 0, dwYSize = 0, dwXCountChars = 0, dwYCountChars = 0, dwFillAttribute = 0;
    DWORD dwFlags = 0;
    WORD wShowWindow = 0;
    WORD cbReserved2 = 0;
    BYTE* lpReserved2 = nullptr;
    HANDLE hStdInput = nullptr, hStdOutput = nullptr, hStdError = nullptr;
};
using LPSTARTUPINFOA = STARTUPINFOA*;
struct PROCESS_INFORMATION {
    HANDLE hProcess = nullptr;
    HANDLE hThread = nullptr;
    DWORD dwProcessId = 0;
    DWORD dwThreadId = 0;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;
struct SECURITY_ATTRIBUTES;

// Starts the program a Windows command line names, its arguments split by
// Windows' rules (blanks separate, double quotes group, backslashes escape a
// quote), directly and without a shell, and does not wait for it. FALSE when
// it cannot be started. The handles it gives are closed with CloseHandle.
BOOL CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine, SECURITY_ATTRIBUTES* lpProcessAttributes,
                    SECURITY_ATTRIBUTES* lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                    LPVOID lpEnvironment, LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                    LPPROCESS_INFORMATION lpProcessInformation);
BOOL CloseHandle(HANDLE hObject);
#else
// shell32's and kernel32's, with what they start kept for tests.
HINSTANCE AfxShellExecute(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                          int nShowCmd);
BOOL AfxCreateProcess(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES lpProcessAttributes,
                      LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                      LPVOID lpEnvironment, LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                      LPPROCESS_INFORMATION lpProcessInformation);
#define ShellExecuteA  AfxShellExecute
#define CreateProcessA AfxCreateProcess
#endif

// The arguments of a Windows command line, as CreateProcessA splits it.
std::vector<std::string> AfxSplitCommandLine(const char* line);
