// A file read whole; its name is bytes here, as the file system takes them.

#include "platform/WholeFile.h"

#include <cstdint>
#include <filesystem>
#include <fstream>

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    std::error_code error;
    const std::filesystem::path file(path);
    if (!std::filesystem::is_regular_file(file, error))
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    bytes.clear();
    if (!error && size < bytes.max_size())
        bytes.reserve(std::size_t(size));
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, std::size_t(in.gcount()));
    return !in.bad();
}
