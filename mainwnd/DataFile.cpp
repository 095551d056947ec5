#include "mainwnd/DataFile.h"

#include "model/Clock.h"
#include "platform/FileFind.h"
#include "platform/FileSystem.h"
#include "platform/Instance.h"
#include "platform/Path.h"
#include "platform/TimeZone.h"
#include "platform/Trace.h"
#include "res/resource.h"
#include "support/ShellHelpers.h"

#include <ctime>

// A new account may not have its application-data folder yet: it is made.
CString DefaultDataFolder() { return JoinPath(GetSpecialFolderPath(CSIDL_APPDATA, true), "Talvo"); }

void CreateFolderPath(const CString& folder) { SHCreateDirectoryExA(nullptr, folder, nullptr); }

bool IsFolder(LPCSTR path)
{
    CString name = path;
    // "lists/" names the folder "lists".
    while (name.GetLength() > 1 && (name.GetAt(name.GetLength() - 1) == '/' || name.GetAt(name.GetLength() - 1) == '\\'))
        name = name.Left(name.GetLength() - 1);
    CFileFind finder;
    if (name.IsEmpty() || !finder.FindFile(name))
        return false;
    finder.FindNextFile();
    return finder.IsDirectory() != FALSE;
}

CString ChooseDataFile(LPCSTR cmdLine, LPCSTR lastFile, bool* reportLoadError)
{
    if (reportLoadError)
        *reportLoadError = true;
    if (cmdLine && *cmdLine) {
        // Absolute, so that "LastFile" finds it again from any folder.
        char full[4096];
        const DWORD n = GetFullPathNameA(cmdLine, sizeof full, full, nullptr);
        return n > 0 && n < sizeof full ? CString(full) : CString(cmdLine);
    }
    if (lastFile && *lastFile && !IsFolder(lastFile))
        return lastFile;
    if (reportLoadError)
        *reportLoadError = false;
    const CString candidate = GetProgramPath(true) + "talvo.tlv";
    if (FileExists(candidate))
        return candidate;
    const CString folder = DefaultDataFolder();
    CreateFolderPath(folder);
    return JoinPath(folder, "talvo.tlv");
}

CString FreeFileName(const CString& prefix, const char* suffix)
{
    const std::time_t now = ClockNow();
    std::tm tm{};
    localtime_s(&tm, &now);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    const CString base = prefix + stamp;
    CString name = base + suffix;
    for (int n = 2; FileExists(name); ++n)
        name.Format("%s-%d%s", base.GetString(), n, suffix);
    return name;
}

bool ClaimDataFile(const CString& path)
{
    const InstanceClaim claim = AfxMoveInstanceClaim(path);
    if (claim == InstanceClaim::Claimed)
        return true;
    CString format, text;
    format.LoadString(claim == InstanceClaim::NotAnswering ? IDS_NOT_ANSWERING : IDS_LIST_HELD);
    text.Format(format, path.GetString());
    Trace("%s\n", text.GetString());
    AfxMessageBox(text, MB_ICONEXCLAMATION);
    return false;
}
