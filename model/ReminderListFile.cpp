#include "model/ReminderList.h"

#include "platform/AtomicFile.h"
#include "platform/WholeFile.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace {

// Reads lines as the C library's line reader would: LF or CR LF ends a line,
// a lone CR belongs to the line, and the end of the file is noticed only when
// a read meets it.
class LineReader {
public:
    explicit LineReader(const std::string& bytes) : m_bytes(bytes) {}

    bool AtEnd() const { return m_eof; }

    std::string_view Next()
    {
        if (m_pos >= m_bytes.size()) {
            m_eof = true;
            return {};
        }
        std::size_t lf = m_bytes.find('\n', m_pos);
        std::string_view line;
        if (lf == std::string::npos) {
            line = std::string_view(m_bytes).substr(m_pos);
            m_pos = m_bytes.size();
            m_eof = true;
        } else {
            std::size_t end = lf;
            if (end > m_pos && m_bytes[end - 1] == '\r')
                --end;
            line = std::string_view(m_bytes).substr(m_pos, end - m_pos);
            m_pos = lf + 1;
        }
        return line;
    }

private:
    const std::string& m_bytes;
    std::size_t m_pos = 0;
    bool m_eof = false;
};

// atol's reading, wrapping modulo 2^32 into a signed 32-bit value.
std::int32_t ParseNumber(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || (line[i] >= '\t' && line[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-'))
        negative = line[i++] == '-';
    std::uint32_t value = 0;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
        value = value * 10u + static_cast<std::uint32_t>(line[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

bool ParseFlag(std::string_view line) { return line.empty() || line[0] != '0'; }

bool EqualsIgnoringAsciiCase(std::string_view a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == a.size() && b[i] == '\0';
}

// Line feeds in bytes, eight bytes at a time.
std::size_t CountLineFeeds(const std::string& bytes)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::size_t count = 0;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        const std::uint64_t x = word ^ (kOnes * '\n');  // zero bytes where a line feed was
        // Exact zero-byte test: the high bit of each byte that was zero.
        const std::uint64_t zero = ~(((x & ~kHigh) + ~kHigh) | x | ~kHigh);
        count += std::size_t(std::popcount(zero));
    }
    for (; i < bytes.size(); ++i)
        count += bytes[i] == '\n';
    return count;
}

void AppendLine(std::string& out, const std::string& text)
{
    out += text;
    out += "\r\n";
}

}  // namespace

std::string CReminderList::Serialize() const
{
    std::string out;
    out.reserve(64 + m_reminders.size() * 48);
    AppendLine(out, "Talvo_1.2");
    AppendLine(out, m_strDefaultText);
    AppendLine(out, std::to_string(static_cast<std::uint32_t>(m_nDefaultTimeAdd)));
    AppendLine(out, m_bDefaultRemind ? "1" : "0");
    AppendLine(out, std::to_string(static_cast<std::uint32_t>(m_nDefaultPushTime)));
    AppendLine(out, m_bDefaultPush ? "1" : "0");
    for (const CReminder& r : m_reminders) {
        AppendLine(out, r.m_strText);
        AppendLine(out, std::to_string(r.m_nTime));
        AppendLine(out, r.m_bRemind ? "1" : "0");
        AppendLine(out, std::to_string(r.m_nPushTime));
        AppendLine(out, r.m_bPush ? "1" : "0");
    }
    return out;
}

bool CReminderList::Save() const
{
    if (m_strFileName.empty())
        return false;
    // Written whole to a temporary file and renamed over the old one, so a
    // failure never leaves a truncated list behind.
    return WriteFileAtomically(m_strFileName, Serialize());
}

bool CReminderList::IsWhole(const std::string& bytes)
{
    if (bytes.empty() || bytes.back() != '\n')
        return false;  // the last line is not ended: still being written
    // Empty lines at the end (an editor's last line feed) are no record.
    std::size_t end = bytes.size();
    while (end > 0 && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r'))
        --end;
    if (end == 0)
        return false;
    const std::string_view text(bytes.data(), end);
    std::string_view tag = text.substr(0, text.find('\n'));
    if (!tag.empty() && tag.back() == '\r')
        tag.remove_suffix(1);
    const bool version1 = EqualsIgnoringAsciiCase(tag, "Talvo_1");
    if (!version1 && !EqualsIgnoringAsciiCase(tag, "Talvo_1.2"))
        return false;
    const std::size_t lines = std::size_t(std::count(text.begin(), text.end(), '\n')) + 1;
    const std::size_t header = version1 ? 4 : 6;
    const std::size_t record = version1 ? 3 : 5;
    return lines >= header && (lines - header) % record == 0;
}

bool CReminderList::Parse(const std::string& bytes)
{
    LineReader reader(bytes);
    const std::string_view tag = reader.Next();
    const bool version1 = EqualsIgnoringAsciiCase(tag, "Talvo_1");
    if (!version1 && !EqualsIgnoringAsciiCase(tag, "Talvo_1.2")) {
        m_reminders.clear();
        return false;
    }

    m_strDefaultText = std::string(reader.Next());
    m_nDefaultTimeAdd = ParseNumber(reader.Next());
    m_bDefaultRemind = ParseFlag(reader.Next());
    if (version1) {
        m_nDefaultPushTime = 86400;
        m_bDefaultPush = false;
    } else {
        m_nDefaultPushTime = ParseNumber(reader.Next());
        m_bDefaultPush = ParseFlag(reader.Next());
    }

    m_reminders.reserve(CountLineFeeds(bytes) / (version1 ? 3 : 5));
    // The records the list holds already are filled again in place: their
    // texts keep their memory, so loading a list again allocates little.
    std::size_t used = 0;
    while (!reader.AtEnd()) {
        const std::string_view text = reader.Next();
        const std::int32_t time = ParseNumber(reader.Next());
        const bool remind = ParseFlag(reader.Next());
        std::int32_t pushTime = 86400;
        bool push = false;
        if (!version1) {
            pushTime = ParseNumber(reader.Next());
            push = ParseFlag(reader.Next());
        }
        if (text.empty())
            continue;
        CReminder& r = used < m_reminders.size() ? m_reminders[used] : m_reminders.emplace_back();
        r.m_strText.assign(text);
        r.m_nTime = time;
        r.m_bRemind = remind;
        r.m_nPushTime = pushTime;
        r.m_bPush = push;
        ++used;
    }
    m_reminders.resize(used);
    return true;
}

bool CReminderList::Load()
{
    if (m_strFileName.empty())
        return false;
    // A save cut short in the middle of rewriting the file is finished first.
    AfxRecoverInterruptedWrite(m_strFileName);
    std::string bytes;
    if (!ReadWholeFile(m_strFileName, bytes))
        return false;
    return Parse(bytes);
}
