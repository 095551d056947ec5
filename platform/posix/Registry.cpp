#include "platform/Registry.h"

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/portable/RegistryStore.h"
#include "platform/posix/Folders.h"
#include "platform/Trace.h"
#include "platform/posix/WebBrowser.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>
#include <set>
#include <vector>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A store file this big is not ours; it is neither parsed nor copied.
constexpr off_t kMaxStoreSize = 4 * 1024 * 1024;
constexpr std::size_t kMaxKeyComponent = 255;
constexpr std::size_t kMaxValueName = 16383;

struct KeyHandle {
    std::string fullPath;
    REGSAM access = 0;
};

std::mutex g_handleMutex;
std::set<const KeyHandle*> g_handles;

const char* RootName(HKEY h)
{
    if (h == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    if (h == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (h == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (h == HKEY_USERS) return "HKEY_USERS";
    if (h == HKEY_CURRENT_CONFIG) return "HKEY_CURRENT_CONFIG";
    return nullptr;
}

bool Resolve(HKEY h, std::string& fullPath, REGSAM& access)
{
    if (const char* root = RootName(h)) {
        fullPath = root;
        access = KEY_ALL_ACCESS;
        return true;
    }
    std::lock_guard lock(g_handleMutex);
    auto* handle = reinterpret_cast<const KeyHandle*>(h);
    if (!g_handles.count(handle))
        return false;
    fullPath = handle->fullPath;
    access = handle->access;
    return true;
}

HKEY NewHandle(std::string fullPath, REGSAM access)
{
    auto* handle = new KeyHandle{std::move(fullPath), access};
    std::lock_guard lock(g_handleMutex);
    g_handles.insert(handle);
    return reinterpret_cast<HKEY>(handle);
}

bool HasControlChar(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

// Appends a sub key path to a key's full path; false for a name the store cannot hold.
bool JoinSubKey(std::string& fullPath, LPCSTR subKey)
{
    if (!subKey || !*subKey)
        return true;
    std::string_view sub(subKey);
    if (sub.back() == '\\')
        sub.remove_suffix(1);
    if (sub.empty() || HasControlChar(sub))
        return false;
    std::size_t start = 0;
    while (start <= sub.size()) {
        std::size_t end = sub.find('\\', start);
        if (end == std::string_view::npos)
            end = sub.size();
        std::size_t len = end - start;
        if (len == 0 || len > kMaxKeyComponent)
            return false;
        start = end + 1;
    }
    fullPath += '\\';
    fullPath += sub;
    return true;
}

bool ValidValueName(LPCSTR name)
{
    if (!name)
        return true;
    std::string_view n(name);
    return n.size() <= kMaxValueName && !HasControlChar(n);
}

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
enum class StoreState { Missing, Good, Partly, Damaged, Unreadable };

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
    struct stat st{};
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

// Changes made but not yet written: the system writes them (at the end of
// the current turn of the event loop, at RegFlushKey, at exit), so a whole
// save of settings is one replacement of the file, and one that cannot be
// half done.
struct PendingChange {
    std::string fullPath;
    bool createKey = false;
    std::string name;
    DWORD type = 0;
    std::string data;
};
std::mutex g_pendingMutex;
std::vector<PendingChange> g_pending;
std::string g_pendingPath;  // the store they belong to
void (*g_scheduleFlush)() = nullptr;
bool g_flushScheduled = false;

void Apply(const std::vector<PendingChange>& changes, CRegistryStore& store)
{
    for (const PendingChange& c : changes) {
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
CRegistryStore ReadStore()
{
    const std::string path = RegistryStorePath();
    CRegistryStore store;
    struct stat st{};
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


// Copies a damaged store aside so that writing a fresh one loses nothing.
LONG KeepDamagedCopy(const std::string& path, const LoadedStore& loaded)
{
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string backup = path + ".damaged-" + stamp;
    struct stat st{};
    for (int n = 2; ::lstat(backup.c_str(), &st) == 0; ++n)
        backup = path + ".damaged-" + stamp + "-" + std::to_string(n);
    int error = 0;
    if (!WriteFileAtomically(backup, loaded.bytes, true, &error))
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

// HKEY_CLASSES_ROOT comes from the desktop (its web browser); every other
// root from the store file.
CRegistryStore StoreFor(const std::string& fullPath)
{
    constexpr std::string_view kClasses = "HKEY_CLASSES_ROOT";
    if (fullPath.compare(0, kClasses.size(), kClasses) == 0 &&
        (fullPath.size() == kClasses.size() || fullPath[kClasses.size()] == '\\'))
        return AfxDesktopClasses();
    return ReadStore();
}

// What a write can know before it is made: a folder for the store, and a
// store file that can be read and replaced.
LONG CheckStoreWritable()
{
    const std::string folder = RegistryStoreFolder();
    if (folder.empty())
        return ERROR_PATH_NOT_FOUND;
    if (int e = AfxMakeFolders(folder))
        return ErrorFromErrno(e);
    const std::string path = RegistryStorePath();
    struct stat st{};
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
LONG FlushPending()
{
    std::vector<PendingChange> changes;
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

void FlushAtExit() { FlushPending(); }

void AddPending(PendingChange change)
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
        FlushPending();
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

} // namespace

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

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/, DWORD /*dwOptions*/,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                     LPDWORD lpdwDisposition)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    if (!JoinSubKey(fullPath, lpSubKey))
        return ERROR_INVALID_PARAMETER;

    DWORD disposition = REG_OPENED_EXISTING_KEY;
    if (!ReadStore().KeyExists(fullPath)) {
        if (!(access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        if (LONG result = CheckStoreWritable(); result != ERROR_SUCCESS)
            return result;
        AddPending(PendingChange{fullPath, true, {}, 0, {}});
        disposition = REG_CREATED_NEW_KEY;
    }
    *phkResult = NewHandle(std::move(fullPath), samDesired);
    if (lpdwDisposition)
        *lpdwDisposition = disposition;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    if (!JoinSubKey(fullPath, lpSubKey))
        return ERROR_FILE_NOT_FOUND;
    if (!StoreFor(fullPath).KeyExists(fullPath))
        return ERROR_FILE_NOT_FOUND;
    *phkResult = NewHandle(std::move(fullPath), samDesired);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData)
{
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    if (!(access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const CRegistryStore store = StoreFor(fullPath);
    const RegistryValue* value = store.FindValue(fullPath, lpValueName ? lpValueName : "");
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (lpType)
        *lpType = value->type;
    DWORD size = static_cast<DWORD>(value->data.size());
    if (!lpcbData)
        return ERROR_SUCCESS;
    if (lpData) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size)
            std::memcpy(lpData, value->data.data(), size);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(hKey, lpSubKey, 0, KEY_QUERY_VALUE, &key);
    if (result != ERROR_SUCCESS)
        return result;
    DWORD type = 0;
    DWORD size = lpcbData ? DWORD(*lpcbData) : 0;
    result = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(lpData), lpcbData ? &size : nullptr);
    RegCloseKey(key);
    // A key without a default value reads as an empty text.
    if (result == ERROR_FILE_NOT_FOUND) {
        if (lpData && lpcbData && *lpcbData > 0)
            lpData[0] = '\0';
        size = 1;
        result = ERROR_SUCCESS;
    } else if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
        result = ERROR_INVALID_DATA;
    }
    if (lpcbData)
        *lpcbData = LONG(size);
    return result;
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData,
                    DWORD cbData)
{
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    if (!(access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if ((!lpData && cbData) || !ValidValueName(lpValueName))
        return ERROR_INVALID_PARAMETER;
    std::string_view name = lpValueName ? lpValueName : "";
    std::string_view data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    const CRegistryStore store = ReadStore();
    const RegistryValue* old = store.FindValue(fullPath, name);
    if (old && old->type == dwType && old->data == data)
        return ERROR_SUCCESS;
    if (LONG result = CheckStoreWritable(); result != ERROR_SUCCESS)
        return result;
    AddPending(PendingChange{fullPath, false, std::string(name), dwType, std::string(data)});
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY hKey)
{
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    return FlushPending();
}

LONG RegCloseKey(HKEY hKey)
{
    if (RootName(hKey))
        return ERROR_SUCCESS;
    auto* handle = reinterpret_cast<const KeyHandle*>(hKey);
    {
        std::lock_guard lock(g_handleMutex);
        if (!g_handles.erase(handle))
            return ERROR_INVALID_HANDLE;
    }
    delete handle;
    return ERROR_SUCCESS;
}
