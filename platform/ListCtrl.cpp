// The report-view list on a QTreeWidget. A shadow copy of every row's state
// (selected, focused, state image) lets each change, by the user or by a
// call, reach the parent as LVN_ITEMCHANGED with its old and new state.

#include "platform/ListCtrl.h"

#include "platform/ControlWidgets.h"
#include "platform/ImageListData.h"
#include "platform/Internal.h"
#include "platform/KeyMap.h"
#include "platform/QtHandles.h"
#include "platform/TestHooks.h"
#include "platform/TextCodec.h"
#include "platform/WndCore.h"

#include <QFontMetricsF>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <typeinfo>
#include <vector>

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

constexpr int kLeftAlignment = int(Qt::AlignLeft | Qt::AlignVCenter);

class ListWidget;

// Changes made from code in several Qt steps are reported once, as one change.
class Quiet {
public:
    explicit Quiet(ListWidget* w);
    ~Quiet();
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    ListWidget* m_w;
};

class ListWidget final : public QTreeWidget, public AfxRedrawTarget {
public:
    DWORD exStyle = 0;
    int selectionMark = -1;
    static constexpr int kMeasuredColumns = 4;
    // What a row holds besides its texts and check mark, kept here rather
    // than as item data: a refresh sets it for every row.
    struct Row {
        UINT state = 0;  // LVIS_ bits and the state image
        int image = 0;
        bool iconShown = false;  // an icon of the image list is on the item
        // A pending row on a spare item: the texts of the columns not set
        // since (bits of textsSet) still wait to be cleared.
        bool reused = false;
        std::uint32_t textsSet = 0;
        LPARAM param = 0;
        // Text widths by summed character advances, -1 while unknown: an
        // autosize ranks every row by them (see ContentWidth).
        float widths[kMeasuredColumns] = {-1, -1, -1, -1};
    };
    std::vector<Row> shadow;  // one per row
    std::vector<int> alignments;
    CImageList* smallImages = nullptr;
    std::shared_ptr<CImageListImages> images;
    int quiet = 0;  // > 0 while the widget is being changed from code in steps
    // Rows appended while redraw is off, not yet in the tree: filling them
    // there skips the model's change signals for every text. Their check
    // marks and images are only in the shadow until they go in (Finish).
    std::vector<QTreeWidgetItem*> pending;
    // Items of the rows deleted at once while redraw is off, given to the
    // rows appended next: a refresh deletes every row and adds it again.
    std::vector<QTreeWidgetItem*> spare;

