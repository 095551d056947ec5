#include "platform/Font.h"

#include "platform/qt/TextCodec.h"
#include "platform/qt/WndCore.h"

#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QSet>
#include <QWidget>

#include <algorithm>
#include <cstring>

// The object behind an HFONT: the font Qt draws with and the LOGFONT it came from.
struct HFONT__ {
    QFont font;
    LOGFONT lf;
};

namespace {

QSet<HFONT> g_fonts;
QHash<HFONT, CFont*> g_owners;    // the CFont that created the handle
QHash<HFONT, CFont*> g_wrappers;  // FromHandle wrappers of handles without an owner

}  // namespace

CFont::~CFont() { DeleteObject(); }

CFont* CFont::FromHandle(HFONT hFont)
{
    if (!hFont || !g_fonts.contains(hFont))
        return nullptr;
    if (CFont* owner = g_owners.value(hFont, nullptr))
        return owner;
    CFont*& wrapper = g_wrappers[hFont];
    if (!wrapper) {
        wrapper = new CFont;
        wrapper->m_hObject = hFont;
    }
    return wrapper;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont)
{
    if (!lpLogFont || m_hObject)
        return FALSE;
    auto* object = new HFONT__;
    object->lf = *lpLogFont;
    object->lf.lfFaceName[LF_FACESIZE - 1] = '\0';
    QFont font = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::font() : QFont();
    if (object->lf.lfFaceName[0])
        font.setFamily(FromAnsi(object->lf.lfFaceName));
    // Negative heights are character heights, positive ones cell heights
    // (with the internal leading, about a fifth on the usual faces).
    LONG h = object->lf.lfHeight;
    if (h < 0)
        font.setPixelSize(int(-h));
    else if (h > 0)
        font.setPixelSize(std::max(1, int(h) * 4 / 5));
    LONG weight = object->lf.lfWeight;
    font.setWeight(weight <= 0 ? QFont::Normal : QFont::Weight(std::clamp<LONG>(weight, 1, 1000)));
    font.setItalic(object->lf.lfItalic != 0);
    font.setUnderline(object->lf.lfUnderline != 0);
    font.setStrikeOut(object->lf.lfStrikeOut != 0);
    object->font = font;
    m_hObject = object;
    g_fonts.insert(object);
    g_owners.insert(object, this);
    return TRUE;
}

int CFont::GetLogFont(LOGFONT* pLogFont) const
{
    if (!pLogFont || !m_hObject || !g_fonts.contains(m_hObject))
        return 0;
    *pLogFont = m_hObject->lf;
    return int(sizeof(LOGFONT));
}

BOOL CFont::DeleteObject()
{
    HFONT h = m_hObject;
    if (!h)
        return FALSE;
    m_hObject = nullptr;
    if (!g_fonts.contains(h))
        return FALSE;
    // Only the creator frees the font; a wrapper just lets go of it.
    if (g_owners.value(h, nullptr) != this) {
        if (g_wrappers.value(h, nullptr) == this)
            g_wrappers.remove(h);
        return TRUE;
    }
    g_owners.remove(h);
    g_fonts.remove(h);
    if (CFont* wrapper = g_wrappers.take(h)) {
        wrapper->m_hObject = nullptr;
        delete wrapper;
    }
    delete h;
    return TRUE;
}

void AfxApplyFont(QWidget* w, HFONT hFont)
{
    CFont* font = hFont ? CFont::FromHandle(hFont) : nullptr;
    LOGFONT lf;
    if (!font || !font->GetLogFont(&lf)) {
        w->setFont(QFont());
        return;
    }
    QFont f = w->font();
    if (lf.lfFaceName[0])
        f.setFamily(FromAnsi(lf.lfFaceName));
    if (lf.lfHeight != 0)
        f.setPixelSize(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight);
    f.setBold(lf.lfWeight >= FW_BOLD);
    f.setItalic(lf.lfItalic != 0);
    f.setUnderline(lf.lfUnderline != 0);
    f.setStrikeOut(lf.lfStrikeOut != 0);
    w->setFont(f);
}
