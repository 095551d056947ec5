#include "settings/SettingsStore.h"

#include "model/ReminderData.h"
#include "platform/Path.h"
#include "platform/Trace.h"
#include "res/resource.h"
#include "support/Registry.h"
#include "support/ShellHelpers.h"

namespace {

constexpr const char* kSettingsKey = "Software\\Lindqvarn\\Talvo\\Settings";
constexpr int kDefaultRemindTime = 120;

bool ReadBool(CRegistry& reg, const char* name, bool defaultValue)
{
    return reg.ReadDword(name, defaultValue ? 1 : 0) != 0;
}

}  // namespace

void LoadSettings(CReminderData& data)
{
    CRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.SetKey(kSettingsKey, TRUE);

    data.m_bDoAlarm = ReadBool(reg, "DoAlarm", true);
    data.m_bAutoSave = ReadBool(reg, "AutoSave", true);
    data.m_wHotKey = WORD(reg.ReadDword("HotKey", 0) & 0xFFFF);
    data.m_wHotModifier = WORD(reg.ReadDword("HotModifier", 0) & 0xFFFF);
    data.m_bStartMinimized = ReadBool(reg, "StartMinimized", false);
    data.m_bViewPushTime = ReadBool(reg, "ViewPushTime", true);
    data.m_bPushOnMinimize = ReadBool(reg, "PushOnMinize", true);
    data.m_bDoRemind = ReadBool(reg, "DoRemind", true);
    data.m_nRemindTime = static_cast<int>(reg.ReadDword("RemindTime", kDefaultRemindTime));
    data.m_bBlinkOnAlarm = ReadBool(reg, "BlinkOnAlarm", true);
    data.m_bPlaySound = ReadBool(reg, "PlaySound", true);

    if (data.m_nRemindTime < 1)
        data.m_nRemindTime = kDefaultRemindTime;

    CString defaultSound;
    defaultSound.LoadString(IDS_DEFAULT_SOUND);
    data.m_strSoundFileAlarm = reg.ReadString("SoundFileAlarm", defaultSound);
    data.m_reminderList.SetFileName(reg.ReadString("LastFile", ""));
}

void SaveSettings(const CReminderData& data)
{
    Trace("Save settings to INI...\n");
    CRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.SetKey(kSettingsKey, TRUE);

    reg.WriteDword("DoAlarm", data.m_bDoAlarm ? 1 : 0);
    reg.WriteDword("AutoSave", data.m_bAutoSave ? 1 : 0);
    reg.WriteDword("HotKey", data.m_wHotKey);
    reg.WriteDword("HotModifier", data.m_wHotModifier);
    reg.WriteDword("StartMinimized", data.m_bStartMinimized ? 1 : 0);
    reg.WriteDword("ViewPushTime", data.m_bViewPushTime ? 1 : 0);
    reg.WriteDword("PushOnMinize", data.m_bPushOnMinimize ? 1 : 0);
    reg.WriteDword("DoRemind", data.m_bDoRemind ? 1 : 0);
    reg.WriteDword("RemindTime", static_cast<DWORD>(data.m_nRemindTime));
    reg.WriteDword("BlinkOnAlarm", data.m_bBlinkOnAlarm ? 1 : 0);
    reg.WriteDword("PlaySound", data.m_bPlaySound ? 1 : 0);

    reg.WriteString("LastFile", data.m_reminderList.GetFileName());
    reg.WriteString("SoundFileAlarm", data.m_strSoundFileAlarm);
}

CString SoundFilePath(const CString& soundFile)
{
    return PathIsFileSpecA(soundFile) ? GetProgramPath(true) + soundFile : soundFile;
}
