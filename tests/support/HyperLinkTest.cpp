// The hyperlink control and the About dialog, on real widgets.

#include "platform/Afx.h"
#include "platform/Shell.h"
#include "platform/testhooks/TestHooks.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "support/AboutDlg.h"
#include "support/ShellHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class HyperLinkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        AfxSetResourceTables(&TalvoResourceTables());
        static char arg0[] = "test_support_hyperlink";
        static char* argv[] = {arg0, nullptr};
        ASSERT_TRUE(AfxWinInit(1, argv));
    }
    void SetUp() override
    {
        testhooks::EnableMessageBoxHook(true);
        testhooks::ClearMessageBoxes();
        testhooks::ClearProgramsStarted();
        // No desktop browser unless a test names one.
        unsetenv("BROWSER");
        setenv("XDG_CONFIG_DIRS", "/nonexistent", 1);
        setenv("XDG_DATA_DIRS", "/nonexistent", 1);
    }
    void TearDown() override
    {
        testhooks::SetShellOpener("");
        unsetenv("BROWSER");
        testhooks::ClearMessageBoxes();
    }
};

// The About box built modelessly, so a test can look at it while it is up.
class CShownAboutDlg : public CAboutDlg {
public:
    CShownAboutDlg() { Create(IDD_ABOUTBOX); }
    ~CShownAboutDlg() override { DestroyWindow(); }
};

TEST_F(HyperLinkTest, AboutLinksKeepTheirTextsShowTheirTargetsAndFitTheText)
{
    CShownAboutDlg dlg;
    ASSERT_NE(dlg.m_hWnd, nullptr);
    EXPECT_EQ(testhooks::WindowText(dlg.m_linkReadMe), "ReadMe-filen.");
    EXPECT_EQ(testhooks::ToolTip(dlg.m_linkReadMe), GetProgramPath(true).str() + "ReadMe.txt");
    EXPECT_EQ(testhooks::ToolTip(dlg.m_linkWeb), AfxFindString(IDS_URL));
    EXPECT_EQ(testhooks::ToolTip(dlg.m_linkMail), AfxFindString(IDS_MAILTO));
    EXPECT_EQ(std::string(AfxFindString(IDS_URL)).rfind("URL:", 0), 0u);
    EXPECT_EQ(std::string(AfxFindString(IDS_MAILTO)).rfind("mailto:", 0), 0u);
    for (CHyperLink* link : {&dlg.m_linkReadMe, &dlg.m_linkWeb, &dlg.m_linkMail}) {
        EXPECT_EQ(testhooks::TextColor(*link), CHyperLink::s_crLink);
        EXPECT_TRUE(testhooks::IsUnderlined(*link));
        CString text;
        link->GetWindowText(text);
        CRect r;
        link->GetClientRect(r);
        EXPECT_EQ(r.Width(), link->GetTextExtent(text).cx) << text.GetString();
    }
}

TEST_F(HyperLinkTest, OpenedLinkTurnsPurpleForThisDialogOnly)
{
    testhooks::SetShellOpener("true");
    {
        CShownAboutDlg dlg;
        testhooks::SendKey(dlg.m_linkMail, VK_SPACE);
        EXPECT_TRUE(dlg.m_linkMail.m_bFollowed);
        ASSERT_FALSE(testhooks::ShellOpenerRuns().empty());
        EXPECT_EQ(testhooks::ShellOpenerRuns().back().back(), AfxFindString(IDS_MAILTO));
        // It has the focus now: teal until the focus leaves, then purple.
        dlg.m_linkMail.m_bActive = FALSE;
        EXPECT_EQ(dlg.m_linkMail.CtlColor(), CHyperLink::s_crFollowed);
        EXPECT_TRUE(testhooks::MessageBoxes().empty());
    }
    CShownAboutDlg again;
    EXPECT_FALSE(again.m_linkMail.m_bFollowed);
    EXPECT_EQ(testhooks::TextColor(again.m_linkMail), CHyperLink::s_crLink);
}

