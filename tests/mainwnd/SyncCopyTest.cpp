// The copies sync tools leave beside the list: taken in, saved, removed.

#include "MainWndFixture.h"

#include <filesystem>
#include <fstream>

class SyncCopyTest : public MainWndTest {
protected:
    void SetUp() override
    {
        MainWndTest::SetUp();
        m_file = Path("lista.tlv");
    }
    std::vector<std::string> SavedTexts() const
    {
        CReminderList onDisk;
        onDisk.SetFileName(m_file.c_str());
        EXPECT_TRUE(onDisk.Load());
        std::vector<std::string> texts;
        for (int i = 0; i < onDisk.GetCount(); ++i)
            texts.push_back(onDisk.GetAt(i).m_strText);
        return texts;
    }
    std::string m_file;
};

TEST_F(SyncCopyTest, CopiesBesideTheListAtStartAreTakenInSavedAndRemoved)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}, {"bara här", kNow + 7200}});
    // Each copy went its own way before "bara här" was added: lacking it
    // deletes nothing.
    const std::string syncthing = Path("lista.sync-conflict-20260114-093000-ABC1234.tlv");
    const std::string nextcloud = Path("lista (conflicted copy 2026-01-14 101500).tlv");
    WriteTlv(syncthing, {{"rad", kNow + 3600}, {"från telefonen", kNow + 600}});
    WriteTlv(nextcloud, {{"från jobbet", kNow + 900}, {"rad", kNow + 3600}});
    // Not a copy of this list: left alone.
    const std::string other = Path("annan.sync-conflict-20260114-093000-ABC1234.tlv");
    WriteTlv(other, {{"annan lista", kNow + 600}});
    Create(m_file);
    const std::vector<std::string> merged{"från jobbet", "rad", "från telefonen", "bara här"};
    EXPECT_EQ(Texts(), merged);
    EXPECT_EQ(SavedTexts(), merged);
    EXPECT_FALSE(Exists(syncthing));
    EXPECT_FALSE(Exists(nextcloud));
    EXPECT_TRUE(Exists(other));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(m_pDlg->IsModified());
}

TEST_F(SyncCopyTest, ACopyThatIsNoListStaysAndIsNotMerged)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    const std::string broken = Path("lista (Anna's conflicted copy 2026-01-14).tlv");
    std::ofstream(broken, std::ios::binary) << "inte en lista\r\nfrån trasig kopia\r\n";
    // The broad OneDrive form is taken only when it reads as a list.
    const std::string notes = Path("lista-anteckningar.tlv");
    std::ofstream(notes, std::ios::binary) << "mina anteckningar\r\n";
    const std::string good = Path("lista-LAPTOP.tlv");
    WriteTlv(good, {{"från laptopen", kNow + 600}});
    Create(m_file);
    // What only the copy has and nothing in it precedes goes first.
    EXPECT_EQ(Texts(), (std::vector<std::string>{"från laptopen", "rad"}));
    EXPECT_EQ(ReadFile(broken), "inte en lista\r\nfrån trasig kopia\r\n");
    EXPECT_EQ(ReadFile(notes), "mina anteckningar\r\n");
    EXPECT_FALSE(Exists(good));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SyncCopyTest, ACopyThatAppearsWhileRunningIsTakenInAtTheNextSave)
{
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    testhooks::TypeText(Item(1006), "ny här");
    testhooks::ClickButton(Item(1009));
    const std::string copy = Path("lista.sync-conflict-20260115-100000-XYZ0987.tlv");
    WriteTlv(copy, {{"rad", kNow + 3600}, {"från synken", kNow + 600}});
    Key('S', false, true);
    const std::vector<std::string> merged{"rad", "från synken", "ny här"};
    EXPECT_EQ(Texts(), merged);
    EXPECT_EQ(SavedTexts(), merged);
    EXPECT_FALSE(Exists(copy));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(SyncCopyTest, CopiesOfAListThatCannotBeReadOrWrittenStay)
{
    // Nothing to merge into: the copy waits for a list that reads.
    std::ofstream(m_file, std::ios::binary) << "trasig\r\n";
    const std::string copy = Path("lista.sync-conflict-20260114-093000-ABC1234.tlv");
    WriteTlv(copy, {{"från telefonen", kNow + 600}});
    Answer(IDOK);
    Create(m_file);
    EXPECT_TRUE(Texts().empty());
    EXPECT_EQ(Boxes().size(), 1u) << "the load error";
    EXPECT_TRUE(Exists(copy));
    Destroy();

    // A save that fails keeps the copy: its content is nowhere else.
    WriteTlv(m_file, {{"rad", kNow + 3600}});
    Create(m_file);
    WriteTlv(copy, {{"från telefonen", kNow + 600}});
    std::filesystem::remove(m_file);
    std::filesystem::create_directory(m_file);
    Answer(IDNO);
    Key('S', false, true);
    EXPECT_EQ(Boxes().size(), 1u) << "the save error";
    EXPECT_TRUE(Exists(copy));
}
