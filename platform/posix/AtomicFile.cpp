#include "platform/AtomicFile.h"

#include "platform/Trace.h"
#include "platform/portable/RewriteRecord.h"
#include "platform/posix/Folders.h"
#include "platform/posix/Seams.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <random>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string JoinName(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The kernel's protected_symlinks rule, kept whether or not the system keeps
// it: in a sticky world-writable folder (/tmp) only a link of the user's or of
// the folder's owner is followed, so another user's planted link cannot make
// us write over the file it points to.
bool MayFollow(const std::string& folder, const struct stat& link)
{
    if (link.st_uid == geteuid())
        return true;
    struct stat dir {};
    if (stat(folder.empty() ? "." : folder.c_str(), &dir) != 0)
        return false;
    if ((dir.st_mode & (S_ISVTX | S_IWOTH)) != (S_ISVTX | S_IWOTH))
        return true;
    return dir.st_uid == link.st_uid;
}

// The file a path finally names, with every symbolic link on the way
// followed (so that a link stays and its target is replaced). A missing
// target is fine. 0, or EACCES for a link that may not be followed, ELOOP.
int ResolveTarget(const std::string& path, std::string& resolved)
{
    std::vector<std::string> pending;  // the parts still to walk, the next one last
    auto push = [&pending](const std::string& p) {
        std::vector<std::string> parts;
        for (std::size_t start = 0; start <= p.size();) {
            std::size_t end = p.find('/', start);
            if (end == std::string::npos)
                end = p.size();
            if (end > start)
                parts.push_back(p.substr(start, end - start));
            start = end + 1;
        }
        pending.insert(pending.end(), parts.rbegin(), parts.rend());
    };
    std::string current = path.front() == '/' ? "/" : "";
    push(path);
    int links = 0;
    while (!pending.empty()) {
        const std::string part = std::move(pending.back());
        pending.pop_back();
        if (part == ".")
            continue;
        if (part == "..") {
            // What current names is a real folder by now: its parent is its parent.
            const auto slash = current.rfind('/');
            if (current.empty() || current == ".." || current.ends_with("/.."))
                current = JoinName(current, "..");
            else if (slash == std::string::npos)
                current.clear();
            else
                current.resize(slash == 0 ? 1 : slash);
            continue;
        }
        const std::string next = JoinName(current, part);
        struct stat st {};
        if (lstat(next.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            current = next;
            continue;
        }
        if (++links > 40)
            return ELOOP;
        if (!MayFollow(current, st))
            return EACCES;
        std::string buffer(PATH_MAX, '\0');
        const ssize_t n = readlink(next.c_str(), buffer.data(), buffer.size());
        if (n <= 0) {
            current = next;
            continue;
        }
        buffer.resize(static_cast<std::size_t>(n));
        if (buffer.front() == '/')
            current = "/";
        push(buffer);
    }
    resolved = current.empty() ? "." : current;
    return 0;
}

std::string FolderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string NameOf(const std::string& path)
{
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

// Whether a temporary file of ours may go: its writer has ended. Ours are
// "<name>.tmp-<pid>-<n>"; an older version wrote "<name>.tmp<digits>" without
// a process id, and those go once they are an hour old.
bool IsLeftover(std::string_view entry, const std::string& name, const struct stat& st)
{
    if (entry.size() <= name.size() + 4 || entry.substr(0, name.size()) != name)
        return false;
    std::string_view rest = entry.substr(name.size());
    if (rest.substr(0, 5) == ".tmp-") {
        rest.remove_prefix(5);
        const auto dash = rest.find('-');
        if (dash == std::string_view::npos || !AllDigits(rest.substr(0, dash)) || !AllDigits(rest.substr(dash + 1)))
            return false;
        const long pid = std::strtol(std::string(rest.substr(0, dash)).c_str(), nullptr, 10);
        return pid > 0 && pid != long(getpid()) && kill(pid_t(pid), 0) != 0 && errno == ESRCH;
    }
    if (rest.substr(0, 4) == ".tmp" && AllDigits(rest.substr(4)))
        return std::time(nullptr) - st.st_mtime > 3600;
    return false;
}

// Removes what interrupted writes of this file left in its folder: only
// regular files of this user, named as ours.
void RemoveLeftovers(const std::string& target, const std::string& folder)
{
    const std::string name = NameOf(target);
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* e = readdir(dir)) {
        struct stat st {};
        if (fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != getuid())
            continue;
        if (IsLeftover(e->d_name, name, st))
            unlinkat(dirfd(dir), e->d_name, 0);
    }
    closedir(dir);
}

// Reads a regular file whole, without following a link at its name and
// without waiting on a FIFO.
bool ReadRegularFile(const std::string& path, std::string& bytes, int* error = nullptr)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error)
            *error = fd < 0 ? errno : EISDIR;
        if (fd >= 0)
            close(fd);
        return false;
    }
    bytes.clear();
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (error)
                *error = errno;
            close(fd);
            return false;
        }
        bytes.append(buffer, std::size_t(n));
    }
    close(fd);
    return true;
}

