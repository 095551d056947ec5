// LoadSettings and SaveSettings over the real per-user store.
#include "settings/SettingsStore.h"

#include "model/ReminderData.h"
#include "platform/Registry.h"
#include "platform/Resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* kPath = "Software\\Lindqvarn\\Talvo\\Settings";

const StringTemplate kStrings[] = {{60500, "talvo.wav"}};
const ResourceTables kTables = {{}, {}, {}, kStrings, {}, {}};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        AfxSetResourceTables(&kTables);
        char pattern[] = "/tmp/talvo-set-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        m_root = pattern;
        setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
    }
    void TearDown() override { std::system(("rm -rf '" + m_root + "'").c_str()); }

    // The store file, once the writes have reached it (they go at the end of
    // the loop's turn, or at RegFlushKey).
    std::string Store() const
    {
        RegFlushKey(HKEY_CURRENT_USER);
        return m_root + "/Talvo/registry.reg";
    }
    void WriteStore(const std::string& values)
    {
        std::system(("mkdir -p '" + m_root + "/Talvo'").c_str());
        std::ofstream(Store()) << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n"
                               << values;
    }
    static bool Query(const char* name, DWORD& type, std::string& data)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        char buf[512];
        DWORD size = sizeof buf;
        LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
        RegCloseKey(key);
        data.assign(buf, r == ERROR_SUCCESS ? size : 0);
        return r == ERROR_SUCCESS;
    }
    // Constructor values that differ from every default, so a field the load forgot shows.
    static CReminderData Scrambled()
    {
        CReminderData d;
        d.m_bDoAlarm = false;
        d.m_wHotKey = 77;
        d.m_bStartMinimized = true;
        d.m_bPushOnMinimize = false;
        d.m_bViewPushTime = false;
        d.m_bAutoSave = false;
        d.m_bDoRemind = false;
        d.m_nRemindTime = 3;
        d.m_bBlinkOnAlarm = false;
        d.m_bPlaySound = false;
        d.m_strSoundFileAlarm = "other.wav";
        d.m_wHotModifier = 9;
        d.m_reminderList.SetFileName("/old.tlv");
        return d;
    }

    std::string m_root;
};

