#include "platform/portable/RewriteRecord.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr std::string_view kMagic = "Talvo rewrite 1\n";

std::string Hex(std::uint64_t value)
{
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(value));
    return buffer;
}

// Reads an unsigned number ended by stop, and moves past both.
template <typename T>
bool ReadNumber(std::string_view& text, char stop, T& value, int base = 10)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end == text.data() || end == text.data() + text.size() || *end != stop)
        return false;
    text.remove_prefix(std::size_t(end - text.data()) + 1);
    return true;
}

}  // namespace

std::uint64_t ContentHash(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string RewriteRecordName(std::string_view target) { return "rewrite-" + Hex(ContentHash(target)); }

std::string FormatRewriteRecord(std::string_view target, std::string_view content)
{
    std::string out(kMagic);
    out += std::to_string(target.size()) + " " + std::to_string(content.size()) + " " + Hex(ContentHash(content)) + "\n";
    out += target;
    out += '\n';
    out += content;
    return out;
}

std::optional<std::string_view> ParseRewriteRecord(std::string_view record, std::string_view target)
{
    if (record.substr(0, kMagic.size()) != kMagic)
        return std::nullopt;
    record.remove_prefix(kMagic.size());
    std::size_t pathLength = 0, contentLength = 0;
    std::uint64_t hash = 0;
    if (!ReadNumber(record, ' ', pathLength) || !ReadNumber(record, ' ', contentLength) ||
        !ReadNumber(record, '\n', hash, 16))
        return std::nullopt;
    if (pathLength != target.size() || record.size() < pathLength + 1 || record.substr(0, pathLength) != target ||
        record[pathLength] != '\n')
        return std::nullopt;
    record.remove_prefix(pathLength + 1);
    if (record.size() != contentLength || ContentHash(record) != hash)
        return std::nullopt;
    return record;
}
