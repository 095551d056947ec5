// The hooks on the report-view list: its rows as shown, and clicks on them.

#include "platform/testhooks/TestHooks.h"

#include "platform/qt/ListWidget.h"

#include <QItemSelectionModel>

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

}  // namespace testhooks
