// advapi32's value calls the program makes by their A names, over the wide
// calls: text values are stored as the UTF-16 they stand for, whatever the
// system's ANSI code page, and read back as UTF-8. Other values pass as bytes.

#include "platform/Registry.h"

#include "platform/portable/DefaultValueRead.h"
#include "platform/win32/Internal.h"

#include <cstring>
#include <vector>

namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

}  // namespace

LONG AfxRegQueryValueEx(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                        LPDWORD lpcbData)
{
    const std::wstring wideName = AfxWide(lpValueName ? lpValueName : "");
    LPCWSTR name = lpValueName ? wideName.c_str() : nullptr;
    DWORD type = 0, size = 0;
    LONG result = ::RegQueryValueExW(hKey, name, lpReserved, &type, nullptr, &size);
    if (result != ERROR_SUCCESS)
        return result;
    if (lpType)
        *lpType = type;
    if (!IsText(type))
        return ::RegQueryValueExW(hKey, name, lpReserved, nullptr, lpData, lpcbData);
    std::vector<wchar_t> wide;
    do {
        wide.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = DWORD(wide.size() * sizeof(wchar_t));
        result = ::RegQueryValueExW(hKey, name, lpReserved, nullptr, reinterpret_cast<LPBYTE>(wide.data()), &size);
    } while (result == ERROR_MORE_DATA);
    if (result != ERROR_SUCCESS)
        return result;
    std::string text = AfxNarrow(std::wstring_view(wide.data(), size / sizeof(wchar_t)));
    // The terminator the A call always gives a text.
    if (text.empty() || text.back() != '\0')
        text.push_back('\0');
    if (!lpcbData)
        return lpData ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const DWORD room = *lpcbData;
    *lpcbData = DWORD(text.size());
    if (!lpData)
        return ERROR_SUCCESS;
    if (room < text.size())
        return ERROR_MORE_DATA;
    std::memcpy(lpData, text.data(), text.size());
    return ERROR_SUCCESS;
}

LONG AfxRegSetValueEx(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    const std::wstring wideName = AfxWide(lpValueName ? lpValueName : "");
    LPCWSTR name = lpValueName ? wideName.c_str() : nullptr;
    if (!IsText(dwType) || !lpData)
        return ::RegSetValueExW(hKey, name, Reserved, dwType, lpData, cbData);
    const std::wstring text = AfxWide(std::string_view(reinterpret_cast<const char*>(lpData), cbData));
    return ::RegSetValueExW(hKey, name, Reserved, dwType, reinterpret_cast<const BYTE*>(text.data()),
                            DWORD(text.size() * sizeof(wchar_t)));
}

LONG AfxRegQueryValue(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData)
{
    HKEY key = hKey;
    if (lpSubKey && *lpSubKey) {
        const LONG opened = ::RegOpenKeyExW(hKey, AfxWide(lpSubKey).c_str(), 0, KEY_QUERY_VALUE, &key);
        if (opened != ERROR_SUCCESS)
            return opened;
    }
    DWORD type = 0;
    DWORD size = lpcbData ? DWORD(*lpcbData) : 0;
    LONG result = AfxRegQueryValueEx(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(lpData),
                                     lpcbData ? &size : nullptr);
    if (key != hKey)
        ::RegCloseKey(key);
    return AfxFinishDefaultValueRead(result, type, size, lpData, lpcbData);
}
