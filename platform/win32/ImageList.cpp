// CImageList over the common controls' image lists.

#include "platform/ImageList.h"

#include "platform/win32/Internal.h"

#include <unordered_map>

namespace {

// The CImageList behind each list it made, for CListCtrl::SetImageList's answer.
std::unordered_map<HIMAGELIST, CImageList*>& Lists()
{
    static auto* lists = new std::unordered_map<HIMAGELIST, CImageList*>;
    return *lists;
}

}  // namespace

CImageList* AfxImageListFromHandle(HIMAGELIST hImageList)
{
    auto it = Lists().find(hImageList);
    return it != Lists().end() ? it->second : nullptr;
}

CImageList::~CImageList() { DeleteImageList(); }

BOOL CImageList::Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask)
{
    if (cx <= 0 || m_hImageList)
        return FALSE;
    // A DIB section keeps the bitmap's own colours whatever the screen's depth.
    auto bitmap = static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(nBitmapID),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        return FALSE;
    BITMAP info{};
    BOOL ok = FALSE;
    if (::GetObjectW(bitmap, sizeof info, &info) && info.bmWidth >= cx &&
        Create(cx, info.bmHeight, ILC_COLOR24 | ILC_MASK, info.bmWidth / cx, nGrow)) {
        // The mask colour becomes transparent.
        ok = ::ImageList_AddMasked(m_hImageList, bitmap, crMask) != -1;
        if (!ok)
            DeleteImageList();
    }
    ::DeleteObject(bitmap);
    return ok;
}

BOOL CImageList::Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow)
{
    if (cx <= 0 || cy <= 0 || m_hImageList)
        return FALSE;
    m_hImageList = ::ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
    if (!m_hImageList)
        return FALSE;
    Lists()[m_hImageList] = this;
    return TRUE;
}

BOOL CImageList::DeleteImageList()
{
    if (!m_hImageList)
        return FALSE;
    Lists().erase(m_hImageList);
    const BOOL ok = ::ImageList_Destroy(m_hImageList);
    m_hImageList = nullptr;
    return ok;
}
