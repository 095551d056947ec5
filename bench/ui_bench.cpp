// The user interface against plain Qt Widgets, each figure a ratio measured
// in the same run on the same machine:
//   start-up     process start to the main window shown and painted, against
//                bench_ui_reference, a program that only shows one QWidget,
//                and against the same program showing Talvo's window built
//                directly from Qt widgets;
//   list         a whole list refresh, UpdateList(-1), of 10^3 and 10^4
//                reminders, against filling a QTreeWidget of the same size
//                with the same texts, check marks and icons directly;
//   idle         with one reminder due in an hour, what wakes the process in
//                a quiet period: timer events by receiver, socket
//                notifications and the threads' context switches;
//   memory       resident set with 10^4 reminders loaded, against the
//                minimal program.
//   huge         start-up with one reminder of 50 MB of text, against five
//                ordinary ones.
// Run: build/bench/bench_ui [--idle-seconds N] [--runs N] [--only startup|memory|huge|idle|list]
// The windows use Qt's offscreen platform unless QT_QPA_PLATFORM says another;
// the locale is Swedish (LANG=sv_SE.UTF-8) and the zone UTC.

#include "mainwnd/MainDlg.h"
#include "mainwnd/ReminderApp.h"
#include "platform/qt/QtHandles.h"

#include "UiChild.h"

#include <QApplication>
#include <QDateTime>
#include <QHeaderView>
#include <QLocale>
#include <QTimeZone>
#include <QTreeWidget>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using namespace uibench;

// mode: "shown" (the window active), "inactive" (another program's window
// active) or "hidden" (in the tray). The state is taken a moment after the
// window is shown, as a user would, and measured once the window system has
// taken it in.
int ChildTalvo(char* argv0, const char* file, int lingerMs, const std::string& mode)
{
    CReminderApp theApp;
    char* args[] = {argv0, const_cast<char*>(file), nullptr};
    if (!AfxWinInit(2, args))
        return 1;
    auto* counter = new WakeCounter;
    qApp->installEventFilter(counter);
    qApp->installEventFilter(new ShowWatcher([=] {
        if (mode == "shown" || lingerMs == 0) {
            AfterShown(counter, lingerMs);
            return;
        }
        QTimer::singleShot(500, [=] {
            if (mode == "hidden" && AfxGetMainWnd()) {
                AfxGetMainWnd()->ShowWindow(SW_HIDE);
            } else if (mode == "inactive") {
                auto* other = new QWidget;
                other->setWindowTitle(QStringLiteral("another program"));
                other->resize(300, 200);
                other->show();
                other->activateWindow();
            }
            QTimer::singleShot(500, [=] { AfterShown(counter, lingerMs); });
        });
    }));
    if (!theApp.InitInstance())
        return theApp.ExitInstance();
    return theApp.Run();
}

// ---- The driver ----------------------------------------------------------------------------

std::string g_self;
std::string g_reference;  // the minimal program, beside this one
std::string g_root;

// Due times are stored in local standard time; the bench runs in UTC.
std::string ListFile(const std::string& name, int n, std::time_t firstDue, int step)
{
    const std::string path = g_root + "/" + name;
    std::ofstream out(path, std::ios::binary);
    out << "Talvo_1.2\r\nNytt meddelande\r\n3600\r\n1\r\n600\r\n1\r\n";
    unsigned seed = 12345;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        out << "Påminnelse nummer " << seed % 100000 << " om mötet\r\n"
            << firstDue + std::time_t(i) * step << "\r\n"
            << (seed % 3 != 0 ? 1 : 0) << "\r\n"
            << 600 + seed % 7 * 3600 << "\r\n"
            << seed % 2 << "\r\n";
    }
    return path;
}

struct Run {
    double seconds = 0;
    std::map<std::string, std::string> report;
    std::vector<std::string> timerLines;
};

