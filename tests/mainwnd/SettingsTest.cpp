// The settings dialog, opened with Ctrl+I and driven as the user would.

#include "MainWndFixture.h"

#include "platform/CommonDialogs.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "support/ShellHelpers.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

HWND Ctl(HWND hDlg, int id) { return ::GetDlgItem(hDlg, id); }

// What the hot-key field shows for Ctrl (or Shift) and an F key: its text
// on Linux; on Windows the control's own value (it draws the keyboard
// layout's key names), written as the Linux field writes it.
std::string HotKeyShown(HWND hHotKey)
{
#ifdef _WIN32
    const auto value = ::SendMessageW(hHotKey, HKM_GETHOTKEY, 0, 0);
    const UINT vk = LOBYTE(LOWORD(value)), modifiers = HIBYTE(LOWORD(value));
    const char* modifier = "?";
    if (modifiers == HOTKEYF_CONTROL)
        modifier = "Ctrl";
    else if (modifiers == HOTKEYF_SHIFT)
        modifier = "Skift";
    return modifier + std::string(" + F") + std::to_string(vk - VK_F1 + 1);
#else
    return testhooks::WindowText(hHotKey);
#endif
}

// What one dialog run saw, filled in by the action that drives it.
struct Probe {
    std::string remindField;
    bool remindEnabled = false;
    bool remindEnabledAfterClick = false;
    bool soundEnabled = false;
    bool browseEnabled = false;
    bool testEnabled = false;
    std::string hotKeyText;
    bool windowsKey = false;
    bool stillOpen = false;
    HWND focusAfterFailure = nullptr;
    HWND remindTimeField = nullptr;
    bool mainEnabled = true;
    HWND hMain = nullptr;
};

void ClickOk(HWND hDlg) { testhooks::ClickButton(Ctl(hDlg, IDOK)); }

// A number of the settings store as it is now, for another program: on
// Linux the store's file itself, not what this process still holds back.
long StoredNumber(const std::string& configFolder, const char* name)
{
#ifdef _WIN32
    (void)configFolder;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Lindqvarn\\Talvo\\Settings", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD value = 0, size = sizeof value;
    const LONG r = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return r == ERROR_SUCCESS ? long(value) : -1;
#else
    std::ifstream in(configFolder + "/Talvo/registry.reg");
    const std::string prefix = "\"" + std::string(name) + "\"=hex:";
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) {
            unsigned b[4] = {};
            if (std::sscanf(line.c_str() + prefix.size(), "%x,%x,%x,%x", &b[0], &b[1], &b[2], &b[3]) == 4)
                return long(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24);
        }
    return -1;
#endif
}

}  // namespace

