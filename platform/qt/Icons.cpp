// Icons from the resources (SVG drawn at the size asked for) and cursors.

#include "platform/WinApp.h"

#include "platform/Resource.h"
#include "platform/Wnd.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QHash>
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QStyleOption>
#include <QSvgRenderer>

#include <cstdint>
#include <cstring>
#include <utility>

namespace {

QHash<QIcon*, UINT> g_icons;  // the resource id of each icon loaded

// An SVG icon drawn at the size asked for, when it is first asked for: a
// program start needs a few pictures, not every size of every icon.
class SvgIconEngine : public QIconEngine {
public:
    explicit SvgIconEngine(QByteArray data) : m_data(std::move(data)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        if (size.isEmpty())
            return QPixmap();
        const quint64 key = (quint64(size.width()) << 32) | (quint64(size.height()) << 2) | quint64(mode);
        if (auto it = m_pixmaps.constFind(key); it != m_pixmaps.constEnd())
            return *it;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QSvgRenderer renderer(m_data);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        QPixmap result = QPixmap::fromImage(image);
        if (mode != QIcon::Normal && mode != QIcon::Active) {
            QStyleOption option;
            option.palette = QGuiApplication::palette();
            result = QApplication::style()->generatedIconPixmap(mode, result, &option);
        }
        m_pixmaps.insert(key, result);
        return result;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}};
    }
    QIconEngine* clone() const override { return new SvgIconEngine(*this); }

private:
    QByteArray m_data;
    QHash<quint64, QPixmap> m_pixmaps;
};

QIcon IconFromTemplate(const ImageTemplate& t)
{
    if (!qobject_cast<QGuiApplication*>(qApp))
        return QIcon();
    QByteArray data(reinterpret_cast<const char*>(t.data.data()), qsizetype(t.data.size()));
    if (std::strcmp(t.format, "svg") == 0)
        return QSvgRenderer(data).isValid() ? QIcon(new SvgIconEngine(std::move(data))) : QIcon();
    QIcon icon;
    QPixmap pixmap;
    if (pixmap.loadFromData(data))
        icon.addPixmap(pixmap);
    return icon;
}

// One icon per resource, shared by every handle loaded from it (the tray
// loads its picture again at every blink).
QIcon CachedIcon(UINT nID, const ImageTemplate& t)
{
    // Never destroyed: pixmaps must not outlive the application object.
    static auto* cache = new QHash<UINT, QIcon>;
    auto it = cache->find(nID);
    if (it == cache->end() || it->isNull())
        it = cache->insert(nID, IconFromTemplate(t));
    return *it;
}

}  // namespace

HICON AfxLoadIconHandle(UINT nID, int)
{
    const ImageTemplate* t = AfxFindIcon(nID);
    if (!t)
        return nullptr;
    auto* icon = new QIcon(CachedIcon(nID, *t));
    g_icons.insert(icon, nID);
    return HandleFromIcon(icon);
}

UINT AfxIconResourceId(HICON hIcon) { return g_icons.value(IconFromHandle(hIcon), 0); }

const QIcon* AfxIconFromHandle(HICON hIcon)
{
    QIcon* icon = IconFromHandle(hIcon);
    return g_icons.contains(icon) ? icon : nullptr;
}

BOOL DestroyIcon(HICON hIcon)
{
    QIcon* icon = IconFromHandle(hIcon);
    if (!g_icons.remove(icon))
        return FALSE;
    delete icon;
    return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR lpCursorName)
{
    if (!IS_INTRESOURCE(lpCursorName))
        return nullptr;
    // Shared cursors, never freed (as Win32's system cursors).
    static QCursor* arrow = new QCursor(Qt::ArrowCursor);
    static QCursor* wait = new QCursor(Qt::WaitCursor);
    static QCursor* hand = new QCursor(Qt::PointingHandCursor);
    switch (UINT(reinterpret_cast<std::uintptr_t>(lpCursorName))) {
    case IDC_ARROW_ID: return reinterpret_cast<HCURSOR>(arrow);
    case IDC_WAIT_ID: return reinterpret_cast<HCURSOR>(wait);
    case IDC_HAND_ID: return reinterpret_cast<HCURSOR>(hand);
    default: return nullptr;
    }
}

HCURSOR SetCursor(HCURSOR hCursor)
{
    static HCURSOR current = nullptr;
    HCURSOR previous = current;
    current = hCursor;
    // The cursor belongs to the window asking in WM_SETCURSOR, else the one under the mouse.
    const MSG* m = CWnd::GetCurrentMessage();
    QWidget* target = nullptr;
    if (m->message == WM_SETCURSOR && m->wParam)
        target = WidgetFromHandle(reinterpret_cast<HWND>(m->wParam));
    else if (m->hwnd)
        target = WidgetFromHandle(m->hwnd);
    else if (qApp)
        target = QApplication::widgetAt(QCursor::pos());
    if (target && AfxIsLiveWidget(target)) {
        if (hCursor)
            target->setCursor(*reinterpret_cast<QCursor*>(hCursor));
        else
            target->unsetCursor();
    }
    return previous;
}