// Starts this program in a child mode with a fresh settings store, and
// reads what it reports.
Run Spawn(const std::vector<std::string>& args)
{
    // {"--child", "reference", ms} runs the separate minimal program.
    const bool reference = args.size() >= 3 && args[1] == "reference";
    const std::string& program = reference ? g_reference : g_self;
    const std::string home = g_root + "/home";
    fs::remove_all(home);
    fs::create_directories(home + "/config");
    fs::create_directories(home + "/data");
    fs::create_directories(home + "/run");
    fs::permissions(home + "/run", fs::perms::owner_all);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home + "/run").c_str(), 1);

    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (size_t i = reference ? 2 : 0; i < args.size(); ++i)
        argv.push_back(const_cast<char*>(args[i].c_str()));
    argv.push_back(nullptr);

    Run run;
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        std::exit(1);
    close(pipeFd[1]);
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = read(pipeFd[0], buf, sizeof buf)) > 0;)
        out.append(buf, size_t(n));
    int status = 0;
    waitpid(pid, &status, 0);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    close(pipeFd[0]);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "child %s failed\n", args[1].c_str());
        std::exit(1);
    }
    size_t pos = 0;
    while (pos < out.size()) {
        size_t end = out.find('\n', pos);
        std::string line = out.substr(pos, end - pos);
        pos = end == std::string::npos ? out.size() : end + 1;
        if (line.rfind("timer_by ", 0) == 0) {
            run.timerLines.push_back(line.substr(9));
            continue;
        }
        if (size_t sp = line.find(' '); sp != std::string::npos)
            run.report[line.substr(0, sp)] = line.substr(sp + 1);
    }
    return run;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BenchStartup(int runs)
{
    const std::string file = ListFile("startup.tlv", 5, std::time(nullptr) + 3600 * 24, 3600);
    std::vector<double> ref, text, window, talvo;
    for (int i = 0; i < runs; ++i) {  // interleaved, so drift hits all alike
        ref.push_back(Spawn({"--child", "reference", "0"}).seconds);
        text.push_back(Spawn({"--child", "reference", "0", "text"}).seconds);
        window.push_back(Spawn({"--child", "reference", "0", "window"}).seconds);
        talvo.push_back(Spawn({"--child", "talvo", file, "0", "shown"}).seconds);
    }
    const double r = Median(ref), x = Median(text), w = Median(window), t = Median(talvo);
    std::printf("start-up to the window shown (median of %d)\n", runs);
    std::printf("  minimal Qt program   %8.1f ms\n", r * 1e3);
    std::printf("  the same with one line of text %6.1f ms   ratio %.2fx\n", x * 1e3, x / r);
    std::printf("  a plain Qt program with the same window %6.1f ms   ratio %.2fx\n", w * 1e3, w / r);
    std::printf("  Talvo, 5 reminders   %8.1f ms   ratio %.2fx (target <= 1.5x), %.2fx the one with text\n",
                t * 1e3, t / r, t / x);
    std::printf("  Talvo against the plain Qt program with the same window   ratio %.2fx (target <= 1.15x)\n", t / w);
}

void BenchMemory()
{
    const std::string file = ListFile("memory.tlv", 10000, std::time(nullptr) + 3600 * 24, 60);
    const std::string few = ListFile("memory10.tlv", 10, std::time(nullptr) + 3600 * 24, 60);
    const long r = std::stol(Spawn({"--child", "reference", "500"}).report["rss_kb"]);
    const long f = std::stol(Spawn({"--child", "talvo", few, "500", "shown"}).report["rss_kb"]);
    const long t = std::stol(Spawn({"--child", "talvo", file, "500", "shown"}).report["rss_kb"]);
    std::printf("resident memory, half a second after the window is shown\n");
    std::printf("  minimal Qt program      %7.1f MiB\n", r / 1024.0);
    std::printf("  Talvo, 10 reminders     %7.1f MiB   the program itself\n", f / 1024.0);
    std::printf("  Talvo, 10^4 reminders   %7.1f MiB   ratio %.2fx (%.0f bytes per reminder above the minimal "
                "program, %.0f above Talvo with 10)\n",
                t / 1024.0, double(t) / double(r), (t - r) * 1024.0 / 10000, (t - f) * 1024.0 / 9990);
}

