#pragma once
// kernel32 and shell32 file-system calls: the program's own path, the
// special folders and folder creation. Qt-free.
//
// Special folders on Linux:
//   CSIDL_APPDATA (26)  $XDG_DATA_HOME, default ~/.local/share
//   CSIDL_STARTUP (7)   $XDG_CONFIG_HOME/autostart, default ~/.config/autostart

#include "platform/Win32.h"

#include <string>

#ifndef _WIN32
struct SECURITY_ATTRIBUTES;

constexpr int CSIDL_STARTUP = 0x0007;
constexpr int CSIDL_APPDATA = 0x001A;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

// The running program's file (from /proc/self/exe). Returns the length copied;
// a path that does not fit is cut to nSize - 1 characters and nSize is returned
// with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// Copies the folder's path, without a trailing slash, into a buffer of
// MAX_PATH characters. FALSE for an unknown folder number or a path that does
// not fit. With fCreate (or CSIDL_FLAG_CREATE) a missing folder is created.
BOOL SHGetSpecialFolderPathA(HWND hwndOwner, LPSTR lpszPath, int csidl, BOOL fCreate);

// mkdir of one folder; FALSE with ERROR_ALREADY_EXISTS or ERROR_PATH_NOT_FOUND as Win32.
BOOL CreateDirectoryA(LPCSTR lpPathName, SECURITY_ATTRIBUTES* lpSecurityAttributes);
// Creates a folder and every missing folder above it. ERROR_SUCCESS, or
// ERROR_ALREADY_EXISTS when it was there, or the reason it cannot be made.
int SHCreateDirectoryExA(HWND hwnd, LPCSTR pszPath, const SECURITY_ATTRIBUTES* psa);

// Copies a regular file (never a FIFO or a device), synced to disk. With
// bFailIfExists an existing lpNewFileName is an error (ERROR_FILE_EXISTS).
// A new copy is readable by its owner only (0600): copies are kept aside.
BOOL CopyFileA(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);

// Removes a file (never a folder). FALSE with ERROR_FILE_NOT_FOUND when it is
// not there, or the reason it cannot be removed.
BOOL DeleteFileA(LPCSTR lpFileName);

// The absolute form of a path: relative ones are taken from the current
// folder, "." and ".." parts are resolved. Returns the length; when the
// buffer is too small, the size it needs (with the terminator).
DWORD GetFullPathNameA(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart);
#else
// kernel32's and shell32's over their wide calls, so that narrow text is
// UTF-8 whatever the system's ANSI code page; lengths count bytes. Tests may
// name another program file. A special folder whose UTF-8 form does not fit
// MAX_PATH bytes is FALSE.
DWORD AfxGetModuleFileName(HMODULE hModule, LPSTR lpFilename, DWORD nSize);
BOOL AfxSHGetSpecialFolderPath(HWND hwndOwner, LPSTR lpszPath, int csidl, BOOL fCreate);
int AfxSHCreateDirectoryEx(HWND hwnd, LPCSTR pszPath, const SECURITY_ATTRIBUTES* psa);
BOOL AfxCopyFile(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists);
BOOL AfxDeleteFile(LPCSTR lpFileName);
DWORD AfxGetFullPathName(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart);
#define GetModuleFileNameA      AfxGetModuleFileName
#define SHGetSpecialFolderPathA AfxSHGetSpecialFolderPath
#define SHCreateDirectoryExA    AfxSHCreateDirectoryEx
#define CopyFileA               AfxCopyFile
#define DeleteFileA             AfxDeleteFile
#define GetFullPathNameA        AfxGetFullPathName
#endif
