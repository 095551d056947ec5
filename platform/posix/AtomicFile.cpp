#include "platform/AtomicFile.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The file a path finally names: symbolic links are followed so that the
// link stays and its target is replaced. A missing target is fine.
std::string ResolveTarget(const std::string& path)
{
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string buffer(PATH_MAX, '\0');
        ssize_t n = readlink(current.c_str(), buffer.data(), buffer.size());
        if (n <= 0)
            return current;
        buffer.resize(static_cast<std::size_t>(n));
        if (buffer.front() == '/') {
            current = buffer;
        } else {
            auto slash = current.rfind('/');
            current = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + buffer;
        }
    }
    return current;
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

// Rewrites a file whose folder takes no new file. The space is reserved
// before the first byte changes, so only an I/O error can leave it damaged.
int RewriteInPlace(const std::string& target, std::string_view bytes, bool sync)
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
    if (code == 0 && !bytes.empty() && off_t(bytes.size()) > st.st_size) {
        code = posix_fallocate(fd, 0, off_t(bytes.size()));
        if (code == EOPNOTSUPP || code == EINVAL)
            code = 0;  // a file system without it: go on unreserved
    }
    if (code == 0 && !WriteAll(fd, bytes))
        code = errno;
    if (code == 0 && ftruncate(fd, off_t(bytes.size())) != 0)
        code = errno;
    if (code == 0 && sync && fsync(fd) != 0)
        code = errno;
    if (close(fd) != 0 && code == 0)
        code = errno;
    return code;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync, int* error)
{
    auto fail = [error](int code) {
        if (error)
            *error = code;
        return false;
    };
    if (path.empty())
        return fail(ENOENT);

    const std::string target = ResolveTarget(path);
    const std::string folder = FolderOf(target);

    mode_t mode;
    struct stat old {};
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists) {
        if (!S_ISREG(old.st_mode))
            return fail(EISDIR);
        // A write-protected file stays as it is, as Windows keeps a read-only one.
        if (access(target.c_str(), W_OK) != 0)
            return fail(errno);
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }

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
        if (exists && (errno == EACCES || errno == EPERM)) {
            if (int code = RewriteInPlace(target, bytes, sync))
                return fail(code);
            if (error)
                *error = 0;
            return true;
        }
        return fail(errno);
    }
    if (fd < 0)
        return fail(EEXIST);

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
        return fail(code);
    }
    if (sync) {
        int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            fsync(dir);
            close(dir);
        }
    }
    RemoveLeftovers(target, folder);
    if (error)
        *error = 0;
    return true;
}