// A list with one reminder of 50 MB of text: it must start about as fast as
// any other, since a row shows no more than a screen's width of it.
void BenchHugeText(int runs)
{
    const std::string file = g_root + "/huge.tlv";
    {
        std::ofstream out(file, std::ios::binary);
        out << "Talvo_1.2\r\n\r\n0\r\n1\r\n86400\r\n0\r\n"
            << std::string(50u << 20, 'x')
            << "\r\n"
            << std::time(nullptr) + 86400 << "\r\n1\r\n600\r\n0\r\n";
    }
    const std::string small = ListFile("small.tlv", 5, std::time(nullptr) + 3600 * 24, 3600);
    std::vector<double> normal, huge;
    long rss = 0;
    for (int i = 0; i < runs; ++i) {
        normal.push_back(Spawn({"--child", "talvo", small, "0", "shown"}).seconds);
        Run run = Spawn({"--child", "talvo", file, "0", "shown"});
        huge.push_back(run.seconds);
        rss = std::stol(run.report["rss_kb"]);
    }
    const double n = Median(normal), h = Median(huge);
    std::printf("start-up with one reminder of 50 MB of text (median of %d)\n", runs);
    std::printf("  Talvo, 5 reminders    %8.1f ms\n", n * 1e3);
    std::printf("  Talvo, 50 MB text     %8.1f ms   ratio %.2fx, resident %.1f MiB\n", h * 1e3, h / n, rss / 1024.0);
}

void PrintIdle(const char* name, const Run& run)
{
    std::printf("  %-36s timer events %4s, socket notifications %4s, context switches %5s\n", name,
                run.report.at("timers").c_str(), run.report.at("sockets").c_str(), run.report.at("switches").c_str());
    for (const auto& line : run.timerLines)
        std::printf("      timer events for %s\n", line.c_str());
}

void BenchIdle(int seconds)
{
    // Due in an hour, stored in local standard time (UTC in this bench).
    const std::string file = ListFile("idle.tlv", 1, std::time(nullptr) + 3600, 0);
    const std::string ms = std::to_string(seconds * 1000);
    std::printf("idle for %d s after the window is shown\n", seconds);
    PrintIdle("minimal Qt program", Spawn({"--child", "reference", ms}));
    PrintIdle("Talvo, one reminder in an hour, shown", Spawn({"--child", "talvo", file, ms, "shown"}));
    PrintIdle("the same, shown but not active", Spawn({"--child", "talvo", file, ms, "inactive"}));
    PrintIdle("the same, hidden in the tray", Spawn({"--child", "talvo", file, ms, "hidden"}));
}

