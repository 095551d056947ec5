#pragma once
// The registry functions of advapi32 (on Windows its own) and, elsewhere,
// the same functions over a per-user store file:
// $XDG_CONFIG_HOME/Talvo/registry.reg (default ~/.config/Talvo/registry.reg),
// a REGEDIT4 text file (see platform/RegistryStore.h). Qt-free.
//
// HKEY_CLASSES_ROOT holds what the desktop tells of its web browser (see
// platform/WebBrowser.h), read-only.
//
// Changes are written as Windows writes its registry, lazily: they are seen
// at once by this program, and reach the file at the end of the current turn
// of the event loop, at RegFlushKey, or when the program ends, all of them in
// one write. A write locks the store (flock on registry.reg.lock), reads it
// afresh, applies the changes and replaces the file atomically, so two
// programs writing at once keep each other's values, and a whole save of
// settings is made in full or not at all. A line that cannot be read is left
// out; a file that is no store at all reads as empty. Either is copied to
// registry.reg.damaged-<date>-<time> before the first write. A file that
// cannot be read or replaced is never replaced: changes fail with
// ERROR_ACCESS_DENIED.

#include "platform/Win32.h"

#include <cstdint>
#include <string>

#ifndef _WIN32
using REGSAM = DWORD;
using PHKEY = HKEY*;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
using PLONG = LONG*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// The predefined roots, with their Win32 values.
inline HKEY RegPredefinedKey(std::uint32_t value)
{
    return reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}
inline const HKEY HKEY_CLASSES_ROOT = RegPredefinedKey(0x80000000u);
inline const HKEY HKEY_CURRENT_USER = RegPredefinedKey(0x80000001u);
inline const HKEY HKEY_LOCAL_MACHINE = RegPredefinedKey(0x80000002u);
inline const HKEY HKEY_USERS = RegPredefinedKey(0x80000003u);
inline const HKEY HKEY_PERFORMANCE_DATA = RegPredefinedKey(0x80000004u);
inline const HKEY HKEY_CURRENT_CONFIG = RegPredefinedKey(0x80000005u);

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0x0000;
constexpr DWORD REG_OPTION_VOLATILE = 0x0001;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Result codes beyond those of platform/Win32.h.
constexpr long ERROR_DISK_FULL = 112;
constexpr long ERROR_INVALID_DATA = 13;
constexpr long ERROR_BADKEY = 1010;
constexpr long ERROR_REGISTRY_IO_FAILED = 1016;

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                     LPDWORD lpdwDisposition);
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);
// The default value of a sub key, as a text (the old 16-bit form).
LONG RegQueryValueA(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData);
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                    DWORD cbData);
LONG RegFlushKey(HKEY hKey);
LONG RegCloseKey(HKEY hKey);
#endif

// Lets the event loop write pending changes at the end of its current turn:
// schedule is called once for each batch of changes and should arrange a call
// of RegFlushKey(HKEY_CURRENT_USER) soon. Without it, changes wait for
// RegFlushKey or the end of the program.
void AfxSetRegistryFlushScheduler(void (*schedule)());

#ifdef _WIN32
// advapi32's over its wide calls: text values (REG_SZ, REG_EXPAND_SZ,
// REG_MULTI_SZ) are given and read as UTF-8 whatever the system's ANSI code
// page, their sizes in bytes of UTF-8.
LONG AfxRegQueryValueEx(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                        LPDWORD lpcbData);
LONG AfxRegSetValueEx(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData);
LONG AfxRegQueryValue(HKEY hKey, LPCSTR lpSubKey, LPSTR lpData, PLONG lpcbData);
#define RegQueryValueExA AfxRegQueryValueEx
#define RegSetValueExA   AfxRegSetValueEx
#define RegQueryValueA   AfxRegQueryValue
#endif

#ifndef _WIN32
// Where the store lives for the current environment.
std::string RegistryStoreFolder();
std::string RegistryStorePath();
#endif
