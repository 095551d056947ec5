// The Reg... functions over the real store file: results, damaged files,
// concurrent writers and a folder that cannot be written.
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* kSub = "Software\\Lindqvarn\\Talvo\\Settings";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(folder.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.')
                names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

// Runs check in a child process and gives its exit status, or -1 when it
// has not ended by the deadline (it is then killed): a call that hangs
// fails the test instead of holding up the run.
int StatusWithin(int seconds, const std::function<int()>& check)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(check());
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(10000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

bool IsFifo(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

class RegistryFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/talvo-reg-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        m_root = pattern;
        setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
    }
    void TearDown() override { std::system(("rm -rf '" + m_root + "'").c_str()); }

    std::string Folder() const { return m_root + "/config/Talvo"; }
    std::string StoreFile() const { return Folder() + "/registry.reg"; }

    static LONG SetBinary(HKEY key, const char* name, DWORD value)
    {
        BYTE b[4] = {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
        return RegSetValueExA(key, name, 0, REG_BINARY, b, 4);
    }
    static HKEY Create()
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSub, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        return key;
    }
    static DWORD QueryDword(const char* name, LONG* result = nullptr)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_READ, &key) != ERROR_SUCCESS) {
            if (result)
                *result = ERROR_FILE_NOT_FOUND;
            return 0;
        }
        BYTE b[4] = {};
        DWORD size = 4;
        LONG r = RegQueryValueExA(key, name, nullptr, nullptr, b, &size);
        RegCloseKey(key);
        if (result)
            *result = r;
        return DWORD(b[0]) | DWORD(b[1]) << 8 | DWORD(b[2]) << 16 | DWORD(b[3]) << 24;
    }

    std::string m_root;
};

TEST_F(RegistryFile, StoreLivesUnderXdgConfigHome)
{
    EXPECT_EQ(RegistryStorePath(), m_root + "/config/Talvo/registry.reg");
    setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    setenv("HOME", m_root.c_str(), 1);
    EXPECT_EQ(RegistryStorePath(), m_root + "/.config/Talvo/registry.reg");
}

TEST_F(RegistryFile, CreateOpenSetQueryAndTheFileAPersonReads)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    EXPECT_EQ(SetBinary(key, "RemindTime", 120), ERROR_SUCCESS);
    const BYTE text[] = "talvo.wav";
    EXPECT_EQ(RegSetValueExA(key, "SoundFileAlarm", 0, REG_SZ, text, sizeof text), ERROR_SUCCESS);
    EXPECT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

    EXPECT_EQ(ReadFile(StoreFile()), "REGEDIT4\n"
                                     "\n"
                                     "[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n"
                                     "\"RemindTime\"=hex:78,00,00,00\n"
                                     "\"SoundFileAlarm\"=\"talvo.wav\"\n");

    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "SoundFileAlarm", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 10u);
    char small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExA(key, "SoundFileAlarm", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);

    // A key opened for reading cannot write, and one opened for writing cannot read.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(SetBinary(key, "x", 1), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "RemindTime", nullptr, &type, nullptr, &size), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    // The parent of a key exists too; a bare root holds values of its own.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\LINDQVARN", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(SetBinary(HKEY_CURRENT_USER, "AtRoot", 7), ERROR_SUCCESS);
    EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    EXPECT_NE(ReadFile(StoreFile()).find("[HKEY_CURRENT_USER]\n\"AtRoot\"=hex:07,00,00,00\n"), std::string::npos);
}

