#include "platform/portable/RegistryStore.h"

#include "platform/Registry.h"

#include <cstdio>
#include <unordered_map>

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::size_t kHexLineWidth = 76;

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string LowerKey(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = LowerAscii(c);
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s)
{
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && CRegistryStore::NamesEqual(s.substr(0, prefix.size()), prefix);
}

// Valid UTF-8 without control characters: safe to write between quotes.
bool IsPrintableUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        unsigned min = 0;
        unsigned cp = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
            cp = c & 0x07;
        } else return false;
        if (i + extra >= s.size())
            return false;
        for (int k = 1; k <= extra; ++k) {
            auto cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string Quote(std::string_view s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// Reads a quoted string at the start of s; returns the rest behind the closing quote.
bool ReadQuoted(std::string_view& s, std::string& out)
{
    if (s.empty() || s.front() != '"')
        return false;
    out.clear();
    std::size_t i = 1;
    while (i < s.size()) {
        char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return false;
            out += s[i + 1];
            i += 2;
            continue;
        }
        out += c;
        ++i;
    }
    return false;
}

bool ParseHexBytes(std::string_view s, std::string& out)
{
    out.clear();
    s = TrimLeft(TrimRight(s));
    if (s.empty())
        return true;
    while (true) {
        s = TrimLeft(s);
        int hi = s.empty() ? -1 : HexDigit(s.front());
        if (hi < 0)
            return false;
        s.remove_prefix(1);
        int value = hi;
        if (!s.empty() && HexDigit(s.front()) >= 0) {
            value = hi * 16 + HexDigit(s.front());
            s.remove_prefix(1);
        }
        out += static_cast<char>(value);
        s = TrimLeft(s);
        if (s.empty())
            return true;
        if (s.front() != ',')
            return false;
        s.remove_prefix(1);
        if (TrimLeft(s).empty())
            return true;  // a trailing comma, as before a line break
    }
}

bool ParseData(std::string_view s, RegistryValue& value)
{
    s = TrimLeft(s);
    if (!s.empty() && s.front() == '"') {
        std::string text;
        if (!ReadQuoted(s, text) || !TrimRight(s).empty())
            return false;
        value.type = REG_SZ;
        value.data = text;
        value.data += '\0';
        return true;
    }
    if (StartsWithNoCase(s, "dword:")) {
        std::string_view digits = TrimRight(s.substr(6));
        if (digits.empty() || digits.size() > 8)
            return false;
        DWORD n = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0)
                return false;
            n = (n << 4) | DWORD(d);
        }
        value.type = REG_DWORD;
        value.data.assign(4, '\0');
        for (int k = 0; k < 4; ++k)
            value.data[k] = static_cast<char>((n >> (8 * k)) & 0xFF);
        return true;
    }
    if (StartsWithNoCase(s, "hex:")) {
        value.type = REG_BINARY;
        return ParseHexBytes(s.substr(4), value.data);
    }
    if (StartsWithNoCase(s, "hex(")) {
        std::size_t close = s.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12)
            return false;
        DWORD type = 0;
        for (char c : s.substr(4, close - 4)) {
            int d = HexDigit(c);
            if (d < 0)
                return false;
            type = (type << 4) | DWORD(d);
        }
        value.type = type;
        return ParseHexBytes(s.substr(close + 2), value.data);
    }
    return false;
}

bool ValidKeyPath(std::string_view path)
{
    if (path.empty() || path.front() == '-')
        return false;
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('\\', start);
        std::string_view part = path.substr(start, end == std::string_view::npos ? path.npos : end - start);
        if (part.empty())
            return false;
        if (end == std::string_view::npos)
            return true;
        start = end + 1;
    }
}

}  // namespace

bool CRegistryStore::NamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

bool CRegistryStore::Parse(std::string_view text, std::string* error)
{
    m_preamble.clear();
    m_sections.clear();
    m_skipped = 0;
    std::size_t lineNo = 0;
    auto note = [&](const char* why) {
        if (error && error->empty()) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "line %zu: %s", lineNo, why);
            *error = buf;
        }
    };
    // A line that cannot be read is left out, as a registry editor's import
    // leaves it out; the rest is used.
    auto skip = [&](const char* why) {
        ++m_skipped;
        note(why);
    };
    if (error)
        error->clear();

    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }

    // Indexes keep a big file linear: sections by path, values by section and name.
    std::unordered_map<std::string, std::size_t> sectionIndex;
    std::unordered_map<std::string, std::size_t> valueIndex;
    bool seenHeader = false;
    Section* current = nullptr;
    std::size_t currentIndex = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lineNo = i + 1;
        std::string_view line = TrimLeft(TrimRight(lines[i]));
        if (line.empty())
            continue;
        if (!seenHeader) {
            if (line != kHeader) {
                // Not a store at all: nothing of it is used.
                m_preamble.clear();
                m_sections.clear();
                note("not a REGEDIT4 file");
                return false;
            }
            seenHeader = true;
            continue;
        }
        // A hex list may go on over lines that end in a backslash.
        std::string raw(line);
        std::string logical(line);
        bool continued = true;
        while (line.front() == '"' || line.front() == '@') {
            if (logical.back() != '\\')
                break;
            if (i + 1 >= lines.size()) {
                continued = false;
                break;
            }
            logical.pop_back();
            ++i;
            std::string_view next = TrimRight(lines[i]);
            raw += '\n';
            raw += next;
            logical += TrimLeft(next);
        }
        if (logical.find('\0') != std::string::npos) {
            skip("NUL byte");
            continue;
        }
        if (line.front() == ';') {
            if (current)
                current->entries.push_back(Entry{false, {}, std::string(line)});
            else if (m_sections.empty())
                m_preamble.emplace_back(line);
            continue;
        }
        if (line.front() == '[') {
            // The values under a key that cannot be read belong to no key.
            current = nullptr;
            if (line.back() != ']') {
                skip("unclosed key name");
                continue;
            }
            std::string_view path = line.substr(1, line.size() - 2);
            if (!ValidKeyPath(path)) {
                skip("bad key name");
                continue;
            }
            auto [it, added] = sectionIndex.emplace(LowerKey(path), m_sections.size());
            if (added)
                AddSection(path);
            currentIndex = it->second;
            current = &m_sections[currentIndex];
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            skip("not a key, value or comment");
            continue;
        }
        if (!continued) {
            skip("continuation at the end of the file");
            continue;
        }
        if (!current) {
            skip("value outside a key");
            continue;
        }

        RegistryValue value;
        std::string_view rest = logical;
        if (rest.front() == '@')
            rest.remove_prefix(1);
        else if (!ReadQuoted(rest, value.name)) {
            skip("bad value name");
            continue;
        }
        rest = TrimLeft(rest);
        if (rest.empty() || rest.front() != '=' || !ParseData(rest.substr(1), value)) {
            skip("bad value");
            continue;
        }

        std::string valueKey = std::to_string(currentIndex) + '\\' + LowerKey(value.name);
        Entry entry{true, std::move(value), std::move(raw)};
        auto [it, added] = valueIndex.emplace(std::move(valueKey), current->entries.size());
        if (added)
            current->entries.push_back(std::move(entry));
        else
            current->entries[it->second] = std::move(entry);
    }
    return true;  // blank text included: an empty store
}

