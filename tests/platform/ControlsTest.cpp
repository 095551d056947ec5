// The controls the main window and the settings dialog use, and the timer
// source and session hooks, on real widgets.

#include "CoreTestSupport.h"

#include "platform/qt/ControlWidgets.h"
#include "platform/DateTimeCtrl.h"
#include "platform/HotKey.h"
#include "platform/HotKeyCtrl.h"
#include "platform/qt/ImageListData.h"
#include "platform/qt/Internal.h"
#include "platform/ListCtrl.h"
#include "platform/qt/QtHandles.h"
#include "platform/SpinButtonCtrl.h"
#include "platform/testhooks/TestHooks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>
#include <QTreeWidget>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace coretest;

namespace {

// A parent window that records what its controls tell it.
class CHostWnd : public CWnd {
public:
    struct Change {
        int item;
        UINT oldState, newState;
    };
    std::vector<Change> changes;
    std::vector<int> columnClicks;
    std::vector<WORD> keys;
    std::vector<UINT> commands;
    std::vector<UINT_PTR> timers;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_NOTIFY) {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if (hdr->code == LVN_ITEMCHANGED) {
                auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
                changes.push_back({nm->iItem, nm->uOldState, nm->uNewState});
            } else if (hdr->code == LVN_COLUMNCLICK) {
                columnClicks.push_back(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
            } else if (hdr->code == LVN_KEYDOWN) {
                keys.push_back(reinterpret_cast<NMLVKEYDOWN*>(lParam)->wVKey);
            }
            return 0;
        }
        if (message == WM_COMMAND)
            commands.push_back(UINT(wParam));
        if (message == WM_TIMER)
            timers.push_back(UINT_PTR(wParam));
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

class ControlsTest : public ::testing::Test {
protected:
    std::unique_ptr<QWidget> host;
    CHostWnd wnd;

    void SetUp() override
    {
        EnsureStarted();
        host = std::make_unique<QWidget>();
        host->resize(400, 300);
        wnd.Attach(HandleFromWidget(host.get()));
    }
    void TearDown() override
    {
        wnd.Detach();
        host.reset();
    }

    QWidget* Make(const char* cls, UINT id, DWORD style, const char* text = "")
    {
        DialogItemTemplate item{id, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 100, 14};
        QWidget* w = AfxCreateControlWidget(item, host.get());
        EXPECT_NE(w, nullptr);
        AfxSetControlId(w, int(id));
        w->setGeometry(10, 10, 200, 100);
        return w;
    }

    // A report list with check boxes and the main window's two columns.
    void AttachTimeAndMessageList(CListCtrl& list)
    {
        list.Attach(HandleFromWidget(Make("SysListView32", 1000, LVS_REPORT)));
        list.SetExtendedStyle(LVS_EX_CHECKBOXES);
        list.InsertColumn(0, "Tid");
        list.InsertColumn(1, "Meddelande");
    }
};

constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);

TEST_F(ControlsTest, ListReportsEveryStateChangeWithOldAndNewState)
{
    CListCtrl list;
    list.Attach(HandleFromWidget(Make("SysListView32", 1000, LVS_REPORT | LVS_SHOWSELALWAYS)));
    list.SetExtendedStyle(LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    list.InsertColumn(0, "Meddelande");
    list.InsertColumn(1, "Datum");
    for (int i = 0; i < 3; ++i)
        list.InsertItem(i, i == 0 ? "a" : i == 1 ? "b"
                                                 : "c");
    // A new row gets its unchecked image as a change from nothing.
    ASSERT_EQ(wnd.changes.size(), 3u);
    EXPECT_EQ(wnd.changes[0].oldState, 0u);
    EXPECT_EQ(wnd.changes[0].newState, kUnchecked);
    wnd.changes.clear();

    list.SetCheck(1, TRUE);
    ASSERT_EQ(wnd.changes.size(), 1u);
    EXPECT_EQ(wnd.changes[0].item, 1);
    EXPECT_EQ(wnd.changes[0].oldState, kUnchecked);
    EXPECT_EQ(wnd.changes[0].newState, kChecked);
    EXPECT_TRUE(list.GetCheck(1));
    list.SetCheck(1, TRUE);  // no change, no message
    EXPECT_EQ(wnd.changes.size(), 1u);

    // The user's click on a check box arrives the same way.
    wnd.changes.clear();
    auto* tree = static_cast<QTreeWidget*>(WidgetFromHandle(list.m_hWnd));
    tree->topLevelItem(2)->setCheckState(0, Qt::Checked);
    ASSERT_EQ(wnd.changes.size(), 1u);
    EXPECT_EQ(wnd.changes[0].item, 2);
    EXPECT_EQ(wnd.changes[0].newState & LVIS_STATEIMAGEMASK, kChecked);

    wnd.changes.clear();
    list.SetItemState(2, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ASSERT_FALSE(wnd.changes.empty());
    EXPECT_EQ(wnd.changes.back().item, 2);
    EXPECT_EQ(wnd.changes.back().newState & (LVIS_SELECTED | LVIS_FOCUSED), LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 2);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
    EXPECT_EQ(list.GetSelectedCount(), 1u);

    // Selecting every row (item -1) and clearing again.
    list.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 3u);
    wnd.changes.clear();
    list.SetItemState(-1, 0, LVIS_SELECTED);
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    ASSERT_EQ(wnd.changes.size(), 3u);  // each row that was selected, in order
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(wnd.changes[size_t(row)].item, row);
        EXPECT_EQ(wnd.changes[size_t(row)].newState & LVIS_SELECTED, 0u);
    }
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);

