// Writing files whole, copying them and naming them, as a user's own files
// meet these calls: write-protected files, folders that take no new file,
// FIFOs, and what interrupted writes leave behind.

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/LastError.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <functional>
#include <sstream>
#include <thread>

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
    }
    void TearDown() override
    {
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
    }
    void GiveToUser(const fs::path& p)
    {
        if (getuid() == 0) {
            ASSERT_EQ(chown(p.c_str(), kNobody, kNobody), 0);
        }
    }
    fs::path dir;
};

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
