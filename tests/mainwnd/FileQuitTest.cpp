// Open, Save, Save As and every way out of the program.

#include "MainWndFixture.h"

#include "platform/CommonDialogs.h"
#include "platform/Instance.h"
#include "res/resource.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#ifndef _WIN32
#include <csignal>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

constexpr UINT kSaveError = MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2;
constexpr UINT kQuitQuestion = MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3;
constexpr auto kOwnerOnly = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write;

// Runs the window's events until done() or the deadline; whether done().
bool EventsUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = std::chrono::seconds(5))
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        testhooks::ProcessEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace

class FileQuitTest : public MainWndTest {
protected:
    void SetUp() override
    {
        MainWndTest::SetUp();
        testhooks::ClearFileDialogs();
        m_file = Path("lista.tlv");
        // Tests run as root: only a path through a regular file is unwritable.
        std::ofstream(Path("blocker")) << "x";
        m_unwritable = Path("blocker/talvo.tlv");
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
    const std::string other = Path("andra.tlv");
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
    // The list on screen was saved before the other was opened.
    EXPECT_NE(ReadFile(m_file).find("\r\nosparad\r\n"), std::string::npos);

    const std::string text = Path("anteckning.txt");
    std::ofstream(text, std::ios::binary) << "Inte en lista\r\n";
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

    // Saving over the file that could not be read keeps it aside first, once.
    Key('S', false, true);
    Key('S', false, true);
    std::vector<std::string> aside;
    for (const auto& e : std::filesystem::directory_iterator(m_root))
        if (e.path().filename().string().rfind("anteckning.txt.unreadable-", 0) == 0)
            aside.push_back(e.path().string());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0]), "Inte en lista\r\n");
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(aside[0]).permissions(), kOwnerOnly);
#endif
    EXPECT_EQ(ReadFile(text).rfind("Talvo_1.2\r\n", 0), 0u);
}

TEST_F(FileQuitTest, OpenSavesFirstAndASaveErrorAnsweredNoKeepsTheList)
{
    Create(m_unwritable);  // a list that cannot be saved where it is
    AddRow("kvar");
    const std::string other = Path("andra.tlv");
    WriteTlv(other, {{"andra", kNow + 3600}});

    testhooks::QueueFileDialogPath(other);
    Answer(IDNO);
    Cmd(57601);
    ASSERT_EQ(Boxes().size(), 2u);  // the load error at start, then the save error
    EXPECT_EQ(Boxes()[1].text, Format(60306, m_unwritable));
    EXPECT_EQ(Boxes()[1].type, kSaveError);
    EXPECT_EQ(Texts(), std::vector<std::string>{"kvar"});
    EXPECT_EQ(std::string(m_pDlg->m_data.m_reminderList.GetFileName()), m_unwritable);

    testhooks::QueueFileDialogPath(other);
    Answer(IDYES);
    Cmd(57601);
    EXPECT_EQ(Texts(), std::vector<std::string>{"andra"});
}

TEST_F(FileQuitTest, ADefaultFileThatCannotBeReadIsKeptAsideWithoutAWord)
{
    const std::string folder = Path("data/Talvo");
    std::filesystem::create_directories(folder);
    // A list an editor gave a byte-order mark: no longer readable.
    const std::string bom = "\xEF\xBB\xBFTalvo_1.2\r\n\r\n0\r\n1\r\n86400\r\n0\r\nviktig\r\n1\r\n1\r\n86400\r\n0\r\n";
    std::ofstream(folder + "/talvo.tlv", std::ios::binary) << bom;
    Create();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Rows().empty());
    Answer(IDYES);
    Cmd(32771);
    EXPECT_FALSE(Alive());
    std::vector<std::string> aside;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.path().filename().string().rfind("talvo.tlv.unreadable-", 0) == 0)
            aside.push_back(e.path().string());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0]), bom);
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

    const std::string saved = Path("kopia.tlv");
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

