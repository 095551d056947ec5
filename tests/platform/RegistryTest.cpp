// The Reg... functions over the real store file: results, damaged files,
// concurrent writers and a folder that cannot be written.
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
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

}  // namespace
