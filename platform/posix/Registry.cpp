// Registry keys and values over the store file (RegistryFile.cpp); the
// HKEY_CLASSES_ROOT keys come from the desktop.

#include "platform/Registry.h"

#include "platform/portable/DefaultValueRead.h"
#include "platform/portable/RegistryStore.h"
#include "platform/posix/RegistryFile.h"
#include "platform/posix/WebBrowser.h"

#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kMaxKeyComponent = 255;
constexpr std::size_t kMaxValueName = 16383;

struct KeyHandle {
    std::string fullPath;
    REGSAM access = 0;
};

std::mutex g_handleMutex;
std::set<const KeyHandle*> g_handles;

const char* RootName(HKEY h)
{
    if (h == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    if (h == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (h == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (h == HKEY_USERS) return "HKEY_USERS";
    if (h == HKEY_CURRENT_CONFIG) return "HKEY_CURRENT_CONFIG";
    return nullptr;
}

bool Resolve(HKEY h, std::string& fullPath, REGSAM& access)
{
    if (const char* root = RootName(h)) {
        fullPath = root;
        access = KEY_ALL_ACCESS;
        return true;
    }
    std::lock_guard lock(g_handleMutex);
    auto* handle = reinterpret_cast<const KeyHandle*>(h);
    if (!g_handles.count(handle))
        return false;
    fullPath = handle->fullPath;
    access = handle->access;
    return true;
}

HKEY NewHandle(std::string fullPath, REGSAM access)
{
    auto* handle = new KeyHandle{std::move(fullPath), access};
    std::lock_guard lock(g_handleMutex);
    g_handles.insert(handle);
    return reinterpret_cast<HKEY>(handle);
}

bool HasControlChar(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return true;
    return false;
}

// Appends a sub key path to a key's full path; false for a name the store cannot hold.
bool JoinSubKey(std::string& fullPath, LPCSTR subKey)
{
    if (!subKey || !*subKey)
        return true;
    std::string_view sub(subKey);
    if (sub.back() == '\\')
        sub.remove_suffix(1);
    if (sub.empty() || HasControlChar(sub))
        return false;
    std::size_t start = 0;
    while (start <= sub.size()) {
        std::size_t end = sub.find('\\', start);
        if (end == std::string_view::npos)
            end = sub.size();
        std::size_t len = end - start;
        if (len == 0 || len > kMaxKeyComponent)
            return false;
        start = end + 1;
    }
    fullPath += '\\';
    fullPath += sub;
    return true;
}

bool ValidValueName(LPCSTR name)
{
    if (!name)
        return true;
    std::string_view n(name);
    return n.size() <= kMaxValueName && !HasControlChar(n);
}

// HKEY_CLASSES_ROOT comes from the desktop (its web browser); every other
// root from the store file.
CRegistryStore StoreFor(const std::string& fullPath)
{
    constexpr std::string_view kClasses = "HKEY_CLASSES_ROOT";
    if (fullPath.compare(0, kClasses.size(), kClasses) == 0 &&
        (fullPath.size() == kClasses.size() || fullPath[kClasses.size()] == '\\'))
        return AfxDesktopClasses();
    return AfxReadRegistryStore();
}

}  // namespace

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/, DWORD /*dwOptions*/,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                     LPDWORD lpdwDisposition)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    if (!JoinSubKey(fullPath, lpSubKey))
        return ERROR_INVALID_PARAMETER;

    DWORD disposition = REG_OPENED_EXISTING_KEY;
    if (!AfxReadRegistryStore().KeyExists(fullPath)) {
        if (!(access & KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        if (LONG result = AfxCheckRegistryWritable(); result != ERROR_SUCCESS)
            return result;
        AfxQueueRegistryChange(AfxRegistryChange{fullPath, true, {}, 0, {}});
        disposition = REG_CREATED_NEW_KEY;
    }
    *phkResult = NewHandle(std::move(fullPath), samDesired);
    if (lpdwDisposition)
        *lpdwDisposition = disposition;
    return ERROR_SUCCESS;
}

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired, PHKEY phkResult)
{
    if (!phkResult)
        return ERROR_INVALID_PARAMETER;
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    if (!JoinSubKey(fullPath, lpSubKey))
        return ERROR_FILE_NOT_FOUND;
    if (!StoreFor(fullPath).KeyExists(fullPath))
        return ERROR_FILE_NOT_FOUND;
    *phkResult = NewHandle(std::move(fullPath), samDesired);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData)
{
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    if (lpReserved || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    if (!(access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    const CRegistryStore store = StoreFor(fullPath);
    const RegistryValue* value = store.FindValue(fullPath, lpValueName ? lpValueName : "");
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (lpType)
        *lpType = value->type;
    DWORD size = static_cast<DWORD>(value->data.size());
    if (!lpcbData)
        return ERROR_SUCCESS;
    if (lpData) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size)
            std::memcpy(lpData, value->data.data(), size);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

LONG RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(hKey, lpSubKey, 0, KEY_QUERY_VALUE, &key);
    if (result != ERROR_SUCCESS)
        return result;
    DWORD type = 0;
    DWORD size = lpcbData ? DWORD(*lpcbData) : 0;
    result = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(lpData), lpcbData ? &size : nullptr);
    RegCloseKey(key);
    return AfxFinishDefaultValueRead(result, type, size, lpData, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData,
                    DWORD cbData)
{
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    if (!(access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if ((!lpData && cbData) || !ValidValueName(lpValueName))
        return ERROR_INVALID_PARAMETER;
    std::string_view name = lpValueName ? lpValueName : "";
    std::string_view data(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
    const CRegistryStore store = AfxReadRegistryStore();
    const RegistryValue* old = store.FindValue(fullPath, name);
    if (old && old->type == dwType && old->data == data)
        return ERROR_SUCCESS;
    if (LONG result = AfxCheckRegistryWritable(); result != ERROR_SUCCESS)
        return result;
    AfxQueueRegistryChange(AfxRegistryChange{fullPath, false, std::string(name), dwType, std::string(data)});
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY hKey)
{
    std::string fullPath;
    REGSAM access = 0;
    if (!Resolve(hKey, fullPath, access))
        return ERROR_INVALID_HANDLE;
    return AfxFlushRegistryChanges();
}

LONG RegCloseKey(HKEY hKey)
{
    if (RootName(hKey))
        return ERROR_SUCCESS;
    auto* handle = reinterpret_cast<const KeyHandle*>(hKey);
    {
        std::lock_guard lock(g_handleMutex);
        if (!g_handles.erase(handle))
            return ERROR_INVALID_HANDLE;
    }
    delete handle;
    return ERROR_SUCCESS;
}
