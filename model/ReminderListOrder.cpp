#include "model/CircularSearch.h"
#include "model/ReminderList.h"

#include <algorithm>
#include <cstring>

namespace {

inline unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

// Byte-order comparison of texts: negative, zero or positive.
inline int CompareBytes(const std::string& a, const std::string& b)
{
    // std::string::compare uses char_traits<char>, which compares as unsigned char.
    return a.compare(b);
}

bool ContainsFolded(const std::string& haystack, const std::string& foldedNeedle)
{
    auto it = std::search(haystack.begin(), haystack.end(), foldedNeedle.begin(), foldedNeedle.end(),
                          [](char h, char n) { return Fold(static_cast<unsigned char>(h)) == static_cast<unsigned char>(n); });
    return it != haystack.end() || foldedNeedle.empty();
}

}  // namespace

void CReminderList::Sort(bool byTime, bool ascending, bool checkedFirst)
{
    // A strict weak ordering: records equal in every compared key compare
    // equal, every other pair is ordered as the keys say.
    auto before = [=](const CReminder& a, const CReminder& b) {
        if (checkedFirst && a.m_bRemind != b.m_bRemind)
            return a.m_bRemind;
        if (byTime && a.m_nTime != b.m_nTime)
            return ascending ? a.m_nTime < b.m_nTime : a.m_nTime > b.m_nTime;
        int c = CompareBytes(a.m_strText, b.m_strText);
        return ascending ? c < 0 : c > 0;
    };
    std::sort(m_reminders.begin(), m_reminders.end(), before);
}

int CReminderList::FindText(const char* text, int start, bool down, bool matchCase) const
{
    std::string needle = text ? text : "";
    if (!matchCase)
        for (char& c : needle)
            c = static_cast<char>(Fold(static_cast<unsigned char>(c)));
    return CircularSearch(GetCount(), start, down, [&](int i) {
        const std::string& hay = GetAt(i).m_strText;
        return matchCase ? hay.find(needle) != std::string::npos : ContainsFolded(hay, needle);
    });
}