    explicit ListWidget(QWidget* parent) : QTreeWidget(parent)
    {
        setRootIsDecorated(false);
        setUniformRowHeights(true);  // keeps big lists fast
        setItemsExpandable(false);
        setAllColumnsShowFocus(true);
        setColumnCount(0);
        header()->setSectionsMovable(false);
        header()->setSectionsClickable(true);
        header()->setStretchLastSection(false);
        connect(header(), &QHeaderView::sectionClicked, this, [this](int col) {
            NMLISTVIEW nm{};
            nm.iItem = -1;
            nm.iSubItem = col;
            AfxNotifyParent(this, &nm.hdr, LVN_COLUMNCLICK);
        });
        connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
            if (!quiet)
                SyncRow(indexOfTopLevelItem(item));
        });
    }

    ~ListWidget() override
    {
        for (QTreeWidgetItem* it : pending)
            delete it;
        DropSpare();
    }

    void DropSpare()
    {
        for (QTreeWidgetItem* it : spare)
            delete it;
        spare.clear();
    }

    static constexpr int kTrackedColumns = 32;  // bits of Row::textsSet

    // A new item, or a spare one; Finish clears what the spare one still shows.
    QTreeWidgetItem* NewItem(bool& reused)
    {
        reused = !spare.empty();
        if (!reused)
            return new QTreeWidgetItem;
        QTreeWidgetItem* it = spare.back();
        spare.pop_back();
        for (int c = kTrackedColumns; c < it->columnCount(); ++c)
            it->setText(c, QString());
        return it;
    }

    bool IsPending(int row) const { return row >= topLevelItemCount(); }

    // An old text of a spare item, not the row's own.
    bool IsStale(int row, int col) const
    {
        const Row& r = shadow[size_t(row)];
        return r.reused && col > 0 && col < kTrackedColumns && !(r.textsSet & (1u << col));
    }

    QString Text(int row, int col) const { return IsStale(row, col) ? QString() : Item(row)->text(col); }

    // Gives a pending item what only the shadow holds, before it goes in.
    void Finish(int row, QTreeWidgetItem* it)
    {
        Row& r = shadow[size_t(row)];
        if (Checkboxes())
            it->setCheckState(0, (r.state >> 12) == 2 ? Qt::Checked : Qt::Unchecked);
        else if (r.reused)
            it->setData(0, Qt::CheckStateRole, QVariant());
        if (r.reused) {
            for (int c = 1; c < std::min(it->columnCount(), kTrackedColumns); ++c)
                if (IsStale(row, c))
                    it->setText(c, QString());
            r.iconShown = true;  // so that an old icon goes
            r.reused = false;
        }
        ShowImage(it, r);
    }

    // The sum of the advances of a text's characters in the list's font.
    qreal Estimate(const QString& text)
    {
        Metrics();
        qreal sum = 0;
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u < latin.size()) {
                if (latin[u] < 0)
                    latin[u] = metrics->horizontalAdvance(c);
                sum += latin[u];
                continue;
            }
            auto it = others.constFind(u);
            if (it == others.constEnd())
                it = others.insert(u, metrics->horizontalAdvance(c));
            sum += *it;
        }
        return sum;
    }

    // The list font's metrics, with the advances met so far; renewed after a font change.
    const QFontMetricsF& Metrics()
    {
        if (!metrics) {
            metrics.emplace(font());
            latin.fill(-1);
            others.clear();
        }
        return *metrics;
    }

    void NoteText(int row, int col, const QString& text)
    {
        if (row >= 0 && row < int(shadow.size()) && col >= 0 && col < kMeasuredColumns)
            shadow[size_t(row)].widths[col] = float(Estimate(text));
    }

    qreal TextWidth(int row, int col)
    {
        if (col >= kMeasuredColumns)
            return Estimate(Text(row, col));
        float& width = shadow[size_t(row)].widths[col];
        if (width < 0)
            width = float(Estimate(Text(row, col)));
        return width;
    }

    void ForgetTextWidths()
    {
        for (Row& r : shadow)
            std::fill(std::begin(r.widths), std::end(r.widths), -1.0f);
    }

    int Count() const { return topLevelItemCount() + int(pending.size()); }

    QTreeWidgetItem* Item(int row) const
    {
        const int inTree = topLevelItemCount();
        if (row < inTree)
            return topLevelItem(row);
        row -= inTree;
        return row < int(pending.size()) ? pending[size_t(row)] : nullptr;
    }

    // Puts the pending rows into the tree, before anything that needs the
    // model, the view or the selection.
    void Flush()
    {
        DropSpare();
        if (pending.empty())
            return;
        const int first = topLevelItemCount();
        for (size_t k = 0; k < pending.size(); ++k)
            Finish(first + int(k), pending[k]);
        QList<QTreeWidgetItem*> items(pending.begin(), pending.end());
        pending.clear();
        Quiet q(this);
        addTopLevelItems(items);
    }

    void RedrawChanged(bool on) override
    {
        if (on)
            Flush();
    }

    void Bind()
    {
        // The selection model exists once the widget is set up.
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this](const QItemSelection& sel, const QItemSelection& desel) {
                    if (quiet)
                        return;
                    std::vector<int> rows;
                    for (const QItemSelection* s : {&desel, &sel})
                        for (const QItemSelectionRange& r : *s)
                            for (int row = r.top(); row <= r.bottom(); ++row)
                                rows.push_back(row);
                    std::sort(rows.begin(), rows.end());
                    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
                    for (int row : rows)
                        SyncRow(row);
                });
        connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex& cur, const QModelIndex& prev) {
                    if (quiet)
                        return;
                    if (prev.isValid())
                        SyncRow(prev.row());
                    if (cur.isValid()) {
                        SyncRow(cur.row());
                        selectionMark = cur.row();
                    }
                });
    }

    bool Checkboxes() const { return (exStyle & LVS_EX_CHECKBOXES) != 0; }

    UINT ActualState(int row) const
    {
        QTreeWidgetItem* it = Item(row);
        if (!it)
            return 0;
        if (IsPending(row))  // not selectable yet; the check mark is in the shadow
            return Checkboxes() ? shadow[size_t(row)].state & LVIS_STATEIMAGEMASK : 0;
        UINT s = 0;
        if (it->isSelected())
            s |= LVIS_SELECTED;
        if (currentItem() == it)
            s |= LVIS_FOCUSED;
        if (Checkboxes())
            s |= INDEXTOSTATEIMAGEMASK(it->checkState(0) == Qt::Checked ? 2 : 1);
        return s;
    }

    void SyncRow(int row)
    {
        if (row < 0 || row >= int(shadow.size()))
            return;
        UINT now = ActualState(row);
        UINT old = shadow[size_t(row)].state;
        if (now == old)
            return;
        shadow[size_t(row)].state = now;
        Notify(row, old, now);
    }

    void Notify(int row, UINT old, UINT now)
    {
        NMLISTVIEW nm{};
        nm.iItem = row;
        nm.uOldState = old;
        nm.uNewState = now;
        nm.uChanged = LVIF_STATE;
        nm.lParam = shadow[size_t(row)].param;
        AfxNotifyParent(this, &nm.hdr, LVN_ITEMCHANGED);
    }

    void ApplyImage(int row)
    {
        if (!IsPending(row))  // else Finish shows it
            ShowImage(topLevelItem(row), shadow[size_t(row)]);
    }

    void ShowImage(QTreeWidgetItem* it, Row& r)
    {
        const bool shown = images && r.image >= 0 && r.image < int(images->icons.size());
        // A new item has no icon to take away.
        if (shown || r.iconShown)
            it->setIcon(0, shown ? images->icons[size_t(r.image)] : QIcon());
        r.iconShown = shown;
    }

