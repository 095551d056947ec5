// The registry's store file: read through a cache while the file is
// unchanged, changed by read-modify-write under its lock, a damaged one kept
// aside; and the changes held back until the event loop's turn ends.

#include "platform/posix/RegistryFile.h"

#include "platform/AtomicFile.h"
#include "platform/Trace.h"
#include "platform/posix/Folders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A store file this big is not ours; it is neither parsed nor copied.
constexpr off_t kMaxStoreSize = 4 * 1024 * 1024;

LONG ErrorFromErrno(int e)
{
    switch (e) {
    case 0: return ERROR_SUCCESS;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENOENT:
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    default: return ERROR_WRITE_FAULT;
    }
}

// Partly: a store with lines that cannot be read, which are left out.
enum class StoreState {
    Missing,
    Good,
    Partly,
    Damaged,
    Unreadable
};

struct LoadedStore {
    StoreState state = StoreState::Missing;
    std::string bytes;
    std::string error;
    CRegistryStore store;
};

LoadedStore LoadStore(const std::string& path)
{
    LoadedStore result;
    if (path.empty())
        return result;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        result.state = errno == ENOENT ? StoreState::Missing : StoreState::Unreadable;
        return result;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxStoreSize) {
        ::close(fd);
        result.state = StoreState::Unreadable;
        return result;
    }
    char buf[8192];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            result.state = StoreState::Unreadable;
            return result;
        }
        if (n == 0)
            break;
        result.bytes.append(buf, std::size_t(n));
        if (result.bytes.size() > std::size_t(kMaxStoreSize)) {
            ::close(fd);
            result.state = StoreState::Unreadable;
            return result;
        }
    }
    ::close(fd);
    if (!result.store.Parse(result.bytes, &result.error))
        result.state = StoreState::Damaged;
    else
        result.state = result.store.Skipped() ? StoreState::Partly : StoreState::Good;
    return result;
}

std::mutex g_pendingMutex;
std::vector<AfxRegistryChange> g_pending;
std::string g_pendingPath;  // the store they belong to
void (*g_scheduleFlush)() = nullptr;
bool g_flushScheduled = false;

void Apply(const std::vector<AfxRegistryChange>& changes, CRegistryStore& store)
{
    for (const AfxRegistryChange& c : changes) {
        if (c.createKey)
            store.CreateKey(c.fullPath);
        else
            store.SetValue(c.fullPath, c.name, c.type, c.data);
    }
}

// The last store file read, while the file is unchanged: the settings are
// read value by value, and each read would parse the file again.
struct CachedStore {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    CRegistryStore store;
    bool valid = false;
};
CachedStore g_cache;

// The store as a reader sees it: what could be read of it, with the
// changes not yet written; a file that is no store, or cannot be read,
// holds nothing but those.

// Copies a damaged store aside so that writing a fresh one loses nothing.
LONG KeepDamagedCopy(const std::string& path, const LoadedStore& loaded)
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string backup = path + ".damaged-" + stamp;
    struct stat st {};
    for (int n = 2; ::lstat(backup.c_str(), &st) == 0; ++n)
        backup = path + ".damaged-" + stamp + "-" + std::to_string(n);
    int error = 0;
    if (!WriteFileAtomically(backup, loaded.bytes, true, &error, FileAccess::OwnerOnly))
        return ErrorFromErrno(error ? error : EIO);
    Trace("Registry store %s is damaged (%s); kept as %s\n", path.c_str(), loaded.error.c_str(), backup.c_str());
    return ERROR_SUCCESS;
}

// Read-modify-write under the store's lock. change returns false when it
// changed nothing, and the file is then left alone.
LONG ModifyStore(const std::string& path, const std::function<bool(CRegistryStore&)>& change)
{
    const auto slash = path.rfind('/');
    if (path.empty() || slash == std::string::npos)
        return ERROR_PATH_NOT_FOUND;
    if (int e = AfxMakeFolders(path.substr(0, slash)))
        return ErrorFromErrno(e);
    std::string lockPath = path + ".lock";
    int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return ErrorFromErrno(errno);
    while (::flock(lockFd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            int e = errno;
            ::close(lockFd);
            return ErrorFromErrno(e);
        }
    }
    LONG result = ERROR_SUCCESS;
    LoadedStore loaded = LoadStore(path);
    if (loaded.state == StoreState::Unreadable) {
        result = ERROR_ACCESS_DENIED;
    } else {
        // The file as it was is kept aside before a write drops what could
        // not be read of it.
        const bool damaged = loaded.state == StoreState::Damaged || loaded.state == StoreState::Partly;
        if (damaged)
            result = KeepDamagedCopy(path, loaded);
        if (loaded.state == StoreState::Damaged)
            loaded.store = CRegistryStore();
        bool changed = damaged;
        if (result == ERROR_SUCCESS && (change(loaded.store) || changed)) {
            int error = 0;
            if (!WriteFileAtomically(path, loaded.store.Serialize(), true, &error))
                result = ErrorFromErrno(error ? error : EIO);
        }
    }
    ::close(lockFd);  // releases the lock
    return result;
}

