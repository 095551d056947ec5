// The shell and file helpers: path parts, program folder, special folders,
// file search, the ReadMe opener, the file dialog wrapper, the autostart
// entry and the date and time texts.
#include "support/ShellHelpers.h"

#include "platform/CommonDialogs.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/ShellLink.h"
#include "platform/testhooks/TestHooks.h"

#include <QApplication>

#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string S(const CString& s) { return std::string(s.GetString()); }

class ShellHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_support_shell";
        static char* argv[] = {name, nullptr};
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
        char pattern[] = "/tmp/talvo-help-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        m_dir = pattern;
        setenv("XDG_CONFIG_HOME", (m_dir + "/config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_dir + "/data").c_str(), 1);
        testhooks::ClearFileDialogs();
    }
    void TearDown() override
    {
        testhooks::SetModuleFileName(nullptr);
        testhooks::SetShellOpener("");
        testhooks::SetCoInitializeResult(S_OK);
        testhooks::ClearFileDialogs();
        std::system(("rm -rf '" + m_dir + "'").c_str());
    }
    std::string m_dir;
};

TEST(PathParts, BackslashFirstThenSlash)
{
    EXPECT_EQ(S(GetFileNamePart("a/b\\c.txt")), "c.txt");
    EXPECT_EQ(S(GetFolderPart("a/b\\c.txt")), "a/b\\");
    EXPECT_EQ(S(GetFileNamePart("c.txt")), "c.txt");
    EXPECT_EQ(S(GetFolderPart("c.txt")), "");
    EXPECT_EQ(S(GetFileNamePart("D:/dir/x.tlv")), "x.tlv");
    EXPECT_EQ(S(GetFolderPart("D:/dir/x.tlv")), "D:/dir/");
    EXPECT_EQ(S(GetFolderPart("/home/u/Talvo/")), "/home/u/Talvo/");
    EXPECT_EQ(S(GetFileNamePart("/home/u/Talvo/")), "");
}

TEST_F(ShellHelpers, ProgramPathKeepsItsCase)
{
    CString real = GetProgramPath(false);
    ASSERT_FALSE(real.IsEmpty());
    EXPECT_NE(S(real).find("test_support_shell"), std::string::npos);
    CString folder = GetProgramPath(true);
    EXPECT_EQ(S(folder).back(), '/');
    EXPECT_EQ(S(real).rfind(S(folder), 0), 0u);

    testhooks::SetModuleFileName("/Apps/Notes/Prog.EXE");
    EXPECT_EQ(S(GetProgramPath(true)), "/Apps/Notes/");
    EXPECT_EQ(S(GetProgramPath(false)), "/Apps/Notes/Prog.EXE");
    std::string deep = "/" + std::string(300, 'D') + "/talvo";
    testhooks::SetModuleFileName(deep.c_str());
    EXPECT_EQ(S(GetProgramPath(false)), deep) << "a long path is not cut at 259";
}

TEST_F(ShellHelpers, SpecialFoldersAndFileExists)
{
    EXPECT_EQ(S(GetSpecialFolderPath(CSIDL_APPDATA)), m_dir + "/data");
    EXPECT_EQ(S(GetSpecialFolderPath(CSIDL_STARTUP)), m_dir + "/config/autostart");
    EXPECT_EQ(S(GetSpecialFolderPath(0x7777)), "");

    std::ofstream(m_dir + "/lista.tlv") << "x";
    EXPECT_TRUE(FileExists(m_dir.c_str())) << "a folder counts";
    EXPECT_TRUE(FileExists((m_dir + "/lista.tlv").c_str()));
    EXPECT_TRUE(FileExists((m_dir + "/*.tlv").c_str()));
    EXPECT_FALSE(FileExists((m_dir + "/*.wav").c_str()));
    EXPECT_FALSE(FileExists((m_dir + "/talvo.tlv").c_str()));
}

