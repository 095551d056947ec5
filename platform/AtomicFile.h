#pragma once
#include <string>
#include <string_view>

// Who may read a file WriteFileAtomically writes. Usual: an old file keeps its permission bits, a new one gets
// 0666 & ~umask. OwnerOnly: the file is its owner's alone (0600), for copies kept aside and recovery files, which
// may hold a list that was never meant for others' eyes. (On Windows a file takes its folder's permissions.)
enum class FileAccess {
    Usual,
    OwnerOnly,
};

// Replaces the file at path with bytes: a unique temporary file (O_EXCL, 0600) in the same folder, every write
// checked, fsync (when sync), rename over the old name, fsync the folder. On any failure returns false, leaves
// the old file exactly as it was and removes the temporary file. errno-style detail in *error when non-null.
//
// A symbolic link is followed and its target replaced, as the kernel's protected_symlinks rule allows: a link in
// a sticky world-writable folder (/tmp) is followed only when it belongs to the user or to the folder's owner,
// else EACCES. A file that belongs to another user, or cannot be written (no write permission, not a regular
// file), is not replaced: EACCES or EISDIR.
//
// When the folder cannot take the temporary file but the file itself can be written, the file is rewritten in
// place instead: first the whole new content is written and synced to a record in the user's state folder
// ($XDG_STATE_HOME/Talvo, on Windows %LOCALAPPDATA%\Talvo), then the file's new size is reserved (so a full disk
// fails before anything changes), written, cut to length and synced, and the record removed. A rewrite that was
// cut short is finished by AfxRecoverInterruptedWrite; without a state folder to write to, nothing is rewritten.
//
// Temporary files are named "<name>.tmp-<pid>-<n>". Those that processes which are gone left behind (and the
// older "<name>.tmp<digits>" ones, after an hour) are removed at the next successful write.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync = true, int* error = nullptr,
                         FileAccess access = FileAccess::Usual);

// Called before a file is read: when a rewrite in place of path was cut short (a kill, a power loss) and the file
// does not hold what it was to hold, the file is given the whole content that rewrite was writing, and what it held
// instead is kept in the state folder ("<name>.torn-<date>-<time>", the owner's alone). True when the file was
// restored; false when there was nothing to finish, or it could not be (the record then stays for the next try).
bool AfxRecoverInterruptedWrite(const std::string& path);
