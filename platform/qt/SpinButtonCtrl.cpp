#include "platform/SpinButtonCtrl.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"

#include <QPointer>

#include <QEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace {

// The arrows beside a buddy edit. Win32's default range is 100..0 (up
// counts down); Talvo always sets its own.
class UpDownWidget : public QWidget {
public:
    int lower = 0;
    int upper = 100;
    int pos = 0;
    QPointer<QWidget> buddy;
    QPointer<QWidget> autoBuddy;  // UDS_AUTOBUDDY: attached at first use
    DWORD style = 0;

    void EnsureBuddy()
    {
        if (!buddy && autoBuddy) {
            QWidget* b = autoBuddy;
            autoBuddy = nullptr;
            Attach(b);
        }
    }

    explicit UpDownWidget(QWidget* parent) : QWidget(parent)
    {
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        auto* up = new QToolButton(this);
        auto* down = new QToolButton(this);
        up->setArrowType(Qt::UpArrow);
        down->setArrowType(Qt::DownArrow);
        for (QToolButton* b : {up, down}) {
            b->setAutoRepeat(true);
            b->setFocusPolicy(Qt::NoFocus);
            b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
            layout->addWidget(b);
        }
        connect(up, &QToolButton::clicked, this, [this] { Step(+1); });
        connect(down, &QToolButton::clicked, this, [this] { Step(-1); });
        setFocusPolicy(Qt::NoFocus);
    }

    int Clamp(int v) const
    {
        int lo = std::min(lower, upper), hi = std::max(lower, upper);
        return std::clamp(v, lo, hi);
    }

    // Reads the buddy's number as Win32 does before every step.
    int Current(bool* error = nullptr)
    {
        EnsureBuddy();
        if (buddy && (style & UDS_SETBUDDYINT)) {
            bool ok = false;
            QString t = AfxWidgetText(buddy).trimmed();
            t.remove(QLatin1Char(' '));
            int v = t.toInt(&ok);
            if (error)
                *error = !ok;
            return ok ? v : pos;
        }
        if (error)
            *error = false;
        return pos;
    }

    void SetPos(int v)
    {
        EnsureBuddy();
        pos = Clamp(v);
        if (buddy && (style & UDS_SETBUDDYINT))
            AfxSetWidgetText(buddy, QString::number(pos));
    }

    void Step(int direction)
    {
        int step = lower <= upper ? direction : -direction;
        SetPos(Current() + step);
    }

    void Attach(QWidget* w)
    {
        if (buddy)
            buddy->removeEventFilter(this);
        buddy = w;
        if (!buddy)
            return;
        if (style & UDS_ARROWKEYS)
            buddy->installEventFilter(this);
        if (style & UDS_ALIGNRIGHT) {
            // Sits inside the buddy's right edge, as the Win32 control does.
            QRect r = buddy->geometry();
            int cx = std::max(12, width());
            buddy->setGeometry(r.x(), r.y(), std::max(1, r.width() - cx), r.height());
            setGeometry(r.right() - cx + 1, r.y(), cx, r.height());
        }
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == buddy && e->type() == QEvent::KeyPress) {
            int key = static_cast<QKeyEvent*>(e)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                Step(key == Qt::Key_Up ? +1 : -1);
                return true;
            }
        }
        return QWidget::eventFilter(o, e);
    }
};

UpDownWidget* UpDown(HWND h) { return dynamic_cast<UpDownWidget*>(WidgetFromHandle(h)); }

}  // namespace

QWidget* AfxCreateUpDownWidget(const DialogItemTemplate& item, QWidget* parent)
{
    auto* w = new UpDownWidget(parent);
    w->style = item.style;
    if (item.style & UDS_AUTOBUDDY) {
        // The buddy is the control created just before this one; the builder
        // has not given this one geometry yet, so attach once it has.
        QWidget* previous = nullptr;
        for (QObject* o : parent->children())
            if (auto* c = qobject_cast<QWidget*>(o); c && c != w)
                previous = c;
        w->autoBuddy = previous;
        QTimer::singleShot(0, w, [w] { w->EnsureBuddy(); });
    }
    return w;
}

void CSpinButtonCtrl::SetRange32(int nLower, int nUpper)
{
    if (UpDownWidget* w = UpDown(m_hWnd)) {
        w->lower = nLower;
        w->upper = nUpper;
        w->pos = w->Clamp(w->pos);
    }
}

void CSpinButtonCtrl::GetRange32(int& nLower, int& nUpper) const
{
    UpDownWidget* w = UpDown(m_hWnd);
    nLower = w ? w->lower : 0;
    nUpper = w ? w->upper : 0;
}

int CSpinButtonCtrl::SetPos32(int nPos)
{
    UpDownWidget* w = UpDown(m_hWnd);
    if (!w)
        return 0;
    int old = w->Current();
    w->SetPos(nPos);
    return old;
}

int CSpinButtonCtrl::GetPos32(BOOL* pbError) const
{
    UpDownWidget* w = UpDown(m_hWnd);
    bool error = w == nullptr;
    int v = w ? w->Current(&error) : 0;
    if (pbError)
        *pbError = error ? TRUE : FALSE;
    return v;
}

CWnd* CSpinButtonCtrl::GetBuddy() const
{
    UpDownWidget* w = UpDown(m_hWnd);
    if (w)
        w->EnsureBuddy();
    return w && w->buddy ? CWnd::FromHandle(HandleFromWidget(w->buddy)) : nullptr;
}
