#include "MainWndFixture.h"

#include "mainwnd/ReminderApp.h"
#include "model/Clock.h"
#include "platform/Menu.h"
#include "platform/Resource.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const char* const kSettingsKey = "Software\\Lindqvarn\\Talvo\\Settings";

CReminderApp* g_pApp = nullptr;

// The settings key, opened (and created) through the real store.
HKEY OpenSettings()
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    return key;
}

}  // namespace

void MainWndTest::SetApp(CReminderApp* app) { g_pApp = app; }

#ifdef _WIN32
namespace {

const char* const kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// Points the user's application-data folder (where the default list lives)
// at path, as a redirected profile would; empty puts the profile's own back.
void SetAppDataFolder(const std::string& path)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    const std::string value = path.empty() ? std::string("%USERPROFILE%\\AppData\\Roaming") : path;
    RegSetValueExA(key, "AppData", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   DWORD(value.size() + 1));
    RegCloseKey(key);
}

}  // namespace
#endif

void MainWndTest::SetUp()
{
#ifdef _WIN32
    static int s_count = 0;
    m_root = (fs::temp_directory_path() /
              ("talvo_mainwnd_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++s_count)))
                 .string();
    fs::create_directories(m_root + "/data");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Lindqvarn\\Talvo");
#else
    char tmpl[] = "/tmp/talvo_mainwnd_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    m_root = tmpl;
    fs::create_directories(m_root + "/config");
    fs::create_directories(m_root + "/data");
    setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
#endif
    SetDataFolder(m_root + "/data");
    tzset();
    testhooks::EnableMessageBoxHook(true);
    testhooks::ClearMessageBoxes();
    testhooks::ClearSounds();
    testhooks::SetTrayAvailable(1);  // a desktop with a tray, unless a test says otherwise
    SetNow(kNow);
}

void MainWndTest::TearDown()
{
    Destroy();
    testhooks::ClearMessageBoxes();
    testhooks::SetTrayAvailable(-1);
#ifdef _WIN32
    SetAppDataFolder("");
#endif
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

void MainWndTest::SetDataFolder(const std::string& path)
{
#ifdef _WIN32
    SetAppDataFolder(Native(path));
#else
    setenv("XDG_DATA_HOME", path.c_str(), 1);
#endif
}

std::string MainWndTest::Native(std::string path)
{
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

void MainWndTest::SetNow(std::time_t t) { SetClockForTests(t); }

void MainWndTest::SetSetting(const char* name, unsigned long value)
{
    HKEY key = OpenSettings();
    const DWORD v = DWORD(value);
    RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&v), sizeof v);
    RegCloseKey(key);
}

void MainWndTest::SetSettingText(const char* name, const std::string& value)
{
    HKEY key = OpenSettings();
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), DWORD(value.size() + 1));
    RegCloseKey(key);
}

std::string MainWndTest::GetSettingText(const char* name)
{
    HKEY key = OpenSettings();
    char buf[1024] = {};
    DWORD size = sizeof buf - 1, type = 0;
    const LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    return rc == 0 ? std::string(buf) : std::string();
}

void MainWndTest::WriteTlv(const std::string& path, const std::vector<TlvRecord>& recs, const TlvHeader& h)
{
    std::ostringstream out;
    out << "Talvo_1.2\r\n"
        << h.defaultText << "\r\n"
        << h.timeAdd << "\r\n"
        << h.remind << "\r\n"
        << h.pushTime << "\r\n"
        << h.push << "\r\n";
    for (const TlvRecord& r : recs)
        out << r.text << "\r\n"
            << Stored(r.utc) << "\r\n"
            << r.remind << "\r\n"
            << r.pushTime << "\r\n"
            << r.push << "\r\n";
    std::ofstream(path, std::ios::binary) << out.str();
}

std::string MainWndTest::ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool MainWndTest::Exists(const std::string& path) { return fs::exists(path); }

void MainWndTest::Create(const std::string& cmdLine)
{
    m_cmdLine = cmdLine;
    g_pApp->m_lpCmdLine = m_cmdLine.data();
    m_pDlg = new CMainDlg(nullptr);
    m_hWnd = m_pDlg->m_hWnd;
    g_pApp->m_pMainWnd = m_pDlg;
    testhooks::ProcessEvents();
}

bool MainWndTest::Alive() const { return m_hWnd && ::IsWindow(m_hWnd); }

void MainWndTest::Destroy()
{
    if (Alive())
        m_pDlg->DestroyWindow();  // PostNcDestroy deletes the object
    testhooks::ProcessEvents();
    m_pDlg = nullptr;
    m_hWnd = nullptr;
    g_pApp->m_pMainWnd = nullptr;
    testhooks::ClearMessageBoxes();
}

HWND MainWndTest::Item(int id) const { return ::GetDlgItem(m_hWnd, id); }

std::vector<testhooks::ListRow> MainWndTest::Rows() const { return testhooks::ListRows(List()); }

std::vector<std::string> MainWndTest::Texts() const
{
    std::vector<std::string> texts;
    for (const auto& row : Rows())
        texts.push_back(row.texts.at(1));
    return texts;
}

std::vector<int> MainWndTest::Selected() const
{
    std::vector<int> sel;
    const auto rows = Rows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].selected)
            sel.push_back(int(i));
    return sel;
}

void MainWndTest::Cmd(UINT id)
{
    testhooks::PostCommand(m_hWnd, id);
    testhooks::ProcessEvents();
}

void MainWndTest::Key(UINT vk, bool shift, bool ctrl)
{
    testhooks::SendKey(m_hWnd, vk, shift, ctrl);
    testhooks::ProcessEvents();
}

bool MainWndTest::Armed(UINT_PTR id, UINT* period) const { return testhooks::IsTimerArmed(m_hWnd, id, period); }

UINT MainWndTest::MenuState(UINT id) const { return ::GetMenuState(::GetMenu(m_hWnd), id, MF_BYCOMMAND); }

std::string MainWndTest::Stored(std::time_t utc) const { return std::to_string(long(utc - timezone)); }

std::string MainWndTest::Format(UINT id, const std::string& arg)
{
    char buf[1024];
    std::snprintf(buf, sizeof buf, AfxFindString(id), arg.c_str());
    return buf;
}

std::string MainWndTest::Format(UINT id, int arg)
{
    char buf[1024];
    std::snprintf(buf, sizeof buf, AfxFindString(id), arg);
    return buf;
}

std::string ProgramFolder()
{
#ifdef _WIN32
    // In lower case, as the program names its own folder where names ignore case.
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::string folder = fs::path(path).parent_path().string() + "\\";
    std::transform(folder.begin(), folder.end(), folder.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return folder;
#else
    return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
#endif
}
