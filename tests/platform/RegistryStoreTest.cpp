// The store document: parsing, writing back and what survives a round trip.
#include "platform/Registry.h"
#include "platform/portable/RegistryStore.h"

#include <gtest/gtest.h>

namespace {

const char* kKey = "HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings";

std::string Bytes(std::initializer_list<int> b)
{
    std::string s;
    for (int c : b)
        s += char(c);
    return s;
}

TEST(RegistryStore, ParsesEveryValueForm)
{
    CRegistryStore store;
    std::string error;
    ASSERT_TRUE(store.Parse("REGEDIT4\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\r\n"
                            "\"DoAlarm\"=hex:01,00,00,00\r\n"
                            "\"HotKey\"=dword:00000078\r\n"
                            "\"SoundFileAlarm\"=\"C:\\\\Ljud\\\\\\\"x\\\".wav\"\r\n"
                            "\"Path\"=hex(2):25,48,4f,4d,45,25,00\r\n"
                            "\"List\"=hex(7):61,00,62,00,00\r\n"
                            "@=\"default\"\r\n",
                            &error))
        << error;
    const RegistryValue* v = store.FindValue(kKey, "DoAlarm");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_BINARY);
    EXPECT_EQ(v->data, Bytes({1, 0, 0, 0}));
    v = store.FindValue(kKey, "hotkey");  // names compare without case
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_DWORD);
    EXPECT_EQ(v->data, Bytes({0x78, 0, 0, 0}));
    v = store.FindValue(kKey, "SoundFileAlarm");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_SZ);
    EXPECT_EQ(v->data, std::string("C:\\Ljud\\\"x\".wav") + '\0');
    v = store.FindValue(kKey, "Path");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, REG_EXPAND_SZ);
    EXPECT_EQ(v->data, std::string("%HOME%") + '\0');
    EXPECT_EQ(store.FindValue(kKey, "List")->type, REG_MULTI_SZ);
    EXPECT_EQ(store.FindValue(kKey, "")->data, std::string("default") + '\0');
    EXPECT_TRUE(store.KeyExists("HKEY_CURRENT_USER\\Software\\Lindqvarn"));
    EXPECT_TRUE(store.KeyExists("hkey_current_user\\software"));
    EXPECT_FALSE(store.KeyExists("HKEY_CURRENT_USER\\Software\\Lind"));
}

TEST(RegistryStore, KeepsCommentsForeignKeysAndUntouchedFormatting)
{
    const std::string text = "REGEDIT4\n"
                             "; written by hand\n"
                             "\n"
                             "[HKEY_CURRENT_USER\\Software\\Other]\n"
                             "\"Mine\"=dword:00000001\n"
                             "\n"
                             "[HKEY_CURRENT_USER\\Software\\Lindqvarn\\Talvo\\Settings]\n"
                             "; keep me\n"
                             "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
                             "  16,17\n"
                             "\"Spaced\" = \"x\"\n";
    CRegistryStore store;
    ASSERT_TRUE(store.Parse(text));
    EXPECT_EQ(store.FindValue(kKey, "Blob")->data.size(), 24u);
    store.SetValue(kKey, "RemindTime", REG_BINARY, Bytes({0x78, 0, 0, 0}));
    std::string out = store.Serialize();
    EXPECT_NE(out.find("; written by hand\n"), std::string::npos);
    EXPECT_NE(out.find("; keep me\n"), std::string::npos);
    EXPECT_NE(out.find("[HKEY_CURRENT_USER\\Software\\Other]\n\"Mine\"=dword:00000001\n"), std::string::npos);
    EXPECT_NE(out.find("\"Spaced\" = \"x\"\n"), std::string::npos);
    EXPECT_NE(out.find("\"RemindTime\"=hex:78,00,00,00\n"), std::string::npos);
    CRegistryStore again;
    ASSERT_TRUE(again.Parse(out));
    EXPECT_EQ(again.Serialize(), out);
}

TEST(RegistryStore, WritesTextThatAnEditorCannotShowAsHex)
{
    CRegistryStore store;
    store.SetValue(kKey, "Plain", REG_SZ, std::string("Å \"q\" \\ ok") + '\0');
    store.SetValue(kKey, "Latin1", REG_SZ, std::string("\xE5") + '\0');  // not UTF-8
    store.SetValue(kKey, "Lines", REG_SZ, std::string("a\nb") + '\0');
    store.SetValue(kKey, "NoNul", REG_SZ, "abc");
    store.SetValue(kKey, "Odd", REG_DWORD, Bytes({1, 2}));
    store.SetValue(kKey, "Long", REG_BINARY, std::string(100, '\x7f'));
    std::string out = store.Serialize();
    EXPECT_NE(out.find("\"Plain\"=\"Å \\\"q\\\" \\\\ ok\"\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"Latin1\"=hex(1):e5,00\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"Lines\"=hex(1):61,0a,62,00\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"NoNul\"=hex(1):61,62,63\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\"Odd\"=hex(4):01,02\n"), std::string::npos) << out;
    for (std::size_t pos = 0, next; (next = out.find('\n', pos)) != std::string::npos; pos = next + 1)
        EXPECT_LE(next - pos, 80u) << "line too long for an editor";
    CRegistryStore again;
    ASSERT_TRUE(again.Parse(out));
    for (const char* name : {"Plain", "Latin1", "Lines", "NoNul", "Odd", "Long"}) {
        ASSERT_TRUE(again.FindValue(kKey, name)) << name;
        EXPECT_EQ(again.FindValue(kKey, name)->data, store.FindValue(kKey, name)->data) << name;
        EXPECT_EQ(again.FindValue(kKey, name)->type, store.FindValue(kKey, name)->type) << name;
    }
}

