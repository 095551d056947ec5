// CFileFind's listing over FindFirstFileW: the system matches the wildcards
// (case-insensitively, with its own rules for "*.*").

#include "platform/FileFind.h"

#include "platform/win32/Internal.h"

BOOL CFileFind::FindFile(LPCSTR pstrName, DWORD)
{
    Close();
    const std::string path = pstrName && *pstrName ? pstrName : "*.*";
    const std::size_t sep = path.find_last_of("\\/:");
    m_strRoot = sep == std::string::npos ? std::string() : path.substr(0, sep + 1);

    WIN32_FIND_DATAW data{};
    HANDLE h = ::FindFirstFileW(AfxWide(path).c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return FALSE;  // the system's last error says why
    do {
        Match m;
        m.name = AfxNarrow(data.cFileName);
        m.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        m.length = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        m_matches.push_back(std::move(m));
    } while (::FindNextFileW(h, &data));
    ::FindClose(h);
    return TRUE;
}