// A logout that allows no questions (and SIGTERM): the list and the settings
// are saved without a word; a list that cannot go to its own file goes to a
// recovery file in the data folder.
TEST_F(FileQuitTest, SessionEndWithoutQuestionsSavesOrKeepsARecoveryFile)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    AddRow("ny");
    SetNow(kNow + 5);
    EXPECT_TRUE(testhooks::QueryEndSessionWithoutQuestions());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_NE(ReadFile(m_file).find("\r\nny\r\n"), std::string::npos);
    EXPECT_EQ(GetSettingText("LastFile"), m_file);
    Destroy();

    Create(m_unwritable);
    testhooks::ClearMessageBoxes();
    AddRow("räddad");
    EXPECT_TRUE(testhooks::QueryEndSessionWithoutQuestions());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(GetSettingText("LastFile"), m_unwritable);
    // 2026-01-15 11:00:05 in Stockholm.
    const std::string recovery = Path("data/Talvo/talvo-recovery-20260115-110005.tlv");
    EXPECT_NE(ReadFile(recovery).find("\r\nräddad\r\n"), std::string::npos);
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(recovery).permissions(), kOwnerOnly) << "a copy aside is the user's alone";
#endif
    // A second one the same second gets a name of its own.
    EXPECT_TRUE(testhooks::QueryEndSessionWithoutQuestions());
    EXPECT_TRUE(Exists(Path("data/Talvo/talvo-recovery-20260115-110005-2.tlv")));
    EXPECT_TRUE(Alive()) << "the answer alone ends nothing";
}

// Another program (an editor, a sync tool) may rewrite the list while this one
// runs: a list nobody changed here is not written back over it.
TEST_F(FileQuitTest, NothingChangedLeavesTheFileAsAnotherProgramLeftIt)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"senare", kNow + 7200}});
    Create(m_file);
    // Commands that change nothing: sorting a sorted list (it starts the
    // autosave all the same), settings OK, hiding with nothing due.
    testhooks::ClickListColumn(List(), 0);
    testhooks::ProcessEvents();
    ASSERT_TRUE(Armed(3));
    testhooks::QueueModalDialogAction([](HWND hDlg, void*) { testhooks::ClickButton(::GetDlgItem(hDlg, IDOK)); });
    Key('I', false, true);
    Key(VK_ESCAPE);
    WriteTlv(m_file, {{"från redigeraren", kNow + 600}});
    const std::string theirs = ReadFile(m_file);

    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 3));
    testhooks::ProcessEvents();
    EXPECT_FALSE(Armed(3));
    EXPECT_EQ(ReadFile(m_file), theirs) << "the autosave";
    Answer(IDYES);
    Cmd(32771);
    EXPECT_FALSE(Alive());
    EXPECT_EQ(ReadFile(m_file), theirs) << "the quit";
    EXPECT_EQ(GetSettingText("LastFile"), m_file) << "the settings are written all the same";
    Destroy();

    // What was saved by command is not saved again by the autosave.
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    AddRow("ny");
    Key('S', false, true);
    WriteTlv(m_file, {{"från synken", kNow + 600}});
    const std::string synced = ReadFile(m_file);
    ASSERT_TRUE(testhooks::FireTimer(Wnd(), 3));
    testhooks::ProcessEvents();
    EXPECT_EQ(ReadFile(m_file), synced);
    // Ctrl+S writes whether anything changed or not, after taking in what
    // the other writer left: all of it, as nothing changed here since.
    Key('S', false, true);
    EXPECT_EQ(Texts(), std::vector<std::string>{"från synken"});
    EXPECT_EQ(ReadFile(m_file), synced);
}

TEST_F(FileQuitTest, SessionEndAndOpenWithNothingChangedWriteNothing)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    const std::string other = Path("andra.tlv");
    WriteTlv(other, {{"andra", kNow + 3600}});
    Create(m_file);
    WriteTlv(m_file, {{"från synken", kNow + 600}});
    const std::string theirs = ReadFile(m_file);

    EXPECT_TRUE(testhooks::QueryEndSession());
    EXPECT_EQ(ReadFile(m_file), theirs) << "a session end that may ask";
    EXPECT_TRUE(testhooks::QueryEndSessionWithoutQuestions());
    EXPECT_EQ(ReadFile(m_file), theirs) << "a session end without questions";
    EXPECT_FALSE(Exists(Path("data/Talvo"))) << "nor a recovery file";
    EXPECT_EQ(GetSettingText("LastFile"), m_file);

    testhooks::QueueFileDialogPath(other);
    Key('O', false, true);
    EXPECT_EQ(Texts(), std::vector<std::string>{"andra"});
    EXPECT_EQ(ReadFile(m_file), theirs) << "Open";
    EXPECT_TRUE(Boxes().empty());
}

