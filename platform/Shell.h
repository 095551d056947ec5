#pragma once
// shell32's ShellExecuteA: "open" hands a document, folder or URL to the
// desktop's default application through the freedesktop opener (xdg-open),
// started directly with an argument list, never through a shell. Qt-free.

#include "platform/Win32.h"

#include <string>
#include <vector>

constexpr long SE_ERR_FNF = 2;
constexpr long SE_ERR_PNF = 3;
constexpr long SE_ERR_OOM = 8;
constexpr long SE_ERR_DDEFAIL = 29;

// Returns a value above 32 on success; otherwise ERROR_FILE_NOT_FOUND (2) for a
// missing file, ERROR_PATH_NOT_FOUND (3) for a missing folder, SE_ERR_NOASSOC (31)
// for an unknown verb or when no opener can be started or the opener fails at once.
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR lpDirectory,
                        int nShowCmd);

// Starts a program with this argument list (program first, looked up in PATH),
// directly and without a shell, and does not wait for it. FALSE when it
// cannot be started.
BOOL CreateProcessArgv(const std::vector<std::string>& args);

namespace testhooks {
// The argument lists CreateProcessArgv was given.
const std::vector<std::vector<std::string>>& ProgramsStarted();
void ClearProgramsStarted();
// Runs this program instead of xdg-open (empty restores xdg-open).
void SetShellOpener(const std::string& program);
// The argument lists of the openers started so far (program first).
const std::vector<std::vector<std::string>>& ShellOpenerRuns();
void ClearShellOpenerRuns();
}
