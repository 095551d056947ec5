// Open, Save, Save As and every way out of the program.

#include "MainWndFixture.h"

#include "platform/CommonDialogs.h"

#include <fstream>

namespace {

constexpr UINT kSaveError = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
constexpr UINT kQuitQuestion = MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;

} // namespace

class FileQuitTest : public MainWndTest {
protected:
    void SetUp() override
    {
        MainWndTest::SetUp();
        testhooks::ClearFileDialogs();
        m_file = m_root + "/lista.tlv";
        // Tests run as root: only a path through a regular file is unwritable.
        std::ofstream(m_root + "/blocker") << "x";
        m_unwritable = m_root + "/blocker/talvo.tlv";
    }
    void TearDown() override
    {
        testhooks::ClearFileDialogs();
        MainWndTest::TearDown();
    }
    void AddRow(const char* text)
    {
        testhooks::TypeText(Item(1006), text);
        testhooks::ClickButton(Item(1009));
    }
    std::string m_file, m_unwritable;
};

TEST_F(FileQuitTest, OpenReplacesTheListReportsBadFilesAndDropsThePendingAutosave)
{
    WriteTlv(m_file, {{"första", kNow + 3600}});
    const std::string other = m_root + "/andra.tlv";
    WriteTlv(other, {{"andra", kNow + 3600}});
    Create(m_file);
    AddRow("osparad");
    ASSERT_TRUE(Armed(3));

    testhooks::QueueFileDialogPath(other);
    Key('O', false, true);
    ASSERT_EQ(testhooks::FileDialogRequests().size(), 1u);
    EXPECT_TRUE(testhooks::FileDialogRequests()[0].open);
    EXPECT_EQ(testhooks::FileDialogRequests()[0].owner, Wnd());
    EXPECT_EQ(Texts(), std::vector<std::string>{"andra"});
    EXPECT_FALSE(Armed(3));
    EXPECT_EQ(testhooks::WindowText(Wnd()), "Talvo - andra.tlv");
    EXPECT_EQ(ReadFile(m_file).find("osparad"), std::string::npos);  // lost without a question

    const std::string text = m_root + "/anteckning.txt";
    std::ofstream(text) << "Inte en lista\r\n";
    testhooks::QueueFileDialogPath(text);
    Cmd(57601);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, Format(60302, text));
    EXPECT_EQ(Boxes()[0].type, MB_OK | MB_ICONSTOP);
    EXPECT_EQ(testhooks::WindowText(Wnd()), "Talvo - anteckning.txt");

    testhooks::QueueFileDialogCancel();
    Cmd(57601);
    EXPECT_EQ(testhooks::WindowText(Wnd()), "Talvo - anteckning.txt");
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(FileQuitTest, SaveAsToAnUnwritablePlaceAsksAndKeepsTheNewName)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    testhooks::QueueFileDialogPath(m_unwritable);
    Answer(IDNO);
    Cmd(32786);
    ASSERT_EQ(testhooks::FileDialogRequests().size(), 1u);
    EXPECT_FALSE(testhooks::FileDialogRequests()[0].open);
    EXPECT_EQ(testhooks::FileDialogRequests()[0].defaultExt, "tlv");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, Format(60306, m_unwritable));
    EXPECT_EQ(Boxes()[0].type, kSaveError);
    EXPECT_EQ(Boxes()[0].buttons, (std::vector<std::string>{"Ja", "Nej"}));
    EXPECT_EQ(testhooks::WindowText(Wnd()), "Talvo - talvo.tlv");
    EXPECT_EQ(std::string(m_pDlg->m_data.m_reminderList.GetFileName()), m_unwritable);

    Answer(IDYES);
    Key('S', false, true);
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1].text, Format(60306, m_unwritable));

    const std::string saved = m_root + "/kopia.tlv";
    testhooks::QueueFileDialogPath(saved);
    Cmd(32786);
    EXPECT_NE(ReadFile(saved).find("\r\nrad\r\n"), std::string::npos);
    EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(FileQuitTest, ExitAndCloseSaveOnlyAfterYes)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    AddRow("ny");

    Answer(IDNO);
    Cmd(32771);
    Answer(IDCANCEL);
    testhooks::ClickClose(Wnd());
    testhooks::ProcessEvents();
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[0].text, AfxFindString(60000));
    EXPECT_EQ(Boxes()[0].type, kQuitQuestion);
    EXPECT_EQ(Boxes()[1].text, AfxFindString(60000));
    EXPECT_TRUE(Alive());
    EXPECT_EQ(ReadFile(m_file).find("\r\nny\r\n"), std::string::npos);
    EXPECT_EQ(GetSettingText("LastFile"), "");

    Answer(IDYES);
    testhooks::ClickClose(Wnd());
    testhooks::ProcessEvents();
    EXPECT_FALSE(Alive());
    EXPECT_NE(ReadFile(m_file).find("\r\nny\r\n"), std::string::npos);
    EXPECT_EQ(GetSettingText("LastFile"), m_file);
    EXPECT_FALSE(testhooks::Tray().present);
    Destroy();

    Create(m_file);  // LastFile is not used: the command line names the file
    Answer(IDYES);
    Cmd(32771);
    EXPECT_FALSE(Alive());
}

TEST_F(FileQuitTest, FailingSaveOnQuitAsksAndNoKeepsTheProgramRunning)
{
    Create(m_unwritable);
    ASSERT_EQ(Boxes().size(), 1u);  // the load failure
    testhooks::ClearMessageBoxes();

    Answer(IDYES);
    Answer(IDNO);
    Cmd(32771);
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1].text, Format(60306, m_unwritable));
    EXPECT_EQ(Boxes()[1].type, kSaveError);
    EXPECT_TRUE(Alive());
    EXPECT_EQ(GetSettingText("LastFile"), "");

    Answer(IDYES);
    Answer(IDYES);
    Cmd(32771);
    EXPECT_FALSE(Alive());
    EXPECT_EQ(GetSettingText("LastFile"), m_unwritable);  // settings written after Yes
}

TEST_F(FileQuitTest, SessionEndSavesWithoutTheConfirmation)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    AddRow("ny");
    EXPECT_TRUE(testhooks::QueryEndSession());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_NE(ReadFile(m_file).find("\r\nny\r\n"), std::string::npos);
    EXPECT_EQ(GetSettingText("LastFile"), m_file);
    Destroy();

    Create(m_unwritable);
    testhooks::ClearMessageBoxes();
    Answer(IDNO);
    EXPECT_FALSE(testhooks::QueryEndSession());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, Format(60306, m_unwritable));
    EXPECT_TRUE(Alive());
    Answer(IDYES);
    EXPECT_TRUE(testhooks::QueryEndSession());
}
