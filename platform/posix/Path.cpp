#include "platform/Path.h"

#include <cstring>

LPSTR PathFindFileNameA(LPCSTR pszPath)
{
    if (!pszPath)
        return nullptr;
    const char* slash = std::strrchr(pszPath, '/');
    // "folder/" names the folder: its name is the last part before the slash.
    if (slash && slash[1] == '\0' && slash != pszPath) {
        const char* before = slash - 1;
        while (before > pszPath && *before != '/')
            --before;
        return const_cast<LPSTR>(*before == '/' ? before + 1 : before);
    }
    return const_cast<LPSTR>(slash ? slash + 1 : pszPath);
}

BOOL PathIsFileSpecA(LPCSTR pszPath) { return pszPath && !std::strchr(pszPath, '/'); }

LPSTR PathAddBackslashA(LPSTR pszPath)
{
    if (!pszPath)
        return nullptr;
    const std::size_t n = std::strlen(pszPath);
    if (n > 0 && pszPath[n - 1] == '/')
        return pszPath + n;
    pszPath[n] = '/';
    pszPath[n + 1] = '\0';
    return pszPath + n + 1;
}

BOOL AfxFileNamesAreCaseSensitive() { return TRUE; }