TEST_F(ShellHelpers, OpenReadMeLooksInTheProgramFolderOnly)
{
    testhooks::SetModuleFileName((m_dir + "/talvo").c_str());
    std::string opener = m_dir + "/opener";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << m_dir << "/opened.part'\nmv '" << m_dir
                          << "/opened.part' '" << m_dir << "/opened'\n";
    chmod(opener.c_str(), 0755);
    testhooks::SetShellOpener(opener);
    EXPECT_FALSE(OpenReadMe("ReadMe.txt"));
    struct stat st {};
    EXPECT_NE(stat((m_dir + "/opened").c_str(), &st), 0) << "nothing was started";
    std::ofstream(m_dir + "/ReadMe.txt") << "hej";
    EXPECT_TRUE(OpenReadMe("ReadMe.txt"));
    for (int i = 0; i < 500 && stat((m_dir + "/opened").c_str(), &st) != 0; ++i)
        usleep(10000);  // the opener runs on its own
    EXPECT_EQ(ReadFile(m_dir + "/opened"), m_dir + "/ReadMe.txt");
}

TEST_F(ShellHelpers, FileDialogGetsTheFilterFolderAndName)
{
    testhooks::QueueFileDialogPath(m_dir + "/ljud.wav", 2);
    CString result = "unchanged";
    int index = 0;
    ASSERT_TRUE(ShowFileDialog(result, true, nullptr, (m_dir + "/old/sound.wav").c_str(), "/x/y/sound.wav", 4,
                               "Ljudfiler|*.wav|Alla filer (*.*)|*.*||\n ", nullptr, &index, nullptr, 260));
    EXPECT_EQ(S(result), m_dir + "/ljud.wav");
    EXPECT_EQ(index, 1) << "the second type, 0-based";
    ASSERT_EQ(testhooks::FileDialogRequests().size(), 1u);
    const testhooks::FileDialogRequest& r = testhooks::FileDialogRequests()[0];
    EXPECT_TRUE(r.open);
    ASSERT_EQ(r.filters.size(), 2u) << "the trailing line feed and blank add no type";
    EXPECT_EQ(r.filters[0], (std::pair<std::string, std::string>{"Ljudfiler", "*.wav"}));
    EXPECT_EQ(r.filters[1], (std::pair<std::string, std::string>{"Alla filer (*.*)", "*.*"}));
    EXPECT_EQ(r.filterIndex, 1u);
    EXPECT_EQ(r.initialDir, m_dir + "/old/");
    EXPECT_EQ(r.initialFile, "sound.wav");
    EXPECT_EQ(r.flags, 4u);
    EXPECT_EQ(r.maxFile, 260u);
    EXPECT_EQ(r.structSize, OPENFILENAME_SIZE_VERSION_400);
    EXPECT_TRUE(r.title.empty());
    EXPECT_TRUE(r.defaultExt.empty());
}

TEST_F(ShellHelpers, CancelledDialogLeavesResultAndIndex)
{
    for (bool open : {true, false}) {
        testhooks::QueueFileDialogCancel();
        CString result = "kept";
        int index = 1;
        EXPECT_FALSE(ShowFileDialog(result, open, nullptr, nullptr, nullptr, 6, "A|*.a|B|*.b||", "tlv", &index,
                                    nullptr, 260));
        EXPECT_EQ(S(result), "kept");
        EXPECT_EQ(index, 1);
        EXPECT_EQ(testhooks::FileDialogRequests().back().filterIndex, 2u);
    }
}

TEST_F(ShellHelpers, SaveDialogWithDefaultExtensionAndNoFilterIndex)
{
    testhooks::QueueFileDialogPath(m_dir + "/ny");
    CString result;
    ASSERT_TRUE(ShowFileDialog(result, false, nullptr, nullptr, "lista.tlv", 6, nullptr, "tlv", nullptr, nullptr, 260));
    EXPECT_EQ(S(result), m_dir + "/ny.tlv");
    EXPECT_TRUE(testhooks::FileDialogRequests().back().filters.empty());
    EXPECT_EQ(testhooks::FileDialogRequests().back().initialFile, "lista.tlv");
}

