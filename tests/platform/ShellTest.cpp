// Program path, special folders, folder search and the shell opener.
#include "platform/FileFind.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/Shell.h"
#include "platform/posix/WebBrowser.h"
#include "platform/testhooks/TestHooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <future>
#include <sstream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/talvo-shell-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        m_dir = pattern;
    }
    void TearDown() override
    {
        testhooks::SetModuleFileName(nullptr);
        testhooks::SetShellOpener("");
        std::system(("rm -rf '" + m_dir + "'").c_str());
    }
    void Touch(const std::string& name) { std::ofstream(m_dir + "/" + name) << "x"; }
    std::string m_dir;
};

TEST(FileSystem, ModuleFileNameIsTheRealExecutable)
{
    char buffer[4096];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(buffer[0], '/');
    EXPECT_NE(std::string(buffer).find("test_platform_shell"), std::string::npos);
    struct stat st {};
    EXPECT_EQ(stat(buffer, &st), 0);

    char small[8];
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), sizeof small);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(small), std::string(buffer, 7)) << "cut and terminated";
}

TEST_F(TempFolder, SpecialFoldersFollowXdg)
{
    setenv("XDG_DATA_HOME", (m_dir + "/data/").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
    char path[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(std::string(path), m_dir + "/data");
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_STARTUP, FALSE));
    EXPECT_EQ(std::string(path), m_dir + "/config/autostart");
    struct stat st {};
    EXPECT_NE(stat(path, &st), 0) << "only asked to create with fCreate";
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_STARTUP | CSIDL_FLAG_CREATE, FALSE));
    EXPECT_EQ(stat(path, &st), 0);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, 0x2B, FALSE));
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, -1, FALSE));

    setenv("XDG_DATA_HOME", "not/absolute", 1);
    setenv("HOME", m_dir.c_str(), 1);
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE));
    EXPECT_EQ(std::string(path), m_dir + "/.local/share");
    setenv("XDG_DATA_HOME", (m_dir + "/" + std::string(300, 'x')).c_str(), 1);
    EXPECT_FALSE(SHGetSpecialFolderPathA(nullptr, path, CSIDL_APPDATA, FALSE)) << "longer than MAX_PATH";
}

TEST_F(TempFolder, CreateDirectoryReportsAsWin32)
{
    std::string sub = m_dir + "/new";
    EXPECT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA((m_dir + "/missing/deeper").c_str(), nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_PATH_NOT_FOUND));
}

