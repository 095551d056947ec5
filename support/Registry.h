#pragma once
// CRegistry: reads and writes single named values under one registry key.
// It holds no key between calls: every operation opens the key, does its one
// job and closes it again. Numbers are stored as 4 little-endian bytes of type
// REG_BINARY; texts as REG_SZ of at most 254 characters plus the terminator.

#include "platform/CString.h"
#include "platform/Registry.h"
#include "platform/Win32.h"

class CRegistry {
public:
    CRegistry();
    ~CRegistry();

    // Only the four predefined roots are taken; anything else gives FALSE.
    BOOL SetRootKey(HKEY hRootKey);
    // An empty path selects the root key itself. With bCreate the key is made
    // when missing; a failure keeps the previous key.
    BOOL SetKey(CString strKeyPath, BOOL bCreate);

    DWORD GetValueType(CString strName);
    CString ReadString(CString strName, CString strDefault);
    DWORD ReadDword(CString strName, DWORD dwDefault);
    BOOL WriteString(CString strName, CString strValue);
    BOOL WriteDword(CString strName, DWORD dwValue);

    LONG GetLastErrorCode() const { return m_lLastError; }

private:
    LONG OpenKey(REGSAM access, HKEY& hKey);
    void FlushAndClose(HKEY hKey);

    LONG m_lLastError;
    HKEY m_hRootKey;
    BOOL m_bLazyWrite;
    CString m_strKeyPath;
};
