// The report-view list's calls on its widget (ListWidget.h).

#include "platform/ListCtrl.h"

#include "platform/qt/ListWidget.h"

namespace {

// A row shows no more of a text than this (no screen is wider); a longer one
// is cut here, so that a huge text costs nothing to convert, measure or draw.
constexpr std::size_t kCellTextLimit = 1024;

QString CellText(const char* text)
{
    if (!text)
        return {};
    // A character takes at most four bytes: more is never needed.
    const std::size_t bytes = strnlen(text, kCellTextLimit * 4);
    std::size_t cut = bytes;
    if (cut == kCellTextLimit * 4)
        while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
            --cut;
    QString s = FromAnsi(text, cut);
    if (s.size() > qsizetype(kCellTextLimit)) {
        s.truncate(qsizetype(kCellTextLimit));
        if (s.back().isHighSurrogate())
            s.chop(1);
    }
    return s;
}

}  // namespace

QWidget* AfxCreateListWidget(const DialogItemTemplate& item, QWidget* parent)
{
    auto* w = new ListWidget(parent);
    w->setSelectionMode((item.style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                     : QAbstractItemView::ExtendedSelection);
    w->setSelectionBehavior(QAbstractItemView::SelectRows);
    w->Bind();
    return w;
}

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle)
{
    ListWidget* w = List(m_hWnd);
    if (!w)
        return 0;
    DWORD old = w->exStyle;
    w->exStyle = dwNewStyle;
    return old;
}

CImageList* CListCtrl::SetImageList(CImageList* pImageList, int nImageListType)
{
    ListWidget* w = List(m_hWnd);
    if (!w || nImageListType != LVSIL_SMALL)
        return nullptr;
    CImageList* old = w->smallImages;
    w->smallImages = pImageList;
    w->images = pImageList ? AfxImageListImages(pImageList->m_hImageList) : nullptr;
    if (w->images)
        w->setIconSize(QSize(w->images->cx, w->images->cy));
    Quiet q(w);
    for (int i = 0; i < w->Count(); ++i)
        w->ApplyImage(i);
    return old;
}

int CListCtrl::InsertColumn(int nCol, LPCSTR lpszColumnHeading, int nFormat, int nWidth, int)
{
    ListWidget* w = FlushedList(m_hWnd);
    if (!w || nCol < 0)
        return -1;
    int count = w->columnCount();
    nCol = std::min(nCol, count);
    QStringList headings;
    for (int i = 0; i < count; ++i)
        headings << w->headerItem()->text(i);
    headings.insert(nCol, FromAnsi(lpszColumnHeading ? lpszColumnHeading : ""));
    w->alignments.insert(w->alignments.begin() + nCol,
                         nFormat == LVCFMT_RIGHT    ? int(Qt::AlignRight | Qt::AlignVCenter)
                         : nFormat == LVCFMT_CENTER ? int(Qt::AlignHCenter | Qt::AlignVCenter)
                                                    : kLeftAlignment);
    w->setColumnCount(count + 1);
    w->setHeaderLabels(headings);
    w->ForgetTextWidths();  // the columns behind the new one moved
    for (int i = 0; i <= count; ++i)
        w->headerItem()->setTextAlignment(i, Qt::Alignment(w->alignments[size_t(i)]));
    if (nWidth >= 0)
        w->setColumnWidth(nCol, nWidth);
    return nCol;
}

namespace {

// The width of a column's widest cell, as resizeColumnToContents measures it
// but over every row. Shaping every text is what makes that slow; the sum of
// cached character advances ranks the rows instead (it misses only kerning),
// the few rows near the top are shaped exactly, and the widest of them goes
// through the item delegate. Every row has the same font and decorations.
int ContentWidth(ListWidget* w, int col)
{
    const int n = w->topLevelItemCount();
    if (n == 0)
        return 0;
    // Kerning moves a text by a pixel or two: the widest few by estimate
    // hold the widest by shaping. They are kept in one pass, widest first.
    struct Candidate {
        qreal estimate = 0;
        int row = 0;
    };
    constexpr size_t kCandidates = 16;
    std::array<Candidate, kCandidates> top;
    size_t kept = 0;
    for (int row = 0; row < n; ++row) {
        const qreal estimate = w->TextWidth(row, col);
        if (kept == kCandidates && estimate <= top[kCandidates - 1].estimate)
            continue;
        size_t at = kept < kCandidates ? kept++ : kCandidates - 1;
        for (; at > 0 && top[at - 1].estimate < estimate; --at)
            top[at] = top[at - 1];
        top[at] = {estimate, row};
    }
    const qreal most = top[0].estimate;
    const QFontMetricsF& metrics = w->Metrics();
    int widest = 0;
    qreal widestText = -1;
    for (size_t i = 0; i < kept; ++i) {
        const int row = top[i].row;
        if (top[i].estimate < most * 0.9 - 4)
            break;
        const qreal exact = metrics.horizontalAdvance(w->topLevelItem(row)->text(col));
        if (exact > widestText) {
            widestText = exact;
            widest = row;
        }
    }
    return w->sizeHintForIndex(w->model()->index(widest, col)).width();
}

}  // namespace

