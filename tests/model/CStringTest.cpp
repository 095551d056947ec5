#include "platform/CString.h"

#include <gtest/gtest.h>

TEST(CString, ClampsAndSearchesLikeMfc)
{
    CString s("C:\\Lists/talvo.tlv");
    EXPECT_EQ(s.GetLength(), 18);
    EXPECT_EQ(s.ReverseFind('/'), 8);
    EXPECT_EQ(s.ReverseFind('?'), -1);
    EXPECT_EQ(s.Mid(9), "talvo.tlv");
    EXPECT_EQ(s.Mid(-3, 2), "C:");
    EXPECT_EQ(s.Mid(50), "");
    EXPECT_EQ(s.Left(100), s);
    EXPECT_EQ(s.Right(3), "tlv");
    EXPECT_EQ(s.Right(-1), "");
    EXPECT_EQ(s.Find("tlv"), 15);
    EXPECT_EQ(s.Find('t', 16), -1);
    EXPECT_EQ(s.Find("x", 99), -1);
    CString u("ÅÄÖ Abc");
    u.MakeLower();
    EXPECT_EQ(u, "ÅÄÖ abc") << "only ASCII letters fold";
    CString f;
    f.Format("%s - %d", "Talvo", 3);
    EXPECT_EQ(f, "Talvo - 3");
    f.Format("%s", std::string(5000, 'y').c_str());
    EXPECT_EQ(f.GetLength(), 5000);
    EXPECT_EQ(CString("a") + "b" + CString("c"), "abc");
    EXPECT_TRUE(CString().IsEmpty());
    EXPECT_EQ(CString(nullptr), "");
}
