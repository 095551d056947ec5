// The claim is an flock on a file named after the data file in the user's
// runtime folder; the holder listens on a socket beside it, and a later
// start connects to it to ask for the window. The holder answers with one
// byte from its event loop, so a holder that is stopped or hung is told from
// one that took the request; the asker waits a bounded time for either. The
// kernel drops the lock when the holder ends, however it ends.

#include "platform/Instance.h"

#include "platform/qt/Internal.h"

#include "platform/qt/QtHandles.h"
#include "platform/Trace.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// How long a later start waits in all for the holder to take its request.
constexpr auto kAnswerWait = std::chrono::seconds(2);

// The file's one name: links and "." and ".." resolved, also for a file
// that does not exist yet, and a link to one.
std::string Canonical(const std::string& path, int depth = 0)
{
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf))
        return buf;
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/"
                                                                             : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf - 1);
    if (n > 0 && depth < 40) {
        const std::string target(buf, std::size_t(n));
        return Canonical(target.front() == '/' ? target : folder + "/" + target, depth + 1);
    }
    if (::realpath(folder.c_str(), buf))
        return std::string(buf) + "/" + name;
    return path;
}

std::string Hash(const std::string& text)
{
    std::uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
    return out;
}

// A folder only this user can reach: the runtime folder, else one in /tmp.
std::string ClaimFolder()
{
    std::string base;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime == '/')
        base = std::string(runtime) + "/talvo";
    else
        base = "/tmp/talvo-" + std::to_string(getuid());
    ::mkdir(base.c_str(), 0700);
    struct stat st {};
    if (::lstat(base.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077))
        return {};
    return base;
}

bool SocketAddress(const std::string& path, sockaddr_un& address)
{
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void Listen(const std::string& socketPath, UINT message)
{
    sockaddr_un address;
    if (!SocketAddress(socketPath, address))
        return;
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0)
        return;
    ::unlink(socketPath.c_str());  // a holder that ended left it
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(s, 4) != 0) {
        ::close(s);
        return;
    }
    auto* notifier = new QSocketNotifier(s, QSocketNotifier::Read, AfxProgramLifetime());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [s, message] {
        while (true) {
            const int client = ::accept4(s, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0)
                break;
            // The answer; an asker that gave up already must not end us (SIGPIPE).
            (void)::send(client, "1", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
            ::close(client);
            Trace("Another start asks for the window.\n");
            if (CWnd* main = AfxGetMainWnd(); main && ::IsWindow(main->m_hWnd))
                ::PostMessage(main->m_hWnd, message, 0, 0);
        }
    });
}

enum class Asked {
    Answered,
    NoAnswer,   // connected, but no answer by the deadline
    NoListener  // no socket yet (the holder is starting, or ended), or its queue is full
};

int MillisecondsLeft(std::chrono::steady_clock::time_point end)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

// Asks the holder for its window, never waiting past end: a holder that is
// stopped keeps connections in its queue unanswered, and once the queue is
// full a blocking connect would wait for as long as it stays stopped.
Asked AskHolder(const sockaddr_un& address, std::chrono::steady_clock::time_point end)
{
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0)
        return Asked::NoListener;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS) {
        ::close(s);
        return Asked::NoListener;
    }
    Asked result = Asked::NoAnswer;
    while (true) {
        pollfd p{s, POLLIN, 0};
        const int n = ::poll(&p, 1, MillisecondsLeft(end));
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0) {
            // The answer, or the end of a holder that accepted without one:
            // either way its event loop runs. An error: it went away.
            char answer;
            result = ::recv(s, &answer, 1, MSG_DONTWAIT) >= 0 ? Asked::Answered : Asked::NoListener;
        }
        break;
    }
    ::close(s);
    return result;
}

}  // namespace

InstanceClaim AfxClaimInstance(LPCSTR path, UINT message)
{
    if (!path || !*path)
        return InstanceClaim::Claimed;
    const std::string folder = ClaimFolder();
    if (folder.empty())
        return InstanceClaim::Claimed;
    const std::string name = folder + "/" + Hash(Canonical(path));
    sockaddr_un address;
    const bool canAsk = SocketAddress(name + ".sock", address);
    const auto end = std::chrono::steady_clock::now() + kAnswerWait;
    while (true) {
        // The folder is the user's own; still, nothing in it may hold the start.
        const int lock = ::open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0600);
        if (lock < 0)
            return InstanceClaim::Claimed;
        if (::flock(lock, LOCK_EX | LOCK_NB) == 0) {
            Listen(name + ".sock", message);  // the lock stays held while the process runs
            return InstanceClaim::Claimed;
        }
        const int error = errno;
        ::close(lock);
        if (error != EWOULDBLOCK)
            return InstanceClaim::Claimed;
        if (!canAsk)
            return InstanceClaim::Forwarded;  // as far as can be told
        switch (AskHolder(address, end)) {
        case Asked::Answered: return InstanceClaim::Forwarded;
        case Asked::NoAnswer: return InstanceClaim::NotAnswering;
        case Asked::NoListener: break;
        }
        // Starting, or ended meanwhile: then the claim is free on the next try.
        if (MillisecondsLeft(end) == 0)
            return InstanceClaim::NotAnswering;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}
