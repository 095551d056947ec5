// CRegistry over the real per-user store: limits, types and fall-backs.
#include "support/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

namespace {

const char* kPath = "Software\\Lindqvarn\\Talvo\\Settings";

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class RegistryHelper : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/talvo-creg-XXXXXX";
        ASSERT_TRUE(mkdtemp(pattern));
        m_root = pattern;
        setenv("XDG_CONFIG_HOME", m_root.c_str(), 1);
    }
    void TearDown() override { std::system(("rm -rf '" + m_root + "'").c_str()); }

    // Writes a value as other software would, with its own type and size.
    static void Foreign(const char* name, DWORD type, const std::string& bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), DWORD(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static CRegistry Settings()
    {
        CRegistry reg;
        EXPECT_TRUE(reg.SetRootKey(HKEY_CURRENT_USER));
        EXPECT_TRUE(reg.SetKey(kPath, TRUE));
        return reg;
    }
    // The file as another program reads it, once the writes have reached it.
    std::string StoreText() const
    {
        RegFlushKey(HKEY_CURRENT_USER);
        return ReadFile(m_root + "/Talvo/registry.reg");
    }

    std::string m_root;
};

TEST_F(RegistryHelper, TextOf254CharactersIsTheLimit)
{
    CRegistry reg = Settings();
    std::string t254(254, 'a');
    std::string t255(255, 'b');
    EXPECT_TRUE(reg.WriteString("LastFile", t254.c_str()));
    EXPECT_EQ(std::string(reg.ReadString("LastFile", "def")), t254);
    EXPECT_FALSE(reg.WriteString("LastFile", t255.c_str()));
    EXPECT_EQ(std::string(reg.ReadString("LastFile", "def")), t254) << "the old value stays";
    // Multi-byte text counts in bytes: 127 two-byte letters fit, 128 do not.
    std::string wide127, wide128;
    for (int i = 0; i < 127; ++i)
        wide127 += "ä";
    wide128 = wide127 + "ä";
    EXPECT_TRUE(reg.WriteString("Sv", wide127.c_str()));
    EXPECT_FALSE(reg.WriteString("Sv", wide128.c_str()));
    EXPECT_EQ(std::string(reg.ReadString("Sv", "")), wide127);
}