TEST_F(SettingsStore, FirstRunCreatesTheEmptyKeyAndGivesTheDefaults)
{
    CReminderData d = Scrambled();
    LoadSettings(d);
    EXPECT_TRUE(d.m_bDoAlarm);
    EXPECT_TRUE(d.m_bAutoSave);
    EXPECT_EQ(d.m_wHotKey, 0);
    EXPECT_EQ(d.m_wHotModifier, 0);
    EXPECT_FALSE(d.m_bStartMinimized);
    EXPECT_TRUE(d.m_bPushOnMinimize);
    EXPECT_TRUE(d.m_bViewPushTime);
    EXPECT_TRUE(d.m_bDoRemind);
    EXPECT_EQ(d.m_nRemindTime, 120);
    EXPECT_TRUE(d.m_bBlinkOnAlarm);
    EXPECT_TRUE(d.m_bPlaySound);
    EXPECT_EQ(std::string(d.m_strSoundFileAlarm), "talvo.wav");
    EXPECT_EQ(std::string(d.m_reminderList.GetFileName()), "");
    EXPECT_EQ(ReadFile(Store()), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n");
}

TEST_F(SettingsStore, SaveWritesEveryChangedValueInOrderAsBinaryNumbersAndTexts)
{
    CReminderData d;
    LoadSettings(d);
    // Every field away from its default.
    d = Scrambled();
    d.m_wHotKey = 0x7B;
    d.m_wHotModifier = 9;
    d.m_nRemindTime = 300;
    d.m_reminderList.SetFileName("/home/u/.local/share/Talvo/talvo.tlv");
    SaveSettings(d);
    EXPECT_EQ(ReadFile(Store()), "REGEDIT4\n"
                                 "\n"
                                 "[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n"
                                 "\"DoAlarm\"=hex:00,00,00,00\n"
                                 "\"AutoSave\"=hex:00,00,00,00\n"
                                 "\"HotKey\"=hex:7b,00,00,00\n"
                                 "\"HotModifier\"=hex:09,00,00,00\n"
                                 "\"StartMinimized\"=hex:01,00,00,00\n"
                                 "\"ViewPushTime\"=hex:00,00,00,00\n"
                                 "\"PushOnMinize\"=hex:00,00,00,00\n"
                                 "\"DoRemind\"=hex:00,00,00,00\n"
                                 "\"RemindTime\"=hex:2c,01,00,00\n"
                                 "\"BlinkOnAlarm\"=hex:00,00,00,00\n"
                                 "\"PlaySound\"=hex:00,00,00,00\n"
                                 "\"LastFile\"=\"/home/u/.local/share/Talvo/talvo.tlv\"\n"
                                 "\"SoundFileAlarm\"=\"other.wav\"\n");
    CReminderData back;
    LoadSettings(back);
    EXPECT_FALSE(back.m_bDoAlarm);
    EXPECT_EQ(back.m_wHotKey, 0x7B);
    EXPECT_EQ(back.m_wHotModifier, 9);
    EXPECT_TRUE(back.m_bStartMinimized);
    EXPECT_FALSE(back.m_bPushOnMinimize);
    EXPECT_EQ(std::string(back.m_reminderList.GetFileName()), "/home/u/.local/share/Talvo/talvo.tlv");
    EXPECT_EQ(std::string(back.m_strSoundFileAlarm), "other.wav");
}

TEST_F(SettingsStore, RemindTimeBelowOneLoadsAs120)
{
    for (auto [stored, loaded] : {std::pair{"00,00,00,00", 120}, {"ff,ff,ff,ff", 120}, {"00,00,00,80", 120}, {"05,00,00,00", 5}, {"ff,ff,ff,7f", 2147483647}}) {
        WriteStore(std::string("\"RemindTime\"=hex:") + stored + "\n");
        CReminderData d;
        LoadSettings(d);
        EXPECT_EQ(d.m_nRemindTime, loaded) << stored;
    }
}

TEST_F(SettingsStore, AnyNonZeroIsTrueAndIsWrittenBackAsOneWhenChanged)
{
    WriteStore("\"DoAlarm\"=hex:02,00,00,00\n\"PlaySound\"=hex:ff,ff,ff,ff\n\"StartMinimized\"=dword:00000100\n"
               "\"AutoSave\"=hex:00,00,00,00\n");
    CReminderData d;
    LoadSettings(d);
    EXPECT_TRUE(d.m_bDoAlarm);
    EXPECT_TRUE(d.m_bPlaySound);
    EXPECT_TRUE(d.m_bStartMinimized);
    EXPECT_FALSE(d.m_bAutoSave);
    d.m_bStartMinimized = false;
    SaveSettings(d);
    d.m_bStartMinimized = true;
    SaveSettings(d);
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(Query("StartMinimized", type, data));
    EXPECT_EQ(type, REG_BINARY) << "a REG_DWORD of another tool is written back as the program's own type";
    EXPECT_EQ(data, std::string("\x01\0\0\0", 4));
    ASSERT_TRUE(Query("PlaySound", type, data));
    EXPECT_EQ(data, std::string("\xff\xff\xff\xff", 4)) << "unchanged, so not written";
}

TEST_F(SettingsStore, SixteenBitFieldsKeepTheLowBits)
{
    WriteStore("\"HotKey\"=dword:0001007b\n\"HotModifier\"=hex:0a,00,ff,ff\n");
    CReminderData d;
    LoadSettings(d);
    EXPECT_EQ(d.m_wHotKey, 0x7B);
    EXPECT_EQ(d.m_wHotModifier, 0x0A);
}

TEST_F(SettingsStore, UnfitTextsAndNumbersLoadAsDefaults)
{
    WriteStore("\"SoundFileAlarm\"=hex(7):61,00,62,00,00\n"
               "\"LastFile\"=\"" +
               std::string(255, 'x') + "\"\n"
                                       "\"RemindTime\"=hex:05,00,00,00,00\n"
                                       "\"DoAlarm\"=\"0\"\n");
    CReminderData d = Scrambled();
    LoadSettings(d);
    EXPECT_EQ(std::string(d.m_strSoundFileAlarm), "talvo.wav");
    EXPECT_EQ(std::string(d.m_reminderList.GetFileName()), "");
    EXPECT_EQ(d.m_nRemindTime, 120) << "five bytes are no number";
    EXPECT_TRUE(d.m_bDoAlarm) << "the text \"0\" is two bytes of any type: 0x30, true";

    WriteStore("\"SoundFileAlarm\"=hex(2):25,48,4f,4d,45,25,2f,61,2e,77,61,76,00\n");
    LoadSettings(d);
    EXPECT_EQ(std::string(d.m_strSoundFileAlarm), "%HOME%/a.wav") << "not expanded";
}

TEST_F(SettingsStore, ALongDataFilePathIsNotStoredAndTheOldOneStays)
{
    CReminderData d;
    LoadSettings(d);
    d.m_reminderList.SetFileName("/home/u/lista.tlv");
    SaveSettings(d);
    std::string longPath = "/" + std::string(260, 'p') + ".tlv";
    d.m_reminderList.SetFileName(longPath.c_str());
    d.m_bDoAlarm = false;
    SaveSettings(d);
    CReminderData next;
    LoadSettings(next);
    EXPECT_EQ(std::string(next.m_reminderList.GetFileName()), "/home/u/lista.tlv");
    EXPECT_FALSE(next.m_bDoAlarm) << "the other values are saved all the same";
}

TEST_F(SettingsStore, ASaveWithoutChangesWritesNothingAndHandAddedValuesSurviveOne)
{
    WriteStore("; my comment\n\"Extra\"=\"mine\"\n\"RemindTime\"=dword:00000005\n");
    CReminderData d;
    LoadSettings(d);
    const std::string before = ReadFile(Store());
    struct stat st {};
    ASSERT_EQ(stat(Store().c_str(), &st), 0);
    SaveSettings(d);
    struct stat after {};
    ASSERT_EQ(stat(Store().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, st.st_ino) << "the file was not replaced";
    EXPECT_EQ(ReadFile(Store()), before);

    d.m_bBlinkOnAlarm = false;
    SaveSettings(d);
    std::string text = ReadFile(Store());
    EXPECT_NE(text.find("; my comment\n"), std::string::npos);
    EXPECT_NE(text.find("\"Extra\"=\"mine\"\n"), std::string::npos);
    EXPECT_NE(text.find("\"RemindTime\"=dword:00000005\n"), std::string::npos) << "not rewritten";
    EXPECT_NE(text.find("\"BlinkOnAlarm\"=hex:00,00,00,00\n"), std::string::npos);
}

TEST_F(SettingsStore, DamagedStoreGivesDefaultsAndIsKept)
{
    std::system(("mkdir -p '" + m_root + "/Talvo'").c_str());
    std::ofstream(Store()) << "REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n\"HotKey\"=dwo";
    CReminderData d = Scrambled();
    LoadSettings(d);
    EXPECT_EQ(d.m_wHotKey, 0);
    EXPECT_EQ(d.m_nRemindTime, 120);
    d.m_wHotKey = 0x70;
    SaveSettings(d);
    CReminderData back;
    LoadSettings(back);
    EXPECT_EQ(back.m_wHotKey, 0x70);
    int backups = 0;
    RegFlushKey(HKEY_CURRENT_USER);
    if (DIR* dir = opendir((m_root + "/Talvo").c_str())) {
        while (dirent* e = readdir(dir))
            backups += std::string(e->d_name).rfind("registry.reg.damaged-", 0) == 0;
        closedir(dir);
    }
    EXPECT_EQ(backups, 1);
}

// One bad line costs that value only: the list used last is still found, so
// its alarms go on. The store as it was is kept aside once, at the first
// save that writes something.
TEST_F(SettingsStore, OneBadLineCostsOnlyItsOwnValue)
{
    WriteStore("\"LastFile\"=\"/home/u/lista.tlv\"\n\"BlinkOnAlarm\"=hex:123,00\n"
               "\"RemindTime\"=hex:2d,00,00,00\n\"HotKey\"=hex:7b,00,00,00\n");
    const std::string before = ReadFile(Store());
    CReminderData d = Scrambled();
    LoadSettings(d);
    EXPECT_STREQ(d.m_reminderList.GetFileName(), "/home/u/lista.tlv");
    EXPECT_EQ(d.m_nRemindTime, 45);
    EXPECT_EQ(d.m_wHotKey, 0x7b);
    EXPECT_TRUE(d.m_bBlinkOnAlarm);  // its default

    SaveSettings(d);
    RegFlushKey(HKEY_CURRENT_USER);
    EXPECT_EQ(ReadFile(Store()), before) << "nothing changed, nothing written";
    d.m_wHotKey = 0x7c;
    SaveSettings(d);
    RegFlushKey(HKEY_CURRENT_USER);
    d.m_wHotKey = 0x7d;
    SaveSettings(d);
    RegFlushKey(HKEY_CURRENT_USER);
    std::vector<std::string> backups;
    if (DIR* dir = opendir((m_root + "/Talvo").c_str())) {
        while (dirent* e = readdir(dir))
            if (std::string(e->d_name).rfind("registry.reg.damaged-", 0) == 0)
                backups.push_back(m_root + "/Talvo/" + e->d_name);
        closedir(dir);
    }
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadFile(backups[0]), before);
    const std::string text = ReadFile(Store());
    EXPECT_EQ(text.find("BlinkOnAlarm"), std::string::npos) << "the bad line is gone";
    EXPECT_NE(text.find("\"LastFile\"=\"/home/u/lista.tlv\""), std::string::npos);
    EXPECT_NE(text.find("\"HotKey\"=hex:7d,00,00,00"), std::string::npos);
}

// Another Talvo saves between our load and our save: what it changed and we
// did not stays; a value both changed has the later write, ours.
TEST_F(SettingsStore, AnotherProgramsChangeSurvivesOurSave)
{
    WriteStore("\"RemindTime\"=hex:3c,00,00,00\n");
    CReminderData d;
    LoadSettings(d);
    Store();  // our reads are done; nothing of ours is pending
    const pid_t other = fork();
    if (other == 0) {
        CReminderData theirs;
        LoadSettings(theirs);
        theirs.m_nRemindTime = 300;
        theirs.m_wHotKey = 0x41;
        SaveSettings(theirs);
        _exit(RegFlushKey(HKEY_CURRENT_USER) == ERROR_SUCCESS ? 0 : 1);
    }
    int status = 0;
    waitpid(other, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_EQ(d.m_nRemindTime, 60);
    d.m_wHotKey = 0x42;
    d.m_bPlaySound = false;
    SaveSettings(d);
    CReminderData back;
    LoadSettings(back);
    EXPECT_EQ(back.m_nRemindTime, 300) << "their change, which we did not make, is kept";
    EXPECT_EQ(back.m_wHotKey, 0x42) << "the later write wins";
    EXPECT_FALSE(back.m_bPlaySound);
}

// A whole save reaches the store in one replacement of the file, made under
// the lock from the file as it is then: what another program wrote in the
// meantime stays, and a program that dies halfway changes nothing.
TEST_F(SettingsStore, ASaveIsOneReplacementWholeOrNotAtAll)
{
    CReminderData d = Scrambled();
    LoadSettings(d);
    const std::string store = Store();  // the key exists on disk now

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, (m_root + "/Talvo").c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
    // Another program writes a value of its own after our save and before it
    // reaches the file.
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t other = fork();
    if (other == 0) {
        char byte = 0;
        if (read(go[0], &byte, 1) != 1)
            _exit(2);
        HKEY key = nullptr;
        RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_WRITE, &key);
        const BYTE theirs[] = "deras";
        RegSetValueExA(key, "Theirs", 0, REG_SZ, theirs, sizeof theirs);
        _exit(RegFlushKey(key) == ERROR_SUCCESS ? 0 : 1);
    }
    d.m_wHotKey = 0x42;
    SaveSettings(d);
    ASSERT_EQ(write(go[1], "x", 1), 1);
    int status = 0;
    waitpid(other, &status, 0);
    close(go[0]);
    close(go[1]);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    int replacements = 0;
    char events[4096] __attribute__((aligned(alignof(inotify_event))));
    for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;)
        for (char* p = events; p < events + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len)
            replacements += std::string(reinterpret_cast<inotify_event*>(p)->name) == "registry.reg";
    close(watch);
    EXPECT_EQ(replacements, 2);  // the other program's and ours
    const std::string text = ReadFile(store);
    EXPECT_NE(text.find("\"Theirs\"=\"deras\""), std::string::npos);
    EXPECT_NE(text.find("\"HotKey\"=hex:42,00,00,00"), std::string::npos);

    // Ended halfway through a save (no flush, no exit handlers): nothing of
    // it is written, and the store is as it was.
    const pid_t dying = fork();
    if (dying == 0) {
        CReminderData changed = d;
        changed.m_wHotKey = 0x43;
        changed.m_nRemindTime = 999;
        SaveSettings(changed);
        _exit(0);
    }
    waitpid(dying, &status, 0);
    EXPECT_EQ(ReadFile(store), text);
}

TEST_F(SettingsStore, UnwritableConfigFolderStillLoadsDefaults)
{
    // Tests run as root, which ignores permission bits: the folder's place is
    // taken by a regular file instead, so nothing can be created there.
    std::ofstream(m_root + "/Talvo") << "not a folder";
    CReminderData d = Scrambled();
    LoadSettings(d);
    EXPECT_EQ(d.m_nRemindTime, 120);
    EXPECT_EQ(std::string(d.m_strSoundFileAlarm), "talvo.wav");
    d.m_wHotKey = 0x71;
    SaveSettings(d);  // silent
    EXPECT_EQ(ReadFile(m_root + "/Talvo"), "not a folder");

    // Once the folder can be made, the next save writes what failed before.
    std::remove((m_root + "/Talvo").c_str());
    SaveSettings(d);
    CReminderData back;
    LoadSettings(back);
    EXPECT_EQ(back.m_wHotKey, 0x71);
}

}  // namespace
