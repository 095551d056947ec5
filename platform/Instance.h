#pragma once
// One running program per data file.

#include "platform/Win32.h"

// Claims the file at path for this process, until it ends (two paths that
// name the same file are one claim). FALSE when another running process
// holds it; that process's main window is then sent the registered message
// `message`, and this one should end. TRUE also when nothing can be told
// (no folder for the claim): running twice is better than not at all.
BOOL AfxClaimInstance(LPCSTR path, UINT message);