TEST_F(HyperLinkTest, FailureBeepsOnceAndSaysWhyInEnglish)
{
    testhooks::SetShellOpener("/nonexistent/opener");
    CShownAboutDlg dlg;
    const int beeps = testhooks::Beeps();
    dlg.m_linkWeb.FollowLink();
    EXPECT_EQ(testhooks::Beeps(), beeps + 1);
    ASSERT_EQ(testhooks::MessageBoxes().size(), 1u);
    EXPECT_EQ(testhooks::MessageBoxes()[0].text,
              "Can't open link:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_EQ(testhooks::MessageBoxes()[0].type & MB_ICONMASK, UINT(MB_ICONEXCLAMATION));
    EXPECT_FALSE(dlg.m_linkWeb.m_bFollowed);

    EXPECT_EQ(CHyperLink::OpenErrorText(2), CString("Can't open link:\n\nThe specified file was not found."));
    EXPECT_EQ(CHyperLink::OpenErrorText(26), CString("Can't open link:\n\nA sharing violation occurred. "));
    EXPECT_EQ(CHyperLink::OpenErrorText(42), CString("Can't open link:\n\nUnknown Error (42) occurred."));
    EXPECT_EQ(CHyperLink::OpenErrorText(-1), CString("Can't open link:\n\nUnknown Error (-1) occurred."));
}

// The shell fails; the program registered for web pages (here the desktop's
// browser, $BROWSER) gets the address, cut into arguments as Windows cuts a
// command line and never through a shell.
TEST_F(HyperLinkTest, FallbackStartsTheRegisteredBrowserWithoutAShell)
{
    using Args = std::vector<std::string>;
    testhooks::SetShellOpener("/nonexistent/opener");
    setenv("BROWSER", "true --flag %s", 1);
    CString type, command;
    ASSERT_EQ(CHyperLink::ReadClassKeyDefault(HKEY_CLASSES_ROOT, ".htm", type), 0);
    ASSERT_EQ(CHyperLink::ReadClassKeyDefault(HKEY_CLASSES_ROOT, type + "\\shell\\open\\command", command), 0);
    EXPECT_EQ(command, CString("true --flag \"%1\""));

    CShownAboutDlg dlg;
    const int beeps = testhooks::Beeps();
    dlg.m_linkWeb.FollowLink();
    EXPECT_TRUE(dlg.m_linkWeb.m_bFollowed);
    EXPECT_EQ(testhooks::Beeps(), beeps);
    EXPECT_TRUE(testhooks::MessageBoxes().empty());
    ASSERT_EQ(testhooks::ProgramsStarted().size(), 1u);
    EXPECT_EQ(testhooks::ProgramsStarted()[0], (Args{"true", "--flag", std::string(AfxFindString(IDS_URL)).substr(4)}));

    // A target is text, never commands: its blanks part arguments, as on Windows.
    testhooks::ClearProgramsStarted();
    EXPECT_GT(CHyperLink::OpenTarget("x; rm -rf ~ \"$(id)\"", SW_SHOW), 32);
    ASSERT_EQ(testhooks::ProgramsStarted().size(), 1u);
    EXPECT_EQ(testhooks::ProgramsStarted()[0], (Args{"true", "--flag", "x;", "rm", "-rf", "~", "$(id)"}));

    // No browser known: the key is missing and the shell's error stands.
    unsetenv("BROWSER");
    setenv("XDG_CONFIG_HOME", "/nonexistent", 1);
    setenv("XDG_CONFIG_DIRS", "/nonexistent", 1);
    setenv("XDG_DATA_HOME", "/nonexistent", 1);
    setenv("XDG_DATA_DIRS", "/nonexistent", 1);
    EXPECT_NE(CHyperLink::ReadClassKeyDefault(HKEY_CLASSES_ROOT, ".htm", type), 0);
    EXPECT_EQ(CHyperLink::OpenTarget("http://example.org/", SW_SHOW), int(SE_ERR_NOASSOC));
}

TEST_F(HyperLinkTest, HoverTakesTheCaptureAndLeavingGivesItBack)
{
    CShownAboutDlg dlg;
    CHyperLink& link = dlg.m_linkWeb;
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELONG(2, 2));
    EXPECT_TRUE(link.m_bHot);
    EXPECT_EQ(CWnd::GetCapture(), &link);
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELONG(3, 3));
    EXPECT_TRUE(link.m_bHot);
    link.SendMessage(WM_MOUSEMOVE, 0, MAKELONG(2000, 2));
    EXPECT_FALSE(link.m_bHot);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    // Other keys do what a static does with them: nothing opens.
    testhooks::SetShellOpener("true");
    testhooks::ClearShellOpenerRuns();
    testhooks::SendKey(link, 'A');
    EXPECT_TRUE(testhooks::ShellOpenerRuns().empty());
    EXPECT_FALSE(link.m_bFollowed);
}

}  // namespace
