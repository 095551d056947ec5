#pragma once
// One real CMainDlg per test, in a private settings/data folder, with a fixed
// clock and scripted message-box answers.

#include "mainwnd/MainDlg.h"
#include "platform/testhooks/TestHooks.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

// A fixed winter instant (no daylight saving in Europe/Stockholm).
inline constexpr std::time_t kNow = 1768471200;  // 2026-01-15 10:00:00 UTC

struct TlvRecord {
    std::string text;
    std::time_t utc = 0;  // due instant
    bool remind = true;
    long pushTime = 86400;
    bool push = false;
};

struct TlvHeader {
    std::string defaultText;
    long timeAdd = 0;
    bool remind = true;
    long long pushTime = 86400;  // as written: a damaged file may hold more than 32 bits
    bool push = false;
};

// The folder of the running executable, with a trailing '/'.
std::string ProgramFolder();

class CReminderApp;

class MainWndTest : public ::testing::Test {
public:
    // The application object the windows are built for (set once by main).
    static void SetApp(CReminderApp* app);

protected:
    void SetUp() override;
    void TearDown() override;

    // Settings written to the per-user store before the window is built.
    void SetSetting(const char* name, unsigned long value);
    void SetSettingText(const char* name, const std::string& value);
    std::string GetSettingText(const char* name);

    // The user's folder for application data (XDG_DATA_HOME, or Windows' AppData).
    void SetDataFolder(const std::string& path);
    // The path with the system's own separators, as the program builds paths.
    static std::string Native(std::string path);
    // A file or folder in this test's private folder ('/' between names).
    std::string Path(const std::string& name) const { return Native(m_root + "/" + name); }

    void WriteTlv(const std::string& path, const std::vector<TlvRecord>& recs, const TlvHeader& h = {});
    static std::string ReadFile(const std::string& path);
    static bool Exists(const std::string& path);

    // Builds the window; cmdLine becomes the application's command line.
    void Create(const std::string& cmdLine = "");
    // Destroys the window unless a quit already did.
    void Destroy();
    bool Alive() const;
    void SetNow(std::time_t t);

    HWND Wnd() const { return m_pDlg->m_hWnd; }
    HWND Item(int id) const;
    HWND List() const { return m_pDlg->m_list.m_hWnd; }
    std::vector<testhooks::ListRow> Rows() const;
    std::vector<std::string> Texts() const;  // column 1 of every row
    std::vector<int> Selected() const;
    void Cmd(UINT id);
    void Key(UINT vk, bool shift = false, bool ctrl = false);
    void Answer(int id) { testhooks::QueueMessageBoxAnswer(id); }
    const std::vector<testhooks::MessageBoxRecord>& Boxes() const { return testhooks::MessageBoxes(); }
    bool Armed(UINT_PTR id, UINT* period = nullptr) const;
    UINT MenuState(UINT id) const;
    std::string Stored(std::time_t utc) const;  // stored-scale number text
    static std::string Format(UINT id, const std::string& arg);
    static std::string Format(UINT id, int arg);

    std::string m_root;     // private HOME-like folder of this test
    std::string m_cmdLine;  // storage behind m_lpCmdLine
    CMainDlg* m_pDlg = nullptr;
    HWND m_hWnd = nullptr;
};
