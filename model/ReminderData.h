#pragma once
// What the main window holds: the reminder list and the current settings.

#include "model/ReminderList.h"
#include "platform/CString.h"

#include <cstdint>

class CReminderData {
public:
    CReminderData() = default;
    virtual ~CReminderData() = default;

    CReminderList m_reminderList;
    bool m_bDoAlarm = true;
    std::uint16_t m_wHotKey = 0;
    bool m_bStartMinimized = true;
    bool m_bPushOnMinimize = true;
    bool m_bViewPushTime = true;
    bool m_bAutoSave = true;  // always replaced by the settings load
    bool m_bDoRemind = true;
    std::int32_t m_nRemindTime = 3;
    bool m_bBlinkOnAlarm = true;
    bool m_bPlaySound = true;
    CString m_strSoundFileAlarm = "talvo.wav";
    std::uint16_t m_wHotModifier = 0;
};
