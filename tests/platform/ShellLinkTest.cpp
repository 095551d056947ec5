// The shell link stand-in: COM start, the interfaces and the desktop entry it writes.
#include "platform/ShellLink.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::u16string Wide(const std::string& s)
{
    int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
    std::u16string w(std::size_t(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
    return w;
}

TEST(ShellLink, ExecIsQuotedAndEscapedAsTheDesktopEntrySpecAsks)
{
    EXPECT_EQ(DesktopEntryExec("/usr/bin/talvo", ""), "/usr/bin/talvo");
    EXPECT_EQ(DesktopEntryExec("/opt/my apps/talvo", ""), "\"/opt/my apps/talvo\"");
    EXPECT_EQ(DesktopEntryExec("/opt/a\"b/t", ""), "\"/opt/a\\\"b/t\"");
    EXPECT_EQ(DesktopEntryExec("/opt/$HOME/`x`", ""), "\"/opt/\\$HOME/\\`x\\`\"");
    EXPECT_EQ(DesktopEntryExec("/opt/100%/t", ""), "/opt/100%%/t");
    EXPECT_EQ(DesktopEntryExec("/opt/a\\b", ""), "\"/opt/a\\\\b\"");
    EXPECT_EQ(DesktopEntryExec("/t", "-x \"two words\""), "/t -x \"two words\"");
    // The value's own escapes come on top: one backslash of the quoting becomes two.
    EXPECT_EQ(DesktopEntryEscape(DesktopEntryExec("/opt/$x", "")), "\"/opt/\\\\$x\"");
    EXPECT_EQ(DesktopEntryEscape("a\nb\tc\\"), "a\\nb\\tc\\\\");
}

TEST(ShellLink, MultiByteToWideCharSizesAndFails)
{
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "Å\xF0\x9F\x98\x80", -1, nullptr, 0), 4);  // Å, a surrogate pair, NUL
    char16_t small[2];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, small, 2), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0x8, "\xFF", 1, small, 2), 0);
}

TEST(ShellLink, SavesAnAutostartEntryAndSavesAgain)
{
    char pattern[] = "/tmp/talvo-link-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    std::string dir = pattern;
    EXPECT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, nullptr), E_POINTER);
    HRESULT first = CoInitialize(nullptr);
    EXPECT_TRUE(first == S_OK || first == S_FALSE);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);

    for (int round = 0; round < 2; ++round) {
        IShellLinkA* link = nullptr;
        ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)),
                  S_OK);
        EXPECT_EQ(link->SetPath("/opt/Tal vo/talvo"), S_OK);
        IPersistFile* file = nullptr;
        ASSERT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
        void* other = nullptr;
        EXPECT_EQ(link->QueryInterface(CLSID_ShellLink, &other), E_NOINTERFACE);
        std::u16string path = Wide(dir + "/autostart/Talvo.lnk");
        EXPECT_EQ(file->Save(path.c_str(), TRUE), S_OK);
        file->Release();
        link->Release();
    }
    std::string entry = ReadFile(dir + "/autostart/Talvo.desktop");
    EXPECT_EQ(entry, "[Desktop Entry]\n"
                     "Type=Application\n"
                     "Version=1.0\n"
                     "Name=Talvo\n"
                     "Exec=\"/opt/Tal vo/talvo\"\n"
                     "Terminal=false\n");
    struct stat st {};
    EXPECT_NE(stat((dir + "/autostart/Talvo.lnk").c_str(), &st), 0);

    IUnknown* unknown = nullptr;
    EXPECT_EQ(CoCreateInstance(IID_IPersistFile, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&unknown)),
              REGDB_E_CLASSNOTREG);
    std::system(("rm -rf '" + dir + "'").c_str());
}

}  // namespace