TEST_F(MainWndTest, SettingsOkWithoutChangesReappliesAndCancelChangesNothing)
{
    const std::string f = Path("f.tlv");
    SetSetting("HotKey", VK_F11);
    SetSetting("HotModifier", HOTKEYF_CONTROL);
    WriteTlv(f, {{"rad", kNow + 3600, true, 300, true}});
    Create(f);
    testhooks::ClickListItem(List(), 0);
    ASSERT_TRUE(m_pDlg->m_bEditMode);
    const std::string text = Rows()[0].texts[0];

    static Probe probe;
    probe = Probe{};
    probe.hMain = Wnd();
    testhooks::QueueModalDialogAction(
        [](HWND hDlg, void* ctx) {
            auto* p = static_cast<Probe*>(ctx);
            p->mainEnabled = IsWindowEnabled(p->hMain);
            p->hotKeyText = HotKeyShown(Ctl(hDlg, 1020));
            p->remindField = testhooks::WindowText(Ctl(hDlg, 1024));
            ClickOk(hDlg);
        },
        &probe);
    Key('I', false, true);
    EXPECT_FALSE(probe.mainEnabled);  // modal: the hotkey does not force the window forward
    EXPECT_EQ(probe.hotKeyText, "Ctrl + F11");
    EXPECT_EQ(probe.remindField, "120");
    EXPECT_TRUE(m_pDlg->m_bEditMode);  // the list was not rebuilt
    // The same hotkey is registered again: where no grab is possible (this
    // platform) the failure is reported again, as at start-up.
    const auto keys = testhooks::RegisteredHotKeys();
    if (keys.empty()) {
        ASSERT_EQ(Boxes().size(), 2u);
        EXPECT_EQ(Boxes()[1].text, AfxFindString(60301));
    } else {
        EXPECT_EQ(keys[0].modifiers, UINT(MOD_CONTROL));
        EXPECT_EQ(keys[0].vk, UINT(VK_F11));
    }

    // Cancel after unchecking the push-time view leaves the list as it was.
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::ClickButton(Ctl(hDlg, 1047));
        testhooks::ClickButton(Ctl(hDlg, IDCANCEL));
    });
    Key('I', false, true);
    EXPECT_TRUE(m_pDlg->m_data.m_bViewPushTime);
    EXPECT_EQ(Rows()[0].texts[0], text);

    // OK with only the push-time view changed rebuilds the list.
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::ClickButton(Ctl(hDlg, 1047));
        ClickOk(hDlg);
    });
    Key('I', false, true);
    EXPECT_FALSE(m_pDlg->m_data.m_bViewPushTime);
    EXPECT_EQ(Rows()[0].texts[0] + " (+0 00:05:00)", text);
    EXPECT_FALSE(m_pDlg->m_bEditMode);
}

TEST_F(MainWndTest, SettingsCheckBoxesEnableTheirFieldsAndABadNumberKeepsTheDialogOpen)
{
    const std::string f = Path("f.tlv");
    SetSetting("DoRemind", 0);
    SetSetting("PlaySound", 0);
    WriteTlv(f, {});
    Create(f);

    static Probe probe;
    probe = Probe{};
    testhooks::QueueModalDialogAction(
        [](HWND hDlg, void* ctx) {
            auto* p = static_cast<Probe*>(ctx);
            p->remindEnabled = IsWindowEnabled(Ctl(hDlg, 1024));
            p->soundEnabled = IsWindowEnabled(Ctl(hDlg, 1036));
            p->browseEnabled = IsWindowEnabled(Ctl(hDlg, 1037));
            p->testEnabled = IsWindowEnabled(Ctl(hDlg, 1038));
            testhooks::ClickButton(Ctl(hDlg, 1023));
            p->remindEnabledAfterClick = IsWindowEnabled(Ctl(hDlg, 1024));
            // 0 seconds is out of range: the prompt, the focus on the field.
            testhooks::TypeText(Ctl(hDlg, 1024), "0");
            ClickOk(hDlg);
            p->stillOpen = IsWindowVisible(hDlg);
            p->focusAfterFailure = testhooks::FocusWindow();
            p->remindTimeField = Ctl(hDlg, 1024);
            testhooks::ClickButton(Ctl(hDlg, IDCANCEL));
        },
        &probe);
    Key('I', false, true);
    EXPECT_FALSE(probe.remindEnabled);
    EXPECT_TRUE(probe.remindEnabledAfterClick);
    EXPECT_FALSE(probe.soundEnabled);
    EXPECT_FALSE(probe.browseEnabled);
    EXPECT_TRUE(probe.testEnabled);
    EXPECT_TRUE(probe.stillOpen);
    EXPECT_EQ(probe.focusAfterFailure, probe.remindTimeField);
    ASSERT_EQ(Boxes().size(), 1u);  // the framework's range prompt
    EXPECT_EQ(m_pDlg->m_data.m_nRemindTime, 120);
    EXPECT_FALSE(m_pDlg->m_data.m_bDoRemind);
}