TEST_F(RegistryFile, RefusesNamesTheFileCannotHold)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "\\Leading", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "a\\\\b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "line\nbreak", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegCreateKeyExA(HKEY_PERFORMANCE_DATA, "x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_INVALID_HANDLE);
    key = Create();
    EXPECT_EQ(SetBinary(key, "new\nline", 1), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
    int dummy = 0;
    EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(&dummy)), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryFile, HandEditedValuesAndOtherKeysSurviveSaves)
{
    mkdir((m_root + "/config").c_str(), 0700);
    mkdir(Folder().c_str(), 0700);
    WriteFile(StoreFile(), "REGEDIT4\r\n"
                           "; my notes\r\n"
                           "[HKEY_CURRENT_USER\\Software\\Someone\\Else]\r\n"
                           "\"Theirs\"=\"kept\"\r\n"
                           "[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\r\n"
                           "\"HotKey\"=dword:00000078\r\n"
                           "\"Unknown\"=hex(7):61,00,00\r\n");
    EXPECT_EQ(QueryDword("HotKey"), 120u);
    HKEY key = Create();
    EXPECT_EQ(SetBinary(key, "HotKey", 121), ERROR_SUCCESS);
    RegCloseKey(key);
    RegFlushKey(HKEY_CURRENT_USER);
    std::string text = ReadFile(StoreFile());
    EXPECT_NE(text.find("; my notes"), std::string::npos);
    EXPECT_NE(text.find("\"Theirs\"=\"kept\""), std::string::npos);
    EXPECT_NE(text.find("\"Unknown\"=hex(7):61,00,00"), std::string::npos);
    EXPECT_NE(text.find("\"HotKey\"=hex:79,00,00,00"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST_F(RegistryFile, DamagedFileReadsEmptyAndIsKeptAsideBeforeTheFirstWrite)
{
    const std::string damaged[] = {
        std::string("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n\"HotKey\"=dword:zz\n"),
        std::string("\x7f"
                    "ELF\x02\x01\x01\0\0\0garbage",
                    16),
        std::string("REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n\"HotKey\"=hex:01,\\\n"),
        std::string("<?xml version=\"1.0\"?><settings/>"),
    };
    for (const std::string& bytes : damaged) {
        std::system(("rm -rf '" + Folder() + "'").c_str());
        mkdir((m_root + "/config").c_str(), 0700);
        mkdir(Folder().c_str(), 0700);
        WriteFile(StoreFile(), bytes);

        LONG result = 0;
        QueryDword("HotKey", &result);
        EXPECT_EQ(result, ERROR_FILE_NOT_FOUND) << "a damaged store holds no values";
        EXPECT_EQ(ReadFile(StoreFile()), bytes) << "reading never changes the file";

        HKEY key = Create();  // the settings load creates its key: the first write
        ASSERT_TRUE(key);
        EXPECT_EQ(SetBinary(key, "HotKey", 5), ERROR_SUCCESS);
        RegCloseKey(key);
        EXPECT_EQ(QueryDword("HotKey"), 5u);
        EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);

        std::string backup;
        for (const std::string& name : FolderEntries(Folder()))
            if (name.rfind("registry.reg.damaged-", 0) == 0)
                backup = Folder() + "/" + name;
        ASSERT_FALSE(backup.empty()) << "the damaged file must be kept";
        EXPECT_EQ(ReadFile(backup), bytes);
        struct stat st {};
        ASSERT_EQ(stat(backup.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << "a copy aside is the user's alone";
    }
}

TEST_F(RegistryFile, UnreadableStoreIsNeverReplaced)
{
    // A folder where the file should be: it can be neither read nor replaced.
    mkdir((m_root + "/config").c_str(), 0700);
    mkdir(Folder().c_str(), 0700);
    mkdir(StoreFile().c_str(), 0700);
    WriteFile(StoreFile() + "/inside", "x");
    LONG result = 0;
    QueryDword("HotKey", &result);
    EXPECT_NE(result, ERROR_SUCCESS);
    HKEY key = nullptr;
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, kSub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadFile(StoreFile() + "/inside"), "x");
}

TEST_F(RegistryFile, UnwritableConfigFolderFailsQuietly)
{
    // Root ignores permission bits, so the config folder's parent is a regular
    // file: nothing can be created below it, for root too.
    WriteFile(m_root + "/config", "not a folder");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, kSub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(SetBinary(HKEY_CURRENT_USER, "x", 1), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(ReadFile(m_root + "/config"), "not a folder");
}

TEST_F(RegistryFile, ExistingKeyOpensAndReadsWhenChangesCannotBeLocked)
{
    HKEY key = Create();
    SetBinary(key, "HotKey", 9);
    RegCloseKey(key);
    RegFlushKey(HKEY_CURRENT_USER);
    // A lock that cannot be taken (a folder in its place) stops every change;
    // reading and opening the existing key still work.
    unlink((StoreFile() + ".lock").c_str());
    mkdir((StoreFile() + ".lock").c_str(), 0700);
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    EXPECT_EQ(QueryDword("HotKey"), 9u);
    EXPECT_NE(SetBinary(key, "HotKey", 10), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(QueryDword("HotKey"), 9u);
}

TEST_F(RegistryFile, TwoProcessesWritingAtOnceKeepEachOthersValues)
{
    HKEY key = Create();
    RegCloseKey(key);
    RegFlushKey(HKEY_CURRENT_USER);
    constexpr int kWriters = 4;
    constexpr int kValues = 40;
    std::vector<pid_t> children;
    for (int w = 0; w < kWriters; ++w) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            HKEY k = nullptr;
            int failures = 0;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_WRITE, &k) != ERROR_SUCCESS)
                _exit(2);
            // Each value written at once, as a writer that flushes every key.
            for (int i = 0; i < kValues; ++i) {
                std::string name = "W" + std::to_string(w) + "_" + std::to_string(i);
                failures += SetBinary(k, name.c_str(), DWORD(w * 1000 + i)) != ERROR_SUCCESS;
                failures += RegFlushKey(k) != ERROR_SUCCESS;
            }
            RegCloseKey(k);
            _exit(failures ? 1 : 0);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kValues; ++i) {
            LONG result = 0;
            std::string name = "W" + std::to_string(w) + "_" + std::to_string(i);
            EXPECT_EQ(QueryDword(name.c_str(), &result), DWORD(w * 1000 + i)) << name;
            EXPECT_EQ(result, ERROR_SUCCESS) << name;
        }
    for (const std::string& name : FolderEntries(Folder()))
        EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock") << "left behind: " << name;
}

// A write goes to the store as it is when it is made, not as this process
// read it: a value another process wrote after our read and before our
// write is kept.
TEST_F(RegistryFile, AValueWrittenElsewhereBetweenOurReadAndOurWriteSurvivesIt)
{
    HKEY key = Create();
    ASSERT_EQ(SetBinary(key, "Theirs", 1), ERROR_SUCCESS);
    ASSERT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    EXPECT_EQ(QueryDword("Theirs"), 1u);  // our read, now in the cache
    // The other process starts before our write, so it holds none of it.
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t other = fork();
    if (other == 0) {
        char byte = 0;
        HKEY k = nullptr;
        if (read(go[0], &byte, 1) != 1 || RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_WRITE, &k) != ERROR_SUCCESS)
            _exit(2);
        _exit(SetBinary(k, "Theirs", 2) == ERROR_SUCCESS && RegFlushKey(k) == ERROR_SUCCESS ? 0 : 1);
    }
    ASSERT_EQ(SetBinary(key, "Ours", 7), ERROR_SUCCESS);  // held back
    ASSERT_EQ(write(go[1], "x", 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    close(go[0]);
    close(go[1]);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadFile(StoreFile()).find("Ours"), std::string::npos) << "ours is still held back";
    ASSERT_EQ(RegFlushKey(key), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string text = ReadFile(StoreFile());
    EXPECT_NE(text.find("\"Theirs\"=hex:02,00,00,00"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Ours\"=hex:07,00,00,00"), std::string::npos) << text;
}

TEST_F(RegistryFile, SymlinkedStoreIsFollowed)
{
    mkdir((m_root + "/config").c_str(), 0700);
    mkdir(Folder().c_str(), 0700);
    std::string real = m_root + "/dotfiles.reg";
    WriteFile(real, "REGEDIT4\n");
    ASSERT_EQ(symlink(real.c_str(), StoreFile().c_str()), 0);
    HKEY key = Create();
    SetBinary(key, "HotKey", 3);
    RegCloseKey(key);
    RegFlushKey(HKEY_CURRENT_USER);
    struct stat st {};
    ASSERT_EQ(lstat(StoreFile().c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_NE(ReadFile(real).find("\"HotKey\"=hex:03,00,00,00"), std::string::npos);
}

TEST_F(RegistryFile, FifoStoreIsNeitherWaitedForNorReplaced)
{
    mkdir((m_root + "/config").c_str(), 0700);
    mkdir(Folder().c_str(), 0700);
    ASSERT_EQ(mkfifo(StoreFile().c_str(), 0600), 0);
    // Read as a store without values; a write is refused, not made over it.
    const int status = StatusWithin(10, [&] {
        LONG result = 0;
        QueryDword("HotKey", &result);
        if (result != ERROR_FILE_NOT_FOUND)
            return 1;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kSub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_ACCESS_DENIED)
            return 2;
        if (SetBinary(HKEY_CURRENT_USER, "HotKey", 5) != ERROR_ACCESS_DENIED)
            return 3;
        return RegFlushKey(HKEY_CURRENT_USER) == ERROR_SUCCESS ? 0 : 4;
    });
    EXPECT_EQ(status, 0) << "-1: it waited on the FIFO";
    EXPECT_TRUE(IsFifo(StoreFile()));
    for (const std::string& name : FolderEntries(Folder()))
        EXPECT_TRUE(name == "registry.reg" || name == "registry.reg.lock") << "left behind: " << name;
}

TEST_F(RegistryFile, LockThatIsNoFileStopsChangesWithoutWaiting)
{
    HKEY key = Create();
    SetBinary(key, "HotKey", 9);
    RegCloseKey(key);
    ASSERT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    const std::string before = ReadFile(StoreFile());
    const std::string lock = StoreFile() + ".lock";
    unlink(lock.c_str());
    ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
    const int status = StatusWithin(10, [&] {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS)
            return 1;
        return SetBinary(k, "HotKey", 10) == ERROR_ACCESS_DENIED && RegFlushKey(k) == ERROR_SUCCESS ? 0 : 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadFile(StoreFile()), before);
    EXPECT_TRUE(IsFifo(lock));
}

TEST_F(RegistryFile, ChangesWaitABoundedTimeForALockHeldElsewhere)
{
    HKEY key = Create();
    RegCloseKey(key);
    ASSERT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
    const int status = StatusWithin(20, [&] {
        // Another holder that does not let go (a stopped process).
        const int held = open((StoreFile() + ".lock").c_str(), O_RDWR | O_CLOEXEC);
        if (held < 0 || flock(held, LOCK_EX) != 0)
            return 1;
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSub, 0, KEY_WRITE, &k) != ERROR_SUCCESS || SetBinary(k, "HotKey", 4))
            return 2;
        const auto start = std::chrono::steady_clock::now();
        if (RegFlushKey(k) == ERROR_SUCCESS)
            return 3;
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(5))
            return 4;
        // The change was kept, and is written once the lock is free.
        flock(held, LOCK_UN);
        if (RegFlushKey(k) != ERROR_SUCCESS)
            return 5;
        return ReadFile(StoreFile()).find("\"HotKey\"=hex:04,00,00,00") == std::string::npos ? 6 : 0;
    });
    EXPECT_EQ(status, 0) << "-1: the change waited for the lock without end";
}

// A store over 4 MB is not read; the first write keeps it aside whole, by
// its own name or through a link, and the user's file is never lost.
TEST_F(RegistryFile, StoreTooBigToReadIsKeptAsideBeforeTheFirstWrite)
{
    const std::string head = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n"
                             "\"HotKey\"=hex:07,00,00,00\n";
    std::string big = head;
    while (big.size() <= 4u * 1024 * 1024)
        big += "; " + std::string(77, 'x') + "\n";
    for (const bool linked : {false, true}) {
        std::system(("rm -rf '" + Folder() + "' '" + m_root + "/elsewhere.reg'").c_str());
        mkdir((m_root + "/config").c_str(), 0700);
        mkdir(Folder().c_str(), 0700);
        const std::string real = linked ? m_root + "/elsewhere.reg" : StoreFile();
        WriteFile(real, big);
        if (linked) {
            ASSERT_EQ(symlink(real.c_str(), StoreFile().c_str()), 0);
        }

        LONG result = 0;
        QueryDword("HotKey", &result);
        EXPECT_EQ(result, ERROR_FILE_NOT_FOUND) << "too big to be read: the defaults";
        HKEY key = Create();
        ASSERT_TRUE(key);
        EXPECT_EQ(SetBinary(key, "RemindTime", 300), ERROR_SUCCESS);
        RegCloseKey(key);
        EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), ERROR_SUCCESS);

        std::vector<std::string> backups;
        for (const std::string& name : FolderEntries(Folder()))
            if (name.rfind("registry.reg.damaged-", 0) == 0)
                backups.push_back(Folder() + "/" + name);
        ASSERT_EQ(backups.size(), 1u) << "linked: " << linked;
        EXPECT_TRUE(ReadFile(backups[0]) == big) << "the big store is kept whole";
        EXPECT_EQ(QueryDword("RemindTime"), 300u);
        EXPECT_LT(ReadFile(real).size(), 1000u) << "the store written anew";
        struct stat st {};
        ASSERT_EQ(lstat(StoreFile().c_str(), &st), 0);
        EXPECT_EQ(S_ISLNK(st.st_mode), linked);
    }
    // Exactly at the limit it is still read.
    std::system(("rm -rf '" + Folder() + "'").c_str());
    mkdir(Folder().c_str(), 0700);
    WriteFile(StoreFile(), big.substr(0, 4u * 1024 * 1024 - 1) + "\n");
    EXPECT_EQ(QueryDword("HotKey"), 7u);
}

}  // namespace