std::string CRegistryStore::Serialize() const
{
    std::string out(kHeader);
    out += '\n';
    for (const std::string& line : m_preamble) {
        out += line;
        out += '\n';
    }
    for (const Section& section : m_sections) {
        out += "\n[";
        out += section.path;
        out += "]\n";
        for (const Entry& e : section.entries) {
            out += (!e.isValue || !e.text.empty()) ? e.text : FormatRegistryValue(e.value);
            out += '\n';
        }
    }
    return out;
}

CRegistryStore::Section* CRegistryStore::FindSection(std::string_view fullPath)
{
    for (Section& s : m_sections)
        if (NamesEqual(s.path, fullPath))
            return &s;
    return nullptr;
}

const CRegistryStore::Section* CRegistryStore::FindSection(std::string_view fullPath) const
{
    return const_cast<CRegistryStore*>(this)->FindSection(fullPath);
}

CRegistryStore::Section& CRegistryStore::AddSection(std::string_view fullPath)
{
    m_sections.push_back(Section{std::string(fullPath), {}});
    return m_sections.back();
}

bool CRegistryStore::KeyExists(std::string_view fullPath) const
{
    if (fullPath.find('\\') == std::string_view::npos)
        return true;
    for (const Section& s : m_sections) {
        std::string_view path = s.path;
        if (NamesEqual(path, fullPath))
            return true;
        if (path.size() > fullPath.size() && path[fullPath.size()] == '\\' &&
            NamesEqual(path.substr(0, fullPath.size()), fullPath))
            return true;
    }
    return false;
}

void CRegistryStore::CreateKey(std::string_view fullPath)
{
    if (!FindSection(fullPath))
        AddSection(fullPath);
}

const RegistryValue* CRegistryStore::FindValue(std::string_view fullPath, std::string_view name) const
{
    const Section* s = FindSection(fullPath);
    if (!s)
        return nullptr;
    for (const Entry& e : s->entries)
        if (e.isValue && NamesEqual(e.value.name, name))
            return &e.value;
    return nullptr;
}

void CRegistryStore::SetValue(std::string_view fullPath, std::string_view name, DWORD type, std::string_view data)
{
    Section* s = FindSection(fullPath);
    if (!s)
        s = &AddSection(fullPath);
    for (Entry& e : s->entries) {
        if (e.isValue && NamesEqual(e.value.name, name)) {
            if (e.value.type != type || e.value.data != data) {
                e.value.type = type;
                e.value.data.assign(data);
                e.text.clear();
            }
            return;
        }
    }
    s->entries.push_back(Entry{true, RegistryValue{std::string(name), type, std::string(data)}, {}});
}

std::string FormatRegistryValue(const RegistryValue& value)
{
    std::string out = value.name.empty() ? std::string("@") : Quote(value.name);
    out += '=';
    const std::string& d = value.data;
    if (value.type == REG_SZ && !d.empty() && d.back() == '\0' &&
        IsPrintableUtf8(std::string_view(d).substr(0, d.size() - 1))) {
        out += Quote(std::string_view(d).substr(0, d.size() - 1));
        return out;
    }
    char buf[16];
    if (value.type == REG_DWORD && d.size() == 4) {
        DWORD n = 0;
        for (int k = 3; k >= 0; --k)
            n = (n << 8) | static_cast<unsigned char>(d[k]);
        std::snprintf(buf, sizeof buf, "dword:%08x", n);
        out += buf;
        return out;
    }
    if (value.type == REG_BINARY) {
        out += "hex:";
    } else {
        std::snprintf(buf, sizeof buf, "hex(%x):", value.type);
        out += buf;
    }
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < d.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(d[i]));
        out += buf;
        if (i + 1 < d.size()) {
            out += ',';
            if (out.size() - lineStart > kHexLineWidth) {
                out += "\\\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
    return out;
}