TEST_F(MainWndTest, SettingsHotKeyWithTheWindowsKeyIsStoredAsNineAndShownAgain)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {});
    Create(f);
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::SendKey(Ctl(hDlg, 1020), VK_F12, true);
        testhooks::ClickButton(Ctl(hDlg, 1021));
        ClickOk(hDlg);
    });
    Key('I', false, true);
    EXPECT_EQ(m_pDlg->m_data.m_wHotKey, VK_F12);
    EXPECT_EQ(m_pDlg->m_data.m_wHotModifier, 9);

    static Probe probe;
    probe = Probe{};
    testhooks::QueueModalDialogAction(
        [](HWND hDlg, void* ctx) {
            auto* p = static_cast<Probe*>(ctx);
            p->hotKeyText = HotKeyShown(Ctl(hDlg, 1020));
            p->windowsKey = testhooks::IsChecked(Ctl(hDlg, 1021));
            // Cleared: no hotkey at all.
            testhooks::SendKey(Ctl(hDlg, 1020), VK_BACK);
            testhooks::ClickButton(Ctl(hDlg, 1021));
            ClickOk(hDlg);
        },
        &probe);
    Key('I', false, true);
    EXPECT_EQ(probe.hotKeyText, "Skift + F12");
    EXPECT_TRUE(probe.windowsKey);
    EXPECT_EQ(m_pDlg->m_data.m_wHotKey, 0);
    EXPECT_TRUE(testhooks::RegisteredHotKeys().empty());
    // No second try and no second report once the key is cleared.
    int reports = 0;
    for (const auto& box : Boxes())
        reports += box.text == AfxFindString(60301);
    EXPECT_LE(reports, 1);
}

TEST_F(MainWndTest, SettingsAutosaveOffCancelsThePendingSave)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {});
    Create(f);
    testhooks::TypeText(Item(1006), "ny");
    testhooks::ClickButton(Item(1009));
    ASSERT_TRUE(Armed(3));
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::ClickButton(Ctl(hDlg, 1048));
        ClickOk(hDlg);
    });
    Key('I', false, true);
    EXPECT_FALSE(m_pDlg->m_data.m_bAutoSave);
    EXPECT_FALSE(Armed(3));
}

TEST_F(MainWndTest, SettingsSoundTestBrowseAndAutostart)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {});
    SetSettingText("SoundFileAlarm", Path("lagrad.wav"));
    Create(f);
    testhooks::ClearFileDialogs();
    testhooks::QueueFileDialogCancel();
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        // Browse starts from the stored setting, not from the field.
        testhooks::TypeText(Ctl(hDlg, 1036), "talvo.wav");
        testhooks::ClickButton(Ctl(hDlg, 1037));
        // A bare name is looked up beside the program; a missing file says so.
        testhooks::ClickButton(Ctl(hDlg, 1038));
        // Autostart answered No creates nothing.
        testhooks::QueueMessageBoxAnswer(IDNO);
        testhooks::ClickButton(Ctl(hDlg, 1026));
        testhooks::ClickButton(Ctl(hDlg, IDCANCEL));
    });
    Key('I', false, true);
    ASSERT_EQ(testhooks::FileDialogRequests().size(), 1u);
    EXPECT_EQ(testhooks::FileDialogRequests()[0].initialDir + "lagrad.wav", Path("lagrad.wav"));
    ASSERT_EQ(testhooks::SoundsPlayed().size(), 1u);
    EXPECT_EQ(testhooks::SoundsPlayed()[0], ProgramFolder() + "talvo.wav");
    const bool haveSound = std::filesystem::exists(ProgramFolder() + "talvo.wav");
    ASSERT_EQ(Boxes().size(), haveSound ? 1u : 2u);
    if (!haveSound) {
        EXPECT_EQ(Boxes()[0].text, AfxFindString(60502));
    }
    const auto& ask = Boxes().back();
    // The shortcut is named as Windows names it; on Linux the shell saves it
    // as a desktop entry (Talvo.desktop) beside that name.
    const std::string link = Native(GetSpecialFolderPath(CSIDL_STARTUP).str() + "/Talvo.lnk");
