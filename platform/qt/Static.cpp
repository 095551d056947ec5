#include "platform/Static.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/qt/WndCore.h"

#include <QFontMetrics>
#include <QIcon>
#include <QPalette>
#include <QHash>
#include <QLabel>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr const char* kIconProperty = "talvoIcon";

BOOL StaticProc(QWidget* w, UINT message, WPARAM wParam, LPARAM, LRESULT* result)
{
    auto* label = qobject_cast<QLabel*>(w);
    if (!label)
        return FALSE;
    switch (message) {
    case STM_SETICON: {
        auto old = reinterpret_cast<HICON>(w->property(kIconProperty).value<quintptr>());
        auto hIcon = reinterpret_cast<HICON>(wParam);
        w->setProperty(kIconProperty, QVariant::fromValue(quintptr(hIcon)));
        if (hIcon && AfxIconFromHandle(hIcon)) {
            int side = std::max(16, std::min(label->width(), label->height()));
            label->setPixmap(AfxIconFromHandle(hIcon)->pixmap(side, side));
        } else {
            label->clear();
        }
        *result = reinterpret_cast<LRESULT>(old);
        return TRUE;
    }
    case STM_GETICON:
        *result = LRESULT(w->property(kIconProperty).value<quintptr>());
        return TRUE;
    default:
        return FALSE;
    }
}

// A template's icon is shared, as Windows loads it: one handle per resource
// for every dialog that shows it, never destroyed.
HICON SharedIcon(UINT nID)
{
    static auto* icons = new QHash<UINT, HICON>;
    HICON& h = (*icons)[nID];
    if (!h)
        h = AfxLoadIconHandle(nID, 32);
    return h;
}

}  // namespace

QWidget* AfxCreateStaticWidget(const DialogItemTemplate& item, QWidget* parent)
{
    auto* label = new QLabel(parent);
    const UINT type = item.style & 0x1F;
    if (type == SS_ICON) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (item.text && item.text[0] == '#') {
            // "#128": an icon resource by number.
            HICON h = SharedIcon(UINT(std::atoi(item.text + 1)));
            if (h && AfxIconFromHandle(h)) {
                label->setProperty(kIconProperty, QVariant::fromValue(quintptr(h)));
                label->setPixmap(AfxIconFromHandle(h)->pixmap(32, 32));
            }
        }
    } else {
        // Win32 statics wrap words and treat '&' as a mnemonic marker.
        QString text = FromAnsi(item.text ? item.text : "");
        if (!(item.style & SS_NOPREFIX)) {
            // The marked letter moves the focus on with Alt (KeyRouting.cpp).
            for (qsizetype i = text.indexOf(QLatin1Char('&')); i >= 0 && i + 1 < text.size();
                 i = text.indexOf(QLatin1Char('&'), i + 2)) {
                if (text[i + 1] != QLatin1Char('&')) {
                    label->setProperty(kMnemonicProperty, text[i + 1].toUpper());
                    break;
                }
            }
        }
        if (!(item.style & SS_NOPREFIX))
            text = text.replace(QLatin1String("&&"), QLatin1String("\x01"))
                       .remove(QLatin1Char('&'))
                       .replace(QLatin1Char('\x01'), QLatin1Char('&'));
        label->setText(text);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(type != SS_LEFTNOWORDWRAP);
        Qt::Alignment h = type == SS_CENTER ? Qt::AlignHCenter : type == SS_RIGHT ? Qt::AlignRight
                                                                                  : Qt::AlignLeft;
        label->setAlignment(h | Qt::AlignTop);
    }
    label->setFocusPolicy(Qt::NoFocus);
    AfxSetWidgetProc(label, StaticProc);
    return label;
}

void CStatic::SetTextColor(COLORREF color)
{
    QWidget* w = WidgetFromHandle(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return;
    QPalette palette = w->palette();
    palette.setColor(QPalette::WindowText, QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    w->setPalette(palette);
}

CSize CStatic::GetTextExtent(LPCSTR text) const
{
    QWidget* w = WidgetFromHandle(m_hWnd);
    if (!AfxIsLiveWidget(w))
        return CSize(0, 0);
    const QFontMetrics metrics(w->font());
    return CSize(metrics.horizontalAdvance(FromAnsi(text ? text : "")), metrics.height());
}
