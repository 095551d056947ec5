// The claim is a listening UNIX socket in Linux's abstract namespace, named
// after the user id and the list's canonical path: every session of the
// user (any XDG_RUNTIME_DIR, none, ssh, sudo -u) meets the same name, and
// the kernel frees it when the holder ends, however it ends, so no claim is
// left stale. A later start connects to it to ask for the window; the holder
// answers with one byte from its event loop, so a holder that is stopped or
// hung is told from one that took the request, and the asker waits a
// bounded time for either. Both ends check that the other is the same user.

#include "platform/Instance.h"

#include "platform/qt/Internal.h"

#include "platform/qt/QtHandles.h"
#include "platform/Trace.h"
#include "platform/WinApp.h"
#include "platform/Wnd.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <cstddef>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
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

// The claim's name in the abstract namespace: the user's and the list's,
// the same in every session of the user (any XDG_RUNTIME_DIR, ssh, sudo -u).
sockaddr_un ClaimAddress(const std::string& canonical, socklen_t& length)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = "talvo-" + std::to_string(getuid()) + "-" + Hash(canonical);
    std::memcpy(address.sun_path + 1, name.data(), name.size());  // sun_path[0] == 0: abstract
    length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

// Whether the other end of a connected socket runs as this user: another
// user may bind our name, and must neither hold our list nor call us forward.
bool PeerIsThisUser(int s)
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(s, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == getuid();
}

// This process's claim: the bound socket, its notifier and what it names.
struct Claim {
    int socket = -1;
    QSocketNotifier* notifier = nullptr;
    std::string canonical;
    UINT message = 0;
};
Claim g_claim;

void Release()
{
    delete g_claim.notifier;
    g_claim.notifier = nullptr;
    if (g_claim.socket >= 0)
        ::close(g_claim.socket);
    g_claim.socket = -1;
    g_claim.canonical.clear();
}

enum class Bound {
    Ours,
    Taken,  // another process holds the name
    Failed  // no socket at all
};

// Binding the name is the claim; the kernel frees it when the process ends,
// however it ends.
Bound Bind(const sockaddr_un& address, socklen_t length, int& out)
{
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0)
        return Bound::Failed;
    if (::bind(s, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        const int error = errno;
        ::close(s);
        return error == EADDRINUSE ? Bound::Taken : Bound::Failed;
    }
    if (::listen(s, 4) != 0) {
        ::close(s);
        return Bound::Failed;
    }
    out = s;
    return Bound::Ours;
}

void Listen(int s, const std::string& canonical, UINT message)
{
    Release();
    g_claim.socket = s;
    g_claim.canonical = canonical;
    g_claim.message = message;
    g_claim.notifier = new QSocketNotifier(s, QSocketNotifier::Read, AfxProgramLifetime());
    QObject::connect(g_claim.notifier, &QSocketNotifier::activated, g_claim.notifier, [s, message] {
        while (true) {
            const int client = ::accept4(s, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client < 0)
                break;
            if (!PeerIsThisUser(client)) {
                ::close(client);
                continue;
            }
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
    NoAnswer,    // connected, but no answer by the deadline
    NoListener,  // not listening yet (the holder is starting, or ended), or its queue is full
    Stranger     // the name is held by another user's process
};

int MillisecondsLeft(std::chrono::steady_clock::time_point end)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

// Asks the holder for its window, never waiting past end: a holder that is
// stopped keeps connections in its queue unanswered, and once the queue is
// full a blocking connect would wait for as long as it stays stopped.
Asked AskHolder(const sockaddr_un& address, socklen_t length, std::chrono::steady_clock::time_point end)
{
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (s < 0)
        return Asked::NoListener;
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), length) != 0 && errno != EINPROGRESS) {
        ::close(s);
        return Asked::NoListener;
    }
    if (!PeerIsThisUser(s)) {
        ::close(s);
        return Asked::Stranger;
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

namespace {

InstanceClaim Claim(const std::string& canonical, UINT message)
{
    socklen_t length = 0;
    const sockaddr_un address = ClaimAddress(canonical, length);
    const auto end = std::chrono::steady_clock::now() + kAnswerWait;
    while (true) {
        int s = -1;
        switch (Bind(address, length, s)) {
        case Bound::Ours: Listen(s, canonical, message); return InstanceClaim::Claimed;
        case Bound::Failed: Release(); return InstanceClaim::Claimed;  // running twice beats not running
        case Bound::Taken: break;
        }
        switch (AskHolder(address, length, end)) {
        case Asked::Answered: return InstanceClaim::Forwarded;
        case Asked::NoAnswer: return InstanceClaim::NotAnswering;
        case Asked::Stranger: Release(); return InstanceClaim::Claimed;  // another user squats the name
        case Asked::NoListener: break;
        }
        // Starting, or ended meanwhile: then the name is free on the next try.
        if (MillisecondsLeft(end) == 0)
            return InstanceClaim::NotAnswering;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace

InstanceClaim AfxClaimInstance(LPCSTR path, UINT message)
{
    if (!path || !*path)
        return InstanceClaim::Claimed;
    return Claim(Canonical(path), message);
}

InstanceClaim AfxMoveInstanceClaim(LPCSTR path)
{
    if (!path || !*path)
        return InstanceClaim::Claimed;
    const std::string canonical = Canonical(path);
    if (g_claim.socket >= 0 && canonical == g_claim.canonical)
        return InstanceClaim::Claimed;
    return Claim(canonical, g_claim.message);
}