TEST_F(TempFolder, FindFileMatchesFilesFoldersAndPatterns)
{
    Touch("a.tlv");
    Touch("b.TLV");
    Touch("noext");
    Touch("x[1].tlv");
    mkdir((m_dir + "/sub").c_str(), 0700);
    CFileFind find;
    EXPECT_TRUE(find.FindFile((m_dir + "/a.tlv").c_str()));
    EXPECT_TRUE(find.FindFile((m_dir + "/sub").c_str()));
    find.FindNextFile();
    EXPECT_TRUE(find.IsDirectory());
    EXPECT_FALSE(find.IsDots());
    EXPECT_EQ(std::string(find.GetFilePath()), m_dir + "/sub");
    EXPECT_TRUE(find.FindFile((m_dir + "/sub/").c_str()));
    EXPECT_TRUE(find.FindFile((m_dir + "/x[1].tlv").c_str())) << "brackets are no wildcards";
    EXPECT_FALSE(find.FindFile((m_dir + "/A.tlv").c_str())) << "case counts on Linux";
    EXPECT_FALSE(find.FindFile((m_dir + "/missing").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(find.FindFile((m_dir + "/nofolder/*.tlv").c_str()));

    ASSERT_TRUE(find.FindFile((m_dir + "/*.tlv").c_str()));
    std::vector<std::string> names;
    BOOL more = TRUE;
    while (more) {
        more = find.FindNextFile();
        names.push_back(std::string(find.GetFileName()));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.tlv", "x[1].tlv"}));
    EXPECT_TRUE(find.FindFile((m_dir + "/?.TLV").c_str()));
    EXPECT_FALSE(find.FindFile((m_dir + "/*.wav").c_str()));
    EXPECT_TRUE(find.FindFile((m_dir + "/noext.*").c_str())) << "\"x.*\" matches \"x\" as on Windows";
}

TEST(FileFind, WildcardRules)
{
    EXPECT_TRUE(MatchWildcard("*", ""));
    EXPECT_TRUE(MatchWildcard("*.*", "README"));
    EXPECT_TRUE(MatchWildcard("a*b*c", "aXXbYYbc"));
    EXPECT_FALSE(MatchWildcard("a*b*c", "aXXbYYb"));
    EXPECT_TRUE(MatchWildcard("??.txt", "ab.txt"));
    EXPECT_FALSE(MatchWildcard("??.txt", "abc.txt"));
    EXPECT_FALSE(MatchWildcard("*.tlv", "a.tlv.bak"));
}

TEST_F(TempFolder, ShellExecuteReportsMissingFilesAndStartsNothing)
{
    testhooks::ClearShellOpenerRuns();
    auto code = [](HINSTANCE h) { return reinterpret_cast<std::intptr_t>(h); };
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", (m_dir + "/ReadMe.txt").c_str(), nullptr, nullptr, SW_SHOWNORMAL)),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(code(ShellExecuteA(nullptr, "open", (m_dir + "/no/ReadMe.txt").c_str(), nullptr, nullptr, 1)),
              ERROR_PATH_NOT_FOUND);
    Touch("ReadMe.txt");
    EXPECT_EQ(code(ShellExecuteA(nullptr, "print", (m_dir + "/ReadMe.txt").c_str(), nullptr, nullptr, 1)),
              SE_ERR_NOASSOC);
    EXPECT_TRUE(testhooks::ShellOpenerRuns().empty());
}

TEST_F(TempFolder, ShellExecutePassesTheNameAsOneArgumentWithoutAShell)
{
    // The opener records its arguments, one per line.
    std::string opener = m_dir + "/opener";
    std::string log = m_dir + "/log";
    std::ofstream(opener) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" << log << "'; done\n";
    chmod(opener.c_str(), 0755);
    testhooks::SetShellOpener(opener);
    std::string name = "Read Me; $(touch pwned) `x` 'q'.txt";
    Touch(name);
    auto r = reinterpret_cast<std::intptr_t>(
        ShellExecuteA(nullptr, "open", (m_dir + "/" + name).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_GT(r, 32);
    for (int i = 0; i < 500 && ReadFile(log).empty(); ++i)
        usleep(10000);  // the opener runs on its own
    EXPECT_EQ(ReadFile(log), m_dir + "/" + name + "\n");
    struct stat st {};
    EXPECT_NE(stat("pwned", &st), 0);

    // URLs go to the opener unchecked, and the opener is not waited for: it
    // still runs when ShellExecuteA has returned, and is no child of ours.
    const std::string pidFile = m_dir + "/pid";
    std::ofstream(opener, std::ios::trunc) << "#!/bin/sh\necho $$ > '" << pidFile << "'.part\nmv '" << pidFile
                                           << "'.part '" << pidFile << "'\nexec sleep 30\n";
    EXPECT_GT(reinterpret_cast<std::intptr_t>(ShellExecuteA(nullptr, "open", "https://example.org/", nullptr,
                                                            nullptr, SW_SHOWNORMAL)),
              32);
    pid_t openerPid = 0;
    for (int i = 0; i < 500 && openerPid == 0; ++i) {
        std::ifstream(pidFile) >> openerPid;
        if (openerPid == 0)
            usleep(10000);
    }
    ASSERT_GT(openerPid, 0);
    EXPECT_EQ(kill(openerPid, 0), 0) << "the opener runs on";
    EXPECT_EQ(waitpid(openerPid, nullptr, WNOHANG), -1) << "and is not ours to wait for";
    kill(openerPid, SIGKILL);
    // Only an opener that cannot be started at all is a failure.
    testhooks::SetShellOpener(m_dir + "/does-not-exist");
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(
                  ShellExecuteA(nullptr, "open", (m_dir + "/" + name).c_str(), nullptr, nullptr, SW_SHOWNORMAL)),
              SE_ERR_NOASSOC);
}

// Windows' command-line rules, both ways: a desktop entry's Exec line as a
// command line with its document placeholder, and a command line as the
// arguments a program gets.
TEST(CommandLine, DesktopExecLinesBecomeWindowsCommandLinesAndSplitBack)
{
    EXPECT_EQ(AfxWindowsCommandLine("firefox %u"), "firefox \"%1\"");
    EXPECT_EQ(AfxWindowsCommandLine("\"/opt/My Browser/b\" -nohome %U"), "\"/opt/My Browser/b\" -nohome \"%1\"");
    EXPECT_EQ(AfxWindowsCommandLine("b --new-window"), "b --new-window");
    EXPECT_EQ(AfxWindowsCommandLine("b %i 100%% %f"), "b 100% \"%1\"");
    EXPECT_EQ(AfxWindowsCommandLine(""), "");

    using Args = std::vector<std::string>;
    EXPECT_EQ(AfxSplitCommandLine("a  b\tc"), (Args{"a", "b", "c"}));
    EXPECT_EQ(AfxSplitCommandLine("\"/a b/c\" -x \"\""), (Args{"/a b/c", "-x", ""}));
    EXPECT_EQ(AfxSplitCommandLine("a\\\\b \"c\\\"d\" e\\\\\\\"f"), (Args{"a\\\\b", "c\"d", "e\\\"f"}));
    EXPECT_EQ(AfxSplitCommandLine("\"x\\\\\" y"), (Args{"x\\", "y"}));
    EXPECT_TRUE(AfxSplitCommandLine("   ").empty());
    // What one produces, the other reads back.
    const std::string line = AfxWindowsCommandLine("\"/p q/b\" \"a\\\"b\" %u");
    EXPECT_EQ(AfxSplitCommandLine(line.c_str()), (Args{"/p q/b", "a\"b", "%1"}));
}

// The desktop's lists and entries are files anyone may replace: a FIFO in
// their place is passed over, never waited on, and the next list counts.
TEST_F(TempFolder, DesktopBrowserLookupPassesOverAFifo)
{
    const std::string config = m_dir + "/config", system = m_dir + "/xdg", data = m_dir + "/data";
    ASSERT_EQ(std::system(("mkdir -p '" + config + "' '" + system + "' '" + data + "/applications'").c_str()), 0);
    ASSERT_EQ(mkfifo((config + "/mimeapps.list").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((data + "/applications/fifo.desktop").c_str(), 0600), 0);
    std::ofstream(system + "/mimeapps.list") << "[Default Applications]\nx-scheme-handler/http=fifo.desktop;web.desktop\n";
    std::ofstream(data + "/applications/web.desktop") << "[Desktop Entry]\nExec=webb %u\n";
    const char* names[] = {"BROWSER", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"};
    std::vector<std::pair<std::string, const char*>> saved;
    for (const char* name : names)
        saved.emplace_back(name, std::getenv(name));
    std::vector<std::string> values;
    for (auto& [name, value] : saved)
        values.push_back(value ? value : "");
    unsetenv("BROWSER");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", system.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_DATA_DIRS", "/nonexistent", 1);
    auto classes = std::async(std::launch::async, [] { return AfxDesktopClasses(); });
    const bool ended = classes.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!ended) {
        // Writers come and go, so that the waiting lookup and the test end.
        for (const std::string& fifo : {config + "/mimeapps.list", data + "/applications/fifo.desktop"})
            for (int i = 0; i < 50 && classes.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready; ++i)
                close(open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    }
    EXPECT_TRUE(ended) << "the lookup waited on a FIFO";
    const auto desktop = classes.get();
    const RegistryValue* command = desktop.FindValue("HKEY_CLASSES_ROOT\\htmlfile\\shell\\open\\command", "");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->data, std::string("webb \"%1\"") + '\0');
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i].second)
            setenv(saved[i].first.c_str(), values[i].c_str(), 1);
        else
            unsetenv(saved[i].first.c_str());
    }
}

}  // namespace
