// The reference of bench_ui: a minimal Qt Widgets program that shows one
// window, and reports as the Talvo child does.
// Run by bench_ui: bench_ui_reference <milliseconds to stay after the show> [text|window]
// With "text" the window is a label with one line, which loads the fonts.
// With "window" it is Talvo's main window built directly from Qt widgets:
// the same menus, list, edit panel, texts and font, with none of Talvo's code.

#include "UiChild.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTreeWidget>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// One menu entry: text (an empty one is a separator) and whether it is
// checked.
struct Entry {
    const char* text;
    bool checked = false;
};

void AddEntries(QMenu* menu, std::initializer_list<Entry> entries)
{
    for (const Entry& e : entries) {
        if (!*e.text) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(QString::fromUtf8(e.text));
        a->setCheckable(e.checked);
        a->setChecked(e.checked);
    }
}

QMenuBar* MenuBar(QWidget* parent)
{
    auto* bar = new QMenuBar(parent);
    bar->setNativeMenuBar(false);
    AddEntries(bar->addMenu(QStringLiteral("&Arkiv")), {{"&Nytt meddelande\tF2"}, {""}, {"&Öppna...\tCtrl+O"}, {"&Spara\tCtrl+S"}, {"Spara so&m..."}, {""}, {"&Avsluta"}});
    QMenu* edit = bar->addMenu(QStringLiteral("&Redigera"));
    AddEntries(edit, {{"&Ta bort\tDel"}, {""}, {"Flytta &upp\tF6"}, {"Flytta n&ed\tShift+F6"}, {""}, {"&Sök...\tCtrl+F"}, {"Sök &nästa\tF3"}, {""}, {"&Kontrollera nu\tF5"}, {"Knu&ffa fram tider\tF8"}, {""}, {"Sortera efter t&id\tF4"}, {"Sortera i &bokstavsordning\tShift+F4"}});
    AddEntries(edit->addMenu(QString::fromUtf8("Sorteringsinställnin&gar")),
               {{"&Fallande", true}, {"Sätt &markerade meddelande först", true}});
    AddEntries(bar->addMenu(QString::fromUtf8("&Gå till")),
               {{"&Nästa akutella meddelande\tF7"}, {"&Föregående akutella meddelande\tShift+F7"}});
    AddEntries(bar->addMenu(QStringLiteral("Alternati&v")),
               {{"&Kontrollera meddelanden", true}, {""}, {"&Inställningar...\tCtrl+I"}});
    AddEntries(bar->addMenu(QString::fromUtf8("&Hjälp")), {{"Öppna &ReadMe-filen...\tF1"}, {""}, {"&Om..."}});
    return bar;
}

