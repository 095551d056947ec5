#pragma once
// shlwapi's path functions, with the file system's own separator ('/' here,
// '\' on Windows), so that the program joins and splits paths the same way
// everywhere. Qt-free.

#include "platform/Win32.h"

#ifndef _WIN32
// The file name behind the last separator (the whole path when it has none).
LPSTR PathFindFileNameA(LPCSTR pszPath);
// TRUE when the path has no separator: a bare file name.
BOOL PathIsFileSpecA(LPCSTR pszPath);
// Appends the separator when the path does not end in one; returns the new end.
LPSTR PathAddBackslashA(LPSTR pszPath);
#endif

// Whether file names tell upper from lower case (Windows: no, so a path may
// be folded to lower case without naming another file).
BOOL AfxFileNamesAreCaseSensitive();
