#include "platform/FileSystem.h"

#include "platform/LastError.h"
#include "platform/posix/Folders.h"
#include "platform/posix/RegularFile.h"
#include "platform/posix/Seams.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string HomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home == '/')
        return home;
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buf(size > 0 ? std::size_t(size) : 16384, '\0');
    passwd pw{};
    passwd* result = nullptr;
    if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result && result->pw_dir)
        return result->pw_dir;
    return {};
}

std::string XdgBase(const char* variable, const char* fallback)
{
    const char* value = std::getenv(variable);
    std::string base;
    if (value && *value == '/') {
        base = value;
    } else {
        std::string home = HomeFolder();
        if (home.empty())
            return {};
        base = home + "/" + fallback;
    }
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return base;
}

std::string ExecutablePath()
{
    if (AfxPosixSeam().moduleFileName)
        return *AfxPosixSeam().moduleFileName;
    std::string buf(256, '\0');
    while (true) {
        ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return {};
        if (std::size_t(n) < buf.size()) {
            buf.resize(std::size_t(n));
            break;
        }
        buf.resize(buf.size() * 2);
    }
    // A program file replaced while it runs (a rebuild) still lies in the same folder.
    constexpr std::string_view deleted = " (deleted)";
    if (buf.size() > deleted.size() && buf.compare(buf.size() - deleted.size(), deleted.size(), deleted) == 0) {
        std::string stripped = buf.substr(0, buf.size() - deleted.size());
        struct stat st {};
        if (::stat(buf.c_str(), &st) != 0)
            buf = stripped;
    }
    return buf;
}

}  // namespace

