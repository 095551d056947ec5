#pragma once
#include <string>
#include <string_view>

// Replaces the file at path with bytes: a unique temporary file (O_EXCL) in the same folder, every write checked,
// fsync (when sync), rename over the old name, fsync the folder. Keeps the old file's permission bits (new files
// get 0666 & ~umask); a symbolic link is followed and its target replaced. On any failure returns false, leaves
// the old file exactly as it was and removes the temporary file. errno-style detail in *error when non-null.
//
// A file that cannot be written (no write permission, not a regular file) is not replaced: EACCES or EISDIR.
// When the folder cannot take the temporary file but the file itself can be written, the file is rewritten in
// place instead: its new size reserved first (so a full disk fails before anything changes), then written,
// cut to length and synced.
//
// Temporary files are named "<name>.tmp-<pid>-<n>". Those that processes which are gone left behind (and the
// older "<name>.tmp<digits>" ones, after an hour) are removed at the next successful write.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync = true, int* error = nullptr);