    EXPECT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), 2);
    EXPECT_EQ(std::string(list.GetItemText(0, 0)), "b");
    EXPECT_TRUE(list.GetCheck(0));
    EXPECT_FALSE(list.DeleteItem(5));
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    list.Detach();
}

TEST_F(ControlsTest, ListFocusMoveReportsTheRowLeftAndTheRowEntered)
{
    CListCtrl list;
    list.Attach(HandleFromWidget(Make("SysListView32", 1000, LVS_REPORT | LVS_SHOWSELALWAYS)));
    list.InsertColumn(0, "Meddelande");
    for (int i = 0; i < 5; ++i)
        list.InsertItem(i, "rad");
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    wnd.changes.clear();

    // Down: the row left is reported first, as the rows come.
    list.SetItemState(3, LVIS_FOCUSED, LVIS_FOCUSED);
    ASSERT_EQ(wnd.changes.size(), 2u);
    EXPECT_EQ(wnd.changes[0].item, 1);
    EXPECT_EQ(wnd.changes[0].oldState & LVIS_FOCUSED, UINT(LVIS_FOCUSED));
    EXPECT_EQ(wnd.changes[0].newState & (LVIS_FOCUSED | LVIS_SELECTED), UINT(LVIS_SELECTED));
    EXPECT_EQ(wnd.changes[1].item, 3);
    EXPECT_EQ(wnd.changes[1].newState & LVIS_FOCUSED, UINT(LVIS_FOCUSED));

    // Up: the row entered comes first.
    wnd.changes.clear();
    list.SetItemState(0, LVIS_FOCUSED, LVIS_FOCUSED);
    ASSERT_EQ(wnd.changes.size(), 2u);
    EXPECT_EQ(wnd.changes[0].item, 0);
    EXPECT_EQ(wnd.changes[1].item, 3);
    EXPECT_EQ(wnd.changes[1].newState & LVIS_FOCUSED, 0u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 0);
    EXPECT_EQ(list.GetSelectedCount(), 1u);  // row 1 kept its selection
    list.Detach();
}

TEST_F(ControlsTest, ListAutosizeFitsTheWidestRowWhereverItIs)
{
    CListCtrl list;
    AttachTimeAndMessageList(list);
    list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    EXPECT_EQ(list.GetColumnWidth(1), 0);  // no rows: nothing to fit

    // Same-width dates in one column; in the other, a kerned text, Swedish
    // letters, and the widest text far down the list.
    for (int i = 0; i < 1500; ++i) {
        char date[40];
        std::snprintf(date, sizeof date, "2026-12-%02d 1%d:00:00 (+0 00:10:00)", 1 + i % 28, i % 10);
        list.InsertItem(i, date);
        list.SetItemText(i, 1, i % 3 ? "AVAVAVAVAV To Wa" : "R\xC3\xA4kna l\xC3\xB6ner i \xC3\xA5r");
    }
    list.SetItemText(1400, 1, "Ring tandl\xC3\xA4karen och boka om tiden till n\xC3\xA4sta vecka");
    auto* tree = static_cast<QTreeWidget*>(WidgetFromHandle(list.m_hWnd));
    for (int col = 0; col < 2; ++col) {
        list.SetColumnWidth(col, LVSCW_AUTOSIZE);
        // What Qt itself measures, row by row through the delegate.
        int expected = tree->header()->sectionSizeHint(col);
        for (int row = 0; row < tree->topLevelItemCount(); ++row)
            expected = std::max(expected, tree->sizeHintForIndex(tree->model()->index(row, col)).width());
        EXPECT_EQ(list.GetColumnWidth(col), expected) << col;
    }
    // A bigger font: the widths measured in the old one no longer hold.
    QFont big = tree->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    tree->setFont(big);
    list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    EXPECT_EQ(list.GetColumnWidth(1), tree->sizeHintForIndex(tree->model()->index(1400, 1)).width());
    list.Detach();
}

