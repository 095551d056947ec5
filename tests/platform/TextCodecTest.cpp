// Narrow text: UTF-8 with a Windows-1252 fallback, and byte limits that never cut a character.

#include "platform/qt/TextCodec.h"
#include "platform/WinApp.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(TextCodecTest, ValidUtf8IsKeptAndEverythingElseIsWindows1252)
{
    EXPECT_EQ(FromAnsi("\xC3\xA5\xC3\xA4\xC3\xB6"), QString::fromUtf8("åäö"));
    EXPECT_EQ(FromAnsi("\xE5\xE4\xF6"), QString::fromUtf8("åäö"));
    EXPECT_EQ(FromAnsi("\x80 \x96 \x9F"), QString::fromUtf8("€ – Ÿ"));
    EXPECT_EQ(FromAnsi("\x81"), QString(QChar(0x81))) << "unassigned bytes keep their value";
    // Not UTF-8: overlong forms, surrogates, truncated sequences, stray continuation bytes.
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xC3", "a\xA9", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(AfxIsValidUtf8(bad, std::strlen(bad))) << bad;
    EXPECT_TRUE(AfxIsValidUtf8("\xF0\x9F\x98\x80", 4));
    EXPECT_EQ(FromAnsi(static_cast<const char*>(nullptr)), QString());
    EXPECT_EQ(ToAnsi(FromAnsi("\xE5")), QByteArray("\xC3\xA5"));
    // Plain ASCII is read eight bytes at a time: one high byte anywhere,
    // in a whole block or in the tail, still decides.
    EXPECT_EQ(FromAnsi("2026-12-24 15:00:00"), QStringLiteral("2026-12-24 15:00:00"));
    EXPECT_EQ(FromAnsi("abcdefgh\xE5"), QString::fromUtf8("abcdefghå"));
    EXPECT_EQ(FromAnsi("abc\xE5"
                       "defghijk"),
              QString::fromUtf8("abcådefghijk"));
    EXPECT_EQ(FromAnsi("abcdefghijklmno\xC3\xA5"), QString::fromUtf8("abcdefghijklmnoå"));
}

TEST(TextCodecTest, LstrcpynNeverCutsAUtf8Character)
{
    char buffer[8];
    EXPECT_STREQ(lstrcpynA(buffer, "\xC3\xA5\xC3\xA4", 4), "\xC3\xA5");
    EXPECT_STREQ(lstrcpynA(buffer, "abc", 8), "abc");
    EXPECT_STREQ(lstrcpynA(buffer, "abcdefghij", 8), "abcdefg");
    // Windows-1252 text is cut by bytes: every byte is a character.
    EXPECT_STREQ(lstrcpynA(buffer, "\xE5\xE4\xF6\xE5", 4), "\xE5\xE4\xF6");
    EXPECT_STREQ(lstrcpynA(buffer, nullptr, 8), "");
    buffer[0] = 'x';
    lstrcpynA(buffer, "abc", 0);
    EXPECT_EQ(buffer[0], 'x');
}
