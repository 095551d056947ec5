#pragma once
// The support library's shell and file functions: the program's own path, the
// special folders, file existence, opening a document beside the program, the
// Open and Save As dialogs, the autostart shortcut and locale date and time
// texts. None of them shows a message; each reports failure by its result.

#include "platform/CString.h"
#include "platform/DateFormat.h"
#include "platform/Win32.h"

// The running program's full path, or with folderOnly its folder ending in
// the separator; in lower case where file names ignore case.
CString GetProgramPath(bool folderOnly);
// folder, the separator unless folder ends in one, and name.
CString JoinPath(const CString& folder, LPCSTR name);
// A shell special folder (CSIDL_APPDATA 26, CSIDL_STARTUP 7) without trailing
// slash; empty for an unknown number. With create a missing folder is made
// (without, Windows may give no path for it).
CString GetSpecialFolderPath(int csidl, bool create = false);
// True when a file or folder matches path; wildcards in the last part count.
bool FileExists(LPCSTR path);
// Opens fileName from the program's folder with the desktop's default application.
bool OpenReadMe(CString fileName);
// The part behind the last backslash, else behind the last slash.
CString GetFileNamePart(CString path);
// The part up to and including that separator; empty without one.
CString GetFolderPart(CString path);
bool ShowFileDialog(CString& result, bool open, HWND owner, LPCSTR initialPath, LPCSTR initialFile, DWORD flags,
                    LPCSTR filter, LPCSTR defaultExt, int* filterIndex, LPCSTR title, int bufferSize);
// Writes the autostart entry for target at linkPath (".lnk" is saved as ".desktop").
BOOL CreateShortcut(LPCSTR target, LPCSTR linkPath);
// The room a date or a time may take, with its terminator.
constexpr int kFormatBufferSize = 64;
// Write the user's date or time at out, which has room for kFormatBufferSize
// bytes, and return the end of the text. A text that does not fit, or a bad
// time, writes nothing.
char* AppendTimeText(char* out, DWORD flags, LPCSTR format, const SYSTEMTIME* time);
char* AppendDateText(char* out, DWORD flags, LPCSTR format, const SYSTEMTIME* time);
