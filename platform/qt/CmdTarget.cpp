#include "platform/CmdTarget.h"

#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QCursor>

namespace {

int g_nWaitCursor = 0;

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

void CCmdTarget::BeginWaitCursor()
{
    if (!qApp)
        return;
    ++g_nWaitCursor;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void CCmdTarget::EndWaitCursor()
{
    if (!qApp || g_nWaitCursor == 0)
        return;
    --g_nWaitCursor;
    QApplication::restoreOverrideCursor();
}

CWaitCursor::CWaitCursor()
{
    CCmdTarget t;
    t.BeginWaitCursor();
}

CWaitCursor::~CWaitCursor()
{
    CCmdTarget t;
    t.EndWaitCursor();
}
