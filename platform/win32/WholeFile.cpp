// A file read whole through the wide calls: the C++ runtime would take a
// narrow name in the ANSI code page, byte by byte, and miss "ö".

#include "platform/WholeFile.h"

#include "platform/win32/Internal.h"

#include <cstdint>

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    const std::wstring name = AfxWide(path);
    if (name.empty())
        return false;
    // A folder or a device is not opened.
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)))
        return false;
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    bool ok = ::GetFileType(h) == FILE_TYPE_DISK;
    LARGE_INTEGER size{};
    bytes.clear();
    if (ok && ::GetFileSizeEx(h, &size) && size.QuadPart > 0 &&
        std::uint64_t(size.QuadPart) < std::uint64_t(bytes.max_size()))
        bytes.reserve(std::size_t(size.QuadPart));
    char buffer[65536];
    while (ok) {
        DWORD read = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &read, nullptr)) {
            ok = false;
            break;
        }
        if (read == 0)
            break;
        bytes.append(buffer, read);
    }
    ::CloseHandle(h);
    return ok;
}
