#include "model/ConflictCopy.h"

#include <string_view>
#include <vector>

namespace {

std::string_view LastPart(std::string_view path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsUpperOrDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z'); }
bool IsNameChar(char c) { return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-'; }

// Takes prefix off the front of s when it is there.
bool Take(std::string_view& s, std::string_view prefix)
{
    if (s.substr(0, prefix.size()) != prefix)
        return false;
    s.remove_prefix(prefix.size());
    return true;
}

// Takes n characters that all pass test off the front of s.
template <class Test>
bool TakeRun(std::string_view& s, std::size_t n, Test test)
{
    if (s.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (!test(s[i]))
            return false;
    s.remove_prefix(n);
    return true;
}

int Number(std::string_view digits)
{
    int n = 0;
    for (char c : digits)
        n = n * 10 + (c - '0');
    return n;
}

bool ValidDate(std::string_view year, std::string_view month, std::string_view day)
{
    const int m = Number(month), d = Number(day);
    return Number(year) >= 1970 && m >= 1 && m <= 12 && d >= 1 && d <= 31;
}

bool ValidTime(std::string_view hhmmss)
{
    return Number(hhmmss.substr(0, 2)) <= 23 && Number(hhmmss.substr(2, 2)) <= 59 && Number(hhmmss.substr(4, 2)) <= 60;
}

// "YYYYMMDD" (compact) or "YYYY-MM-DD".
bool TakeDate(std::string_view& s, bool dashes)
{
    const std::string_view start = s;
    const std::string_view dash = dashes ? "-" : "";
    if (!TakeRun(s, 4, IsDigit) || !Take(s, dash) || !TakeRun(s, 2, IsDigit) || !Take(s, dash) ||
        !TakeRun(s, 2, IsDigit))
        return false;
    const std::size_t step = dashes ? 5 : 4;
    return ValidDate(start.substr(0, 4), start.substr(step, 2), start.substr(step + (dashes ? 3 : 2), 2));
}

bool TakeTime(std::string_view& s)
{
    const std::string_view start = s;
    return TakeRun(s, 6, IsDigit) && ValidTime(start);
}

// ".sync-conflict-20261207-221500-ABC1234"
bool IsSyncthing(std::string_view s)
{
    return Take(s, ".sync-conflict-") && TakeDate(s, false) && Take(s, "-") && TakeTime(s) && Take(s, "-") &&
           TakeRun(s, 7, IsUpperOrDigit) && s.empty();
}

// " (conflicted copy 2026-12-07 221500)"
bool IsNextcloud(std::string_view s)
{
    return Take(s, " (conflicted copy ") && TakeDate(s, true) && Take(s, " ") && TakeTime(s) && Take(s, ")") &&
           s.empty();
}

// " (1)" and so on, which Dropbox adds when the name is taken.
bool IsCounter(std::string_view s)
{
    return Take(s, " (") && !s.empty() && s.back() == ')' && s.size() >= 2 &&
           TakeRun(s, s.size() - 1, IsDigit) && s == ")";
}

// " (Anna's conflicted copy 2026-12-07)" with an optional counter. The name
// is any text, and Dropbox may write the apostrophe typographically.
bool IsDropbox(std::string_view s)
{
    if (!Take(s, " ("))
        return false;
    for (std::string_view mark : {std::string_view("'s conflicted copy "), std::string_view("\xE2\x80\x99s conflicted copy ")}) {
        // The date part is fixed-length, so the last marker ends the name.
        const std::size_t at = s.rfind(mark);
        if (at == std::string_view::npos || at == 0)
            continue;
        std::string_view rest = s.substr(at + mark.size());
        if (TakeDate(rest, true) && Take(rest, ")") && (rest.empty() || IsCounter(rest)))
            return true;
    }
    return false;
}

// "-LAPTOP-7": the computer's name, but never the program's own kept files.
bool IsOneDrive(std::string_view s)
{
    if (!Take(s, "-") || s.empty())
        return false;
    for (char c : s)
        if (!IsNameChar(c))
            return false;
    return s.substr(0, 6) != "merge-" && s.substr(0, 9) != "recovery-";
}

}  // namespace

bool IsConflictCopyName(const std::string& listFileName, const std::string& candidateFileName)
{
    const std::string_view list = LastPart(listFileName);
    std::string_view candidate = LastPart(candidateFileName);
    const std::size_t dot = list.rfind('.');
    // A list without an extension has copies without one; ".tlv" alone is all stem.
    const bool hasExt = dot != std::string_view::npos && dot > 0;
    const std::string_view stem = hasExt ? list.substr(0, dot) : list;
    const std::string_view ext = hasExt ? list.substr(dot) : std::string_view();
    if (stem.empty() || candidate == list || !Take(candidate, stem) || candidate.size() < ext.size() ||
        candidate.substr(candidate.size() - ext.size()) != ext)
        return false;
    const std::string_view middle = candidate.substr(0, candidate.size() - ext.size());
    return IsSyncthing(middle) || IsNextcloud(middle) || IsDropbox(middle) || IsOneDrive(middle);
}

CReminderList ConflictCopyBase(const CReminderList& saved, const CReminderList& copy)
{
    CReminderList base = copy;
    base.m_reminders.clear();
    base.m_dueIndices.clear();
    std::vector<bool> used(copy.m_reminders.size(), false);
    for (const CReminder& r : saved.m_reminders) {
        for (std::size_t i = 0; i < copy.m_reminders.size(); ++i) {
            if (!used[i] && copy.m_reminders[i] == r) {
                used[i] = true;
                base.m_reminders.push_back(r);
                break;
            }
        }
    }
    return base;
}
