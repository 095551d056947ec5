#include "platform/qt/Seams.h"

#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"

#include <QMetaObject>
#include <QWidget>

AfxQtSeams& AfxQtSeam()
{
    static AfxQtSeams seams;
    return seams;
}

void AfxRunQueuedModalAction(HWND hDlg)
{
    auto& actions = AfxQtSeam().modalActions;
    if (actions.empty())
        return;
    auto [action, context] = actions.front();
    actions.pop_front();
    // Runs inside the dialog's own loop, as a user would act on it.
    QMetaObject::invokeMethod(
        WidgetFromHandle(hDlg), [hDlg, action = action, context = context]() { action(hDlg, context); },
        Qt::QueuedConnection);
}