// A row shows no more of a text than a screen is wide, whatever the text
// holds: a cut never splits a character.
TEST_F(ControlsTest, ListCellsShowTheStartOfAHugeText)
{
    CListCtrl list;
    AttachTimeAndMessageList(list);
    const std::string huge(5u << 20, 'x');
    list.InsertItem(0, huge.c_str());
    std::string swedish;
    for (int i = 0; i < 2000; ++i)
        swedish += "\xC3\xA4";  // ä
    list.SetItemText(0, 1, swedish.c_str());
    const CString shown = list.GetItemText(0, 0);
    EXPECT_EQ(shown.GetLength(), 1024);
    const std::string text = list.GetItemText(0, 1).GetString();
    EXPECT_EQ(text.size(), 2048u);
    EXPECT_EQ(text.substr(2040), "\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4");
    list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    EXPECT_GT(list.GetColumnWidth(1), 0);
    list.Detach();
}

TEST_F(ControlsTest, ListRowsAddedWhileRedrawIsOffAreRowsLikeAnyOther)
{
    CListCtrl list;
    AttachTimeAndMessageList(list);
    list.SetRedraw(FALSE);
    const char* texts[] = {"ett", "tv\xC3\xA5", "tre", "fyra"};
    for (int i = 0; i < 4; ++i) {
        list.InsertItem(i, "", 0);
        list.SetItemText(i, 0, std::to_string(i).c_str());
        list.SetItemText(i, 1, texts[i]);
        list.SetCheck(i, i % 2);
        list.SetItemImage(i, i % 2);
    }
    // Read back before redraw is on again, with the notifications of any list.
    EXPECT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(std::string(list.GetItemText(1, 1)), "tv\xC3\xA5");
    EXPECT_TRUE(list.GetCheck(3));
    EXPECT_FALSE(list.GetCheck(2));
    EXPECT_EQ(list.GetItemImage(3), 1);
    ASSERT_EQ(wnd.changes.size(), 6u);  // four new rows, two checked
    EXPECT_EQ(wnd.changes[2].item, 1);
    EXPECT_EQ(wnd.changes[2].oldState, kUnchecked);
    EXPECT_EQ(wnd.changes[2].newState, kChecked);
    EXPECT_EQ(wnd.changes[5].item, 3);

    // The selection, an insertion in front and a deletion work on such rows too.
    list.SetItemState(3, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 3);
    list.InsertItem(0, "f\xC3\xB6rst");
    list.InsertItem(5, "sist");
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 4);
    EXPECT_TRUE(list.DeleteItem(1));
    list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    EXPECT_GT(list.GetColumnWidth(1), 0);
    list.SetRedraw(TRUE);
    const std::vector<testhooks::ListRow> rows = testhooks::ListRows(list.m_hWnd);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].texts[0], "f\xC3\xB6rst");
    EXPECT_EQ(rows[1].texts[1], "tv\xC3\xA5");
    EXPECT_TRUE(rows[3].checked && rows[3].selected);
    EXPECT_EQ(rows[4].texts[0], "sist");

    // Rows still waiting when the list is emptied are gone with the rest.
    list.SetRedraw(FALSE);
    list.InsertItem(5, "mer");
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    list.SetRedraw(TRUE);
    EXPECT_TRUE(testhooks::ListRows(list.m_hWnd).empty());
    list.InsertItem(0, "ny");
    list.SetRedraw(FALSE);
    list.InsertItem(1, "kvar");
    list.Detach();  // the widget dies with a row waiting
}

