#pragma once
// Inside platform/ only: where the test hooks observe and steer the POSIX
// layer. Nothing is recorded unless the hooks have switched recording on.

#include "platform/ShellLink.h"
#include "platform/Win32.h"

#include <optional>
#include <string>
#include <vector>

struct AfxPosixSeams {
    bool recording = false;
    std::optional<std::string> moduleFileName;              // reported by GetModuleFileNameA when set
    std::string shellOpener;                                // run in place of xdg-open when not empty
    HRESULT coInitializeResult = S_OK;                      // CoInitialize fails with it when not S_OK
    std::vector<std::vector<std::string>> openerRuns;       // argument lists, program first
    std::vector<std::vector<std::string>> programsStarted;  // by CreateProcessA
    void (*afterInPlaceWrite)() = nullptr;                  // run between a rewrite in place's write and its cut
};
AfxPosixSeams& AfxPosixSeam();
