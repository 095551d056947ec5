#include "model/ReminderList.h"
#include "platform/portable/RewriteRecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <sstream>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#else
#include <process.h>
#define getpid _getpid
#endif

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

class FileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("talvo-model-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        file = dir / "list.tlv";
        list.SetFileName(file.string().c_str());
    }
    void TearDown() override { fs::remove_all(dir); }
    bool LoadBytes(const std::string& bytes)
    {
        WriteFile(file, bytes);
        return list.Load();
    }
    fs::path dir, file;
    CReminderList list;
};

TEST_F(FileTest, SavesByteForByteAndLoadsBack)
{
    list.m_strDefaultText = "Ny påminnelse";
    list.m_nDefaultTimeAdd = -1;  // written unsigned
    list.Add("Ring Åsa", -5, true, 86400, false);
    list.Add("Möte\rkl 10", 1700000000, false, 300, true);
    ASSERT_TRUE(list.Save());
    EXPECT_EQ(ReadFile(file), "Talvo_1.2\r\nNy påminnelse\r\n4294967295\r\n1\r\n86400\r\n0\r\n"
                              "Ring Åsa\r\n-5\r\n1\r\n86400\r\n0\r\n"
                              "Möte\rkl 10\r\n1700000000\r\n0\r\n300\r\n1\r\n");
    CReminderList back;
    back.SetFileName(file.string().c_str());
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.m_reminders, list.m_reminders);
    EXPECT_EQ(back.m_nDefaultTimeAdd, -1) << "unsigned header number wraps back";
    EXPECT_EQ(back.m_strDefaultText, list.m_strDefaultText);

    CReminderList fresh;
    fresh.SetFileName(file.string().c_str());
    ASSERT_TRUE(fresh.Save());
    EXPECT_EQ(ReadFile(file), "Talvo_1.2\r\n\r\n0\r\n1\r\n86400\r\n0\r\n");
}

// Loading into a list that holds records replaces them all, whether the
// file has more records or fewer, and a record's old text leaves no trace.
TEST_F(FileTest, LoadingAgainReplacesEveryRecord)
{
    const std::string head = "Talvo_1.2\r\n\r\n0\r\n1\r\n86400\r\n0\r\n";
    ASSERT_TRUE(LoadBytes(head + "en mycket lång första text\r\n1\r\n1\r\n60\r\n1\r\nb\r\n2\r\n0\r\n60\r\n0\r\n"));
    ASSERT_EQ(list.GetCount(), 2);
    ASSERT_TRUE(LoadBytes(head + "kort\r\n3\r\n0\r\n7\r\n0\r\n"));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0), (CReminder{"kort", 3, 7, false, false}));
    ASSERT_TRUE(LoadBytes(head + "x\r\n4\r\n1\r\n8\r\n1\r\ny\r\n5\r\n1\r\n9\r\n1\r\nz\r\n6\r\n0\r\n1\r\n0\r\n"));
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetAt(0), (CReminder{"x", 4, 8, true, true}));
    EXPECT_EQ(list.GetAt(2), (CReminder{"z", 6, 1, false, false}));
}

TEST_F(FileTest, ReadsVersionOneAndAnyCaseOfTheTag)
{
    ASSERT_TRUE(LoadBytes("TALVO_1\nstd\n60\n0\nett\n100\n1\ntvå\n200\n0\n"));
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(1).m_strText, "två");
    EXPECT_EQ(list.GetAt(1).m_nTime, 200);
    for (const CReminder& r : list.m_reminders) {
        EXPECT_EQ(r.m_nPushTime, 86400);
        EXPECT_FALSE(r.m_bPush);
    }
    EXPECT_EQ(list.m_nDefaultPushTime, 86400);
    EXPECT_FALSE(list.m_bDefaultPush);
    EXPECT_TRUE(LoadBytes("talvo_1.2\r\n"));
    EXPECT_FALSE(LoadBytes("Talvo_1.2 \r\nx\r\n")) << "a trailing blank is another tag";
}

TEST_F(FileTest, ParsesNumbersAndFlagsAsTheCLibraryWould)
{
    ASSERT_TRUE(LoadBytes("Talvo_1.2\r\n\r\n  +12abc\r\n0\r\nxyz\r\n1\r\n"
                          "a\r\n-42x\r\n0\r\n4294967296\r\nyes\r\n"
                          "b\r\n99999999999\r\n\r\n7\r\n0x\r\n"));
    EXPECT_EQ(list.m_nDefaultTimeAdd, 12);
    EXPECT_FALSE(list.m_bDefaultRemind);
    EXPECT_EQ(list.m_nDefaultPushTime, 0);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0).m_nTime, -42);
    EXPECT_FALSE(list.GetAt(0).m_bRemind);
    EXPECT_EQ(list.GetAt(0).m_nPushTime, 0) << "wraps modulo 2^32";
    EXPECT_TRUE(list.GetAt(0).m_bPush);
    EXPECT_EQ(list.GetAt(1).m_nTime, static_cast<std::int32_t>(99999999999LL & 0xFFFFFFFF));
    EXPECT_TRUE(list.GetAt(1).m_bRemind) << "an empty flag line is true";
    EXPECT_FALSE(list.GetAt(1).m_bPush);
}

