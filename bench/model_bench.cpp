// Model operations against plain references over the same data; prints each
// ratio with the absolute figures. Run: build/bench/bench_model
#include "model/Clock.h"
#include "model/ReminderList.h"
#include "model/ReminderMerge.h"
#include "platform/AtomicFile.h"
#include "platform/WholeFile.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::time_t kNow = 1'700'000'000;

CReminderList MakeList(int n)
{
    CReminderList l;
    l.m_reminders.reserve(static_cast<std::size_t>(n));
    unsigned seed = 12345;
    for (int i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::string text = "Påminnelse nummer " + std::to_string(seed % 100000) + " om mötet";
        l.Add(text.c_str(), static_cast<std::int32_t>(kNow - 50000 + seed % 100000), seed % 3 != 0, 86400, seed % 2);
    }
    return l;
}

std::string FileFor(int n)
{
    static std::map<int, std::string> files;
    auto& f = files[n];
    if (f.empty()) {
        f = "/tmp/talvo-bench-" + std::to_string(getpid()) + "-" + std::to_string(n) + ".tlv";
        CReminderList l = MakeList(n);
        l.SetFileName(f.c_str());
        l.Save();
    }
    return f;
}

void Load(benchmark::State& s)
{
    CReminderList l;
    l.SetFileName(FileFor(int(s.range(0))).c_str());
    for (auto _ : s)
        benchmark::DoNotOptimize(l.Load());
}
void LoadReference(benchmark::State& s)
{
    std::string path = FileFor(int(s.range(0)));
    std::vector<char> buf(65536);
    for (auto _ : s) {
        int fd = open(path.c_str(), O_RDONLY);
        long lines = 0;
        for (ssize_t n; (n = read(fd, buf.data(), buf.size())) > 0;)
            lines += std::count(buf.data(), buf.data() + n, '\n');
        close(fd);
        benchmark::DoNotOptimize(lines);
    }
}

void Save(benchmark::State& s)
{
    CReminderList l = MakeList(int(s.range(0)));
    std::string path = FileFor(int(s.range(0))) + ".out";
    for (auto _ : s)
        benchmark::DoNotOptimize(WriteFileAtomically(path, l.Serialize(), false));
    unlink(path.c_str());
}
void SaveReference(benchmark::State& s)
{
    std::string bytes = MakeList(int(s.range(0))).Serialize();
    std::string path = FileFor(int(s.range(0))) + ".ref";
    for (auto _ : s) {
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        benchmark::DoNotOptimize(write(fd, bytes.data(), bytes.size()));
        close(fd);
    }
    unlink(path.c_str());
}

void AlarmCheck(benchmark::State& s)
{
    CReminderList l = MakeList(int(s.range(0)));
    SetClockForTests(kNow);
    for (auto _ : s) {
        benchmark::DoNotOptimize(l.RefreshDueList());
        benchmark::DoNotOptimize(l.SecondsToNextAlarm());
    }
}
void AlarmCheckReference(benchmark::State& s)
{
    CReminderList l = MakeList(int(s.range(0)));
    std::vector<std::int32_t> due;
    for (auto _ : s) {
        due.clear();
        long long best = 0;
        for (int i = 0; i < l.GetCount(); ++i) {
            const CReminder& r = l.GetAt(i);
            if (r.m_bRemind && r.m_nTime <= kNow)
                due.push_back(i);
            if (r.m_bRemind && r.m_nTime > kNow && (best == 0 || r.m_nTime - kNow < best))
                best = r.m_nTime - kNow;
        }
        benchmark::DoNotOptimize(due.data());
        benchmark::DoNotOptimize(best);
    }
}

void Sort(benchmark::State& s)
{
    CReminderList base = MakeList(int(s.range(0)));
    for (auto _ : s) {
        s.PauseTiming();
        CReminderList l = base;
        s.ResumeTiming();
        l.Sort(true, true, true);
    }
}
void SortReference(benchmark::State& s)
{
    CReminderList base = MakeList(int(s.range(0)));
    std::vector<std::tuple<bool, std::int32_t, std::string>> tuples;
    for (const CReminder& r : base.m_reminders)
        tuples.emplace_back(!r.m_bRemind, r.m_nTime, r.m_strText);
    for (auto _ : s) {
        s.PauseTiming();
        auto copy = tuples;
        s.ResumeTiming();
        std::sort(copy.begin(), copy.end());
    }
}

void FindText(benchmark::State& s)
{
    CReminderList l = MakeList(int(s.range(0)));
    for (auto _ : s)
        benchmark::DoNotOptimize(l.FindText("INGEN TRÄFF", -1, true, false));
}
void FindTextReference(benchmark::State& s)
{
    CReminderList l = MakeList(int(s.range(0)));
    const std::string needle = "ingen träff";
    for (auto _ : s) {
        int found = -1;
        for (int i = 0; i < l.GetCount() && found < 0; ++i) {
            const std::string& h = l.GetAt(i).m_strText;
            auto it = std::search(h.begin(), h.end(), needle.begin(), needle.end(),
                                  [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; });
            if (it != h.end())
                found = i;
        }
        benchmark::DoNotOptimize(found);
    }
}

// What every write of the list does first: is the list on screen changed,
// and did another program change the file? Against the save itself.
void CheckBeforeSave(benchmark::State& s)
{
    CReminderList l = MakeList(int(s.range(0)));
    const std::string path = FileFor(int(s.range(0)));
    l.SetFileName(path.c_str());
    const std::string saved = l.Serialize();
    std::string disk;
    for (auto _ : s) {
        benchmark::DoNotOptimize(l.Serialize() != saved);
        benchmark::DoNotOptimize(ReadWholeFile(path, disk) && disk != saved);
    }
}
void CheckBeforeSaveReference(benchmark::State& s) { Save(s); }

// A merge of two lists that each changed a few reminders, against reading
// the file (a reload).
void Merge(benchmark::State& s)
{
    const CReminderList base = MakeList(int(s.range(0)));
    CReminderList ours = base, theirs = base;
    ours.Add("Ny här", std::int32_t(kNow), true, 86400, false);
    theirs.m_reminders.erase(theirs.m_reminders.begin());
    theirs.Add("Ny där", std::int32_t(kNow), true, 86400, false);
    for (auto _ : s)
        benchmark::DoNotOptimize(MergeReminderLists(base, ours, theirs, nullptr));
}
void MergeReference(benchmark::State& s) { Load(s); }

#define PAIR(f)                                                                        \
    BENCHMARK(f)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond); \
    BENCHMARK(f##Reference)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
PAIR(Load)
PAIR(Save)
PAIR(AlarmCheck)
PAIR(Sort)
PAIR(FindText)
PAIR(CheckBeforeSave)
PAIR(Merge)

// Collects the times so that each operation's ratio to its reference is printed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs)
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-16s %9s %14s %14s %7s\n", "operation", "records", "time (us)", "reference", "ratio");
    for (const char* op : {"Load", "Save", "AlarmCheck", "Sort", "FindText", "CheckBeforeSave", "Merge"})
        for (const char* n : {"1000", "100000", "1000000"}) {
            auto a = reporter.times.find(std::string(op) + "/" + n);
            auto b = reporter.times.find(std::string(op) + "Reference/" + n);
            if (a != reporter.times.end() && b != reporter.times.end() && b->second > 0)
                std::printf("%-16s %9s %14.1f %14.1f %7.2f\n", op, n, a->second, b->second, a->second / b->second);
        }
    for (int n : {1000, 100000, 1000000})
        unlink(FileFor(n).c_str());
    return 0;
}
