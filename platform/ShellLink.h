#pragma once
// COM and the shell link object (ole32, shell32): the SDK's own on Windows,
// elsewhere a small stand-in. On Linux a shell link is an XDG desktop entry:
// IPersistFile::Save writes a ".desktop" file (a name ending in ".lnk" is
// saved with ".desktop" instead), with Type=Application, Name (the file's
// base name), Exec (the target, quoted and escaped as the Desktop Entry
// format asks) and Comment, Path when set. The autostart folder is created
// when it is missing. Qt-free.

#include "platform/Win32.h"

#include <string>

#ifndef _WIN32
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPCOLESTR = const WCHAR*;
using ULONG = std::uint32_t;

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using CLSID = GUID;
using IID = GUID;
using REFCLSID = const GUID&;
using REFIID = const GUID&;
inline bool operator==(const GUID& a, const GUID& b)
{
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}

inline constexpr CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

constexpr HRESULT MakeHResult(std::uint32_t v) { return static_cast<HRESULT>(static_cast<std::int32_t>(v)); }
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001u);
constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);
constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);
constexpr HRESULT E_ACCESSDENIED = MakeHResult(0x80070005u);
constexpr HRESULT CO_E_NOTINITIALIZED = MakeHResult(0x800401F0u);
constexpr HRESULT REGDB_E_CLASSNOTREG = MakeHResult(0x80040154u);
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }
constexpr HRESULT HRESULT_FROM_WIN32(long code)
{
    return code <= 0 ? HRESULT(code) : MakeHResult((std::uint32_t(code) & 0xFFFF) | 0x80070000u);
}

constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
protected:
    ~IUnknown() = default;
};

struct IShellLinkA : IUnknown {
    virtual HRESULT SetPath(LPCSTR pszFile) = 0;
    virtual HRESULT GetPath(LPSTR pszFile, int cch) = 0;
    virtual HRESULT SetArguments(LPCSTR pszArgs) = 0;
    virtual HRESULT SetDescription(LPCSTR pszName) = 0;
    virtual HRESULT SetWorkingDirectory(LPCSTR pszDir) = 0;
protected:
    ~IShellLinkA() = default;
};

struct IPersistFile : IUnknown {
    virtual HRESULT Save(LPCOLESTR pszFileName, BOOL fRemember) = 0;
protected:
    ~IPersistFile() = default;
};

// S_OK the first time on a thread, S_FALSE after that; never uninitialised.
HRESULT CoInitialize(LPVOID pvReserved);
// Only CLSID_ShellLink exists; COM must be initialised on the thread.
HRESULT CoCreateInstance(REFCLSID rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, REFIID riid, LPVOID* ppv);

// UTF-8 (the ANSI code page here) to UTF-16. With cchWideChar 0 returns the
// size needed; 0 on failure (ERROR_INSUFFICIENT_BUFFER, ERROR_NO_UNICODE_TRANSLATION).
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);

// The Exec value for a program and its arguments, escaped for a desktop entry.
std::string DesktopEntryExec(const std::string& program, const std::string& arguments);
// A string value escaped for a desktop entry (\s, \n, \t, \r, \\).
std::string DesktopEntryEscape(const std::string& value);
#else
// ole32's; tests may make it fail.
HRESULT AfxCoInitialize(LPVOID pvReserved);
#define CoInitialize AfxCoInitialize
#endif
