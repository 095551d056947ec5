#pragma once
#include <cstdint>
#include <string>

// One reminder, a value type.
class CReminder {
public:
    std::string m_strText;     // one line, never empty once stored
    std::int32_t m_nTime = 0;  // due time: seconds since 1970 in local standard time
    std::int32_t m_nPushTime = 86400;
    bool m_bRemind = false;
    bool m_bPush = false;

    bool operator==(const CReminder&) const = default;
};
