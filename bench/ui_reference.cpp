// The reference of bench_ui: a minimal Qt Widgets program that shows one
// window, and reports as the Talvo child does.
// Run by bench_ui: bench_ui_reference <milliseconds to stay after the show>

#include "UiChild.h"

#include <QWidget>

int main(int argc, char** argv)
{
    using namespace uibench;
    const int lingerMs = argc > 1 ? std::atoi(argv[1]) : 0;
    QApplication app(argc, argv);
    auto* counter = new WakeCounter;
    app.installEventFilter(counter);
    app.installEventFilter(new ShowWatcher([=] { AfterShown(counter, lingerMs); }));
    QWidget window;
    window.setWindowTitle("Reference");
    window.resize(640, 480);
    window.show();
    return app.exec();
}
