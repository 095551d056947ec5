#pragma once
// Inside platform/ only: the report-view list's widget, a QTreeWidget with a
// shadow copy of every row's state (selected, focused, state image), so that
// each change, by the user or by a call, reaches the parent as
// LVN_ITEMCHANGED with its old and new state.

#include "platform/ListCtrl.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/ImageListData.h"
#include "platform/qt/Internal.h"
#include "platform/qt/KeyMap.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/TextCodec.h"
#include "platform/qt/WndCore.h"

#include <QFontMetricsF>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <typeinfo>
#include <vector>

inline constexpr int kLeftAlignment = int(Qt::AlignLeft | Qt::AlignVCenter);

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

inline Quiet::Quiet(ListWidget* w) : m_w(w) { ++m_w->quiet; }
inline Quiet::~Quiet() { --m_w->quiet; }

// Every call asks for the widget: with a final class, comparing the type is
// enough, and far cheaper than a cross-cast.
inline ListWidget* List(HWND h)
{
    QWidget* w = WidgetFromHandle(h);
    return w && typeid(*w) == typeid(ListWidget) ? static_cast<ListWidget*>(w) : nullptr;
}

// The list with its pending rows in the tree, for calls that need the view.
inline ListWidget* FlushedList(HWND h)
{
    ListWidget* w = List(h);
    if (w)
        w->Flush();
    return w;
}