// Talvo's main window: a dialog of 320 x 207 dialog units with a menu bar
// above it, its controls at the same places.
QWidget* MainWindow()
{
    auto* dlg = new QDialog(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                         Qt::WindowMinimizeButtonHint);
    dlg->setWindowTitle(QStringLiteral("Talvo - startup.tlv"));
    QPixmap iconImage(32, 32);
    iconImage.fill(QColor(40, 90, 160));
    dlg->setWindowIcon(QIcon(iconImage));

    // Talvo's dialog font: the template's 8-point "MS Sans Serif" does not
    // exist here, so the desktop's UI font one point larger; dialog units
    // come from one point more again, as Talvo measures them.
    QFont font = QApplication::font();
    font.setPointSize(8 + 1);
    dlg->setFont(font);
    QFont unitsFont = font;
    unitsFont.setPointSizeF(font.pointSizeF() + 1.0);
    const QFontMetrics fm(unitsFont);
    const int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int unitX = std::max(1, (letters / 26 + 1) / 2);
    const int unitY = std::max(1, fm.height());

    QMenuBar* bar = MenuBar(dlg);
    bar->setFont(font);
    const int top = bar->sizeHint().height();
    const auto dlu = [=](int x, int y, int cx, int cy) {
        return QRect(qRound(x * unitX / 4.0), top + qRound(y * unitY / 8.0), qRound(cx * unitX / 4.0),
                     qRound(cy * unitY / 8.0));
    };
    const QRect client = dlu(0, 0, 320, 207);
    dlg->setFixedSize(client.width(), client.bottom() + 1);
    bar->setGeometry(0, 0, client.width(), top);

    // The accelerators of Talvo's table.
    for (const char* key : {"Ctrl+F", "Ctrl+I", "Ctrl+O", "Ctrl+S", "F1", "F2", "F3", "F4", "Shift+F4", "F5", "F6",
                            "Shift+F6", "F7", "Shift+F7", "F8", "Del"})
        new QShortcut(QKeySequence(QString::fromLatin1(key)), dlg);

    // The list with five reminders, a quiet image on each row.
    auto* list = new QTreeWidget(dlg);
    list->setGeometry(dlu(7, 7, 306, 112));
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->header()->setStretchLastSection(false);
    list->setHeaderLabels({QStringLiteral("Tid"), QStringLiteral("Meddelande")});
    list->setColumnWidth(0, 142);
    list->setColumnWidth(1, 308);
    list->setIconSize(QSize(16, 16));
    QPixmap quiet(16, 16);
    quiet.fill(Qt::transparent);
    const QIcon quietIcon(quiet);
    for (int i = 0; i < 5; ++i) {
        auto* item = new QTreeWidgetItem(list);
        item->setText(0, QStringLiteral("2026-12-08 %1:00:00 (+0 00:10:00)").arg(10 + i));
        item->setText(1, QString::fromUtf8("Påminnelse nummer %1 om mötet").arg(i + 1));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        item->setIcon(0, quietIcon);
    }
    list->resizeColumnToContents(0);
    list->resizeColumnToContents(1);

    // The edit panel; its controls are the dialog's, laid over the box.
    (new QGroupBox(QStringLiteral("Nytt/Redigera meddelande"), dlg))->setGeometry(dlu(7, 124, 306, 77));
    auto* dateLabel = new QLabel(QStringLiteral("&Datum:"), dlg);
    dateLabel->setGeometry(dlu(15, 140, 28, 8));
    auto* date = new QDateTimeEdit(QDateTime::currentDateTime(), dlg);
    date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date->setCalendarPopup(true);
    date->setGeometry(dlu(45, 138, 64, 14));
    dateLabel->setBuddy(date);
    auto* timeLabel = new QLabel(QStringLiteral("&Tid:"), dlg);
    timeLabel->setGeometry(dlu(117, 140, 18, 8));
    auto* time = new QDateTimeEdit(QDateTime::currentDateTime(), dlg);
    time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    time->setGeometry(dlu(137, 138, 52, 14));
    timeLabel->setBuddy(time);
    (new QCheckBox(QStringLiteral("&Knuffa:"), dlg))->setGeometry(dlu(199, 140, 40, 10));
    auto* pushTime = new QSpinBox(dlg);
    pushTime->setRange(1, INT_MAX);
    pushTime->setValue(86400);
    pushTime->setGeometry(dlu(240, 138, 44, 14));  // Talvo's up-down sits inside its edit
    (new QLabel(QStringLiteral("sek."), dlg))->setGeometry(dlu(288, 140, 18, 8));
    auto* textLabel = new QLabel(QStringLiteral("&Meddelande:"), dlg);
    textLabel->setGeometry(dlu(15, 161, 46, 8));
    auto* text = new QLineEdit(QStringLiteral("Nytt meddelande"), dlg);
    text->setGeometry(dlu(63, 159, 242, 14));
    textLabel->setBuddy(text);
    auto* remind = new QCheckBox(QString::fromUtf8("&Påminn om meddelandet"), dlg);
    remind->setChecked(true);
    remind->setGeometry(dlu(63, 182, 120, 10));
    (new QPushButton(QStringLiteral("&Ny"), dlg))->setGeometry(dlu(199, 180, 50, 14));
    auto* add = new QPushButton(QString::fromUtf8("&Lägg till"), dlg);
    add->setDefault(true);
    add->setGeometry(dlu(255, 180, 50, 14));
    text->setFocus();
    return dlg;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace uibench;
    const int lingerMs = argc > 1 ? std::atoi(argv[1]) : 0;
    QApplication app(argc, argv);
    auto* counter = new WakeCounter;
    app.installEventFilter(counter);
    app.installEventFilter(new ShowWatcher([=] { AfterShown(counter, lingerMs); }));
    const char* mode = argc > 2 ? argv[2] : "";
    if (std::strcmp(mode, "window") == 0) {
        MainWindow()->show();
        return app.exec();
    }
    QLabel text(QString::fromUtf8("Påminnelse nummer 1 om mötet"));
    QWidget blank;
    QWidget& window = std::strcmp(mode, "text") == 0 ? static_cast<QWidget&>(text) : blank;
    window.setWindowTitle("Reference");
    window.resize(640, 480);
    window.show();
    return app.exec();
}
