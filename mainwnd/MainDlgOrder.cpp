// Moving the selected rows, sorting, and deleting.

#include "mainwnd/MainDlg.h"

#include "res/resource.h"

std::vector<int> CMainDlg::SelectedRows() const
{
    std::vector<int> rows;
    for (int i = m_list.GetNextItem(-1, LVNI_SELECTED); i != -1; i = m_list.GetNextItem(i, LVNI_SELECTED))
        rows.push_back(i);
    return rows;
}

bool CMainDlg::IsMenuChecked(UINT nID) const
{
    CMenu* menu = GetMenu();
    return menu && (menu->GetMenuState(nID, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void CMainDlg::OnMoveUp() { MoveSelected(true); }

void CMainDlg::OnMoveDown() { MoveSelected(false); }

void CMainDlg::MoveSelected(bool up)
{
    std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    CReminderList& list = m_data.m_reminderList;
    if ((up && rows.front() == 0) || (!up && rows.back() == list.GetCount() - 1))
        return;
    m_list.SetRedraw(FALSE);
    if (up) {
        for (int& i : rows) {
            Trace("Move item %d to %d\n", i, i - 1);
            list.MoveItem(i, true);
            UpdateList(i);
            UpdateList(i - 1);
            --i;
        }
    } else {
        for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
            int& i = *it;
            Trace("Move item %d to %d\n", i, i + 1);
            list.MoveItem(i, false);
            UpdateList(i);
            UpdateList(i + 1);
            ++i;
        }
    }
    m_list.SetItemState(-1, 0, LVIS_SELECTED);
    for (int i : rows)
        m_list.SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    m_list.SetRedraw(TRUE);
    OnDataChanged();
}

void CMainDlg::OnSortDescending()
{
    if (CMenu* menu = GetMenu())
        menu->CheckMenuItem(ID_SORT_DESCENDING, IsMenuChecked(ID_SORT_DESCENDING) ? MF_UNCHECKED : MF_CHECKED);
}

void CMainDlg::OnSortMarkedFirst()
{
    if (CMenu* menu = GetMenu())
        menu->CheckMenuItem(ID_SORT_MARKEDFIRST, IsMenuChecked(ID_SORT_MARKEDFIRST) ? MF_UNCHECKED : MF_CHECKED);
}

void CMainDlg::SortList(bool byTime)
{
    CWaitCursor wait;
    // "Fallande" checked sorts ascending.
    m_data.m_reminderList.Sort(byTime, IsMenuChecked(ID_SORT_DESCENDING), IsMenuChecked(ID_SORT_MARKEDFIRST));
    UpdateList(-1);
    SetEditMode(false);
}

void CMainDlg::OnSortByTime() { SortList(true); }

void CMainDlg::OnSortAlphabetical() { SortList(false); }

void CMainDlg::OnColumnClick(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (reinterpret_cast<const NMLISTVIEW*>(pNMHDR)->iSubItem == 0)
        OnSortByTime();
    else
        OnSortAlphabetical();
    OnDataChanged();
    *pResult = 0;
}

void CMainDlg::OnDelete()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    CString format, text;
    format.LoadString(IDS_ASK_DELETE);
    text.Format(format, int(rows.size()));
    if (MessageBox(text, nullptr, MB_YESNOCANCEL | MB_ICONEXCLAMATION) != IDYES)
        return;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        m_data.m_reminderList.RemoveAt(*it);
        m_list.DeleteItem(*it);
        Trace("Item %d was deleted!\n", *it);
    }
    SelectItem(-1);
    SetEditMode(false);
    OnDataChanged();
}
