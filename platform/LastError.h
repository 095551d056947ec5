#pragma once
// kernel32's per-thread last-error code, set by the file, folder and
// formatting functions of platform/. Qt-free.

#include "platform/Win32.h"

#ifndef _WIN32
constexpr long ERROR_NO_MORE_FILES = 18;
constexpr long ERROR_INSUFFICIENT_BUFFER = 122;
constexpr long ERROR_INVALID_FLAGS = 1004;

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);
#endif

// The Win32 code closest to an errno value.
DWORD Win32ErrorFromErrno(int error);
