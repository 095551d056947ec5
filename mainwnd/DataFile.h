#pragma once
// Where the list lives: the file start-up opens, and the folder that holds
// the default list and the files that keep a list safe.

#include "platform/Afx.h"

// The application-data folder's "Talvo" folder.
CString DefaultDataFolder();
// Creates a folder and the folders above it that are missing: on a new
// account even the application-data folder may not exist yet.
void CreateFolderPath(const CString& folder);
// Whether path names an existing folder (a list never is one).
bool IsFolder(LPCSTR path);
// The data file start-up opens: the command line (made absolute), else the
// list used last, else "talvo.tlv" beside the program, else the default in
// DefaultDataFolder(), which is then created. *reportLoadError becomes false
// for the two defaults: a missing default file is no error.
CString ChooseDataFile(LPCSTR cmdLine, LPCSTR lastFile, bool* reportLoadError);
// Moves the program's claim to the list at path (opened or saved under a new
// name). When another running Talvo holds it, that one is brought forward,
// the user is told, and false is returned: the list on screen stays.
bool ClaimDataFile(const CString& path);
// A path that no file has yet: prefix, the local date and time, suffix
// (".../talvo-recovery-20261207-221500.tlv"), with "-2", "-3" ... before the
// suffix when taken.
CString FreeFileName(const CString& prefix, const char* suffix);
