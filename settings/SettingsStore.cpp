#include "settings/SettingsStore.h"

#include "model/ReminderData.h"
#include "platform/Path.h"
#include "platform/Trace.h"
#include "res/resource.h"
#include "support/Registry.h"
#include "support/ShellHelpers.h"

#include <map>
#include <string>

namespace {

constexpr const char* kSettingsKey = "Software\\Lindqvarn\\Talvo\\Settings";
constexpr int kDefaultRemindTime = 120;

// Each value as this program last read it from the store or wrote it there.
// A save writes only the values that differ: a value another Talvo, or the
// user by hand, changed in the meantime stays as they left it unless this
// program changed it too. A value not in here (nothing loaded yet, or its
// write failed) is written.
struct StoredValues {
    std::map<std::string, DWORD> numbers;
    std::map<std::string, std::string> texts;
};
StoredValues g_stored;

bool ReadBool(CRegistry& reg, const char* name, bool defaultValue)
{
    const bool value = reg.ReadDword(name, defaultValue ? 1 : 0) != 0;
    g_stored.numbers[name] = value ? 1 : 0;
    return value;
}

WORD ReadWord(CRegistry& reg, const char* name)
{
    const WORD value = WORD(reg.ReadDword(name, 0) & 0xFFFF);
    g_stored.numbers[name] = value;
    return value;
}

CString ReadText(CRegistry& reg, const char* name, const CString& defaultValue)
{
    CString value = reg.ReadString(name, defaultValue);
    g_stored.texts[name] = value.GetString();
    return value;
}

void WriteNumber(CRegistry& reg, const char* name, DWORD value)
{
    const auto stored = g_stored.numbers.find(name);
    if (stored != g_stored.numbers.end() && stored->second == value)
        return;
    if (reg.WriteDword(name, value))
        g_stored.numbers[name] = value;
}

void WriteBool(CRegistry& reg, const char* name, bool value) { WriteNumber(reg, name, value ? 1 : 0); }

void WriteText(CRegistry& reg, const char* name, const CString& value)
{
    const auto stored = g_stored.texts.find(name);
    if (stored != g_stored.texts.end() && stored->second == value.GetString())
        return;
    if (reg.WriteString(name, value))
        g_stored.texts[name] = value.GetString();
}

}  // namespace

void LoadSettings(CReminderData& data)
{
    CRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.SetKey(kSettingsKey, TRUE);
    g_stored = StoredValues();

    data.m_bDoAlarm = ReadBool(reg, "DoAlarm", true);
    data.m_bAutoSave = ReadBool(reg, "AutoSave", true);
    data.m_wHotKey = ReadWord(reg, "HotKey");
    data.m_wHotModifier = ReadWord(reg, "HotModifier");
    data.m_bStartMinimized = ReadBool(reg, "StartMinimized", false);
    data.m_bViewPushTime = ReadBool(reg, "ViewPushTime", true);
    data.m_bPushOnMinimize = ReadBool(reg, "PushOnMinize", true);
    data.m_bDoRemind = ReadBool(reg, "DoRemind", true);
    data.m_nRemindTime = static_cast<int>(reg.ReadDword("RemindTime", kDefaultRemindTime));
    data.m_bBlinkOnAlarm = ReadBool(reg, "BlinkOnAlarm", true);
    data.m_bPlaySound = ReadBool(reg, "PlaySound", true);

    if (data.m_nRemindTime < 1)
        data.m_nRemindTime = kDefaultRemindTime;
    // As it would be written: a stored value below 1 is not written back
    // as 120 unless the user sets the time.
    g_stored.numbers["RemindTime"] = static_cast<DWORD>(data.m_nRemindTime);

    CString defaultSound;
    defaultSound.LoadString(IDS_DEFAULT_SOUND);
    data.m_strSoundFileAlarm = ReadText(reg, "SoundFileAlarm", defaultSound);
    data.m_reminderList.SetFileName(ReadText(reg, "LastFile", ""));
}

void SaveSettings(const CReminderData& data)
{
    Trace("Save settings to INI...\n");
    CRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.SetKey(kSettingsKey, TRUE);

    WriteBool(reg, "DoAlarm", data.m_bDoAlarm);
    WriteBool(reg, "AutoSave", data.m_bAutoSave);
    WriteNumber(reg, "HotKey", data.m_wHotKey);
    WriteNumber(reg, "HotModifier", data.m_wHotModifier);
    WriteBool(reg, "StartMinimized", data.m_bStartMinimized);
    WriteBool(reg, "ViewPushTime", data.m_bViewPushTime);
    WriteBool(reg, "PushOnMinize", data.m_bPushOnMinimize);
    WriteBool(reg, "DoRemind", data.m_bDoRemind);
    WriteNumber(reg, "RemindTime", static_cast<DWORD>(data.m_nRemindTime));
    WriteBool(reg, "BlinkOnAlarm", data.m_bBlinkOnAlarm);
    WriteBool(reg, "PlaySound", data.m_bPlaySound);

    WriteText(reg, "LastFile", data.m_reminderList.GetFileName());
    WriteText(reg, "SoundFileAlarm", data.m_strSoundFileAlarm);
}

CString SoundFilePath(const CString& soundFile)
{
    return PathIsFileSpecA(soundFile) ? GetProgramPath(true) + soundFile : soundFile;
}