// The list refresh runs in this process, on the real main window.
void BenchList()
{
    CReminderApp theApp;
    const std::string f3 = ListFile("list3.tlv", 1000, std::time(nullptr) - 500 * 60, 60);
    const std::string f4 = ListFile("list4.tlv", 10000, std::time(nullptr) - 5000 * 60, 60);
    const std::string home = g_root + "/home";
    fs::create_directories(home + "/config");
    fs::create_directories(home + "/data");
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    char arg0[] = "bench_ui";
    char* args[] = {arg0, nullptr};
    if (!AfxWinInit(1, args))
        std::exit(1);
    std::printf("whole list refresh, UpdateList(-1), with the events that lay out and paint it\n");
    for (const std::string& file : {f3, f4}) {
        std::string cmdLine = file;
        theApp.m_lpCmdLine = cmdLine.data();
        auto* dlg = new CMainDlg(nullptr);
        theApp.m_pMainWnd = dlg;
        dlg->ShowWindow(SW_SHOWNORMAL);
        QCoreApplication::processEvents();
        auto* talvoTree = qobject_cast<QTreeWidget*>(WidgetFromHandle(dlg->m_list.m_hWnd));
        const int n = talvoTree->topLevelItemCount();

        // The same widget, filled directly with what Talvo shows.
        struct Row {
            QString time, text;
            bool checked;
            int image;
        };
        std::vector<Row> rows;
        QIcon icons[2];
        rows.reserve(size_t(n));
        for (int i = 0; i < n; ++i) {
            QTreeWidgetItem* it = talvoTree->topLevelItem(i);
            const int image = dlg->m_list.GetItemImage(i) == 1 ? 1 : 0;
            rows.push_back({it->text(0), it->text(1), it->checkState(0) == Qt::Checked, image});
            if (icons[image].isNull())
                icons[image] = it->icon(0);
        }
        QTreeWidget plain;
        plain.setRootIsDecorated(false);
        plain.setUniformRowHeights(true);
        plain.setHeaderLabels({"Tid", "Meddelande"});
        plain.header()->resizeSection(0, talvoTree->header()->sectionSize(0));
        plain.header()->resizeSection(1, talvoTree->header()->sectionSize(1));
        plain.setIconSize(talvoTree->iconSize());
        plain.resize(talvoTree->size());
        plain.show();
        QCoreApplication::processEvents();

        // The same again from the reminders themselves, doing part of what a
        // refresh must: dates formatted by QLocale, texts converted from
        // UTF-8, both columns fitted by Qt's own autosize.
        struct Source {
            QDateTime when;
            std::string text;
            bool checked;
            int image;
        };
        std::vector<Source> sources;
        sources.reserve(size_t(n));
        for (int i = 0; i < n; ++i) {
            const CReminder& r = dlg->m_data.m_reminderList.GetAt(i);
            sources.push_back({QDateTime::fromSecsSinceEpoch(r.m_nTime, QTimeZone::utc()), r.m_strText, r.m_bRemind,
                               rows[size_t(i)].image});
        }
        const QLocale locale;
        const QString picture = QStringLiteral("yyyy-MM-dd HH:mm:ss");

        const int reps = n > 5000 ? 7 : 21;
        std::vector<double> ref, formatted, talvo;
        for (int rep = 0; rep < reps; ++rep) {
            auto t0 = Clock::now();
            plain.clear();
            QList<QTreeWidgetItem*> items;
            items.reserve(n);
            for (const Row& r : rows) {
                auto* it = new QTreeWidgetItem;
                it->setText(0, r.time);
                it->setText(1, r.text);
                it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                it->setCheckState(0, r.checked ? Qt::Checked : Qt::Unchecked);
                it->setIcon(0, icons[r.image]);
                items.append(it);
            }
            plain.addTopLevelItems(items);
            QCoreApplication::processEvents();
            ref.push_back(std::chrono::duration<double>(Clock::now() - t0).count());

            t0 = Clock::now();
            plain.clear();
            items.clear();
            for (const Source& src : sources) {
                auto* it = new QTreeWidgetItem;
                it->setText(0, locale.toString(src.when, picture));
                it->setText(1, QString::fromStdString(src.text));
                it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
                it->setCheckState(0, src.checked ? Qt::Checked : Qt::Unchecked);
                it->setIcon(0, icons[src.image]);
                items.append(it);
            }
            plain.addTopLevelItems(items);
            plain.resizeColumnToContents(0);
            plain.resizeColumnToContents(1);
            QCoreApplication::processEvents();
            formatted.push_back(std::chrono::duration<double>(Clock::now() - t0).count());

            t0 = Clock::now();
            dlg->UpdateList(-1);
            QCoreApplication::processEvents();
            talvo.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
        }
        const double r = Median(ref), f = Median(formatted), t = Median(talvo);
        std::printf("  %5d reminders: QTreeWidget directly %7.2f ms, Talvo %7.2f ms   ratio %.2fx (target <= 2x)\n",
                    n, r * 1e3, t * 1e3, t / r);
        std::printf("                   with formatting and autosize %6.2f ms, Talvo against it %.2fx\n", f * 1e3,
                    t / f);
        dlg->DestroyWindow();
        theApp.m_pMainWnd = nullptr;
        QCoreApplication::processEvents();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0) {
        if (argc >= 5 && std::strcmp(argv[2], "talvo") == 0)
            return ChildTalvo(argv[0], argv[3], std::atoi(argv[4]), argc >= 6 ? argv[5] : "shown");
        return 2;
    }
    int idleSeconds = 60, runs = 15;
    std::string only;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--idle-seconds") == 0)
            idleSeconds = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (std::strcmp(argv[i], "--only") == 0)
            only = argv[i + 1];
    }
    // A Swedish user's locale and a fixed zone, whatever the shell has.
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("LANG", "sv_SE.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_TIME");
    g_self = fs::canonical("/proc/self/exe").string();
    g_reference = fs::path(g_self).parent_path() / "bench_ui_reference";
    char tmpl[] = "/tmp/talvo_bench_ui_XXXXXX";
    if (!mkdtemp(tmpl))
        return 1;
    g_root = tmpl;

    if (only.empty() || only == "startup")
        BenchStartup(runs);
    if (only.empty() || only == "memory")
        BenchMemory();
    if (only.empty() || only == "huge")
        BenchHugeText(std::min(runs, 5));
    if (only.empty() || only == "idle")
        BenchIdle(idleSeconds);
    if (only.empty() || only == "list")
        BenchList();
    fs::remove_all(g_root);
    return 0;
}