// Changes that start no autosave are changes all the same; so is a list that
// got a new name but could not be written there yet.
TEST_F(FileQuitTest, EveryChangeAndANewNameStillReachTheFileAtTheEnd)
{
    WriteTlv(m_file, {{"förfallen", kNow - 100, true, 3600, true}});
    Create(m_file);
    Key(VK_F8);
    ASSERT_FALSE(Armed(3));
    EXPECT_TRUE(testhooks::QueryEndSessionWithoutQuestions());
    EXPECT_NE(ReadFile(m_file).find("\r\n" + Stored(kNow - 100 + 3600) + "\r\n"), std::string::npos);

    testhooks::QueueModalDialogAction([](HWND hDlg, void*) {
        testhooks::TypeText(::GetDlgItem(hDlg, 1011), "Nytt förval");
        testhooks::ClickButton(::GetDlgItem(hDlg, IDOK));
    });
    Key('I', false, true);
    ASSERT_FALSE(Armed(3));
    EXPECT_TRUE(testhooks::QueryEndSession());
    EXPECT_EQ(ReadFile(m_file).rfind("Talvo_1.2\r\nNytt förval\r\n", 0), 0u);

    testhooks::QueueFileDialogPath(m_unwritable);
    Answer(IDNO);
    Cmd(32786);
    ASSERT_EQ(Boxes().size(), 1u);
    Answer(IDYES);
    Answer(IDNO);
    Cmd(32771);
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[2].text, Format(60306, m_unwritable)) << "the quit tries the new name again";
    EXPECT_TRUE(Alive());
}

TEST_F(FileQuitTest, AWriteTakesInWhatAnotherProgramWroteMeanwhile)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"gammal", kNow + 7200}});
    Create(m_file);
    AddRow("ny här");
    // An editor appends one and deletes one this program did not touch.
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"från redigeraren", kNow + 600}});
    Key('S', false, true);
    // What only the file has goes after its neighbour there.
    const std::vector<std::string> merged{"rad", "från redigeraren", "ny här"};
    EXPECT_EQ(Texts(), merged);
    CReminderList onDisk;
    onDisk.SetFileName(m_file.c_str());
    ASSERT_TRUE(onDisk.Load());
    std::vector<std::string> texts;
    for (int i = 0; i < onDisk.GetCount(); ++i)
        texts.push_back(onDisk.GetAt(i).m_strText);
    EXPECT_EQ(texts, merged);
    EXPECT_NE(testhooks::Tray().info, AfxFindString(IDS_MERGE_KEPT_BOTH)) << "no reminder changed on both sides";

    // The same at the end of the session and at quit.
    AddRow("före utloggningen");
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"ny här", kNow + 60}, {"från synken", kNow + 600}});
    EXPECT_TRUE(testhooks::QueryEndSessionWithoutQuestions());
    const std::string file = ReadFile(m_file);
    for (const char* text : {"\r\nfrån synken\r\n", "\r\nföre utloggningen\r\n"})
        EXPECT_NE(file.find(text), std::string::npos) << text;
}

TEST_F(FileQuitTest, AReminderChangedOnBothSidesIsKeptInBothVersionsAndSaidOnce)
{
    WriteTlv(m_file, {{"möte", kNow + 3600}});
    Create(m_file);
    testhooks::ClickListItem(List(), 0);
    testhooks::TypeText(Item(1006), "möte kl 10");
    testhooks::ClickButton(Item(1009));
    WriteTlv(m_file, {{"möte i rum 4", kNow + 3600}});
    Key('S', false, true);
    std::vector<std::string> texts = Texts();
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"möte i rum 4", "möte kl 10"}));
    EXPECT_EQ(testhooks::Tray().info, AfxFindString(IDS_MERGE_KEPT_BOTH));
    EXPECT_TRUE(Boxes().empty()) << "no box stands in an alarm's way";
}

