#include "platform/qt/TextCodec.h"

#include <cstdint>
#include <cstring>

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their C1 value,
// as Windows' own conversion does.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Eight bytes at a time: a list refresh converts two texts for every row.
bool IsAscii(const char* text, std::size_t length)
{
    std::uint64_t bits = 0;
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        bits |= word;
    }
    for (; i < length; ++i)
        bits |= static_cast<unsigned char>(text[i]);
    return (bits & 0x8080808080808080ULL) == 0;
}

}  // namespace

bool AfxIsValidUtf8(const char* text, std::size_t length)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < length) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t need;
        char32_t cp;
        char32_t min;
        if ((c & 0xE0) == 0xC0) {
            need = 1;
            cp = c & 0x1F;
            min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            need = 2;
            cp = c & 0x0F;
            min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            need = 3;
            cp = c & 0x07;
            min = 0x10000;
        } else {
            return false;
        }
        if (length - i <= need)
            return false;
        for (std::size_t k = 1; k <= need; ++k) {
            unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += need + 1;
    }
    return true;
}

QString FromWindows1252(const char* text, std::size_t length)
{
    QString out;
    out.reserve(qsizetype(length));
    for (std::size_t i = 0; i < length; ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        out.append(QChar(c >= 0x80 && c < 0xA0 ? kHigh1252[c - 0x80] : char16_t(c)));
    }
    return out;
}

QString FromAnsi(const char* text, std::size_t length)
{
    if (!text || length == 0)
        return QString();
    // Plain ASCII, the usual case, needs no decoder.
    if (IsAscii(text, length))
        return QString::fromLatin1(text, qsizetype(length));
    if (AfxIsValidUtf8(text, length))
        return QString::fromUtf8(text, qsizetype(length));
    return FromWindows1252(text, length);
}

QString FromAnsi(const char* text) { return text ? FromAnsi(text, std::strlen(text)) : QString(); }

QByteArray ToAnsi(const QString& text) { return text.toUtf8(); }
