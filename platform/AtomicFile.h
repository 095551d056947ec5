#pragma once
#include <string>
#include <string_view>

// Replaces the file at path with bytes: a unique temporary file (O_EXCL) in the same folder, every write checked,
// fsync (when sync), rename over the old name, fsync the folder. Keeps the old file's permission bits (new files
// get 0666 & ~umask); a symbolic link is followed and its target replaced. On any failure returns false, leaves
// the old file exactly as it was and removes the temporary file. errno-style detail in *error when non-null.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, bool sync = true, int* error = nullptr);
