#include "platform/FileSystem.h"

#include "platform/LastError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<std::string> g_moduleOverride;

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
    if (g_moduleOverride)
        return *g_moduleOverride;
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
        struct stat st{};
        if (::stat(buf.c_str(), &st) != 0)
            buf = stripped;
    }
    return buf;
}

bool MakeFolders(const std::string& folder)
{
    for (std::size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/')
            continue;
        std::string part = folder.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st{};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string XdgConfigHome() { return XdgBase("XDG_CONFIG_HOME", ".config"); }
std::string XdgDataHome() { return XdgBase("XDG_DATA_HOME", ".local/share"); }

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
    if (create && !MakeFolders(folder))
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

namespace testhooks {
void SetModuleFileName(const char* path)
{
    if (path)
        g_moduleOverride = path;
    else
        g_moduleOverride.reset();
}
}