TEST_F(FileQuitTest, AFileAnotherProgramMadeUnreadableIsKeptAsideNotMerged)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    AddRow("ny");
    std::ofstream(m_file, std::ios::binary) << "inte en lista\r\n";
    Key('S', false, true);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"rad", "ny"}));
    std::vector<std::string> aside;
    for (const auto& e : std::filesystem::directory_iterator(Path("")))
        if (e.path().filename().string().find("lista.tlv.unreadable-") == 0)
            aside.push_back(ReadFile(e.path().string()));
    EXPECT_EQ(aside, std::vector<std::string>{"inte en lista\r\n"});
}

TEST_F(FileQuitTest, AChangeOnDiskShowsInTheUnchangedListAtOnce)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"andra", kNow + 7200}});
    Create(m_file);
    testhooks::ClickListItem(List(), 1);
    ASSERT_EQ(testhooks::WindowText(Item(1006)), "andra");

    // An editor appends in place.
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"andra", kNow + 7200}, {"från redigeraren", kNow + 600}});
    ASSERT_TRUE(EventsUntil([&] { return Texts().size() == 3; })) << "the append never showed";
    EXPECT_EQ(Texts(), (std::vector<std::string>{"rad", "andra", "från redigeraren"}));
    EXPECT_EQ(Selected(), std::vector<int>{1}) << "the selection follows its reminder";
    EXPECT_EQ(testhooks::WindowText(Item(1006)), "andra");
    EXPECT_TRUE(Boxes().empty());

    // A sync tool replaces it by a rename; the shown reminder moves.
    const std::string temporary = Path("lista.tlv.sync");
    WriteTlv(temporary, {{"från synken", kNow + 60}, {"andra", kNow + 7200}});
    std::filesystem::rename(temporary, m_file);
    ASSERT_TRUE(EventsUntil([&] { return Texts().size() == 2; })) << "the replacement never showed";
    EXPECT_EQ(Texts(), (std::vector<std::string>{"från synken", "andra"}));
    EXPECT_EQ(Selected(), std::vector<int>{1});
    EXPECT_EQ(testhooks::WindowText(Item(1006)), "andra");

    // The reminder in the panel goes: the panel is a new one's.
    WriteTlv(m_file, {{"från synken", kNow + 60}});
    ASSERT_TRUE(EventsUntil([&] { return Texts().size() == 1; }));
    EXPECT_TRUE(Selected().empty());
    EXPECT_NE(testhooks::WindowText(Item(1006)), "andra");
    // Read, not changed: quitting has nothing to write.
    EXPECT_FALSE(m_pDlg->IsModified());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FileQuitTest, AChangeOnDiskIsMergedIntoAChangedListBeforeAnySave)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    AddRow("ny här");
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"från redigeraren", kNow + 600}});
    ASSERT_TRUE(EventsUntil([&] { return Texts().size() == 3; })) << "the change on disk never showed";
    EXPECT_EQ(Texts(), (std::vector<std::string>{"rad", "från redigeraren", "ny här"}));
    // Not written yet: the merge is on screen and goes out with the next write.
    EXPECT_EQ(ReadFile(m_file).find("ny här"), std::string::npos);
    EXPECT_TRUE(m_pDlg->IsModified());
    Key('S', false, true);
    const std::string file = ReadFile(m_file);
    for (const char* text : {"\r\nfrån redigeraren\r\n", "\r\nny här\r\n"})
        EXPECT_NE(file.find(text), std::string::npos) << text;

    // A file an editor has just emptied to write it again is left alone
    // until it can be read.
    std::ofstream(m_file, std::ios::binary).flush();
    EventsUntil([] { return false; }, std::chrono::milliseconds(600));
    EXPECT_EQ(Texts().size(), 3u);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(FileQuitTest, OwnWritesAreNoChangeOnDisk)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    for (const char* text : {"ett", "två", "tre"}) {
        AddRow(text);
        Key('S', false, true);
    }
    // Long enough for a burst's notice to arrive.
    EventsUntil([] { return false; }, std::chrono::milliseconds(800));
    EXPECT_EQ(m_pDlg->m_nChangesOnDiskTaken, 0);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"rad", "ett", "två", "tre"}));

    // Save As moves the watch to the new file.
    const std::string other = Path("andra.tlv");
    testhooks::QueueFileDialogPath(other);
    Cmd(ID_FILE_SAVEAS);
    WriteTlv(m_file, {{"gamla filen", kNow + 60}});
    WriteTlv(other, {{"nya filen", kNow + 60}});
    ASSERT_TRUE(EventsUntil([&] { return Texts().size() == 1; }));
    EXPECT_EQ(Texts(), std::vector<std::string>{"nya filen"});
}

