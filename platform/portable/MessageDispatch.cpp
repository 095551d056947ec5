// Message maps: finding a message's entry along the chain of maps, and the
// dispatch of window messages, commands and notifications through them, the
// same on every platform.

#include "platform/portable/MessageDispatch.h"

#include "platform/WinApp.h"
#include "platform/Wnd.h"

namespace {

const AFX_MSGMAP* NoBaseMap() { return nullptr; }

const AFX_MSGMAP_ENTRY g_emptyEntries[] = {{0, 0, 0, 0, nullptr, nullptr}};

}  // namespace

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP map = {&NoBaseMap, &g_emptyEntries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id)
{
    for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->pfn; ++e) {
            if (e->pnMessage) {
                if (*e->pnMessage == message && message != 0)
                    return e;
                continue;
            }
            if (e->nMessage != message)
                continue;
            if (message == WM_COMMAND || message == WM_NOTIFY) {
                if (e->nCode == code && id >= e->nID && id <= e->nLastID)
                    return e;
                continue;
            }
            return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, WPARAM wParam, LPARAM lParam)
{
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), WM_COMMAND, UINT(nCode), nID);
    if (!e)
        return FALSE;
    LRESULT result = 0;
    return e->pfn(this, WM_COMMAND, wParam, lParam, &result);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    LRESULT result = 0;
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam))
            return FALSE;
    } else if (message == WM_NOTIFY) {
        if (!OnNotify(wParam, lParam, &result))
            return FALSE;
    } else {
        const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message, 0, 0);
        if (!e || !e->pfn(this, message, wParam, lParam, &result))
            return FALSE;
    }
    if (pResult)
        *pResult = result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    // Menus send code 0 and accelerators code 1; both reach ON_COMMAND entries.
    if (lParam == 0 && nCode == 1)
        nCode = 0;
    if (OnCmdMsg(nID, nCode, wParam, lParam))
        return TRUE;
    // Commands nobody in the window handled go to the application, as MFC routes them.
    if (lParam == 0 && m_hWnd && AfxIsTopLevelWindow(m_hWnd))
        if (CWinApp* app = AfxGetApp())
            return app->OnCmdMsg(nID, nCode, wParam, lParam);
    return FALSE;
}

BOOL CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    (void)wParam;
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (!hdr)
        return FALSE;
    const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), WM_NOTIFY, UINT(hdr->code), UINT(hdr->idFrom));
    if (!e)
        return FALSE;
    LRESULT result = 0;
    e->pfn(this, WM_NOTIFY, wParam, lParam, &result);
    if (pResult)
        *pResult = result;
    return TRUE;
}
