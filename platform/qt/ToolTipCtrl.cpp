#include "platform/ToolTipCtrl.h"

#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/qt/WndCore.h"

#include <QWidget>

CToolTipCtrl::~CToolTipCtrl() { DestroyWindow(); }

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD)
{
    if (m_bCreated || !pParentWnd || !::IsWindow(pParentWnd->m_hWnd))
        return FALSE;
    m_hOwner = pParentWnd->m_hWnd;
    m_bCreated = true;
    return TRUE;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, LPCSTR lpszText, LPCRECT, UINT_PTR)
{
    if (!m_bCreated || !pWnd || !::IsWindow(pWnd->m_hWnd))
        return FALSE;
    m_hTool = pWnd->m_hWnd;
    m_strText = lpszText;
    Apply();
    return TRUE;
}

void CToolTipCtrl::UpdateTipText(LPCSTR lpszText, CWnd* pWnd, UINT_PTR)
{
    if (!m_bCreated || !pWnd || pWnd->m_hWnd != m_hTool)
        return;
    m_strText = lpszText;
    Apply();
}

void CToolTipCtrl::RelayEvent(LPMSG) {}

BOOL CToolTipCtrl::DestroyWindow()
{
    if (!m_bCreated)
        return FALSE;
    m_strText.Empty();
    Apply();
    m_bCreated = false;
    m_hTool = nullptr;
    m_hOwner = nullptr;
    return TRUE;
}

void CToolTipCtrl::Apply()
{
    QWidget* w = WidgetFromHandle(m_hTool);
    if (m_hTool && AfxIsLiveWidget(w))
        w->setToolTip(m_bActive ? FromAnsi(m_strText) : QString());
}
