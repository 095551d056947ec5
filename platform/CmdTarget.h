#pragma once
#include "platform/MessageMap.h"

// Base of everything that has a message map.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // Wait cursor while a long operation runs (nesting counts).
    void BeginWaitCursor();
    void EndWaitCursor();

    // Routes a command (WM_COMMAND code and id) through this object's message
    // map; TRUE when a handler took it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// Shows the wait cursor for its lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
