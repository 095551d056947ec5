// The claim is an flock on a file named after the data file in the user's
// runtime folder; the holder listens on a socket beside it, and a later
// start connects to it to ask for the window. The kernel drops the lock when
// the holder ends, however it ends.

#include "platform/Instance.h"

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
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

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
    auto* notifier = new QSocketNotifier(s, QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [s, message] {
        while (true) {
            const int client = ::accept4(s, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                break;
            ::close(client);
            Trace("Another start asks for the window.\n");
            if (CWnd* main = AfxGetMainWnd(); main && ::IsWindow(main->m_hWnd))
                ::PostMessage(main->m_hWnd, message, 0, 0);
        }
    });
}

// Asks the holder for its window; it may still be setting up its socket.
void AskHolder(const std::string& socketPath)
{
    sockaddr_un address;
    if (!SocketAddress(socketPath, address))
        return;
    for (int attempt = 0; attempt < 40; ++attempt) {
        const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (s < 0)
            return;
        const bool connected = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(s);
        if (connected)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace

BOOL AfxClaimInstance(LPCSTR path, UINT message)
{
    if (!path || !*path)
        return TRUE;
    const std::string folder = ClaimFolder();
    if (folder.empty())
        return TRUE;
    const std::string name = folder + "/" + Hash(Canonical(path));
    const int lock = ::open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0)
        return TRUE;
    if (::flock(lock, LOCK_EX | LOCK_NB) == 0) {
        Listen(name + ".sock", message);  // the lock stays held while the process runs
        return TRUE;
    }
    const int error = errno;
    ::close(lock);
    if (error != EWOULDBLOCK)
        return TRUE;
    AskHolder(name + ".sock");
    return FALSE;
}
