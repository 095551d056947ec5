#include "platform/FileFind.h"

#include "platform/LastError.h"

#include <cerrno>

#include <dirent.h>
#include <sys/stat.h>

namespace {

bool MatchFrom(const char* p, const char* n)
{
    // Iterative '*' matching with one back-tracking point.
    const char* star = nullptr;
    const char* starName = nullptr;
    while (*n) {
        if (*p == '?' || (*p && *p != '*' && *p == *n)) {
            ++p;
            ++n;
        } else if (*p == '*') {
            star = p++;
            starName = n;
        } else if (star) {
            p = star + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

bool HasWildcards(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

}  // namespace

bool MatchWildcard(const std::string& pattern, const std::string& name)
{
    if (MatchFrom(pattern.c_str(), name.c_str()))
        return true;
    // "x.*" also matches "x", as Windows does.
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos)
        return MatchFrom(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
    return false;
}

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

BOOL CFileFind::FindNextFile()
{
    if (m_nNext >= m_matches.size())
        return FALSE;
    m_bStarted = true;
    ++m_nNext;
    return m_nNext < m_matches.size();
}

void CFileFind::Close()
{
    m_strRoot.clear();
    m_matches.clear();
    m_nNext = 0;
    m_bStarted = false;
}

const CFileFind::Match* CFileFind::Current() const
{
    if (!m_bStarted || m_nNext == 0 || m_nNext > m_matches.size())
        return nullptr;
    return &m_matches[m_nNext - 1];
}

CString CFileFind::GetFileName() const
{
    const Match* m = Current();
    return m ? CString(m->name.c_str()) : CString();
}

CString CFileFind::GetFilePath() const
{
    const Match* m = Current();
    return m ? CString((m_strRoot + m->name).c_str()) : CString();
}

BOOL CFileFind::IsDirectory() const
{
    const Match* m = Current();
    return m && m->isDirectory;
}

BOOL CFileFind::IsDots() const
{
    const Match* m = Current();
    return m && m->isDirectory && (m->name == "." || m->name == "..");
}