BOOL CListCtrl::SetColumnWidth(int nCol, int cx)
{
    ListWidget* w = FlushedList(m_hWnd);
    if (!w || nCol < 0 || nCol >= w->columnCount())
        return FALSE;
    if (cx == LVSCW_AUTOSIZE || cx == LVSCW_AUTOSIZE_USEHEADER) {
        int width = ContentWidth(w, nCol);
        if (!w->header()->isHidden())
            width = std::max(width, w->header()->sectionSizeHint(nCol));
        if (cx == LVSCW_AUTOSIZE_USEHEADER)
            width = std::max(width, w->header()->sectionSizeHint(nCol));
        else if (w->topLevelItemCount() == 0)
            width = 0;  // no items: nothing to fit
        w->setColumnWidth(nCol, width);
    } else {
        w->setColumnWidth(nCol, std::max(0, cx));
    }
    return TRUE;
}

int CListCtrl::GetColumnWidth(int nCol) const
{
    ListWidget* w = List(m_hWnd);
    return w && nCol >= 0 && nCol < w->columnCount() ? w->columnWidth(nCol) : 0;
}

int CListCtrl::GetColumnCount() const
{
    ListWidget* w = List(m_hWnd);
    return w ? w->columnCount() : 0;
}

int CListCtrl::GetItemCount() const
{
    ListWidget* w = List(m_hWnd);
    return w ? w->Count() : 0;
}

int CListCtrl::InsertItem(int nItem, LPCSTR lpszItem, int nImage)
{
    ListWidget* w = List(m_hWnd);
    if (!w || nItem < 0)
        return -1;
    const int row = std::min(nItem, w->Count());
    // Rows appended while redraw is off wait outside the tree.
    const bool defer = row == w->Count() && !w->updatesEnabled();
    if (!defer)
        w->Flush();
    bool reused = false;
    QTreeWidgetItem* it = w->NewItem(reused);
    {
        Quiet q(w);
        const QString text = CellText(lpszItem);
        if (reused || !text.isEmpty())  // a new item without text shows none
            it->setText(0, text);
        for (int c = 0; c < int(w->alignments.size()); ++c)
            if (w->alignments[size_t(c)] != kLeftAlignment)  // the delegate's default
                it->setTextAlignment(c, Qt::Alignment(w->alignments[size_t(c)]));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (w->Checkboxes()) {
            flags |= Qt::ItemIsUserCheckable;
            if (!defer)
                it->setCheckState(0, Qt::Unchecked);
        }
        it->setFlags(flags);
        ListWidget::Row shadowRow;
        shadowRow.image = nImage;
        shadowRow.reused = reused;
        w->shadow.insert(w->shadow.begin() + row, shadowRow);
        if (defer)
            w->pending.push_back(it);
        else
            w->insertTopLevelItem(row, it);
        w->ApplyImage(row);
        w->NoteText(row, 0, text);
        if (w->selectionMark >= row)
            ++w->selectionMark;
    }
    // The new item's state image is set as a change, as Win32 reports it.
    if (w->Checkboxes() && defer) {
        // A pending row is neither selected nor focused.
        UINT& state = w->shadow[size_t(row)].state;
        state = INDEXTOSTATEIMAGEMASK(1);
        w->Notify(row, 0, state);
    } else if (w->Checkboxes()) {
        w->SyncRow(row);
    }
    return row;
}

