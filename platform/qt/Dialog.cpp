#include "platform/Dialog.h"

#include "platform/qt/DialogBuilder.h"
#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/Trace.h"
#include "platform/WinApp.h"
#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>

namespace {

constexpr WORD DC_HASDEFID = 0x534B;
constexpr const char* kModalLoopProperty = "talvoModalLoop";

QWidget* W(HWND h) { return WidgetFromHandle(h); }

bool IsDefPushButton(const QWidget* w)
{
    if (auto* pb = qobject_cast<const QPushButton*>(w); pb && pb->isDefault())
        return true;
    return w->property(kClassProperty).toByteArray() == "Button" &&
           (w->property(kStyleProperty).toUInt() & 0x0F) == BS_DEFPUSHBUTTON;
}

bool Focusable(QWidget* c, QWidget* dlg)
{
    return c && c != dlg && c->window() == dlg && (c->focusPolicy() & Qt::TabFocus) && c->isEnabled() &&
           c->isVisibleTo(dlg) && !c->focusProxy();
}

}  // namespace

BOOL CDialog::CreateFromTemplate(const DialogTemplate* t, HWND hOwner)
{
    m_bModalEnded = false;
    m_nModalResult = -1;
    CDialogWidget* dlg = AfxBuildDialog(*t, hOwner ? W(hOwner) : nullptr, this);
    if (!dlg)
        return FALSE;
    HWND h = HandleFromWidget(dlg);
    QPointer<QWidget> guard(dlg);
    // The first tab stop gets the focus when OnInitDialog asks for it.
    if (OnInitDialog() && guard && IsWindow(h)) {
        for (QObject* o : dlg->children()) {
            auto* c = qobject_cast<QWidget*>(o);
            if (Focusable(c, dlg) || (c && c->focusProxy() && c->isEnabled() && c->isVisibleTo(dlg) &&
                                      (c->focusPolicy() & Qt::TabFocus))) {
                c->setFocus(Qt::TabFocusReason);
                if (auto* le = qobject_cast<QLineEdit*>(c))
                    le->selectAll();
                break;
            }
        }
    }
    if (!guard || !IsWindow(h))
        return FALSE;
    if (t->style & WS_VISIBLE)
        dlg->show();
    return TRUE;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_pParentWnd = pParentWnd;
    HWND hOwner = pParentWnd && IsWindow(pParentWnd->m_hWnd) ? pParentWnd->m_hWnd : nullptr;
    return CreateFromTemplate(nIDTemplate, hOwner);
}

std::intptr_t CDialog::DoModal()
{
    QWidget* owner = nullptr;
    if (m_pParentWnd && IsWindow(m_pParentWnd->m_hWnd))
        owner = W(m_pParentWnd->m_hWnd)->window();
    else
        owner = AfxDefaultOwner();
    if (!CreateFromTemplate(m_nIDTemplate, HandleFromWidget(owner)))
        return -1;
    QPointer<QWidget> dlg = W(m_hWnd);
    HWND h = m_hWnd;
    QPointer<QWidget> ownerGuard = owner;

    AfxEnterModal(owner, dlg);
    if (!m_bModalEnded) {
        dlg->setWindowModality(Qt::ApplicationModal);
        if (!dlg->testAttribute(Qt::WA_Moved))
            CenterWindow();
        dlg->show();
        dlg->activateWindow();
        QEventLoop loop;
        dlg->setProperty(kModalLoopProperty, QVariant::fromValue<quintptr>(reinterpret_cast<quintptr>(&loop)));
        AfxRunQueuedModalAction(h);
        if (!m_bModalEnded && !AfxQuitPosted())
            loop.exec(QEventLoop::DialogExec);
        if (dlg)
            dlg->setProperty(kModalLoopProperty, QVariant());
    }
    AfxLeaveModal(ownerGuard, dlg);
    if (dlg && IsWindow(h)) {
        dlg->hide();
        ::DestroyWindow(h);
    }
    if (ownerGuard && ownerGuard->isVisible())
        ownerGuard->activateWindow();
    return m_nModalResult;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bModalEnded = true;
    QWidget* w = W(m_hWnd);
    if (!m_hWnd || !IsWindow(m_hWnd))
        return;
    if (auto* loop = reinterpret_cast<QEventLoop*>(w->property(kModalLoopProperty).value<quintptr>()))
        loop->quit();
    w->hide();
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl)
{
    if (!pWndCtrl || !IsWindow(pWndCtrl->m_hWnd))
        return;
    QWidget* c = W(pWndCtrl->m_hWnd);
    c->setFocus(Qt::OtherFocusReason);
    if (auto* le = qobject_cast<QLineEdit*>(c))
        le->selectAll();
}

DWORD CDialog::GetDefID() const
{
    if (m_nDefID)
        return MAKELONG(WORD(m_nDefID), DC_HASDEFID);
    QWidget* dlg = W(m_hWnd);
    if (!dlg || !IsWindow(m_hWnd))
        return 0;
    for (QObject* o : dlg->children())
        if (auto* c = qobject_cast<QWidget*>(o); c && !c->isWindow() && IsDefPushButton(c))
            return MAKELONG(WORD(AfxControlId(c)), DC_HASDEFID);
    return 0;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // The dialog manager's part: Esc is Cancel, Enter the default button.
    if (!pMsg || pMsg->message != WM_KEYDOWN || !m_hWnd || !IsWindow(m_hWnd))
        return FALSE;
    QWidget* target = W(pMsg->hwnd);
    QWidget* dlg = W(m_hWnd);
    if (!IsWindow(pMsg->hwnd) || target->window() != dlg)
        return FALSE;
    if (pMsg->wParam == VK_ESCAPE) {
        HWND hCancel = ::GetDlgItem(m_hWnd, int(IDCANCEL));
        if (!hCancel || ::IsWindowEnabled(hCancel))
            SendMessage(WM_COMMAND, MAKELONG(WORD(IDCANCEL), WORD(BN_CLICKED)), reinterpret_cast<LPARAM>(hCancel));
        return TRUE;
    }
    if (pMsg->wParam == VK_RETURN) {
        if (qobject_cast<QPlainTextEdit*>(target) || qobject_cast<QTextEdit*>(target) ||
            (target->parentWidget() && (qobject_cast<QPlainTextEdit*>(target->parentWidget()) ||
                                        qobject_cast<QTextEdit*>(target->parentWidget()))))
            return FALSE;
        // A focused push button is the default while it has the focus.
        if (auto* pb = qobject_cast<QPushButton*>(target); pb && AfxHasControlId(pb)) {
            if (pb->isEnabled())
                SendMessage(WM_COMMAND, MAKELONG(WORD(AfxControlId(pb)), WORD(BN_CLICKED)),
                            reinterpret_cast<LPARAM>(HandleFromWidget(pb)));
            return TRUE;
        }
        DWORD def = GetDefID();
        UINT id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        HWND hDef = ::GetDlgItem(m_hWnd, int(id));
        if (!hDef || ::IsWindowEnabled(hDef))
            SendMessage(WM_COMMAND, MAKELONG(WORD(id), WORD(BN_CLICKED)), reinterpret_cast<LPARAM>(hDef));
        return TRUE;
    }
    return FALSE;
}
