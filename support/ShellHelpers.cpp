#include "support/ShellHelpers.h"

#include "platform/CommonDialogs.h"
#include "platform/FileFind.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Shell.h"
#include "platform/ShellLink.h"
#include "platform/Trace.h"

#include <algorithm>
#include <vector>

namespace {
constexpr DWORD kModuleBufferSize = 259;
}

CString GetProgramPath(bool folderOnly)
{
    // A path may be far longer than the Win32 buffer: grow until the name fits.
    std::vector<char> buffer(kModuleBufferSize + 1);
    DWORD length = 0;
    while (true) {
        length = GetModuleFileNameA(nullptr, buffer.data(), DWORD(buffer.size() - 1));
        if (length < buffer.size() - 1 || buffer.size() > 65536)
            break;
        buffer.resize(buffer.size() * 2);
    }
    if (length == 0 || length >= buffer.size() - 1)
        return CString();
    CString path(buffer.data());
    if (folderOnly)
        path = path.Left(int(PathFindFileNameA(path) - path.GetString()));
    // Where the file system tells case apart, a path folded to lower case
    // would name another file.
    if (!AfxFileNamesAreCaseSensitive())
        path.MakeLower();
    return path;
}

CString JoinPath(const CString& folder, LPCSTR name)
{
    if (folder.IsEmpty())
        return name ? name : "";
    std::vector<char> path(std::size_t(folder.GetLength()) + 2, '\0');
    std::copy_n(folder.GetString(), folder.GetLength(), path.begin());
    PathAddBackslashA(path.data());
    return CString(path.data()) + (name ? name : "");
}

CString GetSpecialFolderPath(int csidl, bool create)
{
    char buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, csidl, create ? TRUE : FALSE))
        return CString();
    return CString(buffer);
}

bool FileExists(LPCSTR path)
{
    CFileFind finder;
    return finder.FindFile(path) != FALSE;
}

bool OpenReadMe(CString fileName)
{
    CString path = GetProgramPath(true) + fileName;
    auto result = reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL));
    if (result > 32)
        return true;
    Trace("(KVRLIB) README ERROR CODE: %d\n", int(result));
    return false;
}

CString GetFileNamePart(CString path)
{
    int separator = path.ReverseFind('\\');
    if (separator < 0)
        separator = path.ReverseFind('/');
    return separator < 0 ? path : path.Mid(separator + 1);
}

CString GetFolderPart(CString path)
{
    int separator = path.ReverseFind('\\');
    if (separator < 0)
        separator = path.ReverseFind('/');
    return separator < 0 ? CString() : path.Left(separator + 1);
}

bool ShowFileDialog(CString& result, bool open, HWND owner, LPCSTR initialPath, LPCSTR initialFile, DWORD flags,
                    LPCSTR filter, LPCSTR defaultExt, int* filterIndex, LPCSTR title, int bufferSize)
{
    if (bufferSize < 2)
        return false;
    std::vector<char> buffer(std::size_t(bufferSize), '\0');

    CString startFolder;
    if (initialPath)
        startFolder = GetFolderPart(initialPath);
    if (initialFile) {
        // A name that does not fit the buffer is left out rather than cut.
        CString name = GetFileNamePart(initialFile);
        if (name.GetLength() < bufferSize)
            std::copy(name.GetString(), name.GetString() + name.GetLength(), buffer.begin());
    }

    std::vector<char> filterList;
    if (filter) {
        for (const char* p = filter; *p; ++p) {
            if (*p == '\n')
                continue;
            filterList.push_back(*p == '|' ? '\0' : *p);
        }
        filterList.push_back('\0');
        filterList.push_back('\0');
    }

    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter ? filterList.data() : nullptr;
    ofn.nFilterIndex = DWORD(filterIndex ? *filterIndex + 1 : 1);
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = DWORD(bufferSize);
    ofn.lpstrInitialDir = startFolder;
    ofn.lpstrTitle = title;
    ofn.Flags = flags;
    ofn.lpstrDefExt = defaultExt;

    BOOL ok = open ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
    if (!ok)
        return false;
    if (filterIndex)
        *filterIndex = int(ofn.nFilterIndex) - 1;

    if (!(flags & OFN_ALLOWMULTISELECT)) {
        result = CString(buffer.data());
        return true;
    }
    // A folder and NUL-separated names, or one full path.
    int nuls = 0;
    for (int i = 0; i < bufferSize - 2; ++i) {
        if (buffer[std::size_t(i)] == '\0') {
            if (buffer[std::size_t(i) + 1] == '\0')
                break;
            ++nuls;
        }
    }
    if (nuls == 0) {
        result = CString(buffer.data());
        return true;
    }
    CString folder(buffer.data());
    CString list;
    for (std::size_t pos = ofn.nFileOffset; pos < buffer.size() && buffer[pos] != '\0';) {
        CString name(&buffer[pos]);
        if (!list.IsEmpty())
            list += '\n';
        list += JoinPath(folder, name);
        pos += std::size_t(name.GetLength()) + 1;
    }
    result = list;
    return true;
}

BOOL CreateShortcut(LPCSTR target, LPCSTR linkPath)
{
    // COM that cannot start is a failure to report, not a reason to end the program.
    if (FAILED(CoInitialize(nullptr)))
        return FALSE;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<LPVOID*>(&link))))
        return FALSE;
    if (FAILED(link->SetPath(target))) {
        link->Release();
        return FALSE;
    }
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        return FALSE;
    }
    int size = linkPath ? MultiByteToWideChar(CP_ACP, 0, linkPath, -1, nullptr, 0) : 0;
    std::vector<WCHAR> widePath(std::size_t(size > 0 ? size : 1), u'\0');
    BOOL saved = size > 0 && MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath.data(), size) == size &&
                 SUCCEEDED(file->Save(widePath.data(), TRUE));
    file->Release();
    link->Release();
    return saved;
}

namespace {

char* Appended(char* out, int written)
{
    if (written <= 0) {
        *out = '\0';
        return out;
    }
    return out + written - 1;
}

}  // namespace

char* AppendTimeText(char* out, DWORD flags, LPCSTR format, const SYSTEMTIME* time)
{
    return Appended(out, GetTimeFormatA(LOCALE_USER_DEFAULT, flags, time, format, out, kFormatBufferSize));
}

char* AppendDateText(char* out, DWORD flags, LPCSTR format, const SYSTEMTIME* time)
{
    return Appended(out, GetDateFormatA(LOCALE_USER_DEFAULT, flags, time, format, out, kFormatBufferSize));
}
