#pragma once
// Reading a file whole by its narrow name, which is UTF-8 on every system (on
// Windows, bytes that are not UTF-8 are read as Windows-1252, as
// WriteFileAtomically reads them). Qt-free.

#include <string>

// Reads the regular file at path whole, in binary, into bytes. False for a
// missing or unreadable file and for anything that is not a regular file (a
// folder, a device, a FIFO), which is not even opened: opening a FIFO would
// wait for a writer.
bool ReadWholeFile(const std::string& path, std::string& bytes);