TEST_F(FileTest, DamagedAndTruncatedFiles)
{
    ASSERT_TRUE(LoadBytes("Talvo_1.2"));
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.m_nDefaultTimeAdd, 0);
    EXPECT_TRUE(list.m_bDefaultRemind);
    EXPECT_EQ(list.m_nDefaultPushTime, 0);
    EXPECT_TRUE(list.m_bDefaultPush);

    // An empty text drops its record; the next stays in step. A record cut after its time line is kept.
    ASSERT_TRUE(LoadBytes("Talvo_1.2\n\n0\n1\n86400\n0\n\n5\n1\n60\n1\nkept\n7\n1\n8\n0\ncut\n9"));
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0).m_strText, "kept");
    EXPECT_EQ(list.GetAt(0).m_nPushTime, 8);
    EXPECT_EQ(list.GetAt(1).m_nTime, 9);
    EXPECT_TRUE(list.GetAt(1).m_bRemind);
    EXPECT_EQ(list.GetAt(1).m_nPushTime, 0);
    EXPECT_TRUE(list.GetAt(1).m_bPush);

    EXPECT_FALSE(LoadBytes("")) << "an empty file";
    EXPECT_EQ(list.GetCount(), 0) << "the list was emptied first";
    list.Add("old", 1, true, 1, true);
    EXPECT_FALSE(LoadBytes(std::string("\0\xff\xfe junk\n", 10)));
    EXPECT_EQ(list.GetCount(), 0);

    std::string nuls = "Talvo_1.2\n\n0\n1\n0\n0\n";
    nuls += std::string("a\0b", 3) + "\n1\n1\n1\n1\n";
    nuls += std::string(1 << 20, 'x') + "\n";
    ASSERT_TRUE(LoadBytes(nuls));
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0).m_strText, std::string("a\0b", 3));
    EXPECT_EQ(list.GetAt(1).m_strText.size(), 1u << 20);
}

TEST_F(FileTest, RefusesWithoutNameOrReadableFile)
{
    CReminderList unnamed;
    unnamed.Add("x", 1, true, 1, true);
    EXPECT_FALSE(unnamed.Save());
    EXPECT_FALSE(unnamed.Load());
    EXPECT_EQ(unnamed.GetCount(), 1);

    list.Add("keep", 1, true, 1, true);
    list.SetFileName(dir.string().c_str());  // a folder
    EXPECT_FALSE(list.Load());
    EXPECT_EQ(list.GetCount(), 1) << "nothing changes when the file cannot be opened";
    list.SetFileName((dir / "missing.tlv").string().c_str());
    EXPECT_FALSE(list.Load());
    EXPECT_EQ(list.GetCount(), 1);
#ifndef _WIN32
    // A FIFO without a writer would block an ordinary open for ever.
    const fs::path fifo = dir / "fifo.tlv";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    list.SetFileName(fifo.string().c_str());
    EXPECT_FALSE(list.Load());
    EXPECT_EQ(list.GetCount(), 1);
#endif
}

// Narrow text is UTF-8 on both systems, paths included: a list in a folder
// named with Å, ö and a snowman is saved under that very name and read back.
TEST_F(FileTest, SavesAndLoadsUnderNonAsciiFolderAndFileNames)
{
    const fs::path folder = dir / fs::path(u8"Åsa Björk ☃");
    fs::create_directories(folder);
    const fs::path named = folder / fs::path(u8"påminnelser.tlv");
    const std::u8string u8 = named.u8string();
    const std::string utf8(u8.begin(), u8.end());
    list.SetFileName(utf8.c_str());
    list.Add("Ring Åsa", 5, true, 86400, false);
    ASSERT_TRUE(list.Save());
    EXPECT_NE(ReadFile(named).find("Ring Åsa"), std::string::npos) << "written under the name given";

    CReminderList back;
    back.SetFileName(utf8.c_str());
    ASSERT_TRUE(back.Load());
    EXPECT_EQ(back.m_reminders, list.m_reminders);

    // The folder itself is no list; nothing else appeared beside the file.
    back.SetFileName(std::string(utf8, 0, utf8.size() - std::strlen("/påminnelser.tlv")).c_str());
    EXPECT_FALSE(back.Load());
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

    // Bytes that are not UTF-8 (an ANSI name, "\xE5" for "å") name the same
    // file for the writer and the reader.
    const std::u8string base = dir.u8string();
    const std::string ansi = std::string(base.begin(), base.end()) + "/\xE5.tlv";
    back.SetFileName(ansi.c_str());
    ASSERT_TRUE(back.Save());
    CReminderList again;
    again.SetFileName(ansi.c_str());
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.m_reminders, list.m_reminders);
#ifdef _WIN32
    EXPECT_TRUE(fs::is_regular_file(dir / fs::path(u8"å.tlv"))) << "read as Windows-1252";
