#pragma once
// RegQueryValueA's answer once the key's default value has been asked for,
// the same on every system: a key without a default value reads as an empty
// text, a value that is not text is an error, and the size goes back into the
// caller's field.

#include "platform/Registry.h"

inline LONG AfxFinishDefaultValueRead(LONG result, DWORD type, DWORD size, LPSTR lpData, PLONG lpcbData)
{
    if (result == ERROR_FILE_NOT_FOUND) {
        if (lpData && lpcbData && *lpcbData > 0)
            lpData[0] = '\0';
        size = 1;
        result = ERROR_SUCCESS;
    } else if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
        result = ERROR_INVALID_DATA;
    }
    if (lpcbData)
        *lpcbData = LONG(size);
    return result;
}