TEST(RegistryStore, LaterDuplicatesWinAndSectionsMerge)
{
    CRegistryStore store;
    ASSERT_TRUE(store.Parse("REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n[HKEY_CURRENT_USER\\B]\n"
                            "[hkey_current_user\\a]\n\"X\"=dword:2\n"));
    EXPECT_EQ(store.KeyCount(), 2u);
    EXPECT_EQ(store.FindValue("HKEY_CURRENT_USER\\A", "x")->data, Bytes({2, 0, 0, 0}));
}

TEST(RegistryStore, EmptyTextIsAnEmptyStore)
{
    CRegistryStore store;
    EXPECT_TRUE(store.Parse(""));
    EXPECT_TRUE(store.Parse("  \n\n"));
    EXPECT_TRUE(store.Parse("\xEF\xBB\xBFREGEDIT4\n"));
    EXPECT_TRUE(store.Empty());
    EXPECT_EQ(store.Serialize(), "REGEDIT4\n");
}

TEST(RegistryStore, RejectsForeignText)
{
    const char* foreign[] = {
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n",  // other format
        "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n",                           // no header
        "\x7f"
        "ELF\x02\x01",
    };
    for (const char* text : foreign) {
        CRegistryStore store;
        std::string error;
        EXPECT_FALSE(store.Parse(text, &error)) << text;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(store.Empty()) << "a failed parse must leave nothing half-read";
    }
}

// One line that cannot be read costs that line, never the rest: the values
// before and after it are read as if it were not there.
TEST(RegistryStore, SkipsWhatCannotBeReadAndKeepsTheRest)
{
    const std::string bad[] = {
        "\"x\"=-",
        "\"x\"=dword:123456789",
        "\"x\"=dword:",
        "\"x\"=hex:0g",
        "\"x\"=hex:123,00",
        "\"x\"=\"unterminated",
        "\"x\"=\"bad \\q escape\"",
        "\"x\"=\"a\" trailing",
        "\"x\"",
        "random words",
        "\"x\"=hex(zz):00",
        "\"x\"=hex:01,\\\n  zz",  // a continued list that goes bad
        std::string("\"x\"=\"a\0b\"", 8),
    };
    for (const std::string& line : bad) {
        const std::string text = "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"before\"=dword:1\n" + line +
                                 "\n\"after\"=\"2\"\n";
        CRegistryStore store;
        std::string error;
        ASSERT_TRUE(store.Parse(text, &error)) << line;
        EXPECT_EQ(store.Skipped(), 1u) << line;
        EXPECT_NE(error.find("line 4"), std::string::npos) << error;
        EXPECT_EQ(store.FindValue("HKEY_CURRENT_USER\\A", "x"), nullptr) << line;
        ASSERT_NE(store.FindValue("HKEY_CURRENT_USER\\A", "before"), nullptr) << line;
        ASSERT_NE(store.FindValue("HKEY_CURRENT_USER\\A", "after"), nullptr) << line;
        EXPECT_EQ(store.Serialize().find("\"x\""), std::string::npos) << "what was skipped is not written back";
    }

    // The values under a key that cannot be read belong to no key; the next
    // good key is read again. A continuation at the very end is dropped.
    const char* keys[] = {"[HKEY_CURRENT_USER\\A", "[HKEY_CURRENT_USER\\\\A]", "[-HKEY_CURRENT_USER\\A]"};
    for (const char* key : keys) {
        CRegistryStore store;
        ASSERT_TRUE(store.Parse(std::string("REGEDIT4\n\"top\"=dword:1\n") + key +
                                "\n\"lost\"=dword:2\n[HKEY_CURRENT_USER\\B]\n\"kept\"=dword:3\n\"end\"=hex:01,\\\n"))
            << key;
        EXPECT_EQ(store.Skipped(), 4u) << key;  // top, the key, lost, end
        EXPECT_EQ(store.KeyCount(), 1u) << key;
        EXPECT_NE(store.FindValue("HKEY_CURRENT_USER\\B", "kept"), nullptr) << key;
    }
}

}  // namespace