BOOL CListCtrl::DeleteItem(int nItem)
{
    ListWidget* w = FlushedList(m_hWnd);
    if (!w || nItem < 0 || nItem >= w->topLevelItemCount())
        return FALSE;
    {
        Quiet q(w);
        delete w->takeTopLevelItem(nItem);
        w->shadow.erase(w->shadow.begin() + nItem);
        if (w->selectionMark == nItem)
            w->selectionMark = -1;
        else if (w->selectionMark > nItem)
            --w->selectionMark;
    }
    // The focus or selection may have moved to a neighbour.
    for (int row = std::max(0, nItem - 1); row < std::min(nItem + 1, w->topLevelItemCount()); ++row)
        w->SyncRow(row);
    return TRUE;
}

BOOL CListCtrl::DeleteAllItems()
{
    ListWidget* w = List(m_hWnd);
    if (!w)
        return FALSE;
    Quiet q(w);
    if (w->updatesEnabled()) {
        for (QTreeWidgetItem* it : w->pending)
            delete it;
        w->pending.clear();
        w->clear();
    } else {
        // Kept for the rows added before redraw is back on, left as
        // QTreeWidget::clear leaves them: unselected, none current.
        w->selectionModel()->clear();
        const QList<QTreeWidgetItem*> taken = w->invisibleRootItem()->takeChildren();
        w->spare.insert(w->spare.end(), taken.begin(), taken.end());
        w->spare.insert(w->spare.end(), w->pending.begin(), w->pending.end());
        w->pending.clear();
    }
    w->shadow.clear();
    w->selectionMark = -1;
    return TRUE;
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, LPCSTR lpszText)
{
    ListWidget* w = List(m_hWnd);
    QTreeWidgetItem* it = w ? w->Item(nItem) : nullptr;
    if (!it || nSubItem < 0 || nSubItem >= std::max(1, w->columnCount()))
        return FALSE;
    Quiet q(w);
    const QString text = CellText(lpszText);
    it->setText(nSubItem, text);
    if (nSubItem < ListWidget::kTrackedColumns)
        w->shadow[size_t(nItem)].textsSet |= 1u << nSubItem;
    w->NoteText(nItem, nSubItem, text);
    return TRUE;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const
{
    ListWidget* w = List(m_hWnd);
    QTreeWidgetItem* it = w ? w->Item(nItem) : nullptr;
    if (!it || nSubItem < 0)
        return CString();
    return CString(ToAnsi(w->Text(nItem, nSubItem)).constData());
}

int CListCtrl::GetItemImage(int nItem) const
{
    ListWidget* w = List(m_hWnd);
    return w && nItem >= 0 && nItem < w->Count() ? w->shadow[size_t(nItem)].image : -1;
}

BOOL CListCtrl::SetItemImage(int nItem, int nImage)
{
    ListWidget* w = List(m_hWnd);
    QTreeWidgetItem* it = w ? w->Item(nItem) : nullptr;
    if (!it)
        return FALSE;
    // Qt cannot compare icons, so setting the same one again would repaint.
    ListWidget::Row& r = w->shadow[size_t(nItem)];
    if (r.image == nImage && r.iconShown)
        return TRUE;
    Quiet q(w);
    r.image = nImage;
    w->ApplyImage(nItem);
    return TRUE;
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask)
{
    ListWidget* w = List(m_hWnd);
    if (!w)
        return FALSE;
    if (nItem == -1) {
        if (nMask == LVIS_SELECTED && !(nState & LVIS_SELECTED)) {
            // Clearing the selection changes only the selected rows; a click
            // in a long list does this every time.
            w->Flush();
            std::vector<int> rows;
            for (const QModelIndex& index : w->selectionModel()->selectedRows())
                rows.push_back(index.row());
            std::sort(rows.begin(), rows.end());
            for (int row : rows)
                SetItemState(row, 0, LVIS_SELECTED);
            return TRUE;
        }
        for (int row = 0; row < w->Count(); ++row)
            SetItemState(row, nState, nMask);
        return TRUE;
    }
    // A check mark can be set on a pending row; the selection and the focus need the view.
    if (nMask & (LVIS_SELECTED | LVIS_FOCUSED))
        w->Flush();
    QTreeWidgetItem* it = w->Item(nItem);
    if (!it)
        return FALSE;
    if (w->IsPending(nItem)) {
        // A pending row is neither selected nor focused, and its shadow is
        // up to date: only its check mark can change.
        if (!(nMask & LVIS_STATEIMAGEMASK) || !w->Checkboxes())
            return TRUE;
        const bool checked = ((nState & LVIS_STATEIMAGEMASK) >> 12) == 2;
        UINT& state = w->shadow[size_t(nItem)].state;
        const UINT now = (state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
        if (now != state) {
            const UINT old = state;
            state = now;
            w->Notify(nItem, old, now);
        }
        return TRUE;
    }
    // Besides this row only the row that had the focus can change; checking
    // just these two keeps a refresh of n rows linear.
    const int focusBefore = w->currentIndex().isValid() ? w->currentIndex().row() : -1;
    {
        Quiet q(w);
        if (nMask & LVIS_SELECTED)
            it->setSelected((nState & LVIS_SELECTED) != 0);
        if (nMask & LVIS_FOCUSED) {
            QModelIndex index = w->model()->index(nItem, 0);
            if (nState & LVIS_FOCUSED)
                w->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            else if (w->currentItem() == it)
                w->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        }
        if ((nMask & LVIS_STATEIMAGEMASK) && w->Checkboxes()) {
            UINT image = (nState & LVIS_STATEIMAGEMASK) >> 12;
            it->setCheckState(0, image == 2 ? Qt::Checked : Qt::Unchecked);
        }
    }
    if (focusBefore >= 0 && focusBefore < nItem)
        w->SyncRow(focusBefore);
    w->SyncRow(nItem);
    if (focusBefore > nItem)
        w->SyncRow(focusBefore);
    return TRUE;
}

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const
{
    ListWidget* w = List(m_hWnd);
    return w ? w->ActualState(nItem) & nMask : 0;
}

BOOL CListCtrl::SetCheck(int nItem, BOOL fCheck)
{
    return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(fCheck ? 2 : 1), LVIS_STATEIMAGEMASK);
}

BOOL CListCtrl::GetCheck(int nItem) const
{
    return (GetItemState(nItem, LVIS_STATEIMAGEMASK) >> 12) == 2;
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const
{
    ListWidget* w = List(m_hWnd);
    if (!w)
        return -1;
    for (int row = std::max(-1, nItem) + 1; row < w->Count(); ++row) {
        UINT s = w->ActualState(row);
        if ((nFlags & LVNI_SELECTED) && !(s & LVIS_SELECTED))
            continue;
        if ((nFlags & LVNI_FOCUSED) && !(s & LVIS_FOCUSED))
            continue;
        return row;
    }
    return -1;
}

UINT CListCtrl::GetSelectedCount() const
{
    ListWidget* w = List(m_hWnd);
    return w ? UINT(w->selectionModel()->selectedRows().size()) : 0;
}

int CListCtrl::GetSelectionMark() const
{
    ListWidget* w = List(m_hWnd);
    return w ? w->selectionMark : -1;
}

int CListCtrl::SetSelectionMark(int iIndex)
{
    ListWidget* w = List(m_hWnd);
    if (!w)
        return -1;
    int old = w->selectionMark;
    w->selectionMark = iIndex;
    return old;
}

BOOL CListCtrl::EnsureVisible(int nItem, BOOL)
{
    ListWidget* w = FlushedList(m_hWnd);
    QTreeWidgetItem* it = w ? w->topLevelItem(nItem) : nullptr;
    if (!it)
        return FALSE;
    w->scrollToItem(it);
    return TRUE;
}

int CListCtrl::GetTopIndex() const
{
    ListWidget* w = FlushedList(m_hWnd);
    if (!w || w->topLevelItemCount() == 0)
        return 0;
    QModelIndex top = w->indexAt(QPoint(1, 1));
    return top.isValid() ? top.row() : 0;
}

int CListCtrl::GetCountPerPage() const
{
    ListWidget* w = FlushedList(m_hWnd);
    if (!w)
        return 0;
    int rowHeight = w->topLevelItemCount() ? w->visualItemRect(w->topLevelItem(0)).height() : 0;
    if (rowHeight <= 0)
        rowHeight = w->fontMetrics().height() + 4;
    return std::max(1, w->viewport()->height() / rowHeight);
}
