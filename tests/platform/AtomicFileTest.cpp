// Writing files whole, copying them and naming them, as a user's own files
// meet these calls: write-protected files, folders that take no new file,
// FIFOs, and what interrupted writes leave behind.

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"
#include "platform/portable/RewriteRecord.h"
#include "platform/posix/Seams.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <algorithm>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// Runs fn in a child process as an ordinary user (root ignores permission
// bits, and the tests often run as root); returns what fn returned.
int AsUser(const std::function<int()>& fn)
{
    const pid_t pid = fork();
    if (pid == 0) {
        if (getuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(99);
        _exit(fn());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("talvo-atomic-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::permissions(dir, fs::perms::all);
        // The user's state folder, where rewrites in place keep their record.
        stateHome = dir.string() + ".state";
        fs::remove_all(stateHome);
        fs::create_directories(stateHome);
        GiveToUser(stateHome);
        setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
        fs::remove_all(stateHome);
    }
    fs::path StateFolder() const { return stateHome / "Talvo"; }
    std::vector<std::string> StateEntries() const
    {
        std::vector<std::string> names;
        if (fs::exists(StateFolder()))
            for (const auto& e : fs::directory_iterator(StateFolder()))
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void GiveToUser(const fs::path& p)
    {
        if (getuid() == 0) {
            ASSERT_EQ(chown(p.c_str(), kNobody, kNobody), 0);
        }
    }
    fs::path dir, stateHome;
};

mode_t ModeOf(const fs::path& p)
{
    struct stat st {};
    return lstat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST_F(AtomicFileTest, AWriteProtectedFileIsNotReplaced)
{
    const fs::path file = dir / "list.tlv";
    WriteFile(file, "old");
    GiveToUser(file);
    chmod(file.c_str(), 0444);
    const int code = AsUser([&] {
        int error = 0;
        return WriteFileAtomically(file, "new", true, &error) ? 0 : error;
    });
    EXPECT_EQ(code, EACCES);
    EXPECT_EQ(ReadFile(file), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, AFileInAFolderThatTakesNoNewFileIsRewrittenInPlace)
{
    const fs::path file = dir / "list.tlv";
    WriteFile(file, "the old and longer contents");
    GiveToUser(file);
    chmod(file.c_str(), 0640);
    chmod(dir.c_str(), 0555);
    EXPECT_EQ(AsUser([&] { return WriteFileAtomically(file, "short") ? 0 : 1; }), 0);
    EXPECT_EQ(ReadFile(file), "short");
    EXPECT_EQ(AsUser([&] { return WriteFileAtomically(file, std::string(100000, 'x')) ? 0 : 1; }), 0);
    EXPECT_EQ(ReadFile(file), std::string(100000, 'x'));
    EXPECT_TRUE(StateEntries().empty()) << "no record left behind";
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // A new file cannot be made there at all.
    EXPECT_EQ(AsUser([&] { return WriteFileAtomically(dir / "new.tlv", "x") ? 0 : 1; }), 1);
    chmod(dir.c_str(), 0777);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, LeftoversOfEndedWritersGoAtTheNextWriteAndNothingElse)
{
    // A process that has ended, for its id.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const std::string mine = std::to_string(getpid());
    const std::string removed[] = {"list.tlv.tmp-" + dead + "-123", "list.tlv.tmp-" + dead + "-9", "list.tlv.tmp42"};
    const std::string kept[] = {
        "list.tlv.tmp-" + mine + "-5",   // this process is writing it
        "list.tlv.tmp-1-5",              // a running process
        "list.tlv.tmp-" + dead + "-x",   // not a name of ours
        "list.tlv.tmp77",                // an older writer's, less than an hour old
        "other.tlv.tmp-" + dead + "-1",  // another file's
        "list.tlv.unreadable-20260101-120000",
    };
    for (const std::string& name : removed)
        WriteFile(dir / name, "stray");
    for (const std::string& name : kept)
        WriteFile(dir / name, "keep");
    const auto twoHoursAgo = fs::file_time_type::clock::now() - std::chrono::hours(2);
    fs::last_write_time(dir / "list.tlv.tmp42", twoHoursAgo);
    fs::create_directory(dir / ("list.tlv.tmp-" + dead + "-7"));  // not a regular file

    ASSERT_TRUE(WriteFileAtomically((dir / "list.tlv").string(), "list"));
    EXPECT_EQ(ReadFile(dir / "list.tlv"), "list");
    for (const std::string& name : removed)
        EXPECT_FALSE(fs::exists(dir / name)) << name;
    for (const std::string& name : kept)
        EXPECT_EQ(ReadFile(dir / name), "keep") << name;
    EXPECT_TRUE(fs::is_directory(dir / ("list.tlv.tmp-" + dead + "-7")));
}

TEST_F(AtomicFileTest, DeleteRemovesAFileButNeverAFolder)
{
    WriteFile(dir / "a", "contents");
    ASSERT_TRUE(DeleteFileA((dir / "a").c_str()));
    EXPECT_FALSE(fs::exists(dir / "a"));
    EXPECT_FALSE(DeleteFileA((dir / "a").c_str()));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
    fs::create_directory(dir / "folder");
    EXPECT_FALSE(DeleteFileA((dir / "folder").c_str()));
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
}

TEST_F(AtomicFileTest, CopyTakesOnlyRegularFilesAndNeverWaitsForAFifo)
{
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(CopyFileA(fifo.c_str(), (dir / "copy").c_str(), TRUE));
    EXPECT_FALSE(fs::exists(dir / "copy"));

    WriteFile(dir / "a", "contents");
    chmod((dir / "a").c_str(), 0604);
    ASSERT_TRUE(CopyFileA((dir / "a").c_str(), (dir / "b").c_str(), TRUE));
    EXPECT_EQ(ReadFile(dir / "b"), "contents");
    WriteFile(dir / "c", "other");
    EXPECT_FALSE(CopyFileA((dir / "a").c_str(), (dir / "c").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadFile(dir / "c"), "other");
    EXPECT_TRUE(CopyFileA((dir / "a").c_str(), (dir / "c").c_str(), FALSE));
    EXPECT_EQ(ReadFile(dir / "c"), "contents");
    EXPECT_FALSE(CopyFileA((dir / "missing").c_str(), (dir / "d").c_str(), TRUE));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));

    // A FIFO as the copy is not written into, nor waited on for a reader.
    auto copied = std::async(std::launch::async, [&] { return CopyFileA((dir / "a").c_str(), fifo.c_str(), FALSE); });
    const bool ended = copied.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    int reader = -1;  // one comes, so that a waiting copy and the test end
    for (int i = 0; !ended && reader < 0 && i < 50; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100)))
        reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_TRUE(ended) << "the copy waited for a reader of the FIFO";
    EXPECT_FALSE(copied.get());
    if (reader >= 0)
        close(reader);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// A list as big as the one the fault was seen with: 200 reminders.
std::string ListOf(int count, const std::string& text)
{
    std::string bytes = "Talvo_1.2\r\n\r\n0\r\n1\r\n86400\r\n0\r\n";
    for (int i = 0; i < count; ++i)
        bytes += text + " " + std::to_string(i) + "\r\n1700000000\r\n1\r\n86400\r\n0\r\n";
    return bytes;
}

TEST_F(AtomicFileTest, ARewriteInPlaceKilledBeforeItsCutIsFinishedAtTheNextRead)
{
    const fs::path file = dir / "list.tlv";
    const std::string old = ListOf(200, "gammal rad"), fresh = ListOf(100, "ny rad");
    WriteFile(file, old);
    GiveToUser(file);
    chmod(file.c_str(), 0640);
    chmod(dir.c_str(), 0555);
    // A real kill, at the one moment the file holds neither list: the new
    // one written over the start of the old, the old one's end not yet cut.
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0))
            _exit(99);
        AfxPosixSeam().afterInPlaceWrite = [] { raise(SIGKILL); };
        WriteFileAtomically(file, fresh);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    const std::string torn = ReadFile(file);
    ASSERT_EQ(torn.size(), old.size());
    ASSERT_EQ(torn.substr(0, fresh.size()), fresh);
    const std::string record = RewriteRecordName(file.string());
    ASSERT_EQ(StateEntries(), std::vector<std::string>{record});
    EXPECT_EQ(ModeOf(StateFolder() / record), 0600u);
    EXPECT_EQ(ModeOf(StateFolder()), 0700u);

    // The folder still takes no new file: the file is finished in place.
    EXPECT_EQ(AsUser([&] { return AfxRecoverInterruptedWrite(file) ? 0 : 1; }), 0);
    EXPECT_EQ(ReadFile(file), fresh) << "the whole list that was being saved";
    EXPECT_EQ(ModeOf(file), 0640u);
    const std::vector<std::string> entries = StateEntries();
    ASSERT_EQ(entries.size(), 1u) << "the record is gone; what the file held is kept";
    EXPECT_EQ(entries[0].rfind("list.tlv.torn-", 0), 0u) << entries[0];
    EXPECT_EQ(ReadFile(StateFolder() / entries[0]), torn);
    EXPECT_EQ(ModeOf(StateFolder() / entries[0]), 0600u);
    EXPECT_EQ(AsUser([&] { return AfxRecoverInterruptedWrite(file) ? 0 : 1; }), 1) << "nothing left to finish";
    EXPECT_EQ(ReadFile(file), fresh);
}

TEST_F(AtomicFileTest, ARecordGuardsOnlyARewriteCutShort)
{
    const fs::path file = dir / "list.tlv";
    const fs::path recordFile = StateFolder() / RewriteRecordName(file.string());
    WriteFile(file, "old and longer");
    GiveToUser(file);
    chmod(dir.c_str(), 0555);
    // A rewrite that ends leaves no record.
    EXPECT_EQ(AsUser([&] { return WriteFileAtomically(file, "new") ? 0 : 1; }), 0);
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(StateEntries(), std::vector<std::string>{});
    chmod(dir.c_str(), 0755);
    ASSERT_EQ(chown(file.c_str(), getuid(), getgid()), 0);

    // Only its removal was lost: the file is left as it is.
    fs::create_directories(StateFolder());
    WriteFile(recordFile, FormatRewriteRecord(file.string(), "new"));
    EXPECT_FALSE(AfxRecoverInterruptedWrite(file));
    EXPECT_EQ(ReadFile(file), "new");
    EXPECT_EQ(StateEntries(), std::vector<std::string>{});

    // Another path's record, a record cut short, an empty one: not this file's.
    const std::string whole = FormatRewriteRecord(file.string(), "restored");
    for (const std::string& bytes : {FormatRewriteRecord((dir / "other.tlv").string(), "other"),
                                     whole.substr(0, whole.size() - 1), whole + "x", std::string()}) {
        WriteFile(recordFile, bytes);
        EXPECT_FALSE(AfxRecoverInterruptedWrite(file));
        EXPECT_EQ(ReadFile(file), "new");
    }
    EXPECT_EQ(ParseRewriteRecord(whole, file.string()), std::optional<std::string_view>("restored"));

    // Written through a link, the record is the target's.
    fs::create_symlink(file, dir / "link.tlv");
    WriteFile(recordFile, whole);
    EXPECT_TRUE(AfxRecoverInterruptedWrite((dir / "link.tlv").string()));
    EXPECT_EQ(ReadFile(file), "restored");
    EXPECT_FALSE(fs::exists(recordFile));

    // A file removed since is not made again.
    WriteFile(recordFile, whole);
    fs::remove(file);
    EXPECT_FALSE(AfxRecoverInterruptedWrite(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(recordFile));
}

TEST_F(AtomicFileTest, NoRewriteInPlaceWithoutAStateFolderToGuardIt)
{
    const fs::path file = dir / "list.tlv";
    WriteFile(file, "old");
    GiveToUser(file);
    chmod(dir.c_str(), 0555);
    setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);  // cannot be made there
    const int code = AsUser([&] {
        int error = 0;
        return WriteFileAtomically(file, "new", true, &error) ? 0 : error;
    });
    EXPECT_EQ(code, getuid() == 0 ? EACCES : code);
    EXPECT_NE(code, 0);
    EXPECT_EQ(ReadFile(file), "old");
}

TEST_F(AtomicFileTest, AnotherUsersFileIsNeitherReplacedNorRewritten)
{
    if (getuid() != 0)
        GTEST_SKIP() << "needs root: the file must belong to another user than the writer";
    // Root's file, writable by all, in a folder all may write to.
    const fs::path file = dir / "list.tlv";
    WriteFile(file, "root's");
    chmod(file.c_str(), 0666);
    const int code = AsUser([&] {
        int error = 0;
        return WriteFileAtomically(file, "mine", true, &error) ? 0 : error;
    });
    EXPECT_EQ(code, EACCES);
    EXPECT_EQ(ReadFile(file), "root's");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u) << "still root's";
    // Nor in place, where the folder takes no new file.
    chmod(dir.c_str(), 0555);
    EXPECT_EQ(AsUser([&] { return WriteFileAtomically(file, "mine") ? 0 : 1; }), 1);
    EXPECT_EQ(ReadFile(file), "root's");
    chmod(dir.c_str(), 0777);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(AtomicFileTest, ALinkInAStickyFolderIsFollowedOnlyWhenItIsTheUsersOrTheFolderOwners)
{
    if (getuid() != 0)
        GTEST_SKIP() << "needs root: the planted link must belong to another user";
    const fs::path shared = dir / "shared";  // as /tmp
    fs::create_directory(shared);
    chmod(shared.c_str(), 01777);
    const fs::path victim = dir / "victim.txt";
    WriteFile(victim, "the victim's own");
    chmod(victim.c_str(), 0600);
    const fs::path planted = shared / "list.tlv";
    fs::create_symlink(victim, planted);
    ASSERT_EQ(lchown(planted.c_str(), kNobody, kNobody), 0);
    fs::create_symlink(dir, shared / "folder");
    ASSERT_EQ(lchown((shared / "folder").c_str(), kNobody, kNobody), 0);

    int error = 0;
    EXPECT_FALSE(WriteFileAtomically(planted, "list", true, &error));
    EXPECT_EQ(error, EACCES);
    EXPECT_FALSE(WriteFileAtomically(shared / "folder" / "victim.txt", "list", true, &error));
    EXPECT_EQ(error, EACCES) << "a planted link to a folder on the way counts too";
    EXPECT_FALSE(AfxRecoverInterruptedWrite(planted));
    EXPECT_EQ(ReadFile(victim), "the victim's own");
    EXPECT_EQ(ModeOf(victim), 0600u);
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_EQ(std::distance(fs::directory_iterator(shared), fs::directory_iterator()), 2) << "no temporary file";

    // The user's own link is followed there,
    ASSERT_EQ(lchown(planted.c_str(), 0, 0), 0);
    EXPECT_TRUE(WriteFileAtomically(planted, "through my link"));
    EXPECT_EQ(ReadFile(victim), "through my link");
    // and so is one of the folder's owner,
    ASSERT_EQ(chown(shared.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(lchown(planted.c_str(), kNobody, kNobody), 0);
    EXPECT_TRUE(WriteFileAtomically(planted, "through the owner's link"));
    EXPECT_EQ(ReadFile(victim), "through the owner's link");
    // and anyone's in a folder that is not sticky.
    ASSERT_EQ(chown(shared.c_str(), 0, 0), 0);
    chmod(shared.c_str(), 0777);
    EXPECT_TRUE(WriteFileAtomically(shared / "folder" / "victim.txt", "through another's link"));
    EXPECT_EQ(ReadFile(victim), "through another's link");
    EXPECT_TRUE(fs::is_symlink(planted));
}

TEST_F(AtomicFileTest, FilesKeptAsideAreTheOwnersAlone)
{
    const mode_t mask = umask(022);
    WriteFileAtomically(dir / "usual", "x");
    EXPECT_EQ(ModeOf(dir / "usual"), 0644u);
    WriteFileAtomically(dir / "aside", "x", true, nullptr, FileAccess::OwnerOnly);
    EXPECT_EQ(ModeOf(dir / "aside"), 0600u);
    WriteFileAtomically(dir / "usual", "y", true, nullptr, FileAccess::OwnerOnly);
    EXPECT_EQ(ModeOf(dir / "usual"), 0600u) << "an old file too";
    WriteFile(dir / "shared", "contents");
    chmod((dir / "shared").c_str(), 0644);
    ASSERT_TRUE(CopyFileA((dir / "shared").c_str(), (dir / "copy").c_str(), TRUE));
    EXPECT_EQ(ModeOf(dir / "copy"), 0600u);
    EXPECT_EQ(ReadFile(dir / "copy"), "contents");
    umask(mask);
}

TEST(FullPathName, RelativeNamesAreTakenFromTheCurrentFolder)
{
    const fs::path cwd = fs::current_path();
    char buf[MAX_PATH];
    LPSTR part = nullptr;
    ASSERT_GT(GetFullPathNameA("lista.tlv", sizeof buf, buf, &part), 0u);
    EXPECT_EQ(std::string(buf), (cwd / "lista.tlv").string());
    EXPECT_STREQ(part, "lista.tlv");
    GetFullPathNameA("./a/../b//c.tlv", sizeof buf, buf, nullptr);
    EXPECT_EQ(std::string(buf), (cwd / "b" / "c.tlv").string());
    GetFullPathNameA("/x/./y/../z.tlv", sizeof buf, buf, nullptr);
    EXPECT_STREQ(buf, "/x/z.tlv");
    GetFullPathNameA("/../..", sizeof buf, buf, nullptr);
    EXPECT_STREQ(buf, "/");
    // Too small a buffer: the size it needs, and nothing written.
    char small[4] = "abc";
    EXPECT_EQ(GetFullPathNameA("/x/z.tlv", sizeof small, small, nullptr), 9u);
    EXPECT_STREQ(small, "abc");
}

}  // namespace
