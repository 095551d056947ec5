#include "platform/ImageList.h"

#include "platform/qt/ImageListData.h"
#include "platform/Resource.h"
#include "platform/qt/WndCore.h"

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstring>

namespace {

QHash<HIMAGELIST, CImageList*> g_lists;

QImage LoadStrip(const ImageTemplate& t, int cy)
{
    QByteArray data(reinterpret_cast<const char*>(t.data.data()), qsizetype(t.data.size()));
    if (t.format && std::strcmp(t.format, "svg") == 0) {
        QSvgRenderer renderer(data);
        if (!renderer.isValid())
            return QImage();
        // A strip drawn for cy-pixel rows keeps its proportions.
        QSize size = renderer.defaultSize();
        if (size.height() <= 0)
            return QImage();
        QSize target(size.width() * cy / size.height(), cy);
        QImage image(target, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        return image;
    }
    QImage image;
    image.loadFromData(data);
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

std::shared_ptr<CImageListImages> AfxImageListImages(HIMAGELIST hImageList)
{
    return hImageList && g_lists.contains(hImageList) ? hImageList->images : nullptr;
}

CImageList::~CImageList() { DeleteImageList(); }

BOOL CImageList::Create(UINT nBitmapID, int cx, int, COLORREF crMask)
{
    const ImageTemplate* t = AfxFindBitmap(nBitmapID);
    if (!t || cx <= 0 || m_hImageList)
        return FALSE;
    QImage strip = LoadStrip(*t, 16);
    if (strip.isNull() || strip.width() < cx)
        return FALSE;
    // The mask colour is transparent, as ILC_MASK with a bitmap does.
    const QRgb mask = qRgb(GetRValue(crMask), GetGValue(crMask), GetBValue(crMask));
    for (int y = 0; y < strip.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < strip.width(); ++x)
            if (qAlpha(line[x]) == 255 && (line[x] & 0xFFFFFF) == (mask & 0xFFFFFF))
                line[x] = qRgba(0, 0, 0, 0);
    }
    if (!Create(cx, strip.height(), ILC_COLOR32 | ILC_MASK, 0, 0))
        return FALSE;
    for (int x = 0; x + cx <= strip.width(); x += cx)
        m_hImageList->images->Add(QPixmap::fromImage(strip.copy(x, 0, cx, strip.height())));
    return TRUE;
}

BOOL CImageList::Create(int cx, int cy, UINT, int, int)
{
    if (cx <= 0 || cy <= 0 || m_hImageList)
        return FALSE;
    m_hImageList = new HIMAGELIST__;
    m_hImageList->images->cx = cx;
    m_hImageList->images->cy = cy;
    g_lists.insert(m_hImageList, this);
    return TRUE;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    g_lists.remove(m_hImageList);
    delete m_hImageList;
    m_hImageList = nullptr;
    return TRUE;
}
