#pragma once
// Telling a window that a file may have changed on disk.

#include "platform/Win32.h"

// Posts `message` (wParam and lParam 0) to hWnd when the file at path may
// have changed: written in place, replaced by a rename, deleted or created.
// Its folder is watched too, since sync tools and editors replace a file by
// renaming another over it. A burst of changes is told once, after it
// settles (about 200 ms); a change of another file in the folder may be told
// too, so the receiver compares what it reads. A new call replaces the
// window's previous watch; a null path ends it; it ends with the window.
// Nothing runs between changes. FALSE when the file's folder cannot be
// watched.
BOOL AfxWatchFile(HWND hWnd, LPCSTR path, UINT message);
