// Window timers. Deadlines are kept on CLOCK_BOOTTIME, so time spent in
// suspend counts, and one timerfd wakes the process at the nearest deadline
// only: nothing runs between deadlines. A second timerfd on CLOCK_REALTIME
// with TFD_TIMER_CANCEL_ON_SET tells when the wall clock is set; every armed
// timer then fires at once, because what it waits for may be due already.

#include "platform/qt/Internal.h"
#include "platform/qt/QtHandles.h"
#include "platform/qt/Seams.h"
#include "platform/Wnd.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <vector>

bool AfxIsLiveWidget(const QWidget* w);

namespace {

struct Timer {
    HWND hWnd = nullptr;
    UINT_PTR id = 0;
    UINT period = 0;
    std::uint64_t deadline = 0;  // boot-clock milliseconds
};

class TimerSource {
public:
    static TimerSource& Instance()
    {
        static TimerSource source;
        return source;
    }

    std::vector<Timer> timers;
    std::uint64_t suspendOffset = 0;  // simulated suspend, for tests

    std::uint64_t Now() const
    {
        timespec ts{};
        clock_gettime(CLOCK_BOOTTIME, &ts);
        return std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u + suspendOffset;
    }

    void Arm(HWND hWnd, UINT_PTR id, UINT period)
    {
        Timer* t = Find(hWnd, id);
        if (!t) {
            timers.push_back(Timer{hWnd, id, period, 0});
            t = &timers.back();
        }
        t->period = period;
        t->deadline = Now() + period;  // re-arming restarts the period
        Reschedule();
    }

    bool Kill(HWND hWnd, UINT_PTR id)
    {
        for (auto it = timers.begin(); it != timers.end(); ++it) {
            if (it->hWnd == hWnd && it->id == id) {
                timers.erase(it);
                Reschedule();
                return true;
            }
        }
        return false;
    }

    void KillAll(HWND hWnd)
    {
        std::erase_if(timers, [hWnd](const Timer& t) { return t.hWnd == hWnd; });
        Reschedule();
    }

    Timer* Find(HWND hWnd, UINT_PTR id)
    {
        for (Timer& t : timers)
            if (t.hWnd == hWnd && t.id == id)
                return &t;
        return nullptr;
    }

    // Delivers WM_TIMER for every timer whose deadline passed (or all of
    // them), each restarting its period from now.
    void Expire(bool all)
    {
        std::uint64_t now = Now();
        std::vector<std::pair<HWND, UINT_PTR>> due;
        for (Timer& t : timers) {
            if (all || t.deadline <= now) {
                t.deadline = now + t.period;
                due.emplace_back(t.hWnd, t.id);
            }
        }
        Reschedule();
        // A handler may kill or re-arm timers, or destroy its window.
        for (auto [hWnd, id] : due) {
            if (!Find(hWnd, id))
                continue;
            if (!AfxIsLiveWidget(WidgetFromHandle(hWnd))) {
                Kill(hWnd, id);
                continue;
            }
            ::SendMessage(hWnd, WM_TIMER, WPARAM(id), 0);
        }
    }

    void Fire(HWND hWnd, UINT_PTR id)
    {
        if (Timer* t = Find(hWnd, id)) {
            t->deadline = Now() + t->period;
            Reschedule();
            ::SendMessage(hWnd, WM_TIMER, WPARAM(id), 0);
        }
    }

private:
    int m_bootFd = -1;
    int m_clockFd = -1;
    // Children of the application object: they end with it.
    QPointer<QSocketNotifier> m_bootNotifier;
    QPointer<QSocketNotifier> m_clockNotifier;

    TimerSource() = default;

    bool Open()
    {
        if (m_bootFd >= 0)
            return true;
        m_bootFd = timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_bootFd < 0)
            return false;
        m_bootNotifier = new QSocketNotifier(m_bootFd, QSocketNotifier::Read, AfxProgramLifetime());
        QObject::connect(m_bootNotifier, &QSocketNotifier::activated, [this] {
            std::uint64_t count;
            (void)!::read(m_bootFd, &count, sizeof count);
            Expire(false);
        });
        m_clockFd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_clockFd >= 0) {
            m_clockNotifier = new QSocketNotifier(m_clockFd, QSocketNotifier::Read, AfxProgramLifetime());
            QObject::connect(m_clockNotifier, &QSocketNotifier::activated, [this] {
                std::uint64_t count;
                if (::read(m_clockFd, &count, sizeof count) < 0 && errno == ECANCELED) {
                    ArmClockWatch();
                    Expire(true);
                }
            });
            ArmClockWatch();
        }
        return true;
    }

    // An absolute deadline far ahead that the kernel cancels when the wall
    // clock is set.
    void ArmClockWatch()
    {
        itimerspec when{};
        clock_gettime(CLOCK_REALTIME, &when.it_value);
        when.it_value.tv_sec += 10L * 365 * 24 * 3600;
        timerfd_settime(m_clockFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
    }

    void Reschedule()
    {
        if (!Open())
            return;
        itimerspec when{};
        if (!timers.empty()) {
            std::uint64_t next = timers.front().deadline;
            for (const Timer& t : timers)
                next = std::min(next, t.deadline);
            std::uint64_t now = Now();
            std::uint64_t wait = next > now ? next - now : 0;
            if (wait == 0)
                wait = 1;  // zero would disarm the timerfd
            when.it_value.tv_sec = time_t(wait / 1000u);
            when.it_value.tv_nsec = long(wait % 1000u) * 1000000L;
        }
        timerfd_settime(m_bootFd, 0, &when, nullptr);
    }
};

}  // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT nElapse, void* /*lpTimerFunc*/)
{
    if (!hWnd || !AfxIsLiveWidget(WidgetFromHandle(hWnd)))
        return 0;
    // Win32 raises periods below USER_TIMER_MINIMUM to 10 ms.
    TimerSource::Instance().Arm(hWnd, nIDEvent, nElapse < 10 ? 10 : nElapse);
    return nIDEvent;
}

BOOL KillTimer(HWND hWnd, UINT_PTR nIDEvent)
{
    return TimerSource::Instance().Kill(hWnd, nIDEvent);
}

void AfxKillWindowTimers(HWND hWnd)
{
    TimerSource::Instance().KillAll(hWnd);
}

std::vector<AfxArmedTimer> AfxArmedTimers()
{
    std::vector<AfxArmedTimer> out;
    for (const Timer& t : TimerSource::Instance().timers)
        out.push_back(AfxArmedTimer{t.hWnd, t.id, t.period});
    return out;
}

bool AfxFireTimer(HWND hWnd, UINT_PTR id)
{
    if (!TimerSource::Instance().Find(hWnd, id))
        return false;
    TimerSource::Instance().Fire(hWnd, id);
    return true;
}

void AfxExpireTimers(bool clockSet, unsigned long long suspendedMilliseconds)
{
    TimerSource::Instance().suspendOffset += suspendedMilliseconds;
    TimerSource::Instance().Expire(clockSet);
}
