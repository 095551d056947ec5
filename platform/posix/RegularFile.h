#pragma once
// Inside platform/ only: reading a file that the user or another program
// names, which may be anything (a FIFO, a device, a huge file).

#include <cstddef>
#include <string>

// Why a read failed, besides an errno value.
constexpr int kNotRegularFile = -1;
constexpr int kFileTooBig = -2;

// Opens path for reading without ever waiting: O_NONBLOCK, so that neither
// a FIFO without a writer nor a device holds the open, and anything but a
// regular file is closed again (kNotRegularFile). The descriptor, or -1
// with the reason in *error.
int AfxOpenRegularFile(const std::string& path, bool followLinks, int* error);

// Reads a regular file whole, at most limit bytes (kFileTooBig beyond).
// 0, an errno value, kNotRegularFile or kFileTooBig.
int AfxReadRegularFile(const std::string& path, std::size_t limit, std::string& bytes, bool followLinks = true);
