#pragma once
// What a child process of bench_ui measures and reports on its standard
// output, shared by the Talvo child and the minimal reference program.

#include <QApplication>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>

namespace uibench {

inline long ResidentKb()
{
    std::ifstream in("/proc/self/status");
    std::string key;
    while (in >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            in >> kb;
            return kb;
        }
        in.ignore(1 << 20, '\n');
    }
    return -1;
}

// Context switches of every thread: each one is the thread going to sleep or
// being woken, the cost an idle program should not cause. getrusage counts
// the threads that have ended too, which /proc/self/task no longer lists: a
// worker that wakes to end itself still counts.
inline long ContextSwitches()
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return -1;
    return usage.ru_nvcsw + usage.ru_nivcsw;
}

// Counts the events that wake the main thread, by receiver class.
class WakeCounter : public QObject {
public:
    bool counting = false;
    std::map<std::string, int> timers;
    int sockets = 0;

    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (counting) {
            if (e->type() == QEvent::Timer)
                ++timers[o->metaObject()->className()];
            else if (e->type() == QEvent::SockAct)
                ++sockets;
        }
        return false;
    }
};

// Calls `shown` once, when the first top-level window has been exposed and
// the events that paint it have been handled.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(std::function<void()> shown) : m_shown(std::move(shown)) {}

    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (!m_done && e->type() == QEvent::Expose) {
            auto* w = qobject_cast<QWindow*>(o);
            if (w && w->isExposed()) {
                m_done = true;
                QTimer::singleShot(0, [this] { m_shown(); });
            }
        }
        return false;
    }

private:
    std::function<void()> m_shown;
    bool m_done = false;
};

[[noreturn]] inline void Finish(const std::string& report)
{
    std::fputs(report.c_str(), stdout);
    std::fflush(stdout);
    std::_Exit(0);  // the figures are out; tearing down is not measured
}

// After the window is shown: reports at once (lingerMs 0), or after a quiet
// period with what woke the process during it.
inline void AfterShown(WakeCounter* counter, int lingerMs)
{
    if (lingerMs == 0)
        Finish("rss_kb " + std::to_string(ResidentKb()) + "\n");
    const long switches = ContextSwitches();
    counter->counting = true;
    QTimer::singleShot(lingerMs, [counter, switches] {
        counter->counting = false;
        std::string r = "rss_kb " + std::to_string(ResidentKb()) + "\n";
        r += "switches " + std::to_string(ContextSwitches() - switches) + "\n";
        r += "sockets " + std::to_string(counter->sockets) + "\n";
        int total = -1;  // this quiet period's own end is a timer too
        for (const auto& [cls, n] : counter->timers)
            total += n;
        r += "timers " + std::to_string(total) + "\n";
        for (const auto& [cls, n] : counter->timers)
            r += "timer_by " + cls + " " + std::to_string(n) + "\n";
        Finish(r);
    });
}

}  // namespace uibench
