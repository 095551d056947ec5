// The registry's store file: read through a cache while the file is
// unchanged, changed by read-modify-write under its lock, a damaged one kept
// aside; and the changes held back until the event loop's turn ends.

#include "platform/posix/RegistryFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Trace.h"
#include "platform/posix/Folders.h"
#include "platform/posix/RegularFile.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>
#include <functional>
#include <mutex>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A store file this big is not ours: it is not parsed, and it is kept aside
// before the first write replaces it.
constexpr std::size_t kMaxStoreSize = 4 * 1024 * 1024;
// How long a change waits for another process's hold on the store's lock.
constexpr auto kLockWait = std::chrono::seconds(2);
constexpr LONG kErrorLockViolation = 33;  // ERROR_LOCK_VIOLATION

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
// NotAFile: a FIFO, a device or a folder, which is never opened in a way
// that waits, nor replaced.
enum class StoreState {
    Missing,
    Good,
    Partly,
    Damaged,
    TooBig,
    NotAFile,
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
    switch (const int error = AfxReadRegularFile(path, kMaxStoreSize, result.bytes)) {
    case 0: break;
    case ENOENT: return result;
    case kNotRegularFile:
        result.state = StoreState::NotAFile;
        Trace("Registry store %s is not a regular file: the settings are the defaults, and it is not replaced.\n",
              path.c_str());
        return result;
    case kFileTooBig:
        result.state = StoreState::TooBig;
        Trace("Registry store %s is larger than %zu bytes: the settings are the defaults, and it is kept aside "
              "before it is written.\n",
              path.c_str(), kMaxStoreSize);
        return result;
    default:
        result.state = StoreState::Unreadable;
        Trace("Registry store %s cannot be read (%s).\n", path.c_str(), std::strerror(error));
        return result;
    }
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

// A free name for the copy of a damaged store.
std::string DamagedCopyName(const std::string& path)
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
    return backup;
}

// Copies a damaged store aside so that writing a fresh one loses nothing.
LONG KeepDamagedCopy(const std::string& path, const LoadedStore& loaded)
{
    const std::string backup = DamagedCopyName(path);
    int error = 0;
    if (!WriteFileAtomically(backup, loaded.bytes, true, &error, FileAccess::OwnerOnly))
        return ErrorFromErrno(error ? error : EIO);
    Trace("Registry store %s is damaged (%s); kept as %s\n", path.c_str(), loaded.error.c_str(), backup.c_str());
    return ERROR_SUCCESS;
}

// Keeps a store too big to read aside: a second name for the same file
// (the one a link points to), which the write's replacement leaves
// alone; a copy where the file system takes no such name.
LONG KeepTooBigStore(const std::string& path)
{
    const std::string backup = DamagedCopyName(path);
    if (::linkat(AT_FDCWD, path.c_str(), AT_FDCWD, backup.c_str(), AT_SYMLINK_FOLLOW) != 0 &&
        !CopyFileA(path.c_str(), backup.c_str(), TRUE)) {
        Trace("Registry store %s is too big to read and cannot be kept aside: it is not replaced.\n", path.c_str());
        return ERROR_ACCESS_DENIED;
    }
    Trace("Registry store %s is too big to read; kept as %s\n", path.c_str(), backup.c_str());
    return ERROR_SUCCESS;
}

// Opens (and creates) the store's lock file; never waits on what the name
// may hold instead of a file, nor follows a link out of the folder.
int OpenLockFile(const std::string& lockPath, int* error)
{
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0600);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = EACCES;
        ::close(fd);
        Trace("Registry lock %s is not a regular file: the settings are not saved.\n", lockPath.c_str());
        return -1;
    }
    return fd;
}

// Takes the lock, waiting a bounded time for another holder: one that is
// stopped must not freeze this program.
bool TakeLock(int fd, int* error)
{
    const auto end = std::chrono::steady_clock::now() + kLockWait;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= end) {
            *error = errno;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
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
    const std::string lockPath = path + ".lock";
    int error = 0;
    const int lockFd = OpenLockFile(lockPath, &error);
    if (lockFd < 0)
        return ErrorFromErrno(error);
    if (!TakeLock(lockFd, &error)) {
        ::close(lockFd);
        Trace("Registry lock %s is held by another process: the settings are saved later.\n", lockPath.c_str());
        return error == EWOULDBLOCK ? kErrorLockViolation : ErrorFromErrno(error);
    }
    LONG result = ERROR_SUCCESS;
    LoadedStore loaded = LoadStore(path);
    if (loaded.state == StoreState::Unreadable || loaded.state == StoreState::NotAFile) {
        result = ERROR_ACCESS_DENIED;
    } else {
        // The file as it was is kept aside before a write drops what could
        // not be read of it.
        const bool damaged = loaded.state == StoreState::Damaged || loaded.state == StoreState::Partly ||
                             loaded.state == StoreState::TooBig;
        if (loaded.state == StoreState::TooBig)
            result = KeepTooBigStore(path);
        else if (damaged)
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
    int error = 0;
    const int lock = OpenLockFile(path + ".lock", &error);
    if (lock < 0)
        return ErrorFromErrno(error);
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