#ifdef _WIN32
    const std::string program = ProgramFolder() + "test_mainwnd.exe";
#else
    const std::string program = ProgramFolder() + "test_mainwnd";
#endif
    char expected[2048];
    std::snprintf(expected, sizeof expected, AfxFindString(60400), link.c_str(), program.c_str());
    EXPECT_EQ(ask.text, expected);
    EXPECT_EQ(ask.type, UINT(MB_YESNO | MB_ICONINFORMATION));
    EXPECT_FALSE(std::filesystem::exists(GetSpecialFolderPath(CSIDL_STARTUP).str() + "/Talvo.desktop"));
    EXPECT_EQ(m_pDlg->m_data.m_strSoundFileAlarm, CString((Path("lagrad.wav")).c_str()));
}

#ifndef _WIN32
// A FIFO named as the sound file: the test button says at once that it
// cannot be played; the dialog never waits for a writer.
TEST_F(MainWndTest, SettingsSoundTestOfAFifoFailsAtOnce)
{
    const std::string fifo = Path("larm.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    SetSettingText("SoundFileAlarm", fifo);
    const std::string f = Path("f.tlv");
    WriteTlv(f, {});
    Create(f);
    // Past the deadline a writer comes and goes, so that a regression
    // fails here instead of hanging the run.
    std::atomic<bool> done = false;
    std::thread watchdog([&] {
        for (int i = 0; i < 1000 && !done; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!done)
            close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    });
    const auto start = std::chrono::steady_clock::now();
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::ClickButton(Ctl(hDlg, 1038));
        testhooks::ClickButton(Ctl(hDlg, IDCANCEL));
    });
    Key('I', false, true);
    const auto took = std::chrono::steady_clock::now() - start;
    done = true;
    watchdog.join();
    EXPECT_LT(took, std::chrono::seconds(5));
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, AfxFindString(60502));
}
#endif

// OK writes what it changed at once (a kill after it loses nothing), and only
// that: a value another program changed meanwhile survives it and the quit.
TEST_F(MainWndTest, SettingsOkWritesItsChangesAtOnceAndOnlyThose)
{
    const std::string f = Path("f.tlv");
    WriteTlv(f, {});
    Create(f);
    testhooks::ProcessEvents();
    const std::string config = m_root + "/config";
    ASSERT_EQ(StoredNumber(config, "BlinkOnAlarm"), -1);
    SetSetting("RemindTime", 300);  // another Talvo, after this one loaded
    testhooks::ProcessEvents();
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::ClickButton(Ctl(hDlg, 1027));  // blink off
        ClickOk(hDlg);
    });
    Key('I', false, true);
    testhooks::ProcessEvents();
    EXPECT_EQ(StoredNumber(config, "BlinkOnAlarm"), 0) << "written at OK, before any quit";
    EXPECT_EQ(StoredNumber(config, "RemindTime"), 300);
    EXPECT_EQ(m_pDlg->m_data.m_nRemindTime, 120);

#ifndef _WIN32
    // OK without changes writes nothing: the file is not replaced.
    struct stat before {};
    ASSERT_EQ(stat((config + "/Talvo/registry.reg").c_str(), &before), 0);
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) { ClickOk(hDlg); });
    Key('I', false, true);
    testhooks::ProcessEvents();
    struct stat after {};
    ASSERT_EQ(stat((config + "/Talvo/registry.reg").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
#endif

    Answer(IDYES);
    Cmd(32771);
    ASSERT_FALSE(Alive());
    RegFlushKey(HKEY_CURRENT_USER);
    EXPECT_EQ(StoredNumber(config, "RemindTime"), 300) << "the quit does not write back what it did not change";
    EXPECT_EQ(StoredNumber(config, "BlinkOnAlarm"), 0);
    EXPECT_EQ(GetSettingText("LastFile"), f);
}
