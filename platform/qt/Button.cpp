#include "platform/Button.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace {

UINT ButtonType(const QWidget* w) { return w->property(kStyleProperty).toUInt() & 0x0F; }

int CheckOf(const QAbstractButton* b)
{
    if (auto* cb = qobject_cast<const QCheckBox*>(b))
        return cb->checkState() == Qt::PartiallyChecked ? BST_INDETERMINATE
               : cb->checkState() == Qt::Checked        ? BST_CHECKED
                                                        : BST_UNCHECKED;
    return b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void SetCheckOf(QAbstractButton* b, int check)
{
    if (auto* cb = qobject_cast<QCheckBox*>(b)) {
        if (check == BST_INDETERMINATE)
            cb->setTristate(true);
        cb->setCheckState(check == BST_INDETERMINATE ? Qt::PartiallyChecked
                          : check != 0               ? Qt::Checked
                                                     : Qt::Unchecked);
        return;
    }
    // One radio button of a group may be cleared without checking another.
    bool exclusive = b->autoExclusive();
    b->setAutoExclusive(false);
    b->setChecked(check != 0);
    b->setAutoExclusive(exclusive);
}

BOOL ButtonProc(QWidget* w, UINT message, WPARAM wParam, LPARAM, LRESULT* result)
{
    auto* b = qobject_cast<QAbstractButton*>(w);
    switch (message) {
    case BM_GETCHECK:
        *result = b ? CheckOf(b) : 0;
        return TRUE;
    case BM_SETCHECK:
        if (b && b->isCheckable())
            SetCheckOf(b, int(wParam));
        *result = 0;
        return TRUE;
    case BM_CLICK:
        if (b && b->isEnabled())
            b->click();
        *result = 0;
        return TRUE;
    case BM_SETSTYLE: {
        UINT style = w->property(kStyleProperty).toUInt();
        w->setProperty(kStyleProperty, uint((style & ~0xFFFFu) | (UINT(wParam) & 0xFFFF)));
        if (auto* pb = qobject_cast<QPushButton*>(w))
            pb->setDefault((wParam & 0x0F) == BS_DEFPUSHBUTTON);
        *result = 0;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

QWidget* AfxCreateButtonWidget(const DialogItemTemplate& item, QWidget* parent)
{
    QString text = FromAnsi(item.text ? item.text : "");
    UINT type = item.style & 0x0F;
    QWidget* w = nullptr;
    QAbstractButton* button = nullptr;
    switch (type) {
    case BS_GROUPBOX: {
        auto* g = new QGroupBox(text, parent);
        g->setFocusPolicy(Qt::NoFocus);
        w = g;
        break;
    }
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
        w = button = new QCheckBox(text, parent);
        break;
    case BS_AUTORADIOBUTTON:
        w = button = new QRadioButton(text, parent);
        break;
    default: {
        auto* pb = new QPushButton(text, parent);
        // Enter is the dialog manager's business (PreTranslateMessage), so Qt
        // must not move the default around on its own.
        pb->setAutoDefault(false);
        pb->setDefault(type == BS_DEFPUSHBUTTON);
        w = button = pb;
        break;
    }
    }
    if (button) {
        QObject::connect(button, &QAbstractButton::clicked, button, [button]() {
            // A plain check box only reports the click; the program sets the mark.
            if (ButtonType(button) == BS_CHECKBOX) {
                QSignalBlocker block(button);
                button->setChecked(!button->isChecked());
            }
            AfxNotifyCommand(button, BN_CLICKED);
        });
    }
    AfxSetWidgetProc(w, ButtonProc);
    return w;
}