TEST_F(RegistryHelper, ForeignTextsOutsideTheRulesReadAsTheDefault)
{
    Foreign("Long", REG_SZ, std::string(255, 'x') + '\0');
    Foreign("Exact", REG_SZ, std::string(254, 'y') + '\0');
    Foreign("NoNul", REG_SZ, std::string(255, 'z'));
    Foreign("Expand", REG_EXPAND_SZ, std::string("%HOME%/talvo.wav") + '\0');
    Foreign("Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    Foreign("Number", REG_DWORD, std::string("\x01\0\0\0", 4));
    CRegistry reg = Settings();
    EXPECT_EQ(std::string(reg.ReadString("Long", "def")), "def");
    EXPECT_EQ(reg.GetLastErrorCode(), ERROR_MORE_DATA);
    EXPECT_EQ(std::string(reg.ReadString("Exact", "def")), std::string(254, 'y'));
    EXPECT_EQ(std::string(reg.ReadString("NoNul", "def")), std::string(255, 'z')) << "fits 255 bytes, terminated by us";
    EXPECT_EQ(std::string(reg.ReadString("Expand", "def")), "%HOME%/talvo.wav");
    EXPECT_EQ(std::string(reg.ReadString("Multi", "def")), "def");
    EXPECT_EQ(std::string(reg.ReadString("Number", "def")), "def");
    EXPECT_EQ(std::string(reg.ReadString("Missing", "def")), "def");
    EXPECT_EQ(reg.GetLastErrorCode(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg.GetValueType("Expand"), REG_EXPAND_SZ);
    EXPECT_EQ(reg.GetValueType("Multi"), REG_MULTI_SZ);
    EXPECT_EQ(reg.GetValueType("Missing"), 0u);
}

TEST_F(RegistryHelper, NumbersAreFourBinaryBytesAndReadFromAnyType)
{
    CRegistry reg = Settings();
    EXPECT_TRUE(reg.WriteDword("RemindTime", 120));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &key), ERROR_SUCCESS);
    BYTE bytes[8] = {};
    DWORD type = 0, size = sizeof bytes;
    ASSERT_EQ(RegQueryValueExA(key, "RemindTime", nullptr, &type, bytes, &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, REG_BINARY);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(bytes[0], 0x78);
    EXPECT_EQ(bytes[1] | bytes[2] | bytes[3], 0);
    EXPECT_NE(StoreText().find("\"RemindTime\"=hex:78,00,00,00"), std::string::npos);
    EXPECT_EQ(reg.ReadDword("RemindTime", 7), 120u);

    Foreign("Dword", REG_DWORD, std::string("\x78\0\0\0", 4));
    Foreign("Five", REG_BINARY, std::string("\x01\x02\x03\x04\x05", 5));
    Foreign("Two", REG_BINARY, std::string("\x34\x12", 2));
    Foreign("Text", REG_SZ, std::string("ab\0", 3));
    EXPECT_EQ(reg.ReadDword("Dword", 7), 120u);
    EXPECT_EQ(reg.ReadDword("Five", 7), 7u);
    EXPECT_EQ(reg.ReadDword("Two", 7), 0x1234u) << "fewer bytes read zero-extended";
    EXPECT_EQ(reg.ReadDword("Text", 7), 0x6261u) << "any type of at most 4 bytes";
    EXPECT_EQ(reg.ReadDword("Missing", 7), 7u);
    EXPECT_TRUE(reg.WriteDword("All", 0xFFFFFFFFu));
    EXPECT_EQ(reg.ReadDword("All", 0), 0xFFFFFFFFu);
}

TEST_F(RegistryHelper, KeysMustExistToBeWrittenAndFailuresKeepThePreviousKey)
{
    CRegistry reg;
    EXPECT_FALSE(reg.SetKey(kPath, FALSE));
    EXPECT_EQ(reg.GetLastErrorCode(), ERROR_FILE_NOT_FOUND);
    // The helper is still on the root key itself.
    EXPECT_TRUE(reg.WriteDword("AtRoot", 1));

    CRegistry other;
    other.SetKey("", FALSE);
    EXPECT_EQ(other.ReadDword("AtRoot", 0), 1u);

    // Writing under a key that is not there creates nothing.
    CRegistry fresh;
    ASSERT_TRUE(fresh.SetKey("Software", TRUE));
    EXPECT_FALSE(fresh.SetKey("Software\\Missing", FALSE));
    EXPECT_TRUE(fresh.WriteDword("InSoftware", 1)) << "still on Software";
    EXPECT_EQ(StoreText().find("Missing"), std::string::npos);

    EXPECT_TRUE(reg.SetKey(kPath, TRUE));
    EXPECT_TRUE(reg.SetKey(kPath, FALSE));
    EXPECT_TRUE(reg.WriteString("Name", "x"));
    EXPECT_NE(StoreText().find("[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n\"Name\"=\"x\""),
              std::string::npos);
}

TEST_F(RegistryHelper, OnlyThePredefinedRootsAreTaken)
{
    CRegistry reg;
    EXPECT_FALSE(reg.SetRootKey(HKEY_CURRENT_CONFIG));
    EXPECT_FALSE(reg.SetRootKey(HKEY_PERFORMANCE_DATA));
    EXPECT_FALSE(reg.SetRootKey(reinterpret_cast<HKEY>(&reg)));
    EXPECT_TRUE(reg.WriteDword("Where", 1));
    EXPECT_NE(StoreText().find("[HKEY_CURRENT_USER]"), std::string::npos) << "the old root is kept";
    EXPECT_TRUE(reg.SetRootKey(HKEY_LOCAL_MACHINE));
    EXPECT_TRUE(reg.WriteDword("Where", 2));
    EXPECT_NE(StoreText().find("[HKEY_LOCAL_MACHINE]"), std::string::npos);
}

TEST_F(RegistryHelper, NoStoreMeansDefaultsAndFailedWrites)
{
    std::ofstream(m_root + "/Talvo") << "a file where the folder should be";
    CRegistry reg;
    EXPECT_FALSE(reg.SetKey(kPath, TRUE));
    EXPECT_EQ(reg.ReadDword("HotKey", 3), 3u);
    EXPECT_EQ(std::string(reg.ReadString("LastFile", "def")), "def");
    EXPECT_FALSE(reg.WriteDword("HotKey", 4));
    EXPECT_FALSE(reg.WriteString("LastFile", "x"));
}

}  // namespace