TEST_F(ControlsTest, ListRowsRebuiltWhileRedrawIsOffStartAsNewRows)
{
    CListCtrl list;
    AttachTimeAndMessageList(list);
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, 0, 1, 0));
    QPixmap red(16, 16);
    red.fill(Qt::red);
    AfxImageListImages(images.m_hImageList)->Add(red);
    list.SetImageList(&images, LVSIL_SMALL);
    for (int i = 0; i < 3; ++i) {
        list.InsertItem(i, "gammal", 0);
        list.SetItemText(i, 1, "gammal text");
        list.SetCheck(i, TRUE);
    }
    list.SetItemState(1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    wnd.changes.clear();

    // A refresh: everything deleted and fewer rows added, one without image.
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    EXPECT_TRUE(wnd.changes.empty()) << "emptying the list reports no row";
    list.InsertItem(0, "ny", 5);
    list.InsertItem(1, "", 0);
    ASSERT_EQ(list.GetItemCount(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(std::string(list.GetItemText(i, 1)), "") << i;
        EXPECT_FALSE(list.GetCheck(i)) << i;
        EXPECT_EQ(list.GetItemState(i, LVIS_SELECTED | LVIS_FOCUSED), 0u) << i;
    }
    EXPECT_EQ(std::string(list.GetItemText(1, 0)), "");
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    ASSERT_EQ(wnd.changes.size(), 2u);  // each new row's unchecked image, as for any new row
    EXPECT_EQ(wnd.changes[1].oldState, 0u);
    EXPECT_EQ(wnd.changes[1].newState, kUnchecked);
    list.SetRedraw(TRUE);

    auto* tree = static_cast<QTreeWidget*>(WidgetFromHandle(list.m_hWnd));
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_TRUE(tree->topLevelItem(0)->icon(0).isNull()) << "image 5 is not in the list";
    EXPECT_FALSE(tree->topLevelItem(1)->icon(0).isNull());
    EXPECT_TRUE(tree->selectedItems().isEmpty());
    EXPECT_EQ(tree->currentItem(), nullptr);
    for (int i = 0; i < 2; ++i)
        EXPECT_FALSE(tree->topLevelItem(i)->data(0, Qt::CheckStateRole).toInt() == Qt::Checked) << i;

    // More rows than before, and the list still answers like any other.
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    for (int i = 0; i < 4; ++i)
        list.InsertItem(i, std::to_string(i).c_str(), 0);
    list.SetRedraw(TRUE);
    const std::vector<testhooks::ListRow> rows = testhooks::ListRows(list.m_hWnd);
    ASSERT_EQ(rows.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[size_t(i)].texts[0], std::to_string(i));
        EXPECT_EQ(rows[size_t(i)].texts[1], "");
        EXPECT_FALSE(rows[size_t(i)].checked || rows[size_t(i)].selected);
    }
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 3);

    // Deleted while redraw is off and never used again: freed with the widget.
    list.SetRedraw(FALSE);
    list.DeleteAllItems();
    list.Detach();
}

TEST_F(ControlsTest, ListTextsImagesColumnsAndKeys)
{
    CListCtrl list;
    list.Attach(HandleFromWidget(Make("SysListView32", 1000, LVS_REPORT)));
    list.InsertColumn(0, "Meddelande");
    list.InsertColumn(1, "Datum", LVCFMT_LEFT, 40);
    EXPECT_EQ(list.GetColumnCount(), 2);
    EXPECT_EQ(list.GetColumnWidth(1), 40);
    list.InsertItem(0, "kort", 1);
    list.SetItemText(0, 1, "2026-12-24 15:00 (+1 dag)");
    EXPECT_EQ(std::string(list.GetItemText(0, 1)), "2026-12-24 15:00 (+1 dag)");
    EXPECT_EQ(list.GetItemImage(0), 1);
    list.SetItemImage(0, 0);
    EXPECT_EQ(list.GetItemImage(0), 0);
    // Non-ASCII survives the round trip.
    list.SetItemText(0, 0, "R\xC3\xA4kna l\xC3\xB6ner");
    EXPECT_EQ(std::string(list.GetItemText(0, 0)), "R\xC3\xA4kna l\xC3\xB6ner");

    list.SetColumnWidth(1, LVSCW_AUTOSIZE);
    int fitted = list.GetColumnWidth(1);
    EXPECT_GT(fitted, 40);  // the long date text needs more than 40 pixels

    auto* tree = static_cast<QTreeWidget*>(WidgetFromHandle(list.m_hWnd));
    emit tree->header()->sectionClicked(1);
    ASSERT_EQ(wnd.columnClicks.size(), 1u);
    EXPECT_EQ(wnd.columnClicks[0], 1);

    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Delete);
    ASSERT_FALSE(wnd.keys.empty());
    EXPECT_EQ(wnd.keys.back(), WORD(VK_DELETE));

    EXPECT_EQ(list.SetSelectionMark(0), -1);
    EXPECT_EQ(list.GetSelectionMark(), 0);
    EXPECT_TRUE(list.EnsureVisible(0, FALSE));
    EXPECT_FALSE(list.EnsureVisible(3, FALSE));
    EXPECT_EQ(list.GetTopIndex(), 0);
    EXPECT_GE(list.GetCountPerPage(), 1);
    list.Detach();
}

