// kernel32's and shell32's file calls the program makes by their A names,
// made over the wide calls: narrow text is UTF-8 whatever the system's ANSI
// code page (the manifest makes that UTF-8 only from Windows 10 1903 on).

#include "platform/FileSystem.h"

#include "platform/win32/Internal.h"

#include <cstring>

BOOL AfxSHGetSpecialFolderPath(HWND hwndOwner, LPSTR lpszPath, int csidl, BOOL fCreate)
{
    wchar_t wide[MAX_PATH] = {};
    if (!lpszPath || !::SHGetSpecialFolderPathW(hwndOwner, wide, csidl, fCreate))
        return FALSE;
    // The caller's buffer holds MAX_PATH bytes: a path that does not fit
    // whole is no path.
    const std::string path = AfxNarrow(wide);
    if (path.size() >= MAX_PATH)
        return FALSE;
    std::memcpy(lpszPath, path.c_str(), path.size() + 1);
    return TRUE;
}

int AfxSHCreateDirectoryEx(HWND hwnd, LPCSTR pszPath, const SECURITY_ATTRIBUTES* psa)
{
    return ::SHCreateDirectoryExW(hwnd, AfxWide(pszPath ? pszPath : "").c_str(), psa);
}

BOOL AfxCopyFile(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists)
{
    return ::CopyFileW(AfxWide(lpExistingFileName ? lpExistingFileName : "").c_str(),
                       AfxWide(lpNewFileName ? lpNewFileName : "").c_str(), bFailIfExists);
}

BOOL AfxDeleteFile(LPCSTR lpFileName)
{
    return ::DeleteFileW(AfxWide(lpFileName ? lpFileName : "").c_str());
}

DWORD AfxGetFullPathName(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart)
{
    const std::wstring name = AfxWide(lpFileName ? lpFileName : "");
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetFullPathNameW(name.c_str(), DWORD(full.size()), full.data(), nullptr);
        if (n == 0)
            return 0;
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.assign(n, L'\0');
    }
    // Lengths in bytes of UTF-8, as the A call counts in its code page.
    const std::string path = AfxNarrow(full);
    if (!lpBuffer || path.size() >= nBufferLength)
        return DWORD(path.size() + 1);
    std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
    if (lpFilePart) {
        const std::size_t slash = path.find_last_of('\\');
        *lpFilePart = slash == std::string::npos || slash + 1 == path.size() ? nullptr : lpBuffer + slash + 1;
    }
    return DWORD(path.size());
}