#endif
}

TEST_F(FileTest, FailedSaveLeavesTheOldFileAndNoTemporary)
{
    WriteFile(file, "Talvo_1.2\r\nold\r\n");
    list.Add("new", 1, true, 1, true);
#ifdef _WIN32
    ASSERT_TRUE(list.Save());
#else
    chmod(file.c_str(), 0640);
    ASSERT_TRUE(list.Save());
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "permission bits kept";

    // A link stays a link; its target is replaced.
    fs::path target = dir / "target.tlv";
    WriteFile(target, "Talvo_1.2\r\n");
    fs::path link = dir / "link.tlv";
    fs::create_symlink(target, link);
    list.SetFileName(link.string().c_str());
    ASSERT_TRUE(list.Save());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(ReadFile(target).find("new"), std::string::npos);
#endif

    // A folder that is really a file: the write cannot start.
    fs::path blocker = dir / "blocker";
    WriteFile(blocker, "x");
    list.SetFileName((blocker / "list.tlv").string().c_str());
    EXPECT_FALSE(list.Save());

#ifndef _WIN32
    // A full disk: /dev/full accepts the open and fails every write.
    if (access("/dev/full", W_OK) == 0) {
        list.SetFileName("/dev/full");
        EXPECT_FALSE(list.Save()) << "not a regular file: never replaced";
    }
#endif
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

#ifndef _WIN32
// What a kill in the middle of a save in place leaves: the record of the
// whole new list in the state folder, and a file that holds the new list's
// start and the old one's end. Loading finishes the save first.
TEST_F(FileTest, LoadingFinishesASaveCutShort)
{
    const fs::path state = dir / "state";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    CReminderList saved;
    saved.Add("sparad", 1700000000, true, 86400, false);
    CReminderList old;
    for (int i = 0; i < 20; ++i)
        old.Add(("gammal " + std::to_string(i)).c_str(), 1600000000 + i, true, 86400, false);
    const std::string fresh = saved.Serialize(), before = old.Serialize();
    fs::create_directories(state / "Talvo");
    WriteFile(state / "Talvo" / RewriteRecordName(file.string()), FormatRewriteRecord(file.string(), fresh));
    WriteFile(file, fresh + before.substr(fresh.size()));

    ASSERT_TRUE(list.Load());
    EXPECT_EQ(list.m_reminders, saved.m_reminders);
    EXPECT_EQ(ReadFile(file), fresh);
    unsetenv("XDG_STATE_HOME");
}
#endif

}  // namespace

#ifndef _WIN32
#include <sys/mount.h>

namespace {

TEST(FileFullDisk, SaveFailsAndKeepsTheOldFile)
{
    const fs::path mountPoint = fs::temp_directory_path() / ("talvo-full-" + std::to_string(getpid()));
    fs::create_directories(mountPoint);
    if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0) {
        fs::remove(mountPoint);
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    }
    const fs::path file = mountPoint / "list.tlv";
    const std::string old = "Talvo_1.2\r\n\r\n0\r\n1\r\n86400\r\n0\r\nbehåll\r\n1\r\n1\r\n1\r\n1\r\n";
    WriteFile(file, old);
    CReminderList big;
    big.SetFileName(file.string().c_str());
    for (int i = 0; i < 5000; ++i)
        big.Add("en ganska lång påminnelsetext som fyller disken", i, true, 86400, false);
    EXPECT_FALSE(big.Save()) << "a full disk is a failed save";
    EXPECT_EQ(ReadFile(file), old);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(mountPoint))
        ++entries;
    EXPECT_EQ(entries, 1u) << "no temporary file left behind";
    umount(mountPoint.c_str());
    fs::remove(mountPoint);
}

}  // namespace
#endif

TEST(FileWholeness, OnlyAWholeListIsWhole)
{
    const std::string whole = "Talvo_1.2\r\n\r\n0\r\n1\r\n86400\r\n0\r\nA\r\n100\r\n1\r\n600\r\n0\r\n";
    EXPECT_TRUE(CReminderList::IsWhole(whole));
    EXPECT_TRUE(CReminderList::IsWhole(whole + "\r\n")) << "an editor's extra line feed";
    EXPECT_TRUE(CReminderList::IsWhole("Talvo_1.2\r\n\r\n0\r\n1\r\n86400\r\n0\r\n")) << "no reminders";
    EXPECT_TRUE(CReminderList::IsWhole("Talvo_1\nNy\n0\n1\nA\n100\n1\n")) << "the old format, LF only";
    // Cut anywhere short of the end: inside the last line, or after a
    // record's first lines.
    for (std::size_t cut : {whole.size() - 1, whole.size() - 3, whole.size() - 8, std::size_t(20), std::size_t(0)})
        EXPECT_FALSE(CReminderList::IsWhole(whole.substr(0, cut))) << cut;
    EXPECT_FALSE(CReminderList::IsWhole("inte en lista\r\n"));
}
