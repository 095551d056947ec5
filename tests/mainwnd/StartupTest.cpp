// Start-up: which data file is opened, whether the window shows, the hotkey.

#include "MainWndFixture.h"

#include "mainwnd/CommandLine.h"

#include <filesystem>
#include <fstream>

namespace {

// Removes the program folder's talvo.tlv whatever the test's outcome.
struct ProgramFolderFile {
    std::string path = ProgramFolder() + "talvo.tlv";
    ~ProgramFolderFile() { std::filesystem::remove(path); }
};

}  // namespace

TEST_F(MainWndTest, CommandLineWinsOverLastFile)
{
    const std::string a = Path("a.tlv"), b = Path("b.tlv");
    WriteTlv(a, {{"från LastFile", kNow + 3600}});
    WriteTlv(b, {{"från kommandoraden", kNow + 3600}});
    SetSettingText("LastFile", a);
    Create(b);
    EXPECT_EQ(Texts(), std::vector<std::string>{"från kommandoraden"});
    EXPECT_EQ(testhooks::WindowText(Wnd()), "Talvo - b.tlv");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(IsWindowVisible(Wnd()));
}

TEST_F(MainWndTest, QuotedCommandLineIsUsedWithItsQuotesAndFailsToLoad)
{
    const std::string b = Path("b.tlv");
    WriteTlv(b, {{"x", kNow + 3600}});
    Create("\"" + b + "\"");
    ASSERT_EQ(Boxes().size(), 1u);
    // A name that starts with a quote is a relative one: it is taken from the
    // current folder, quotes and all.
    EXPECT_EQ(Boxes()[0].text, Format(60302, Native(std::filesystem::current_path().string() + "/") + "\"" + b + "\""));
    EXPECT_EQ(Boxes()[0].type, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(Boxes()[0].caption, "Talvo");
    EXPECT_EQ(Boxes()[0].owner, Wnd());
    EXPECT_TRUE(Rows().empty());
}

TEST_F(MainWndTest, LastFileIsOpenedAndAMissingOneReported)
{
    const std::string a = Path("a.tlv");
    WriteTlv(a, {{"från LastFile", kNow + 3600}});
    SetSettingText("LastFile", a);
    Create();
    EXPECT_EQ(Texts(), std::vector<std::string>{"från LastFile"});
    EXPECT_TRUE(Boxes().empty());
    Destroy();

    SetSettingText("LastFile", Path("borta.tlv"));
    Create();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, Format(60302, Path("borta.tlv")));
    EXPECT_EQ(testhooks::WindowText(Wnd()), "Talvo - borta.tlv");
}

TEST_F(MainWndTest, ProgramFolderFileIsPreferredToTheDefaultFolderAndNotReported)
{
    ProgramFolderFile file;
    WriteTlv(file.path, {{"bredvid programmet", kNow + 3600}});
    Create();
    EXPECT_EQ(Texts(), std::vector<std::string>{"bredvid programmet"});
    EXPECT_EQ(std::string(m_pDlg->m_data.m_reminderList.GetFileName()), file.path);
    EXPECT_FALSE(Exists(Path("data/Talvo")));
    Destroy();

    std::ofstream(file.path) << "inte en lista\n";
    Create();
    EXPECT_TRUE(Boxes().empty());  // a default file is never reported
    EXPECT_TRUE(Rows().empty());
}

TEST_F(MainWndTest, FirstStartUsesTheCreatedDefaultFolderSilently)
{
    Create();
    EXPECT_TRUE(std::filesystem::is_directory(Path("data/Talvo")));
    EXPECT_EQ(std::string(m_pDlg->m_data.m_reminderList.GetFileName()), Path("data/Talvo/talvo.tlv"));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(testhooks::WindowText(Wnd()), "Talvo - talvo.tlv");
    EXPECT_TRUE(IsWindowVisible(Wnd()));
    const auto tray = testhooks::Tray();
    EXPECT_TRUE(tray.present);
    EXPECT_EQ(tray.iconId, 138u);
    EXPECT_EQ(tray.tip, AfxFindString(60100));
    EXPECT_EQ(tray.callbackMessage, 32868u);
    Destroy();

    std::ofstream(Path("data/Talvo/talvo.tlv")) << "skräp\n";
    Create();
    EXPECT_TRUE(Boxes().empty());
    Destroy();

    // A new account may not even have the application-data folder: it is
    // made, so the first save succeeds.
    SetDataFolder(Path("ny/.local/share"));
    Create();
    EXPECT_TRUE(std::filesystem::is_directory(Path("ny/.local/share/Talvo")));
    EXPECT_TRUE(m_pDlg->SaveDataFile(false));
    EXPECT_TRUE(std::filesystem::exists(Path("ny/.local/share/Talvo/talvo.tlv")));
}