// Writes bytes to a new temporary file beside target and renames it over
// target. *folderRefused tells that the folder took no new file.
int ReplaceWhole(const std::string& target, std::string_view bytes, bool sync, mode_t mode, bool* folderRefused)
{
    std::random_device seed;
    std::mt19937 random(seed());
    const std::string prefix = target + ".tmp-" + std::to_string(getpid()) + "-";
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = prefix + std::to_string(random() % 1000000000u);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno == EEXIST)
            continue;
        if (folderRefused)
            *folderRefused = errno == EACCES || errno == EPERM;
        return errno;
    }
    if (fd < 0)
        return EEXIST;

    int code = 0;
    if (!WriteAll(fd, bytes))
        code = errno;
    else if (fchmod(fd, mode) != 0)
        code = errno;
    else if (sync && fsync(fd) != 0)
        code = errno;
    if (close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && rename(temp.c_str(), target.c_str()) != 0)
        code = errno;
    if (code != 0) {
        unlink(temp.c_str());
        return code;
    }
    if (sync) {
        int dir = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    return 0;
}

// Rewrites a file whose folder takes no new file. The space is reserved
// before the first byte changes, so that a full disk fails early; *changed
// tells whether the file may have been touched at all.
int RewriteInPlace(const std::string& target, std::string_view bytes, bool sync, bool* changed)
{
    int fd = open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st {};
    int code = 0;
    if (fstat(fd, &st) != 0)
        code = errno;
    else if (!S_ISREG(st.st_mode))
        code = EISDIR;
    else if (st.st_uid != geteuid())
        code = EACCES;
    if (code == 0 && !bytes.empty() && off_t(bytes.size()) > st.st_size) {
        code = posix_fallocate(fd, 0, off_t(bytes.size()));
        if (code == EOPNOTSUPP || code == EINVAL)
            code = 0;  // a file system without it: go on unreserved
    }
    if (code == 0) {
        *changed = true;
        if (!WriteAll(fd, bytes))
            code = errno;
    }
    if (code == 0 && AfxPosixSeam().afterInPlaceWrite)
        AfxPosixSeam().afterInPlaceWrite();
    if (code == 0 && ftruncate(fd, off_t(bytes.size())) != 0)
        code = errno;
    if (code == 0 && sync && fsync(fd) != 0)
        code = errno;
    if (close(fd) != 0 && code == 0)
        code = errno;
    return code;
}

std::string StateFolder()
{
    const std::string base = XdgStateHome();
    return base.empty() ? base : base + "/Talvo";
}

std::string RecordPath(const std::string& state, const std::string& target)
{
    return state + "/" + RewriteRecordName(target);
}