TEST_F(ControlsTest, UpDownWritesItsBuddyWithinTheRange)
{
    QWidget* edit = Make("Edit", 1001, WS_BORDER | ES_NUMBER);
    QWidget* spinWidget = Make("msctls_updown32", 1002, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS);
    CSpinButtonCtrl spin;
    spin.Attach(HandleFromWidget(spinWidget));
    spin.SetRange32(1, 99);
    spin.SetPos32(5);
    auto* line = qobject_cast<QLineEdit*>(edit);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("5"));
    ASSERT_NE(spin.GetBuddy(), nullptr);
    EXPECT_EQ(spin.GetBuddy()->m_hWnd, HandleFromWidget(edit));

    spin.SetPos32(500);
    EXPECT_EQ(spin.GetPos32(), 99);
    line->setText(QStringLiteral("42"));
    BOOL error = TRUE;
    EXPECT_EQ(spin.GetPos32(&error), 42);
    EXPECT_FALSE(error);
    line->setText(QString());
    spin.GetPos32(&error);
    EXPECT_TRUE(error);

    // The arrow keys in the edit step the value.
    line->setText(QStringLiteral("10"));
    line->setFocus();
    QTest::keyClick(line, Qt::Key_Up);
    EXPECT_EQ(line->text(), QStringLiteral("11"));
    int lo = 0, hi = 0;
    spin.GetRange32(lo, hi);
    EXPECT_EQ(lo, 1);
    EXPECT_EQ(hi, 99);
    spin.Detach();
}

TEST_F(ControlsTest, HotKeyFieldTakesOneKeyWithModifiers)
{
    QWidget* w = Make("msctls_hotkey32", 1003, WS_BORDER | WS_TABSTOP);
    CHotKeyCtrl hot;
    hot.Attach(HandleFromWidget(w));
    auto* line = qobject_cast<QLineEdit*>(w);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("Ingen"));

    hot.SetHotKey(WORD(VK_F12), HOTKEYF_SHIFT);
    EXPECT_EQ(hot.GetHotKey(), DWORD(MAKEWORD(BYTE(VK_F12), BYTE(HOTKEYF_SHIFT))));
    EXPECT_EQ(line->text(), QStringLiteral("Skift + F12"));

    w->setFocus();
    QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier | Qt::AltModifier);
    WORD vk = 0, mods = 0;
    hot.GetHotKey(vk, mods);
    EXPECT_EQ(vk, WORD('A'));
    EXPECT_EQ(mods, WORD(HOTKEYF_CONTROL | HOTKEYF_ALT));
    EXPECT_EQ(line->text(), QStringLiteral("Ctrl + Alt + A"));
    ASSERT_FALSE(wnd.commands.empty());
    EXPECT_EQ(wnd.commands.back(), MAKELONG(1003, EN_CHANGE));

    // A modifier alone changes nothing; Backspace clears.
    QTest::keyClick(w, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(hot.GetHotKey() & 0xFF, DWORD('A'));
    QTest::keyClick(w, Qt::Key_Backspace);
    EXPECT_EQ(hot.GetHotKey(), 0u);
    EXPECT_EQ(line->text(), QStringLiteral("Ingen"));
    hot.Detach();
}