TEST_F(MainWndTest, StartMinimizedShowsTheWindowOnlyWhenSomethingIsDue)
{
    const std::string f = Path("f.tlv");
    SetSetting("StartMinimized", 1);
    WriteTlv(f, {{"sen", kNow + 3600}});
    Create(f);
    EXPECT_FALSE(IsWindowVisible(Wnd()));
    EXPECT_TRUE(testhooks::Tray().present);
    Destroy();

    WriteTlv(f, {{"sen", kNow + 3600}, {"nu", kNow}});
    Create(f);
    EXPECT_TRUE(IsWindowVisible(Wnd()));
}

TEST_F(MainWndTest, StoredHotKeyIsRegisteredAndNoneWithKeyZero)
{
    SetSetting("HotKey", VK_F12);
    SetSetting("HotModifier", 1 | 4);  // Shift + Alt
    Create();
    const auto keys = testhooks::RegisteredHotKeys();
    const bool registered = keys.size() == 1 && keys[0].hWnd == Wnd() && keys[0].id == 1 &&
                            keys[0].modifiers == (MOD_SHIFT | MOD_ALT) && keys[0].vk == VK_F12;
    if (registered) {
        EXPECT_TRUE(Boxes().empty());
    } else {
        // No grab possible here: the program's own message instead.
        ASSERT_EQ(Boxes().size(), 1u);
        EXPECT_EQ(Boxes()[0].text, AfxFindString(60301));
        EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, MB_ICONEXCLAMATION);
    }
    Destroy();
    EXPECT_TRUE(testhooks::RegisteredHotKeys().empty());

    SetSetting("HotKey", 0);
    SetSetting("HotModifier", 5);
    Create();
    EXPECT_TRUE(testhooks::RegisteredHotKeys().empty());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(MainWndTest, CommandLineOptionsAreAnsweredAndNamesJoined)
{
    using Args = std::vector<std::string>;
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"/?"}, Args{"a.tlv", "-h", "--frobnicate"}})
        EXPECT_EQ(ParseCommandLine(args).action, CCommandLine::Help) << args[0];
    EXPECT_EQ(ParseCommandLine({"--version"}).action, CCommandLine::Version);

    for (const char* wrong : {"--frobnicate", "-x", "-", "--Help"}) {
        const CCommandLine cmd = ParseCommandLine({"a.tlv", wrong, "--help"});
        EXPECT_EQ(cmd.action, CCommandLine::Error) << wrong;
        EXPECT_EQ(std::string(cmd.error), "Ok\xC3\xA4nd flagga \"" + std::string(wrong) + "\".");
    }

    // After "--" everything is the list's name; without options the
    // arguments are joined by blanks, as the whole command line names one file.
    const CCommandLine dashed = ParseCommandLine({"--", "-x.tlv", "--help"});
    EXPECT_EQ(dashed.action, CCommandLine::Run);
    EXPECT_EQ(std::string(dashed.file), "-x.tlv --help");
    EXPECT_EQ(std::string(ParseCommandLine({"min", "lista.tlv"}).file), "min lista.tlv");
    EXPECT_EQ(std::string(ParseCommandLine({}).file), "");

    // Two lists that exist, where their joined name does not: refused. One of
    // them missing is a new list's name with a blank in it.
    const std::string a = Path("a.tlv"), b = Path("b.tlv");
    WriteTlv(a, {{"a", kNow + 3600}});
    EXPECT_EQ(ParseCommandLine({a, b}).action, CCommandLine::Run);
    WriteTlv(b, {{"b", kNow + 3600}});
    const CCommandLine two = ParseCommandLine({a, b});
    EXPECT_EQ(two.action, CCommandLine::Error);
    EXPECT_EQ(std::string(two.error).find("Talvo \xC3\xB6ppnar en lista i taget, men b\xC3\xA5"
                                          "de \"" +
                                          a + "\" och \"" + b + "\""),
              0u)
        << two.error.GetString();

    // A folder is never a list.
    const CCommandLine folder = ParseCommandLine({Path("")});
    EXPECT_EQ(folder.action, CCommandLine::Error);
    EXPECT_EQ(std::string(folder.error), Format(60312, Path("")));
}

TEST_F(MainWndTest, RememberedListThatBecameAFolderIsPassedOver)
{
    std::filesystem::create_directories(Path("mapp.tlv"));
    SetSettingText("LastFile", Path("mapp.tlv"));
    Create();
    EXPECT_EQ(testhooks::WindowText(Wnd()), "Talvo - talvo.tlv");
    EXPECT_TRUE(Boxes().empty());
}
