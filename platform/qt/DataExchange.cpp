// The data exchange's calls on Qt widgets: which controls are edits, where
// the focus goes after a failed exchange, check boxes, and edit limits. The
// rest is shared (platform/portable/DataExchange.cpp).

#include "platform/DataExchange.h"

#include "platform/portable/DataExchange.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>

namespace {

bool IsEditWidget(QWidget* w) { return qobject_cast<QLineEdit*>(w) != nullptr; }

}  // namespace

HWND CDataExchange::PrepareEditCtrl(int nIDC)
{
    HWND h = PrepareCtrl(nIDC);
    if (h)
        m_bEditLastControl = IsEditWidget(WidgetFromHandle(h));
    return h;
}

void CDataExchange::Fail()
{
    // The field that failed gets the focus, an edit with its text selected.
    if (m_bSaveAndValidate && m_hWndLastControl && IsWindow(m_hWndLastControl)) {
        QWidget* w = WidgetFromHandle(m_hWndLastControl);
        w->setFocus(Qt::OtherFocusReason);
        if (auto* le = qobject_cast<QLineEdit*>(w))
            le->selectAll();
    }
    throw CDataExchangeFailure{};
}

void AfxLimitEditText(HWND hEdit, int nChars)
{
    if (auto* le = qobject_cast<QLineEdit*>(WidgetFromHandle(hEdit)))
        le->setMaxLength(nChars);
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    HWND h = pDX->PrepareCtrl(nIDC);
    auto* b = h ? qobject_cast<QAbstractButton*>(WidgetFromHandle(h)) : nullptr;
    if (!b)
        return;
    auto* cb = qobject_cast<QCheckBox*>(b);
    if (pDX->m_bSaveAndValidate) {
        if (cb)
            value = cb->checkState() == Qt::PartiallyChecked ? 2 : cb->checkState() == Qt::Checked ? 1
                                                                                                   : 0;
        else
            value = b->isChecked() ? 1 : 0;
    } else if (cb && value == 2) {
        cb->setTristate(true);
        cb->setCheckState(Qt::PartiallyChecked);
    } else {
        b->setChecked(value != 0);
    }
}
