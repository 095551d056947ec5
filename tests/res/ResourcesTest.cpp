// The program's resource tables, built into real windows.

#include "platform/Afx.h"
#include "platform/qt/ImageListData.h"
#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/WndCore.h"
#include "res/Resources.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QWidget>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

void Start()
{
    static bool started = false;
    if (started)
        return;
    started = true;
    AfxSetResourceTables(&TalvoResourceTables());
    static char arg0[] = "test_res";
    static char* argv[] = {arg0, nullptr};
    ASSERT_TRUE(AfxWinInit(1, argv));
}

class CTemplateDlg : public CDialog {
public:
    explicit CTemplateDlg(UINT id) { Create(id); }
};

// Nothing sticks out of the window, no two controls overlap except inside the
// group box that frames them, and every label shows its whole text.
void ExpectCleanLayout(UINT id)
{
    CTemplateDlg dlg(id);
    ASSERT_NE(dlg.m_hWnd, nullptr);
    QWidget* window = WidgetFromHandle(dlg.m_hWnd);
    const DialogTemplate* t = AfxFindDialogTemplate(id);
    ASSERT_NE(t, nullptr);
    std::vector<std::pair<QRect, std::string>> rects;
    for (const DialogItemTemplate& item : t->items) {
        if (item.cx == 0)
            continue;
        EXPECT_LE(item.x + item.cx, t->cx) << item.id;
        EXPECT_LE(item.y + item.cy, t->cy) << item.id;
        if (std::string(item.className) == "Button" && (item.style & 0x0F) == BS_GROUPBOX)
            continue;
        if (std::string(item.className) == "msctls_updown32")
            continue;  // sits inside its buddy's right edge
        rects.emplace_back(QRect(item.x, item.y, item.cx, item.cy), item.text ? item.text : "");
    }
    for (size_t i = 0; i < rects.size(); ++i)
        for (size_t j = i + 1; j < rects.size(); ++j)
            EXPECT_FALSE(rects[i].first.intersects(rects[j].first))
                << rects[i].second << " / " << rects[j].second;

    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
            << label->text().toStdString();
    }
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (b->text().isEmpty() || !b->isVisibleTo(window))
            continue;
        // A check box needs room for its box as well as its text.
        const int box = b->inherits("QCheckBox") ? 16 : 0;
        EXPECT_GE(b->width(), box + b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))))
            << b->text().toStdString();
    }
    dlg.DestroyWindow();
}

TEST(ResourcesTest, MainWindowHasEveryControlInsideItsClientArea)
{
    Start();
    CTemplateDlg dlg(IDD_TALVO_DIALOG);
    ASSERT_NE(dlg.m_hWnd, nullptr);
    QWidget* window = WidgetFromHandle(dlg.m_hWnd);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Talvo"));
    EXPECT_FALSE(window->isVisible());  // shown by the program's own decision
    const UINT ids[] = {IDC_LIST, IDC_DATE, IDC_TIME, IDC_PUSH, IDC_PUSHTIME, IDC_SPIN_PUSHTIME,
                        IDC_STATIC_TEXT, IDC_TEXT, IDC_REMIND, IDC_NEW, IDC_ADD};
    for (UINT id : ids)
        EXPECT_NE(dlg.GetDlgItem(int(id)), nullptr) << id;
    dlg.DestroyWindow();
    ExpectCleanLayout(IDD_TALVO_DIALOG);
}

TEST(ResourcesTest, SettingsDialogHasEveryControlInTabOrder)
{
    Start();
    const DialogTemplate* t = AfxFindDialogTemplate(IDD_SETTINGS);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->caption, "Inst\xC3\xA4llningar");
    std::vector<UINT> ids;
    for (const DialogItemTemplate& item : t->items)
        if (item.id != UINT(IDC_STATIC))
            ids.push_back(item.id);
    const std::vector<UINT> expected = {1010, 1023, 1024, 1025, 1022, 1043, 1047, 1027, 1048, 1, 2, 1026, 1035,
                                        1036, 1038, 1037, 1020, 1021, 1011, 1012, 1016, 1041, 1042, 1044, 1017};
    EXPECT_EQ(ids, expected);
    ExpectCleanLayout(IDD_SETTINGS);
}

