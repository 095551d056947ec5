#pragma once
// Inside platform/ only: the message-map lookup and what the dispatch needs
// of a platform.

#include "platform/MessageMap.h"

// The first entry of the map chain that handles the message (WM_COMMAND and
// WM_NOTIFY entries match code and id as well); null when none does.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);

// True for a top-level window (not a control): the commands it leaves go on
// to the application.
bool AfxIsTopLevelWindow(HWND hWnd);
