// CFileFind's walk over the matches a platform's FindFile collected, and
// Windows' wildcard rules, the same on every platform.

#include "platform/FileFind.h"

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
