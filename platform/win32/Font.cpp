// CFont over GDI fonts. The narrow LOGFONT's face name is UTF-8; GDI gets
// and gives the wide one.

#include "platform/Font.h"

#include "platform/win32/Internal.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <unordered_map>

namespace {

struct FontTable {
    std::unordered_map<HFONT, CFont*> owners;    // the CFont that created each font
    std::unordered_map<HFONT, CFont*> wrappers;  // FromHandle's, for fonts of others
};

// Never destroyed: a CFont of static storage may be destroyed after it, and
// FromHandle's wrappers live as long as the program.
FontTable& Fonts()
{
    static auto* table = new FontTable;
    return *table;
}

// Every field but the face name, which differs in width.
template <class To, class From>
void CopyMetrics(To& to, const From& from)
{
    to.lfHeight = from.lfHeight;
    to.lfWidth = from.lfWidth;
    to.lfEscapement = from.lfEscapement;
    to.lfOrientation = from.lfOrientation;
    to.lfWeight = from.lfWeight;
    to.lfItalic = from.lfItalic;
    to.lfUnderline = from.lfUnderline;
    to.lfStrikeOut = from.lfStrikeOut;
    to.lfCharSet = from.lfCharSet;
    to.lfOutPrecision = from.lfOutPrecision;
    to.lfClipPrecision = from.lfClipPrecision;
    to.lfQuality = from.lfQuality;
    to.lfPitchAndFamily = from.lfPitchAndFamily;
}

}  // namespace

CFont::~CFont() { DeleteObject(); }

CFont* CFont::FromHandle(HFONT hFont)
{
    if (!hFont || ::GetObjectType(hFont) != OBJ_FONT)
        return nullptr;
    FontTable& fonts = Fonts();
    if (auto it = fonts.owners.find(hFont); it != fonts.owners.end())
        return it->second;
    CFont*& wrapper = fonts.wrappers[hFont];
    if (!wrapper)
        wrapper = new CFont;
    wrapper->m_hObject = hFont;  // again, should a caller have let go of it
    return wrapper;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont)
{
    if (!lpLogFont || m_hObject)
        return FALSE;
    LOGFONTW wide{};
    CopyMetrics(wide, *lpLogFont);
    const std::wstring face = AfxWide(std::string_view(lpLogFont->lfFaceName, strnlen(lpLogFont->lfFaceName, LF_FACESIZE)));
    lstrcpynW(wide.lfFaceName, face.c_str(), LF_FACESIZE);
    HFONT h = ::CreateFontIndirectW(&wide);
    if (!h)
        return FALSE;
    m_hObject = h;
    Fonts().owners[h] = this;
    return TRUE;
}

int CFont::GetLogFont(LOGFONT* pLogFont) const
{
    LOGFONTW wide{};
    if (!pLogFont || !m_hObject || ::GetObjectW(m_hObject, sizeof wide, &wide) == 0)
        return 0;
    *pLogFont = LOGFONT{};
    CopyMetrics(*pLogFont, wide);
    AfxCopyText(pLogFont->lfFaceName, LF_FACESIZE,
                AfxNarrow(std::wstring_view(wide.lfFaceName, wcsnlen(wide.lfFaceName, LF_FACESIZE))));
    return int(sizeof(LOGFONT));
}

BOOL CFont::DeleteObject()
{
    HFONT h = m_hObject;
    if (!h)
        return FALSE;
    m_hObject = nullptr;
    // Only the creator frees the font; a wrapper just lets go of it.
    FontTable& fonts = Fonts();
    auto it = fonts.owners.find(h);
    if (it == fonts.owners.end() || it->second != this)
        return TRUE;
    fonts.owners.erase(it);
    return ::DeleteObject(h);
}