TEST(ResourcesTest, MenuAcceleratorsAndStrings)
{
    Start();
    CTemplateDlg dlg(IDD_TALVO_DIALOG);
    CMenu* menu = dlg.GetMenu();
    ASSERT_NE(menu, nullptr);
    // Three entries carry a check mark in the template.
    for (UINT id : {UINT(ID_OPTIONS_CHECKING), UINT(ID_SORT_DESCENDING), UINT(ID_SORT_MARKEDFIRST)})
        EXPECT_TRUE(menu->GetMenuState(id, MF_BYCOMMAND) & MF_CHECKED) << id;
    EXPECT_FALSE(menu->GetMenuState(ID_EDIT_SORTBYTIME, MF_BYCOMMAND) & MF_CHECKED);

    const AccelTableTemplate* accel = AfxFindAccelTable(IDR_ACCELERATOR);
    ASSERT_NE(accel, nullptr);
    EXPECT_EQ(accel->entries.size(), 15u);
    std::set<std::pair<int, int>> keys;
    for (const AccelTemplate& a : accel->entries) {
        EXPECT_TRUE(a.fVirt & FVIRTKEY);
        EXPECT_TRUE(keys.insert({a.fVirt, a.key}).second) << "key used twice: " << a.key;
        // Every accelerator runs a command of the menu.
        EXPECT_NE(menu->GetMenuState(a.cmd, MF_BYCOMMAND), UINT(-1)) << a.cmd;
    }

    EXPECT_STREQ(AfxFindString(IDS_NOT_FOUND), "Det g\xC3\xA5r inte att hitta \"%s\".");
    EXPECT_STREQ(AfxFindString(IDS_TIP_DUE), "Det finns %d meddelanden att l\xC3\xA4sa.");
    EXPECT_STREQ(AfxFindString(IDS_ADD), "L&\xC3\xA4gg till");
    EXPECT_STREQ(AfxFindString(IDS_FILE_FILTER), "Talvofil|*.tlv|Alla filer (*.*)|*.*||\n ");
    EXPECT_STREQ(AfxFindString(AFX_IDS_APP_TITLE), "Talvo");
    dlg.DestroyWindow();
    // The window goes at the next turn of the loop, its menu's wrapper with it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(ResourcesTest, IconsLoadAndKnowTheirIds)
{
    Start();
    for (UINT id : {UINT(IDR_MAINFRAME), UINT(IDI_TRAY_ON), UINT(IDI_TRAY_ALARM), UINT(IDI_TRAY_OFF)}) {
        HICON h = AfxLoadIconHandle(id, 16);
        ASSERT_NE(h, nullptr) << id;
        EXPECT_EQ(AfxIconResourceId(h), id);
        // Drawn at the size asked for, also between the usual sizes, and
        // still there after its handle is gone (the tray keeps a copy).
        QIcon copy = *AfxIconFromHandle(h);
        DestroyIcon(h);
        for (int size : {16, 20, 22, 48}) {
            const QImage image = copy.pixmap(size, size).toImage();
            EXPECT_EQ(image.size(), QSize(size, size)) << id;
            int opaque = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    opaque += qAlpha(image.pixel(x, y)) > 200;
            EXPECT_GT(opaque, size * size / 8) << id << " at " << size;
        }
        // The disabled picture is grey.
        const QImage grey = copy.pixmap(QSize(32, 32), QIcon::Disabled).toImage();
        const QImage normal = copy.pixmap(QSize(32, 32)).toImage();
        EXPECT_EQ(grey.size(), QSize(32, 32));
        if (id == IDI_TRAY_ALARM) {
            const QColor red = normal.pixelColor(16, 16), dim = grey.pixelColor(16, 16);
            EXPECT_GT(red.red() - red.blue(), 80);
            EXPECT_LT(std::abs(dim.red() - dim.blue()), 40);
        }
    }
}

TEST(ResourcesTest, ListBitmapHoldsAnEmptyImageAndARedAlarm)
{
    Start();
    CImageList list;
    ASSERT_TRUE(list.Create(IDB_LISTICONS, 16, 1, RGB(255, 255, 255)));
    auto images = AfxImageListImages(list);
    ASSERT_NE(images, nullptr);
    ASSERT_EQ(images->images.size(), 2u);
    QImage empty = images->images[0].toImage();
    QImage alarm = images->images[1].toImage();
    ASSERT_EQ(alarm.size(), QSize(16, 16));
    int opaque = 0, red = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(qAlpha(empty.pixel(x, y)), 0);
            QRgb p = alarm.pixel(x, y);
            if (qAlpha(p) == 255) {
                ++opaque;
                red += qRed(p) > 2 * qGreen(p) && qRed(p) > 2 * qBlue(p);
            }
        }
    EXPECT_GT(opaque, 40);
    EXPECT_GT(red, opaque / 2);
}

}  // namespace
