// CListCtrl over the common controls' list view (version 6). The list view
// sends LVN_ITEMCHANGED itself, for the user's changes and for these calls.

#include "platform/ListCtrl.h"

#include "platform/ImageList.h"
#include "platform/win32/Internal.h"

#include <algorithm>

namespace {

std::wstring WideText(LPCSTR text) { return AfxWide(text ? text : ""); }

}  // namespace

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle)
{
    return DWORD(::SendMessageW(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LPARAM(dwNewStyle)));
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    // The CImageList owns its list: the list view must not destroy it with itself.
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    if (!(style & LVS_SHAREIMAGELISTS))
        ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style | LVS_SHAREIMAGELISTS);
    HIMAGELIST hNew = pImageList ? pImageList->m_hImageList : nullptr;
    auto hOld = reinterpret_cast<HIMAGELIST>(
        ::SendMessageW(m_hWnd, LVM_SETIMAGELIST, WPARAM(nImageListType), reinterpret_cast<LPARAM>(hNew)));
    return AfxImageListFromHandle(hOld);
}

int CListCtrl::InsertColumn(int nCol, LPCSTR lpszColumnHeading, int nFormat, int nWidth, int nSubItem)
{
    if (nCol < 0)
        return -1;
    std::wstring heading = WideText(lpszColumnHeading);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_TEXT;
    column.fmt = nFormat;
    column.pszText = heading.data();
    if (nWidth >= 0) {
        column.mask |= LVCF_WIDTH;
        column.cx = nWidth;
    }
    if (nSubItem >= 0) {
        column.mask |= LVCF_SUBITEM;
        column.iSubItem = nSubItem;
    }
    return int(::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, WPARAM(nCol), reinterpret_cast<LPARAM>(&column)));
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx)
{
    return BOOL(::SendMessageW(m_hWnd, LVM_SETCOLUMNWIDTH, WPARAM(nCol), MAKELPARAM(cx, 0)));
}

int CListCtrl::GetColumnWidth(int nCol) const { return int(::SendMessageW(m_hWnd, LVM_GETCOLUMNWIDTH, WPARAM(nCol), 0)); }

int CListCtrl::GetColumnCount() const
{
    auto header = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0));
    return header ? int(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListCtrl::GetItemCount() const { return int(::SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0)); }

// With check boxes on, the list view gives the new item state image 1 itself.
int CListCtrl::InsertItem(int nItem, LPCSTR lpszItem, int nImage)
{
    if (nItem < 0)
        return -1;
    std::wstring text = WideText(lpszItem);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = nItem;
    item.pszText = text.data();
    item.iImage = nImage;
    return int(::SendMessageW(m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::DeleteItem(int nItem) { return BOOL(::SendMessageW(m_hWnd, LVM_DELETEITEM, WPARAM(nItem), 0)); }
BOOL CListCtrl::DeleteAllItems() { return BOOL(::SendMessageW(m_hWnd, LVM_DELETEALLITEMS, 0, 0)); }

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCSTR lpszText)
{
    std::wstring text = WideText(lpszText);
    LVITEMW item{};
    item.iSubItem = nSubItem;
    item.pszText = text.data();
    return BOOL(::SendMessageW(m_hWnd, LVM_SETITEMTEXTW, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    if (nItem < 0 || nItem >= GetItemCount() || nSubItem < 0)
        return CString();
    // The call tells only how much it copied: a full buffer may have cut
    // the text, so it is asked again with more room.
    std::wstring buffer(256, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = nSubItem;
        item.pszText = buffer.data();
        item.cchTextMax = int(buffer.size());
        const auto n = std::size_t(::SendMessageW(m_hWnd, LVM_GETITEMTEXTW, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
        if (n + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
            buffer.resize(std::min(n, buffer.size() - 1));
            return CString(AfxNarrow(buffer).c_str());
        }
        buffer.assign(buffer.size() * 4, L'\0');
    }
}

int CListCtrl::GetItemImage(int nItem) const
{
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    if (!::SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iImage;
}

BOOL CListCtrl::SetItemImage(int nItem, int nImage)
{
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    item.iImage = nImage;
    return BOOL(::SendMessageW(m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    LVITEMW item{};
    item.state = nState;
    item.stateMask = nMask;
    return BOOL(::SendMessageW(m_hWnd, LVM_SETITEMSTATE, WPARAM(nItem), reinterpret_cast<LPARAM>(&item)));
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const
{
    return UINT(::SendMessageW(m_hWnd, LVM_GETITEMSTATE, WPARAM(nItem), LPARAM(nMask)));
}

BOOL CListCtrl::SetCheck(int nItem, BOOL fCheck)
{
    return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(fCheck ? 2 : 1), LVIS_STATEIMAGEMASK);
}

BOOL CListCtrl::GetCheck(int nItem) const { return (GetItemState(nItem, LVIS_STATEIMAGEMASK) >> 12) == 2; }

int CListCtrl::GetNextItem(int nItem, int nFlags) const
{
    return int(::SendMessageW(m_hWnd, LVM_GETNEXTITEM, WPARAM(nItem), MAKELPARAM(nFlags, 0)));
}

UINT CListCtrl::GetSelectedCount() const { return UINT(::SendMessageW(m_hWnd, LVM_GETSELECTEDCOUNT, 0, 0)); }
int CListCtrl::GetSelectionMark() const { return int(::SendMessageW(m_hWnd, LVM_GETSELECTIONMARK, 0, 0)); }

int CListCtrl::SetSelectionMark(int iIndex)
{
    return int(::SendMessageW(m_hWnd, LVM_SETSELECTIONMARK, 0, LPARAM(iIndex)));
}

BOOL CListCtrl::EnsureVisible(int nItem, BOOL bPartialOK)
{
    return BOOL(::SendMessageW(m_hWnd, LVM_ENSUREVISIBLE, WPARAM(nItem), LPARAM(bPartialOK)));
}

int CListCtrl::GetTopIndex() const { return int(::SendMessageW(m_hWnd, LVM_GETTOPINDEX, 0, 0)); }
int CListCtrl::GetCountPerPage() const { return int(::SendMessageW(m_hWnd, LVM_GETCOUNTPERPAGE, 0, 0)); }
