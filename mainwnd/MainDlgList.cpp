// The reminder list view and the edit panel below it.

#include "mainwnd/MainDlg.h"

#include "model/Clock.h"
#include "model/PickerTime.h"
#include "res/resource.h"
#include "support/ShellHelpers.h"

#include <algorithm>

namespace {

// Appends v in decimal, with a minus sign when negative.
char* AppendLong(char* out, long v)
{
    char digits[24];
    int n = 0;
    unsigned long u = v < 0 ? 0UL - static_cast<unsigned long>(v) : static_cast<unsigned long>(v);
    do {
        digits[n++] = char('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0)
        *out++ = '-';
    while (n)
        *out++ = digits[--n];
    return out;
}

// Appends " (+D hh:mm:ss)" for a push interval in seconds. A negative one
// (only a damaged file holds one) shows its sign once: " (-0 00:00:05)".
char* AppendPushSuffix(char* out, long p)
{
    out = std::copy_n(p < 0 ? " (-" : " (+", 3, out);
    const long long magnitude = p < 0 ? -static_cast<long long>(p) : p;
    out = AppendLong(out, long(magnitude / 86400));
    char separator = ' ';
    for (long v : {long(magnitude / 3600 % 24), long(magnitude / 60 % 60), long(magnitude % 60)}) {
        *out++ = separator;
        if (v < 10)
            *out++ = '0';
        out = AppendLong(out, v);
        separator = ':';
    }
    *out++ = ')';
    return out;
}

}  // namespace

void CMainDlg::UpdateList(int nItem)
{
    const CReminderList& list = m_data.m_reminderList;
    if (list.GetCount() == 0) {
        m_list.DeleteAllItems();
        return;
    }
    m_bFillingList = true;
    int first = nItem;
    int last = nItem;
    if (nItem == -1) {
        Trace("Update everything in list\n");
        m_list.SetRedraw(FALSE);
        m_list.DeleteAllItems();
        first = 0;
        last = list.GetCount() - 1;
    } else {
        Trace("Update item: %d\n", nItem);
        if (nItem < 0 || nItem >= list.GetCount()) {
            m_bFillingList = false;
            return;
        }
    }

    for (int i = first; i <= last; ++i) {
        if (nItem == -1 || i == m_list.GetItemCount())
            m_list.InsertItem(i, "", 0);
        const CReminder& r = list.GetAt(i);
        // "date time", and the push interval when shown; a time that cannot
        // be shown leaves both parts empty.
        char text[2 * kFormatBufferSize + 96];
        char* end = text;
        SYSTEMTIME st{};
        const bool valid = CTime(std::time_t(r.m_nTime) + m_nTimeZone).GetAsSystemTime(st);
        if (valid)
            end = AppendDateText(end, LOCALE_NOUSEROVERRIDE, nullptr, &st);
        *end++ = ' ';
        if (valid)
            end = AppendTimeText(end, LOCALE_NOUSEROVERRIDE, nullptr, &st);
        if (m_data.m_bViewPushTime && r.m_bPush)
            end = AppendPushSuffix(end, r.m_nPushTime);
        *end = '\0';
        m_list.SetItemText(i, 0, text);
        m_list.SetItemText(i, 1, r.m_strText.c_str());
        m_list.SetCheck(i, r.m_bRemind);
        UpdateItemIcon(i);
    }
    m_bFillingList = false;

    m_list.SetColumnWidth(0, LVSCW_AUTOSIZE);
    m_list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    if (nItem == -1) {
        m_list.SetRedraw(TRUE);
        SetEditMode(false);
    } else {
        m_list.EnsureVisible(nItem, FALSE);
    }
}

void CMainDlg::OnAddOrChange()
{
    UpdateData(TRUE);
    if (m_strText.IsEmpty())
        return;
    CReminderList& list = m_data.m_reminderList;
    const int sel = m_list.GetNextItem(-1, LVNI_SELECTED);
    const bool change = m_bEditMode && sel != -1;
    // A changed reminder keeps its own instant while the panel still shows it.
    const std::int32_t time =
        FromPickerTime(m_date.GetTime(), m_time.GetTime(), change ? &list.GetAt(sel).m_nTime : nullptr);
    if (change) {
        Trace("Change date: %ld Change time: %ld\n", long(m_date.GetTime()), long(m_time.GetTime()));
        list.Set(sel, m_strText, time, m_bRemind != FALSE, std::int32_t(m_nPushTime), m_bPush != FALSE);
        UpdateData(FALSE);
        UpdateList(sel);
        if (sel == list.GetCount() - 1) {
            OnNew();
        } else {
            SelectItem(sel + 1);
            ShowSelected();
        }
    } else {
        Trace("Add date: %ld Add time: %ld\n", long(m_date.GetTime()), long(m_time.GetTime()));
        list.Add(m_strText, time, m_bRemind != FALSE, std::int32_t(m_nPushTime), m_bPush != FALSE);
        UpdateList(list.GetCount() - 1);
        OnNew();
    }
    OnDataChanged();
}

void CMainDlg::OnNew()
{
    Trace("_timezone: %ld daylight: %d\n", LocalZoneOffset(), LocalDaylight());
    SelectItem(-1);
    const CReminderList& list = m_data.m_reminderList;
    m_strText = list.m_strDefaultText.c_str();
    SetEditMode(false);
    const std::time_t due = ClockNow() + list.m_nDefaultTimeAdd;
    m_date = due;
    m_time = ToPickerTimeOfDay(due);
    m_bRemind = list.m_bDefaultRemind;
    m_bPush = list.m_bDefaultPush;
    m_nPushTime = list.m_nDefaultPushTime;
    if (CWnd* edit = GetDlgItem(IDC_TEXT))
        edit->SetFocus();
    UpdateData(FALSE);
}

void CMainDlg::ShowSelected()
{
    const int sel = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (sel == -1 || sel >= m_data.m_reminderList.GetCount()) {
        OnNew();
        return;
    }
    UpdateData(TRUE);
    const CReminder& r = m_data.m_reminderList.GetAt(sel);
    m_strText = r.m_strText.c_str();
    m_bRemind = r.m_bRemind;
    m_date = ToPickerTime(r.m_nTime);
    m_time = ToPickerTimeOfDay(m_date.GetTime());
    m_nPushTime = r.m_nPushTime;
    m_bPush = r.m_bPush;
    UpdateData(FALSE);
    SetEditMode(true);
}

void CMainDlg::OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult)
{
    const auto* nm = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    *pResult = 0;
    if (!(nm->uChanged & LVIF_STATE))
        return;
    if ((nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED))
        ShowSelected();
    const UINT now = nm->uNewState & LVIS_STATEIMAGEMASK;
    const UINT old = nm->uOldState & LVIS_STATEIMAGEMASK;
    const bool toggled = (now == 0x2000 && old == 0x1000) || (now == 0x1000 && old == 0x2000);
    const int row = nm->iItem;
    if (!toggled || m_bFillingList || row < 0 || row >= m_data.m_reminderList.GetCount())
        return;
    const bool checked = m_list.GetCheck(row) != FALSE;
    m_data.m_reminderList.GetAt(row).m_bRemind = checked;
    if (m_bEditMode && row == m_list.GetSelectionMark())
        CheckDlgButton(IDC_REMIND, checked ? BST_CHECKED : BST_UNCHECKED);
    UpdateItemIcon(row);
    OnDataChanged();
}

void CMainDlg::OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR)->wVKey == VK_DELETE)
        OnDelete();
    *pResult = 0;
}

void CMainDlg::SelectItem(int nItem)
{
    m_list.SetItemState(-1, 0, LVIS_SELECTED);
    m_list.SetSelectionMark(nItem);
    if (nItem >= 0 && nItem < m_list.GetItemCount()) {
        m_list.SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        m_list.EnsureVisible(nItem, TRUE);
    }
}

void CMainDlg::UpdateItemIcon(int nItem)
{
    m_list.SetItemImage(nItem, m_data.m_reminderList.IsDue(nItem) ? 1 : 0);
}

void CMainDlg::SetEditMode(bool bChange)
{
    CString text;
    text.LoadString(bChange ? IDS_CHANGE : IDS_ADD);
    m_btnAdd.SetWindowText(text);
    m_bEditMode = bChange;
}

void CMainDlg::OnDataChanged()
{
    Trace("Data changed\n");
    OnTimer(1);
    if (m_data.m_bAutoSave)
        SetTimer(3, 60000);
}
