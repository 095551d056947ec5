// Replacing a file whole on Windows: a unique temporary file beside it,
// written and flushed, then ReplaceFileW (which keeps the old file's
// attributes and security) or, for a new file, MoveFileExW.

#include "platform/AtomicFile.h"

#include "platform/win32/Internal.h"

#include <cerrno>
#include <cwchar>
#include <string>

namespace {

int ErrnoFromWin32(DWORD e)
{
    switch (e) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return ENOENT;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return ENOMEM;
    default: return EIO;
    }
}

bool Fail(int* error, int value)
{
    if (error)
        *error = value;
    return false;
}

bool WriteAll(HANDLE h, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool ProcessIsGone(DWORD pid)
{
    HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!h)
        return ::GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool gone = ::GetExitCodeProcess(h, &code) && code != STILL_ACTIVE;
    ::CloseHandle(h);
    return gone;
}

// Temporary files "<name>.tmp-<pid>-<n>" of processes that are gone.
void RemoveLeftovers(const std::wstring& target)
{
    const std::wstring prefix = target + L".tmp-";
    WIN32_FIND_DATAW data{};
    HANDLE h = ::FindFirstFileW((prefix + L"*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return;
    const std::size_t sep = target.find_last_of(L"\\/");
    const std::wstring folder = sep == std::wstring::npos ? std::wstring() : target.substr(0, sep + 1);
    const std::wstring name = sep == std::wstring::npos ? target : target.substr(sep + 1);
    do {
        const std::wstring found = data.cFileName;
        const std::wstring rest = found.substr(std::min(found.size(), name.size() + 5));
        wchar_t* end = nullptr;
        const unsigned long pid = std::wcstoul(rest.c_str(), &end, 10);
        if (end != rest.c_str() && *end == L'-' && pid != ::GetCurrentProcessId() && ProcessIsGone(DWORD(pid)))
            ::DeleteFileW((folder + found).c_str());
    } while (::FindNextFileW(h, &data));
    ::FindClose(h);
}

// The folder cannot take a new file but the file can be written: rewritten
// where it is, its size reserved first so that a full disk fails early.
bool RewriteInPlace(const std::wstring& target, std::string_view bytes, bool sync, int* error)
{
    HANDLE h = ::CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return Fail(error, ErrnoFromWin32(::GetLastError()));
    LARGE_INTEGER size{};
    ::GetFileSizeEx(h, &size);
    LARGE_INTEGER wanted{};
    wanted.QuadPart = LONGLONG(bytes.size());
    bool ok = true;
    if (wanted.QuadPart > size.QuadPart)
        ok = ::SetFilePointerEx(h, wanted, nullptr, FILE_BEGIN) && ::SetEndOfFile(h);
    LARGE_INTEGER zero{};
    ok = ok && ::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) && WriteAll(h, bytes) && ::SetEndOfFile(h) &&
         (!sync || ::FlushFileBuffers(h));
    const DWORD e = ::GetLastError();
    ::CloseHandle(h);
    return ok || Fail(error, ErrnoFromWin32(e));
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync, int* error)
{
    const std::wstring target = AfxWide(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(error, EISDIR);
    // A write-protected file is the user's decision, not ours to override.
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        return Fail(error, EACCES);

    static unsigned counter = 0;
    std::wstring temp;
    HANDLE h = INVALID_HANDLE_VALUE;
    DWORD createError = 0;
    for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        createError = h == INVALID_HANDLE_VALUE ? ::GetLastError() : 0;
        if (createError != ERROR_FILE_EXISTS && createError != ERROR_ALREADY_EXISTS)
            break;
    }
    if (h == INVALID_HANDLE_VALUE) {
        if (exists && createError == ERROR_ACCESS_DENIED)
            return RewriteInPlace(target, bytes, sync, error);
        return Fail(error, ErrnoFromWin32(createError));
    }
    const bool written = WriteAll(h, bytes) && (!sync || ::FlushFileBuffers(h));
    const DWORD writeError = written ? 0 : ::GetLastError();
    ::CloseHandle(h);
    if (!written) {
        ::DeleteFileW(temp.c_str());
        return Fail(error, ErrnoFromWin32(writeError));
    }
    bool replaced = false;
    if (exists)
        replaced = ::ReplaceFileW(target.c_str(), temp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                  nullptr);
    // A new file, or a file system without ReplaceFile.
    if (!replaced)
        replaced = ::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        const DWORD e = ::GetLastError();
        ::DeleteFileW(temp.c_str());
        return Fail(error, ErrnoFromWin32(e));
    }
    RemoveLeftovers(target);
    if (error)
        *error = 0;
    return true;
}
