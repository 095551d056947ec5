#pragma once
// Report-view list with check boxes, small icons and several selected rows.
// Changing an item's state, by the user or by a call, sends LVN_ITEMCHANGED
// to the parent with the old and new state (state image 1 = unchecked,
// 2 = checked), as the Win32 list view does.

#include "platform/CString.h"
#include "platform/Wnd.h"

class CImageList;

class CListCtrl : public CWnd {
public:
    DWORD SetExtendedStyle(DWORD dwNewStyle);
    CImageList* SetImageList(CImageList* pImageList, int nImageListType);

    int InsertColumn(int nCol, LPCSTR lpszColumnHeading, int nFormat = LVCFMT_LEFT, int nWidth = -1, int nSubItem = -1);
    BOOL SetColumnWidth(int nCol, int cx);  // cx may be LVSCW_AUTOSIZE
    int GetColumnWidth(int nCol) const;
    int GetColumnCount() const;

    int GetItemCount() const;
    // New items get state image 1 (unchecked) when check boxes are on.
    int InsertItem(int nItem, LPCSTR lpszItem, int nImage = 0);
    BOOL DeleteItem(int nItem);
    BOOL DeleteAllItems();
    BOOL SetItemText(int nItem, int nSubItem, LPCSTR lpszText);
    CString GetItemText(int nItem, int nSubItem) const;
    int GetItemImage(int nItem) const;
    BOOL SetItemImage(int nItem, int nImage);
    BOOL SetItemState(int nItem, UINT nState, UINT nMask);  // nItem -1: every item
    UINT GetItemState(int nItem, UINT nMask) const;
    BOOL SetCheck(int nItem, BOOL fCheck = TRUE);
    BOOL GetCheck(int nItem) const;

    int GetNextItem(int nItem, int nFlags) const;  // LVNI_SELECTED, LVNI_FOCUSED
    UINT GetSelectedCount() const;
    int GetSelectionMark() const;
    int SetSelectionMark(int iIndex);
    BOOL EnsureVisible(int nItem, BOOL bPartialOK);
    int GetTopIndex() const;
    int GetCountPerPage() const;
};
