// Replacing a file whole on Windows: a unique temporary file beside it,
// written and flushed, then ReplaceFileW (which keeps the old file's
// attributes and security) or, for a new file, MoveFileExW. A file whose
// folder takes no new file is rewritten in place, guarded by a record of its
// new content in %LOCALAPPDATA%\Talvo, as on POSIX.

#include "platform/AtomicFile.h"

#include "platform/Trace.h"
#include "platform/portable/RewriteRecord.h"
#include "platform/win32/Internal.h"

#include <cerrno>
#include <ctime>
#include <cwchar>
#include <optional>
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
// *changed tells whether the file may have been touched at all.
bool RewriteInPlace(const std::wstring& target, std::string_view bytes, bool sync, int* error, bool* changed)
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
    *changed = ok;
    ok = ok && ::SetFilePointerEx(h, zero, nullptr, FILE_BEGIN) && WriteAll(h, bytes) && ::SetEndOfFile(h) &&
         (!sync || ::FlushFileBuffers(h));
    const DWORD e = ::GetLastError();
    ::CloseHandle(h);
    return ok || Fail(error, ErrnoFromWin32(e));
}

std::wstring StateFolder()
{
    wchar_t base[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base)))
        return {};
    return std::wstring(base) + L"\\Talvo";
}

// The record's key: the file's full path, as saves and reads name it alike.
std::string FullPath(const std::wstring& path)
{
    wchar_t buffer[32768];
    const DWORD n = ::GetFullPathNameW(path.c_str(), DWORD(std::size(buffer)), buffer, nullptr);
    return AfxNarrow(n > 0 && n < std::size(buffer) ? std::wstring_view(buffer, n) : std::wstring_view(path));
}

std::wstring RecordPath(const std::wstring& state, const std::string& key)
{
    return state + L"\\" + AfxWide(RewriteRecordName(key));
}

// A whole file of ours in the state folder: a temporary file, flushed, moved
// over the name.
bool WriteWhole(const std::wstring& file, std::string_view bytes)
{
    const std::wstring temp = file + L".tmp-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool written = WriteAll(h, bytes) && ::FlushFileBuffers(h);
    ::CloseHandle(h);
    if (written && ::MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    ::DeleteFileW(temp.c_str());
    return false;
}

bool ReadWhole(const std::wstring& file, std::string& bytes, DWORD* error)
{
    HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        *error = ::GetLastError();
        return false;
    }
    bytes.clear();
    char buffer[65536];
    DWORD n = 0;
    bool ok;
    while ((ok = ::ReadFile(h, buffer, sizeof buffer, &n, nullptr)) && n > 0)
        bytes.append(buffer, n);
    *error = ok ? 0 : ::GetLastError();
    ::CloseHandle(h);
    return ok;
}

// A rewrite in place that a kill cannot leave half done: the whole new
// content goes to the state folder first, flushed, and stays there until the
// file holds it.
bool RewriteWithRecord(const std::wstring& target, std::string_view bytes, bool sync, int* error)
{
    const std::wstring state = StateFolder();
    if (state.empty() || (!::CreateDirectoryW(state.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS))
        return Fail(error, ENOENT);
    const std::string key = FullPath(target);
    const std::wstring record = RecordPath(state, key);
    if (!WriteWhole(record, FormatRewriteRecord(key, bytes)))
        return Fail(error, ErrnoFromWin32(::GetLastError()));
    bool changed = false;
    const bool ok = RewriteInPlace(target, bytes, sync, error, &changed);
    // A file cut short keeps its record, to be finished at its next read.
    if (ok || !changed)
        ::DeleteFileW(record.c_str());
    return ok;
}

std::wstring Stamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_s(&tm, &now);
    wchar_t stamp[32];
    std::wcsftime(stamp, std::size(stamp), L"%Y%m%d-%H%M%S", &tm);
    return stamp;
}

}  // namespace

// A file takes its folder's permissions here: FileAccess asks nothing more.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync, int* error, FileAccess)
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
        if (exists && createError == ERROR_ACCESS_DENIED) {
            if (!RewriteWithRecord(target, bytes, sync, error))
                return false;
            if (error)
                *error = 0;
            return true;
        }
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
    // The record of an earlier rewrite cut short is out of date now.
    const std::wstring state = StateFolder();
    if (!state.empty())
        ::DeleteFileW(RecordPath(state, FullPath(target)).c_str());
    if (error)
        *error = 0;
    return true;
}

bool AfxRecoverInterruptedWrite(const std::string& path)
{
    const std::wstring state = StateFolder();
    if (path.empty() || state.empty())
        return false;
    const std::wstring target = AfxWide(path);
    const std::string key = FullPath(target);
    const std::wstring recordPath = RecordPath(state, key);
    std::string record;
    DWORD error = 0;
    if (!ReadWhole(recordPath, record, &error))
        return false;
    const std::optional<std::string_view> expected = ParseRewriteRecord(record, key);
    if (!expected)
        return false;  // another file's (the same name by chance), or not whole: it never guarded a rewrite
    std::string current;
    if (!ReadWhole(target, current, &error)) {
        // Removed since: nothing to finish. Unreadable: try again next time.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            ::DeleteFileW(recordPath.c_str());
        return false;
    }
    if (current == *expected) {
        ::DeleteFileW(recordPath.c_str());  // the rewrite ended; only the record's removal was lost
        return false;
    }
    // What the file holds now is kept before it is written over.
    const std::size_t sep = target.find_last_of(L"\\/");
    const std::wstring base = state + L"\\" + (sep == std::wstring::npos ? target : target.substr(sep + 1)) +
                              L".torn-" + Stamp();
    std::wstring kept = base;
    for (int n = 2; ::GetFileAttributesW(kept.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        kept = base + L"-" + std::to_wstring(n);
    if (!WriteWhole(kept, current))
        return false;
    int code = 0;
    if (!WriteFileAtomically(path, *expected, true, &code)) {
        Trace("Couldn't finish the interrupted save of %s (%d).\n", path.c_str(), code);
        return false;
    }
    Trace("Finished the interrupted save of %s; what it held is kept as %s.\n", path.c_str(),
          AfxNarrow(kept).c_str());
    return true;
}