protected:
    void changeEvent(QEvent* e) override
    {
        if (e->type() == QEvent::FontChange) {
            metrics.reset();
            ForgetTextWidths();
        }
        QTreeWidget::changeEvent(e);
    }

    bool event(QEvent* e) override
    {
        Flush();
        return QTreeWidget::event(e);
    }

    bool viewportEvent(QEvent* e) override
    {
        Flush();
        return QTreeWidget::viewportEvent(e);
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        NMLVKEYDOWN nm{};
        nm.wVKey = WORD(AfxVirtualKeyFromQtKey(e->key(), int(e->modifiers())));
        if (nm.wVKey)
            AfxNotifyParent(this, &nm.hdr, LVN_KEYDOWN);
        if (!AfxIsLiveWidget(this))
            return;
        QTreeWidget::keyPressEvent(e);
    }

private:
    std::optional<QFontMetricsF> metrics;
    std::array<qreal, 256> latin{};
    QHash<char16_t, qreal> others;
};

Quiet::Quiet(ListWidget* w) : m_w(w) { ++m_w->quiet; }
Quiet::~Quiet() { --m_w->quiet; }

// Every call asks for the widget: with a final class, comparing the type is
// enough, and far cheaper than a cross-cast.
ListWidget* List(HWND h)
{
    QWidget* w = WidgetFromHandle(h);
    return w && typeid(*w) == typeid(ListWidget) ? static_cast<ListWidget*>(w) : nullptr;
}

// The list with its pending rows in the tree, for calls that need the view.
ListWidget* FlushedList(HWND h)
{
    ListWidget* w = List(h);
    if (w)
        w->Flush();
    return w;
}

} // namespace

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

DWORD CListCtrl::GetExtendedStyle() const
{
    ListWidget* w = List(m_hWnd);
    return w ? w->exStyle : 0;
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

} // namespace

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

BOOL CListCtrl::SetItem(int nItem, int nSubItem, UINT nMask, LPCSTR lpszItem, int nImage, UINT nState,
                        UINT nStateMask, LPARAM lParam)
{
    ListWidget* w = List(m_hWnd);
    QTreeWidgetItem* it = w ? w->Item(nItem) : nullptr;
    if (!it)
        return FALSE;
    if (nMask & LVIF_TEXT)
        SetItemText(nItem, nSubItem, lpszItem);
    if (nMask & LVIF_IMAGE)
        SetItemImage(nItem, nImage);
    if (nMask & LVIF_PARAM)
        w->shadow[size_t(nItem)].param = lParam;
    if (nMask & LVIF_STATE)
        SetItemState(nItem, nState, nStateMask);
    return TRUE;
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

namespace testhooks {

std::vector<ListRow> ListRows(HWND hList)
{
    std::vector<ListRow> rows;
    ListWidget* w = FlushedList(hList);
    if (!w)
        return rows;
    for (int row = 0; row < w->topLevelItemCount(); ++row) {
        QTreeWidgetItem* it = w->topLevelItem(row);
        ListRow r;
        for (int col = 0; col < std::max(1, w->columnCount()); ++col)
            r.texts.push_back(it->text(col).toStdString());
        r.image = w->shadow[size_t(row)].image;
        r.checked = w->Checkboxes() && it->checkState(0) == Qt::Checked;
        r.selected = it->isSelected();
        rows.push_back(std::move(r));
    }
    return rows;
}

std::vector<int> ListColumnWidths(HWND hList)
{
    std::vector<int> widths;
    if (ListWidget* w = FlushedList(hList))
        for (int col = 0; col < w->columnCount(); ++col)
            widths.push_back(w->columnWidth(col));
    return widths;
}

void ClickListCheckBox(HWND hList, int nItem)
{
    ListWidget* w = FlushedList(hList);
    QTreeWidgetItem* it = w ? w->topLevelItem(nItem) : nullptr;
    if (!it || !w->Checkboxes())
        return;
    // The widget's own toggle: itemChanged reports it as a click would.
    it->setCheckState(0, it->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void ClickListItem(HWND hList, int nItem, bool ctrl, bool shift)
{
    ListWidget* w = FlushedList(hList);
    QTreeWidgetItem* it = w ? w->topLevelItem(nItem) : nullptr;
    if (!it)
        return;
    w->setFocus();
    const QModelIndex index = w->model()->index(nItem, 0);
    QItemSelectionModel* sel = w->selectionModel();
    if (shift && sel->currentIndex().isValid()) {
        const QModelIndex anchor = w->model()->index(sel->currentIndex().row(), 0);
        QItemSelection range(anchor, index);
        sel->select(range, (ctrl ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect) |
                               QItemSelectionModel::Rows);
        sel->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (ctrl) {
        sel->setCurrentIndex(index, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    } else {
        sel->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
}

void ClickListColumn(HWND hList, int nCol)
{
    if (ListWidget* w = FlushedList(hList); w && nCol >= 0 && nCol < w->columnCount())
        emit w->header()->sectionClicked(nCol);
}

} // namespace testhooks
