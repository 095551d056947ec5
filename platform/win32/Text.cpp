// Narrow text to and from the wide calls. Narrow text is UTF-8, as on Linux;
// bytes that are not UTF-8 (a list written by an older Windows program in its
// ANSI code page) are read as Windows-1252, as the Linux build shows them.

#include "platform/win32/Internal.h"

#include <algorithm>
#include <cstring>

std::wstring AfxWide(std::string_view text)
{
    if (text.empty())
        return {};
    UINT codePage = CP_UTF8;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), nullptr, 0);
    if (n <= 0) {
        codePage = 1252;
        n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), nullptr, 0);
    }
    std::wstring out(std::size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

std::string AfxNarrow(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void AfxCopyText(char* to, std::size_t size, std::string_view from)
{
    if (size == 0)
        return;
    std::size_t n = std::min(from.size(), size - 1);
    while (n > 0 && n < from.size() && (static_cast<unsigned char>(from[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}