// A rewrite in place that a kill cannot leave half done: the whole new
// content goes to the state folder first, synced, and stays there until
// the file holds it.
int RewriteWithRecord(const std::string& target, std::string_view bytes, bool sync)
{
    const std::string state = StateFolder();
    if (state.empty())
        return ENOENT;
    if (int code = AfxMakeFolders(state))
        return code;
    const std::string record = RecordPath(state, target);
    if (int code = ReplaceWhole(record, FormatRewriteRecord(target, bytes), true, 0600, nullptr))
        return code;
    bool changed = false;
    const int code = RewriteInPlace(target, bytes, sync, &changed);
    // A file cut short keeps its record, to be finished at its next read.
    if (code == 0 || !changed)
        unlink(record.c_str());
    return code;
}

std::string Stamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    return stamp;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync, int* error, FileAccess fileAccess)
{
    auto fail = [error](int code) {
        if (error)
            *error = code;
        return false;
    };
    if (path.empty())
        return fail(ENOENT);

    std::string target;
    if (int code = ResolveTarget(path, target))
        return fail(code);
    const std::string folder = FolderOf(target);

    mode_t mode;
    struct stat old {};
    const bool exists = lstat(target.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode))
            return fail(EISDIR);
        // Another user's file is theirs: replacing it would take it from them.
        if (old.st_uid != geteuid())
            return fail(EACCES);
        // A write-protected file stays as it is, as Windows keeps a read-only one.
        if (::access(target.c_str(), W_OK) != 0)
            return fail(errno);
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    if (fileAccess == FileAccess::OwnerOnly)
        mode = 0600;

    bool folderRefused = false;
    int code = ReplaceWhole(target, bytes, sync, mode, &folderRefused);
    if (code != 0 && folderRefused && exists) {
        code = RewriteWithRecord(target, bytes, sync);
    } else if (code == 0) {
        RemoveLeftovers(target, folder);
        // The record of an earlier rewrite cut short is out of date now.
        const std::string state = StateFolder();
        if (!state.empty())
            unlink(RecordPath(state, target).c_str());
    }
    if (code != 0)
        return fail(code);
    if (error)
        *error = 0;
    return true;
}

bool AfxRecoverInterruptedWrite(const std::string& path)
{
    std::string target;
    const std::string state = StateFolder();
    if (path.empty() || state.empty() || ResolveTarget(path, target) != 0)
        return false;
    const std::string recordPath = RecordPath(state, target);
    std::string record;
    struct stat st {};
    if (lstat(recordPath.c_str(), &st) != 0 || st.st_uid != geteuid() || !ReadRegularFile(recordPath, record))
        return false;
    const std::optional<std::string_view> expected = ParseRewriteRecord(record, target);
    if (!expected)
        return false;  // another file's (the same name by chance), or not whole: it never guarded a rewrite
    std::string current;
    int error = 0;
    if (!ReadRegularFile(target, current, &error)) {
        // Removed since: nothing to finish. Unreadable: try again next time.
        if (error == ENOENT)
            unlink(recordPath.c_str());
        return false;
    }
    if (current == *expected) {
        unlink(recordPath.c_str());  // the rewrite ended; only the record's removal was lost
        return false;
    }
    // What the file holds now is kept before it is written over.
    std::string kept = state + "/" + NameOf(target) + ".torn-" + Stamp();
    for (int n = 2; lstat(kept.c_str(), &st) == 0; ++n)
        kept = state + "/" + NameOf(target) + ".torn-" + Stamp() + "-" + std::to_string(n);
    if (ReplaceWhole(kept, current, true, 0600, nullptr) != 0)
        return false;
    if (!WriteFileAtomically(target, *expected, true, &error)) {
        Trace("Couldn't finish the interrupted save of %s (%d).\n", target.c_str(), error);
        return false;
    }
    Trace("Finished the interrupted save of %s; what it held is kept as %s.\n", target.c_str(), kept.c_str());
    return true;
}
