// The reference of bench_ui: a minimal Qt Widgets program that shows one
// window, and reports as the Talvo child does.
// Run by bench_ui: bench_ui_reference <milliseconds to stay after the show> [text]
// With "text" the window is a label with one line, which loads the fonts.

#include "UiChild.h"

#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    using namespace uibench;
    const int lingerMs = argc > 1 ? std::atoi(argv[1]) : 0;
    QApplication app(argc, argv);
    auto* counter = new WakeCounter;
    app.installEventFilter(counter);
    app.installEventFilter(new ShowWatcher([=] { AfterShown(counter, lingerMs); }));
    QLabel text(QString::fromUtf8("Påminnelse nummer 1 om mötet"));
    QWidget blank;
    QWidget& window = argc > 2 && std::strcmp(argv[2], "text") == 0 ? static_cast<QWidget&>(text) : blank;
    window.setWindowTitle("Reference");
    window.resize(640, 480);
    window.show();
    return app.exec();
}
