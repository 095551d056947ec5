#include "platform/CmdTarget.h"

#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QCursor>

namespace {

int g_nWaitCursor = 0;

}  // namespace

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
