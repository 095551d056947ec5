#include "platform/DateTimeCtrl.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"

#include <QCalendarWidget>
#include <QDateTimeEdit>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>

#include <algorithm>

namespace {

QDateTimeEdit* Edit(HWND h) { return qobject_cast<QDateTimeEdit*>(WidgetFromHandle(h)); }

// A format without its time-zone sections ('t' outside quotes).
QString WithoutZone(const QString& format)
{
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            out += c;
    }
    return out.simplified();
}

// Times in the locale's long format, with seconds, as Windows' time picker
// shows them; dates in the short format with four-digit years: an editor
// that shows "26" cannot tell the user which century it will store.
QString EditorFormat(bool time)
{
    QLocale locale;
    if (time)
        return WithoutZone(locale.timeFormat(QLocale::LongFormat));
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QLatin1String("yyyy")))
        date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return date;
}

// The calendar popup is made when it is first opened: most sessions never
// open it, and made at start it costs time and a timer.
class CDateTimeWidget : public QDateTimeEdit {
public:
    using QDateTimeEdit::QDateTimeEdit;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        PrepareCalendar();
        QDateTimeEdit::mousePressEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        PrepareCalendar();
        QDateTimeEdit::keyPressEvent(event);
    }

private:
    void PrepareCalendar()
    {
        if (m_bPrepared || !calendarPopup())
            return;
        m_bPrepared = true;
        QCalendarWidget* calendar = calendarWidget();
        // The popup's month and day names are the program's language; the
        // editor keeps the user's own date format.
        const QLocale swedish(QLocale::Swedish, QLocale::Sweden);
        calendar->setLocale(swedish);
        // The popup would take the editor's width and cut the day names:
        // seven columns as wide as the widest name, with room around it.
        QFont bold = calendar->font();
        bold.setBold(true);
        const QFontMetrics metrics(bold);
        int widest = 0;
        for (int day = 1; day <= 7; ++day)
            widest = std::max(widest, metrics.horizontalAdvance(swedish.dayName(day, QLocale::ShortFormat)));
        calendar->setMinimumWidth(std::max(calendar->sizeHint().width(), 7 * (widest + 3 * metrics.averageCharWidth())));
    }

    bool m_bPrepared = false;
};

}  // namespace

QWidget* AfxCreateDateTimeWidget(const DialogItemTemplate& item, QWidget* parent)
{
    const bool time = (item.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT;
    auto* edit = new CDateTimeWidget(QDateTime::currentDateTime(), parent);
    edit->setDisplayFormat(EditorFormat(time));
    edit->setCalendarPopup(!time);
    // Windows' picker has no limits but its own; keep the whole time_t range
    // that local time can represent.
    edit->setMinimumDateTime(QDateTime(QDate(1970, 1, 2), QTime(0, 0)));
    edit->setMaximumDateTime(QDateTime(QDate(3000, 12, 31), QTime(23, 59, 59)));
    return edit;
}

BOOL CDateTimeCtrl::SetRange(const CTime* pMinRange, const CTime* pMaxRange)
{
    QDateTimeEdit* e = Edit(m_hWnd);
    if (!e)
        return FALSE;
    QDateTime min = pMinRange ? QDateTime::fromSecsSinceEpoch(pMinRange->GetTime()) : e->minimumDateTime();
    QDateTime max = pMaxRange ? QDateTime::fromSecsSinceEpoch(pMaxRange->GetTime()) : e->maximumDateTime();
    // An editor without date sections cannot leave its day: Qt collapses a
    // range over midnight. The time picker's range is one day, so its end is
    // the last second of the first day.
    if (!(e->displayedSections() & QDateTimeEdit::DateSections_Mask) && max.date() > min.date())
        max = QDateTime(min.date(), QTime(23, 59, 59));
    e->setDateTimeRange(min, max);
    return TRUE;
}

DWORD CDateTimeCtrl::GetRange(CTime* pMinRange, CTime* pMaxRange) const
{
    QDateTimeEdit* e = Edit(m_hWnd);
    if (!e)
        return 0;
    if (pMinRange)
        *pMinRange = CTime(std::time_t(e->minimumDateTime().toSecsSinceEpoch()));
    if (pMaxRange)
        *pMaxRange = CTime(std::time_t(e->maximumDateTime().toSecsSinceEpoch()));
    return 3;  // GDTR_MIN | GDTR_MAX
}

BOOL CDateTimeCtrl::SetTime(const CTime& time) { return SetTime(&time); }

BOOL CDateTimeCtrl::SetTime(const CTime* pTime)
{
    QDateTimeEdit* e = Edit(m_hWnd);
    if (!e || !pTime)
        return FALSE;
    QDateTime value = QDateTime::fromSecsSinceEpoch(pTime->GetTime());
    if (value < e->minimumDateTime() || value > e->maximumDateTime())
        return FALSE;  // Win32 refuses a time outside the range
    e->setDateTime(value);
    return TRUE;
}

DWORD CDateTimeCtrl::GetTime(CTime& time) const
{
    QDateTimeEdit* e = Edit(m_hWnd);
    if (!e)
        return GDT_NONE;
    time = CTime(std::time_t(e->dateTime().toSecsSinceEpoch()));
    return GDT_VALID;
}