int AfxMakeFolders(const std::string& folder)
{
    // Private to the user, as the XDG base folders are made.
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/')
            continue;
        std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

std::string XdgConfigHome() { return XdgBase("XDG_CONFIG_HOME", ".config"); }
std::string XdgDataHome() { return XdgBase("XDG_DATA_HOME", ".local/share"); }
std::string XdgStateHome() { return XdgBase("XDG_STATE_HOME", ".local/state"); }

DWORD GetModuleFileNameA(HMODULE, LPSTR lpFilename, DWORD nSize)
{
    std::string path = ExecutablePath();
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (!lpFilename || nSize == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() >= nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(path.size());
}

BOOL SHGetSpecialFolderPathA(HWND, LPSTR lpszPath, int csidl, BOOL fCreate)
{
    if (!lpszPath)
        return FALSE;
    bool create = fCreate || (csidl & CSIDL_FLAG_CREATE);
    std::string folder;
    switch (csidl & 0xFF) {
    case CSIDL_APPDATA:
        folder = XdgDataHome();
        break;
    case CSIDL_STARTUP:
        folder = XdgConfigHome();
        if (!folder.empty())
            folder += "/autostart";
        break;
    default:
        return FALSE;
    }
    if (folder.empty() || folder.size() >= MAX_PATH)
        return FALSE;
    if (create && AfxMakeFolders(folder) != 0)
        return FALSE;
    std::memcpy(lpszPath, folder.c_str(), folder.size() + 1);
    return TRUE;
}

BOOL CreateDirectoryA(LPCSTR lpPathName, SECURITY_ATTRIBUTES*)
{
    if (!lpPathName || !*lpPathName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (::mkdir(lpPathName, 0777) != 0) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(errno));
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

int AfxOpenRegularFile(const std::string& path, bool followLinks, int* error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    struct stat st {};
    *error = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0
                                                                 : kNotRegularFile;
    if (*error) {
        ::close(fd);
        return -1;
    }
    return fd;
}

int AfxReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes, bool followLinks)
{
    bytes.clear();
    int error = 0;
    const int fd = AfxOpenRegularFile(path, followLinks, &error);
    if (fd < 0)
        return error;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && std::size_t(st.st_size) > limit)
        error = kFileTooBig;
    else if (st.st_size > 0)
        bytes.reserve(std::size_t(st.st_size));
    char buffer[65536];
    while (error == 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        if (bytes.size() + std::size_t(n) > limit)  // it grew while being read
            error = kFileTooBig;
        else
            bytes.append(buffer, std::size_t(n));
    }
    ::close(fd);
    if (error)
        bytes.clear();
    return error;
}

BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists)
{
    if (!lpExistingFileName || !lpNewFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Never blocks on a FIFO or a device: only a regular file is copied.
    const int in = ::open(lpExistingFileName, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : Win32ErrorFromErrno(errno));
        return FALSE;
    }
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // Nor on a FIFO or a device as the copy: opened without waiting, and
    // refused. The copy is the user's alone: who may read the original need
    // not read a copy kept aside.
    int out = ::open(lpNewFileName, O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK | (bFailIfExists ? O_EXCL : 0), 0600);
    struct stat outSt {};
    if (out >= 0 && (::fstat(out, &outSt) != 0 || !S_ISREG(outSt.st_mode) || ::ftruncate(out, 0) != 0)) {
        ::close(out);
        out = -1;
        errno = EACCES;
    }
    if (out < 0) {
        const int e = errno;
        ::close(in);
        SetLastError(e == EEXIST ? ERROR_FILE_EXISTS : Win32ErrorFromErrno(e));
        return FALSE;
    }
    int code = 0;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            code = n < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < n && code == 0;) {
            ssize_t w = ::write(out, buffer + done, std::size_t(n - done));
            if (w < 0 && errno != EINTR)
                code = errno;
            else if (w > 0)
                done += w;
        }
        if (code)
            break;
    }
    if (code == 0 && ::fsync(out) != 0)
        code = errno;
    if (::close(out) != 0 && code == 0)
        code = errno;
    ::close(in);
    if (code != 0) {
        ::unlink(lpNewFileName);
        SetLastError(Win32ErrorFromErrno(code));
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL DeleteFileA(LPCSTR lpFileName)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // unlink never removes a folder (EISDIR on Linux), as DeleteFile.
    if (::unlink(lpFileName) != 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : Win32ErrorFromErrno(errno));
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart)
{
    if (!lpFileName || !*lpFileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string path = lpFileName;
    if (path.front() != '/') {
        char cwd[4096];
        if (!::getcwd(cwd, sizeof cwd)) {
            SetLastError(Win32ErrorFromErrno(errno));
            return 0;
        }
        path = std::string(cwd) + "/" + path;
    }
    // "." and ".." go, as Windows takes them out; links are left alone.
    std::string full;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            const auto slash = full.rfind('/');
            full.erase(slash == std::string::npos ? 0 : slash);
        } else if (!part.empty() && part != ".") {
            full += '/';
            full += part;
        }
        start = end + 1;
    }
    if (full.empty() || path.back() == '/')
        full += '/';
    if (full.size() + 1 > nBufferLength)
        return DWORD(full.size() + 1);
    std::memcpy(lpBuffer, full.c_str(), full.size() + 1);
    if (lpFilePart) {
        const auto slash = full.rfind('/');
        *lpFilePart = slash + 1 < full.size() ? lpBuffer + slash + 1 : nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return DWORD(full.size());
}

int SHCreateDirectoryExA(HWND, LPCSTR pszPath, const SECURITY_ATTRIBUTES*)
{
    if (!pszPath || *pszPath != '/')
        return ERROR_BAD_PATHNAME;
    struct stat st {};
    if (::stat(pszPath, &st) == 0)
        return S_ISDIR(st.st_mode) ? ERROR_ALREADY_EXISTS : ERROR_FILE_EXISTS;
    const int error = AfxMakeFolders(pszPath);
    if (error == 0)
        return ERROR_SUCCESS;
    return error == ENOENT || error == ENOTDIR ? ERROR_PATH_NOT_FOUND : int(Win32ErrorFromErrno(error));
}