TEST_F(ShellHelpers, MultipleSelectionJoinsFullPaths)
{
    std::ofstream(m_dir + "/a.tlv") << "x";
    std::ofstream(m_dir + "/b.tlv") << "x";
    testhooks::FileDialogAnswer answer;
    answer.paths = {m_dir + "/a.tlv", m_dir + "/b.tlv"};
    testhooks::QueueFileDialogAnswer(answer);
    CString result;
    ASSERT_TRUE(ShowFileDialog(result, true, nullptr, (m_dir + "/").c_str(), nullptr,
                               OFN_ALLOWMULTISELECT | OFN_EXPLORER, nullptr, nullptr, nullptr, nullptr, 260));
    EXPECT_EQ(S(result), m_dir + "/a.tlv\n" + m_dir + "/b.tlv");
}

TEST_F(ShellHelpers, CreateShortcutWritesTheAutostartEntryTwice)
{
    std::string link = S(GetSpecialFolderPath(CSIDL_STARTUP)) + "/Talvo.lnk";
    std::string target = "/opt/Talvo 1.2/talvo";
    EXPECT_TRUE(CreateShortcut(target.c_str(), link.c_str()));
    std::string desktop = m_dir + "/config/autostart/Talvo.desktop";
    std::string entry = ReadFile(desktop);
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
    EXPECT_NE(entry.find("\nName=Talvo\n"), std::string::npos);
    EXPECT_NE(entry.find("\nExec=\"/opt/Talvo 1.2/talvo\"\n"), std::string::npos);
    std::remove(desktop.c_str());
    EXPECT_TRUE(CreateShortcut("/usr/bin/talvo", link.c_str())) << "COM is already up the second time";
    EXPECT_NE(ReadFile(desktop).find("\nExec=/usr/bin/talvo\n"), std::string::npos);
}

TEST_F(ShellHelpers, CreateShortcutFailuresReturnFalse)
{
    // A Startup folder that is missing gives a link path of just "/Talvo.lnk"
    // in the caller; here the folder cannot be made below a file.
    std::ofstream(m_dir + "/file") << "x";
    EXPECT_FALSE(CreateShortcut("/usr/bin/talvo", (m_dir + "/file/autostart/Talvo.lnk").c_str()));
    EXPECT_FALSE(CreateShortcut("", (m_dir + "/Talvo.lnk").c_str()));
    EXPECT_FALSE(CreateShortcut("/usr/bin/talvo", ""));
    testhooks::SetCoInitializeResult(E_OUTOFMEMORY);
    EXPECT_FALSE(CreateShortcut("/usr/bin/talvo", (m_dir + "/Talvo.lnk").c_str())) << "and the program goes on";
    struct stat st {};
    EXPECT_NE(stat((m_dir + "/Talvo.desktop").c_str(), &st), 0);
}

TEST_F(ShellHelpers, DateAndTimeTextsAndTheirLimit)
{
    SYSTEMTIME st;
    st.wYear = 2026;
    st.wMonth = 12;
    st.wDay = 6;
    st.wHour = 14;
    st.wMinute = 5;
    st.wSecond = 9;
    char text[2 * kFormatBufferSize + 1];
    char* end = AppendDateText(text, LOCALE_NOUSEROVERRIDE, nullptr, &st);
    *end++ = ' ';
    end = AppendTimeText(end, LOCALE_NOUSEROVERRIDE, nullptr, &st);
    EXPECT_EQ(std::string(text, end), "2026-12-06 14:05:09");  // the tests run in C.UTF-8
    EXPECT_EQ(*end, '\0');

    // A text longer than its room writes nothing, not a cut one.
    std::string over = "'" + std::string(kFormatBufferSize, 'x') + "'";
    std::string fits = "'" + std::string(kFormatBufferSize - 1, 'x') + "'";
    std::fill(std::begin(text), std::end(text), '?');
    EXPECT_EQ(AppendDateText(text, 0, over.c_str(), &st), text);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(AppendTimeText(text, 0, over.c_str(), &st), text);
    EXPECT_EQ(text[0], '\0');
    EXPECT_EQ(AppendDateText(text, 0, fits.c_str(), &st) - text, kFormatBufferSize - 1);
    st.wMonth = 13;
    EXPECT_EQ(AppendDateText(text, 0, nullptr, &st), text);
}

}  // namespace