TEST_F(ControlsTest, DatePickerKeepsTheTimeAndItsRange)
{
    CDateTimeCtrl date;
    date.Attach(HandleFromWidget(Make("SysDateTimePick32", 1004, DTS_SHORTDATEFORMAT)));
    CTime t(2026, 12, 24, 15, 30, 0);
    EXPECT_TRUE(date.SetTime(t));
    CTime back;
    EXPECT_EQ(date.GetTime(back), GDT_VALID);
    EXPECT_EQ(back.GetTime(), t.GetTime());

    CTime lo(2026, 1, 1, 0, 0, 0), hi(2027, 1, 1, 0, 0, 0);
    EXPECT_TRUE(date.SetRange(&lo, &hi));
    CTime outside(2030, 5, 1, 12, 0, 0);
    EXPECT_FALSE(date.SetTime(outside));
    date.GetTime(back);
    EXPECT_EQ(back.GetTime(), t.GetTime());  // unchanged after the refusal
    CTime gotLo, gotHi;
    date.GetRange(&gotLo, &gotHi);
    EXPECT_EQ(gotLo.GetTime(), lo.GetTime());
    EXPECT_EQ(gotHi.GetTime(), hi.GetTime());
    date.Detach();
}

class TimerTest : public ControlsTest {};

TEST_F(TimerTest, PeriodsBeyondQtsLimitAndSuspendAndClockChanges)
{
    HWND h = wnd.m_hWnd;
    const UINT sixtyDays = 60u * 24 * 3600 * 1000;  // above 24.8 days
    EXPECT_EQ(::SetTimer(h, 1, sixtyDays, nullptr), UINT_PTR(1));
    UINT period = 0;
    ASSERT_TRUE(testhooks::IsTimerArmed(h, 1, &period));
    EXPECT_EQ(period, sixtyDays);

    // A suspend shorter than the period fires nothing; one past it does.
    testhooks::SimulateSuspend(sixtyDays / 2);
    EXPECT_TRUE(wnd.timers.empty());
    testhooks::SimulateSuspend(sixtyDays / 2 + 1000);
    ASSERT_EQ(wnd.timers.size(), 1u);
    EXPECT_EQ(wnd.timers[0], UINT_PTR(1));

    // Setting the wall clock fires every armed timer at once.
    ::SetTimer(h, 2, 3600000, nullptr);
    wnd.timers.clear();
    testhooks::SimulateClockChange();
    EXPECT_EQ(wnd.timers.size(), 2u);

    // Re-arming replaces the timer; killing removes it.
    ::SetTimer(h, 2, 5000, nullptr);
    testhooks::IsTimerArmed(h, 2, &period);
    EXPECT_EQ(period, 5000u);
    EXPECT_TRUE(::KillTimer(h, 2));
    EXPECT_FALSE(::KillTimer(h, 2));
    EXPECT_FALSE(testhooks::IsTimerArmed(h, 2));

    wnd.timers.clear();
    EXPECT_TRUE(testhooks::FireTimer(h, 1));
    EXPECT_EQ(wnd.timers.size(), 1u);
    EXPECT_FALSE(testhooks::FireTimer(h, 9));
    EXPECT_TRUE(::KillTimer(h, 1));
}

TEST_F(TimerTest, ShortTimerArrivesThroughTheEventLoop)
{
    HWND h = wnd.m_hWnd;
    ::SetTimer(h, 3, 20, nullptr);
    for (int i = 0; i < 200 && wnd.timers.size() < 2; ++i)
        QTest::qWait(10);
    EXPECT_GE(wnd.timers.size(), 2u);  // periodic, not one-shot
    ::KillTimer(h, 3);
    EXPECT_EQ(::SetTimer(nullptr, 4, 100, nullptr), UINT_PTR(0));
}

TEST_F(TimerTest, DestroyedWindowLosesItsTimersAndHotKeys)
{
    auto* child = new QWidget(host.get());
    HWND h = HandleFromWidget(child);
    ::SetTimer(h, 7, 1000, nullptr);
    ASSERT_TRUE(testhooks::IsTimerArmed(h, 7));
    AfxKillWindowTimers(h);
    EXPECT_FALSE(testhooks::IsTimerArmed(h, 7));
    // Offscreen there is no X server to grab keys from.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        EXPECT_FALSE(RegisterHotKey(h, 1, MOD_CONTROL, VK_F12));
    }
    delete child;
}

TEST(SessionTest, NoMainWindowLetsTheSessionEnd)
{
    EnsureStarted();
    CWinApp* app = AfxGetApp();
    ASSERT_NE(app, nullptr);
    CWnd* saved = app->m_pMainWnd;
    app->m_pMainWnd = nullptr;
    EXPECT_TRUE(testhooks::QueryEndSession());
    app->m_pMainWnd = saved;
}

}  // namespace
