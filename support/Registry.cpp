#include "support/Registry.h"

#include <cstring>

namespace {
constexpr int kMaxTextLength = 254;  // characters, without the terminating NUL
constexpr DWORD kTextBufferSize = 256;
}

CRegistry::CRegistry()
    : m_lLastError(ERROR_SUCCESS), m_hRootKey(HKEY_CURRENT_USER), m_bLazyWrite(TRUE)
{
}

CRegistry::~CRegistry() = default;

BOOL CRegistry::SetRootKey(HKEY hRootKey)
{
    if (hRootKey != HKEY_CLASSES_ROOT && hRootKey != HKEY_CURRENT_USER && hRootKey != HKEY_LOCAL_MACHINE &&
        hRootKey != HKEY_USERS)
        return FALSE;
    m_hRootKey = hRootKey;
    return TRUE;
}

BOOL CRegistry::SetKey(CString strKeyPath, BOOL bCreate)
{
    if (strKeyPath.IsEmpty()) {
        m_strKeyPath = "";
        return TRUE;
    }
    HKEY hKey = nullptr;
    if (bCreate) {
        DWORD disposition = 0;
        if (RegCreateKeyExA(m_hRootKey, strKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &hKey, &disposition) != ERROR_SUCCESS)
            return FALSE;
    } else {
        m_lLastError = RegOpenKeyExA(m_hRootKey, strKeyPath, 0, KEY_ALL_ACCESS, &hKey);
        if (m_lLastError != ERROR_SUCCESS)
            return FALSE;
    }
    m_strKeyPath = strKeyPath;
    FlushAndClose(hKey);
    return TRUE;
}

LONG CRegistry::OpenKey(REGSAM access, HKEY& hKey)
{
    hKey = nullptr;
    return RegOpenKeyExA(m_hRootKey, m_strKeyPath.IsEmpty() ? nullptr : m_strKeyPath.GetString(), 0, access, &hKey);
}

void CRegistry::FlushAndClose(HKEY hKey)
{
    if (!m_bLazyWrite)
        RegFlushKey(hKey);
    RegCloseKey(hKey);
}

DWORD CRegistry::GetValueType(CString strName)
{
    HKEY hKey = nullptr;
    m_lLastError = OpenKey(KEY_QUERY_VALUE, hKey);
    if (m_lLastError != ERROR_SUCCESS)
        return 0;
    DWORD type = 0;
    m_lLastError = RegQueryValueExA(hKey, strName, nullptr, &type, nullptr, nullptr);
    RegCloseKey(hKey);
    return m_lLastError == ERROR_SUCCESS ? type : 0;
}

CString CRegistry::ReadString(CString strName, CString strDefault)
{
    DWORD type = GetValueType(strName);
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return strDefault;
    HKEY hKey = nullptr;
    m_lLastError = OpenKey(KEY_READ, hKey);
    if (m_lLastError != ERROR_SUCCESS)
        return strDefault;
    // One byte more than the size passed, so the text always ends in NUL.
    BYTE buffer[kTextBufferSize] = {};
    DWORD size = kTextBufferSize - 1;
    m_lLastError = RegQueryValueExA(hKey, strName, nullptr, nullptr, buffer, &size);
    RegCloseKey(hKey);
    if (m_lLastError != ERROR_SUCCESS)
        return strDefault;
    return CString(reinterpret_cast<const char*>(buffer));
}

DWORD CRegistry::ReadDword(CString strName, DWORD dwDefault)
{
    HKEY hKey = nullptr;
    if (OpenKey(KEY_READ, hKey) != ERROR_SUCCESS)
        return dwDefault;
    // A value of fewer than 4 bytes reads as those bytes, zero-extended.
    BYTE bytes[4] = {};
    DWORD size = sizeof bytes;
    DWORD result = dwDefault;
    if (RegQueryValueExA(hKey, strName, nullptr, nullptr, bytes, &size) == ERROR_SUCCESS)
        result = DWORD(bytes[0]) | (DWORD(bytes[1]) << 8) | (DWORD(bytes[2]) << 16) | (DWORD(bytes[3]) << 24);
    RegCloseKey(hKey);
    return result;
}

BOOL CRegistry::WriteString(CString strName, CString strValue)
{
    if (strValue.GetLength() > kMaxTextLength)
        return FALSE;
    char buffer[kTextBufferSize] = {};
    std::memcpy(buffer, strValue.GetString(), std::size_t(strValue.GetLength()));
    HKEY hKey = nullptr;
    if (OpenKey(KEY_WRITE, hKey) != ERROR_SUCCESS)
        return FALSE;
    BOOL result = RegSetValueExA(hKey, strName, 0, REG_SZ, reinterpret_cast<const BYTE*>(buffer),
                                 DWORD(strValue.GetLength() + 1)) == ERROR_SUCCESS;
    FlushAndClose(hKey);
    return result;
}

BOOL CRegistry::WriteDword(CString strName, DWORD dwValue)
{
    HKEY hKey = nullptr;
    if (OpenKey(KEY_WRITE, hKey) != ERROR_SUCCESS)
        return FALSE;
    const BYTE bytes[4] = {BYTE(dwValue & 0xFF), BYTE((dwValue >> 8) & 0xFF), BYTE((dwValue >> 16) & 0xFF),
                           BYTE((dwValue >> 24) & 0xFF)};
    BOOL result = RegSetValueExA(hKey, strName, 0, REG_BINARY, bytes, sizeof bytes) == ERROR_SUCCESS;
    FlushAndClose(hKey);
    return result;
}