#ifndef _WIN32
namespace {

// Another running Talvo on path: a child process that claims it and answers
// the requests to come forward on the claim's socket, until it is killed.
pid_t HoldInAnotherProcess(const std::string& path)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        const bool claimed = AfxClaimInstance(path.c_str(), WM_APP + 7) == InstanceClaim::Claimed;
        // The claim's socket: the one listening in the abstract namespace.
        int listener = -1;
        for (int fd = 3; fd < 1024 && claimed; ++fd) {
            sockaddr_un address{};
            socklen_t length = sizeof address;
            if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
                address.sun_family == AF_UNIX && length > sizeof(sa_family_t) + 1 && address.sun_path[0] == '\0')
                listener = fd;
        }
        const char result = listener >= 0 ? 'C' : 'F';
        (void)!::write(ready[1], &result, 1);
        while (true) {
            pollfd p{listener, POLLIN, 0};
            if (::poll(&p, 1, -1) > 0)
                if (const int client = ::accept(listener, nullptr, nullptr); client >= 0) {
                    (void)!::send(client, "1", 1, MSG_NOSIGNAL);
                    ::close(client);
                }
        }
    }
    ::close(ready[1]);
    char result = 0;
    const bool claimed = child > 0 && ::read(ready[0], &result, 1) == 1 && result == 'C';
    ::close(ready[0]);
    if (child > 0 && !claimed) {
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        return -1;
    }
    return child;
}

// Ends the child however the test ends: it shares our X connection.
struct CKillAtEnd {
    pid_t pid;
    ~CKillAtEnd()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

}  // namespace

// A list another running Talvo holds is not opened nor saved over here: the
// user is told, and the list on screen stays, under its own name.
TEST_F(FileQuitTest, OpenAndSaveAsRefuseAListAnotherTalvoHolds)
{
    WriteTlv(m_file, {{"min", kNow + 3600}});
    const std::string held = Path("upptagen.tlv");
    WriteTlv(held, {{"annans", kNow + 3600}});
    CKillAtEnd other{HoldInAnotherProcess(held)};
    ASSERT_GT(other.pid, 0);
    Create(m_file);

    testhooks::QueueFileDialogPath(held);
    Key('O', false, true);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].text, Format(IDS_LIST_HELD, held));
    EXPECT_EQ(Texts(), std::vector<std::string>{"min"});
    EXPECT_EQ(std::string(m_pDlg->m_data.m_reminderList.GetFileName()), m_file);

    testhooks::QueueFileDialogPath(Path("./upptagen.tlv"));
    Answer(IDYES);  // to replace the file
    Cmd(32786);
    ASSERT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Boxes()[2].text, Format(IDS_LIST_HELD, Path("./upptagen.tlv")));
    EXPECT_EQ(std::string(m_pDlg->m_data.m_reminderList.GetFileName()), m_file);
    EXPECT_EQ(ReadFile(held).find("min"), std::string::npos);

    ::kill(other.pid, SIGKILL);
    ::waitpid(other.pid, nullptr, 0);
    other.pid = -1;
    testhooks::QueueFileDialogPath(held);
    Key('O', false, true);
    EXPECT_EQ(Boxes().size(), 3u);
    EXPECT_EQ(Texts(), std::vector<std::string>{"annans"});
}
#endif

TEST_F(FileQuitTest, AFileStillBeingWrittenIsNotTakenForDeletions)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"gammal", kNow + 7200}});
    const std::string whole = ReadFile(m_file);
    Create(m_file);
    AddRow("ny");
    // An editor rewriting the file in place is caught halfway: the second
    // reminder's lines are not all there yet.
    const std::string half = whole.substr(0, whole.size() - 9);
    std::ofstream(m_file, std::ios::binary | std::ios::trunc) << half;
    Key('S', false, true);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"rad", "gammal", "ny"})) << "a missing end is no deletion";
    std::vector<std::string> aside;
    for (const auto& e : std::filesystem::directory_iterator(Path("")))
        if (e.path().filename().string().find("lista.tlv.unreadable-") == 0)
            aside.push_back(ReadFile(e.path().string()));
    EXPECT_EQ(aside, std::vector<std::string>{half});
}