void FlushAtExit() { AfxFlushRegistryChanges(); }

}  // namespace

void AfxSetRegistryFlushScheduler(void (*schedule)()) { g_scheduleFlush = schedule; }

std::string RegistryStoreFolder()
{
    std::string base = XdgConfigHome();
    return base.empty() ? base : base + "/Talvo";
}

std::string RegistryStorePath()
{
    std::string folder = RegistryStoreFolder();
    return folder.empty() ? folder : folder + "/registry.reg";
}

CRegistryStore AfxReadRegistryStore()
{
    const std::string path = RegistryStorePath();
    CRegistryStore store;
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && g_cache.valid && g_cache.path == path && g_cache.device == st.st_dev && g_cache.inode == st.st_ino &&
        g_cache.size == st.st_size && g_cache.modified.tv_sec == st.st_mtim.tv_sec &&
        g_cache.modified.tv_nsec == st.st_mtim.tv_nsec) {
        store = g_cache.store;
    } else {
        LoadedStore loaded = LoadStore(path);
        if (loaded.state == StoreState::Good || loaded.state == StoreState::Partly)
            store = std::move(loaded.store);
        g_cache.valid = exists && ::stat(path.c_str(), &st) == 0;
        if (g_cache.valid) {
            g_cache.path = path;
            g_cache.device = st.st_dev;
            g_cache.inode = st.st_ino;
            g_cache.size = st.st_size;
            g_cache.modified = st.st_mtim;
            g_cache.store = store;
        }
    }
    std::lock_guard lock(g_pendingMutex);
    if (g_pendingPath == path)
        Apply(g_pending, store);
    return store;
}

// What a write can know before it is made: a folder for the store, and a
// store file that can be read and replaced.
LONG AfxCheckRegistryWritable()
{
    const std::string folder = RegistryStoreFolder();
    if (folder.empty())
        return ERROR_PATH_NOT_FOUND;
    if (int e = AfxMakeFolders(folder))
        return ErrorFromErrno(e);
    const std::string path = RegistryStorePath();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (!S_ISREG(st.st_mode) || ::access(path.c_str(), R_OK | W_OK) != 0))
        return ERROR_ACCESS_DENIED;
    const int lock = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0)
        return ErrorFromErrno(errno);
    ::close(lock);
    return ERROR_SUCCESS;
}

// Writes the pending changes in one read-modify-write; they stay pending
// when that fails, for the next try.
LONG AfxFlushRegistryChanges()
{
    std::vector<AfxRegistryChange> changes;
    std::string path;
    {
        std::lock_guard lock(g_pendingMutex);
        changes.swap(g_pending);
        path = g_pendingPath;
        g_flushScheduled = false;
    }
    if (changes.empty())
        return ERROR_SUCCESS;
    const LONG result = ModifyStore(path, [&](CRegistryStore& store) {
        const std::string before = store.Serialize();
        Apply(changes, store);
        return store.Serialize() != before;
    });
    if (result != ERROR_SUCCESS) {
        std::lock_guard lock(g_pendingMutex);
        if (g_pendingPath == path)
            g_pending.insert(g_pending.begin(), changes.begin(), changes.end());
    }
    return result;
}

void AfxQueueRegistryChange(AfxRegistryChange change)
{
    // Changes of a store the program no longer uses (its folder was moved
    // by the environment) go to that store first.
    const std::string path = RegistryStorePath();
    bool other = false;
    {
        std::lock_guard lock(g_pendingMutex);
        other = !g_pending.empty() && g_pendingPath != path;
    }
    if (other)
        AfxFlushRegistryChanges();
    bool schedule = false;
    {
        std::lock_guard lock(g_pendingMutex);
        if (g_pendingPath != path) {
            g_pending.clear();  // that store could not be written; it is gone for us
            g_pendingPath = path;
        }
        static const bool atExit = std::atexit(FlushAtExit) == 0;
        (void)atExit;
        g_pending.push_back(std::move(change));
        schedule = !g_flushScheduled && g_scheduleFlush;
        g_flushScheduled = true;
    }
    if (schedule)
        g_scheduleFlush();
}
