#include "platform/FileFind.h"

#include "platform/LastError.h"

#include <cerrno>

#include <dirent.h>
#include <sys/stat.h>

namespace {

bool HasWildcards(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

}  // namespace


BOOL CFileFind::FindFile(LPCSTR pstrName, DWORD)
{
    Close();
    std::string path = pstrName ? pstrName : "*.*";
    if (path.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    std::size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    m_strRoot = folder;

    if (!HasWildcards(pattern)) {
        // One named entry; a path ending in '/' names the folder itself.
        std::string target = path;
        if (pattern.empty()) {
            while (target.size() > 1 && target.back() == '/')
                target.pop_back();
            std::size_t s = target.find_last_of('/');
            m_strRoot = s == std::string::npos ? std::string() : target.substr(0, s + 1);
            pattern = s == std::string::npos ? target : target.substr(s + 1);
        }
        struct stat st {};
        if (::stat(target.c_str(), &st) != 0 && ::lstat(target.c_str(), &st) != 0) {
            SetLastError(Win32ErrorFromErrno(errno));
            return FALSE;
        }
        m_matches.push_back(Match{pattern, S_ISDIR(st.st_mode), std::uint64_t(st.st_size)});
        return TRUE;
    }

    if (HasWildcards(folder)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(errno));
        return FALSE;
    }
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (!MatchWildcard(pattern, name))
            continue;
        Match m{name, false, 0};
        struct stat st {};
        std::string full = folder + name;
        if (::stat(full.c_str(), &st) == 0 || ::lstat(full.c_str(), &st) == 0) {
            m.isDirectory = S_ISDIR(st.st_mode);
            m.length = std::uint64_t(st.st_size);
        }
        m_matches.push_back(std::move(m));
    }
    ::closedir(dir);
    if (m_matches.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}
