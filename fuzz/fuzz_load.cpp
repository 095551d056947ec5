// Feeds arbitrary bytes to the data file reader and checks that what it
// accepts saves and reads back to the same list.
#include "model/ReminderList.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CReminderList list;
    if (!list.Parse(std::string(reinterpret_cast<const char*>(data), size)))
        return 0;
    CReminderList again;
    if (!again.Parse(list.Serialize()))
        std::abort();
    // Texts holding a line end cannot round-trip; everything else must.
    bool plain = true;
    for (const CReminder& r : list.m_reminders)
        plain = plain && r.m_strText.find('\n') == std::string::npos && r.m_strText.find('\r') == std::string::npos;
    if (plain && list.m_strDefaultText.find_first_of("\r\n") == std::string::npos && again.m_reminders != list.m_reminders)
        std::abort();
    return 0;
}
