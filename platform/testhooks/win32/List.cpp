// The hooks on the report-view list over the common control: its rows as
// shown, and clicks as the control reports them.

#include "platform/testhooks/TestHooks.h"

#include "platform/win32/Internal.h"

namespace {

int ColumnCount(HWND hList)
{
    auto header = reinterpret_cast<HWND>(::SendMessageW(hList, LVM_GETHEADER, 0, 0));
    return header ? int(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

int RowCount(HWND hList) { return ::IsWindow(hList) ? int(::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0)) : 0; }

bool HasCheckBoxes(HWND hList)
{
    return ::SendMessageW(hList, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES;
}

void SetState(HWND hList, int nItem, UINT state, UINT mask)
{
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    ::SendMessageW(hList, LVM_SETITEMSTATE, WPARAM(nItem), reinterpret_cast<LPARAM>(&item));
}

UINT State(HWND hList, int nItem, UINT mask)
{
    return UINT(::SendMessageW(hList, LVM_GETITEMSTATE, WPARAM(nItem), mask));
}

}  // namespace

namespace testhooks {

std::vector<ListRow> ListRows(HWND hList)
{
    std::vector<ListRow> rows;
    const int columns = std::max(1, ColumnCount(hList));
    for (int row = 0, n = RowCount(hList); row < n; ++row) {
        ListRow r;
        for (int col = 0; col < columns; ++col) {
            wchar_t text[2048] = {};
            LVITEMW item{};
            item.iSubItem = col;
            item.pszText = text;
            item.cchTextMax = 2048;
            ::SendMessageW(hList, LVM_GETITEMTEXTW, WPARAM(row), reinterpret_cast<LPARAM>(&item));
            r.texts.push_back(AfxNarrow(text));
        }
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ::SendMessageW(hList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        r.image = item.iImage;
        r.checked = HasCheckBoxes(hList) && (State(hList, row, LVIS_STATEIMAGEMASK) >> 12) == 2;
        r.selected = State(hList, row, LVIS_SELECTED) != 0;
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<int> ListColumnWidths(HWND hList)
{
    std::vector<int> widths;
    for (int col = 0, n = ColumnCount(hList); col < n; ++col)
        widths.push_back(int(::SendMessageW(hList, LVM_GETCOLUMNWIDTH, WPARAM(col), 0)));
    return widths;
}

void ClickListCheckBox(HWND hList, int nItem)
{
    if (nItem < 0 || nItem >= RowCount(hList) || !HasCheckBoxes(hList))
        return;
    // The control's own toggle: LVN_ITEMCHANGED reports it as a click would.
    const bool checked = (State(hList, nItem, LVIS_STATEIMAGEMASK) >> 12) == 2;
    SetState(hList, nItem, INDEXTOSTATEIMAGEMASK(checked ? 1 : 2), LVIS_STATEIMAGEMASK);
}

void ClickListItem(HWND hList, int nItem, bool ctrl, bool shift)
{
    if (nItem < 0 || nItem >= RowCount(hList))
        return;
    ::SetFocus(hList);
    const int anchor = int(::SendMessageW(hList, LVM_GETSELECTIONMARK, 0, 0));
    if (shift && anchor >= 0) {
        if (!ctrl)
            SetState(hList, -1, 0, LVIS_SELECTED);
        for (int i = std::min(anchor, nItem); i <= std::max(anchor, nItem); ++i)
            SetState(hList, i, LVIS_SELECTED, LVIS_SELECTED);
        SetState(hList, nItem, LVIS_FOCUSED, LVIS_FOCUSED);
        return;
    }
    if (ctrl) {
        const UINT selected = State(hList, nItem, LVIS_SELECTED);
        SetState(hList, nItem, (selected ? 0 : LVIS_SELECTED) | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    } else {
        SetState(hList, -1, 0, LVIS_SELECTED);
        SetState(hList, nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    ::SendMessageW(hList, LVM_SETSELECTIONMARK, 0, nItem);
}

void ClickListColumn(HWND hList, int nCol)
{
    if (nCol < 0 || nCol >= ColumnCount(hList))
        return;
    NMLISTVIEW nm{};
    nm.hdr.hwndFrom = hList;
    nm.hdr.idFrom = UINT_PTR(::GetDlgCtrlID(hList));
    nm.hdr.code = LVN_COLUMNCLICK;
    nm.iItem = -1;
    nm.iSubItem = nCol;
    ::SendMessageW(::GetParent(hList), WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

}  // namespace testhooks
